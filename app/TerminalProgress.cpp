#include "app/TerminalProgress.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

namespace app {

namespace {
Interface* gInterruptTarget = nullptr;
termios gSavedTerminal{};

volatile std::sig_atomic_t gInterrupts = 0;

void onInterrupt(int) {
  gInterrupts = gInterrupts + 1;
  if (gInterrupts >= 2) _exit(130);
  if (gInterruptTarget) gInterruptTarget->SetCancel(TRUE);
}
}  // namespace

void installInterruptHandler(Interface& core) {
  gInterruptTarget = &core;
  std::signal(SIGINT, onInterrupt);
}

TerminalProgress::TerminalProgress(Interface& core, std::function<std::string()> status)
    : core_(core), terminal_(isatty(STDERR_FILENO) != 0), status_(std::move(status)) {
  core_.SetProgressListener(this);
}

TerminalProgress::~TerminalProgress() {
  ended();
  core_.SetProgressListener(nullptr);
}

void TerminalProgress::started(const MSTR& title) {
  title_ = title;
  if (status_) logged_ = status_();
  // Read keys one at a time without echo, so ESC can be seen while working.
  if (terminal_ && isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &gSavedTerminal) == 0) {
    termios raw = gSavedTerminal;
    raw.c_lflag &= ~(ICANON | ECHO);
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    rawInput_ = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
  }
  draw(0);
}

void TerminalProgress::updated(int percent, const MSTR& title) {
  title_ = title;
  pollEscape();
  draw(percent);
  logStatus();
}

// Without a terminal, a status line that changed since the last update is a
// finished frame's line: one plain line for the log.
void TerminalProgress::logStatus() {
  if (terminal_ || !status_) return;
  std::string now = status_();
  if (now == logged_ || now.empty()) return;
  std::fprintf(stderr, "%s\n", now.c_str());
  std::fflush(stderr);
  logged_ = std::move(now);
}

void TerminalProgress::ended() {
  if (rawInput_) {
    tcsetattr(STDIN_FILENO, TCSANOW, &gSavedTerminal);
    rawInput_ = false;
  }
  if (terminal_ && !title_.empty()) std::fputs("\n", stderr);
  title_.clear();
}

void TerminalProgress::pollEscape() {
  if (!rawInput_) return;
  pollfd fd{STDIN_FILENO, POLLIN, 0};
  while (poll(&fd, 1, 0) > 0 && (fd.revents & POLLIN)) {
    char c = 0;
    if (read(STDIN_FILENO, &c, 1) != 1) break;
    if (c == 0x1B) {
      core_.SetEscapePressed(true);
      core_.SetCancel(TRUE);
    }
  }
}

void TerminalProgress::draw(int percent) {
  if (!terminal_) return;
  constexpr int kWidth = 30;
  const int filled = percent * kWidth / 100;
  std::fprintf(stderr, "\r%s [%.*s%*s] %3d%%", host::narrow(title_).c_str(), filled,
               "##############################", kWidth - filled, "", percent);
  std::fflush(stderr);
}

}  // namespace app
