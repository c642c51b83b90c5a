#pragma once
// The classes the loaded libraries offer, as the host lists them after
// asking each library for its descriptors.
#include <vector>

#include "host/sdk/ClassDesc2.h"

namespace host {

class ClassDirectory {
 public:
  // Adds every descriptor a library hands out, in its order; nulls are skipped.
  void addLibrary(int count, ClassDesc* (*classDesc)(int));
  void add(ClassDesc* cd);
  ClassDesc* findByInternalName(const MCHAR* name) const;
  ClassDesc* findByClassID(const Class_ID& id) const;
  const std::vector<ClassDesc*>& all() const { return classes_; }

 private:
  std::vector<ClassDesc*> classes_;
};

ClassDirectory& classDirectory();

}  // namespace host
