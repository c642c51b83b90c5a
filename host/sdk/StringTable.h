#pragma once
// The string resources of loaded modules, looked up by module and id.
#include "host/sdk/Types.h"

namespace host {
void addResourceString(HINSTANCE module, int id, const MCHAR* text);
// Null when the module has no string with that id.
const MCHAR* resourceString(HINSTANCE module, int id);
}  // namespace host

namespace host {
struct StringEntry {
  int id;
  const MCHAR* text;
};
inline void addResourceStrings(HINSTANCE module, const StringEntry* entries, int count) {
  for (int i = 0; i < count; ++i) addResourceString(module, entries[i].id, entries[i].text);
}
}  // namespace host
