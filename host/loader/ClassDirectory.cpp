#include "host/loader/ClassDirectory.h"

#include <algorithm>

namespace host {

void ClassDirectory::addLibrary(int count, ClassDesc* (*classDesc)(int)) {
  for (int i = 0; i < count; ++i) add(classDesc(i));
}

void ClassDirectory::add(ClassDesc* cd) {
  if (cd && std::find(classes_.begin(), classes_.end(), cd) == classes_.end()) classes_.push_back(cd);
}

ClassDesc* ClassDirectory::findByInternalName(const MCHAR* name) const {
  if (!name) return nullptr;
  for (ClassDesc* cd : classes_)
    if (cd->InternalName() && MSTR(cd->InternalName()) == name) return cd;
  return nullptr;
}

ClassDesc* ClassDirectory::findByClassID(const Class_ID& id) const {
  for (ClassDesc* cd : classes_)
    if (cd->ClassID() == id) return cd;
  return nullptr;
}

ClassDirectory& classDirectory() {
  static ClassDirectory directory;
  return directory;
}

}  // namespace host
