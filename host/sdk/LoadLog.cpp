#include "host/sdk/LoadLog.h"

namespace host {
namespace {
std::vector<LoadRecord>& records() {
  static std::vector<LoadRecord> log;
  return log;
}
}  // namespace

void recordLoad(LoadItem kind, const void* object, std::string name) {
  records().push_back({kind, object, std::move(name)});
}

const std::vector<LoadRecord>& loadRecords() { return records(); }
}  // namespace host
