#include "host/runtime/Materials.h"

#include <limits>

namespace host {

// The scene library owns maps, so replacing one never deletes the old map.
void StdMat::SetDiffuseMap(Texmap* map) { ReplaceReference(0, map, FALSE); }

void StdMat::SetReference(int i, RefTargetHandle target) {
  if (i == 0) diffuseMap = dynamic_cast<Texmap*>(target);
}

// The scene library owns materials too: the replaced sub-material survives.
// Slots beyond the largest material id could never be chosen and are refused.
void MultiMtl::SetSubMtl(int i, Mtl* m) {
  if (i < 0 || i > std::numeric_limits<MtlID>::max()) return;
  if (i >= NumSubMtls()) subs_.resize(static_cast<std::size_t>(i) + 1, nullptr);
  ReplaceReference(i, m, FALSE);
}

Mtl* MultiMtl::ForMaterialId(int id) {
  if (subs_.empty()) return nullptr;
  const int count = NumSubMtls();
  return subs_[static_cast<std::size_t>((id % count + count) % count)];
}

Color MultiMtl::GetDiffuse(int mtlNum, BOOL backFace) {
  Mtl* sub = ForMaterialId(mtlNum);
  return sub ? sub->GetDiffuse(mtlNum, backFace) : Mtl::GetDiffuse(mtlNum, backFace);
}

void MultiMtl::SetReference(int i, RefTargetHandle target) {
  if (i >= 0 && i < NumSubMtls()) subs_[static_cast<std::size_t>(i)] = dynamic_cast<Mtl*>(target);
}

}  // namespace host
