#pragma once
// Runs the orbink runner as users and scripts do, capturing its output.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct RunResult {
  int code = -1;
  std::string out, err;
};

// A shell command line; stdout and stderr apart.
inline RunResult run(const std::string& command) {
  const auto errFile = std::filesystem::temp_directory_path() / ("orbink_err_" + std::to_string(getpid()));
  const std::string cmd = command + " 2>" + errFile.string();
  RunResult r;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int status = pclose(p);
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream e(errFile);
  std::ostringstream es;
  es << e.rdbuf();
  r.err = es.str();
  std::filesystem::remove(errFile);
  return r;
}

inline RunResult orbink(const std::string& args) { return run(std::string(ORBINK_PATH) + " " + args); }

inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}
