#include "host/sdk/StringTable.h"

#include <map>
#include <utility>

namespace host {
namespace {
std::map<std::pair<HINSTANCE, int>, MSTR>& table() {
  static std::map<std::pair<HINSTANCE, int>, MSTR> strings;
  return strings;
}
}  // namespace

void addResourceString(HINSTANCE module, int id, const MCHAR* text) { table()[{module, id}] = text ? text : _M(""); }

const MCHAR* resourceString(HINSTANCE module, int id) {
  auto it = table().find({module, id});
  return it == table().end() ? nullptr : it->second.c_str();
}
}  // namespace host
