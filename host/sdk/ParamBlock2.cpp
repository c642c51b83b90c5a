#include "host/sdk/ParamBlock2.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "host/sdk/ClassDesc2.h"
#include "host/sdk/Hold.h"
#include "host/sdk/LoadLog.h"
#include "host/sdk/Material.h"
#include "host/sdk/Node.h"
#include "host/sdk/ParamMap2.h"

namespace {
bool gAnimating = false;

bool isNumeric(int t) {
  const int b = BaseType(t);
  return b == TYPE_FLOAT || b == TYPE_INT || b == TYPE_BOOL || b == TYPE_ANGLE || b == TYPE_PCNT_FRAC ||
         b == TYPE_WORLD;
}
bool isVector(int t) { return BaseType(t) == TYPE_RGBA || BaseType(t) == TYPE_POINT3; }
bool isText(int t) { return BaseType(t) == TYPE_STRING || BaseType(t) == TYPE_FILENAME; }
bool isIntegral(int t) { return BaseType(t) == TYPE_INT || BaseType(t) == TYPE_BOOL; }
}  // namespace

bool Animating() { return gAnimating; }
void AnimateOn() { gAnimating = true; }
void AnimateOff() { gAnimating = false; }

// ---------------------------------------------------------------- descriptor

ParamBlockDesc2::ParamBlockDesc2(BlockID id, const MCHAR* internalName, int localNameId, ClassDesc2* classDesc,
                                 int blockFlags, int refNo, std::vector<RolloutDef> rollouts,
                                 std::vector<ParamDef> params)
    : ID(id),
      int_name(internalName ? internalName : _M("")),
      local_name(localNameId),
      cd(classDesc),
      flags(blockFlags),
      ref_no(refNo),
      rollouts_(std::move(rollouts)),
      params_(std::move(params)) {
  host::recordLoad(host::LoadItem::ParamBlockDescriptor, this, host::narrow(int_name));
  if (cd) cd->AddParamBlockDesc(this);
}

int ParamBlockDesc2::IDtoIndex(ParamID id) const {
  for (int i = 0; i < Count(); ++i)
    if (params_[i].id == id) return i;
  return -1;
}

int ParamBlockDesc2::NameToIndex(const MCHAR* name) const {
  if (!name) return -1;
  for (int i = 0; i < Count(); ++i)
    if (params_[i].internalName && MSTR(params_[i].internalName) == name) return i;
  return -1;
}

const ParamDef* ParamBlockDesc2::GetParamDef(ParamID id) const {
  const int i = IDtoIndex(id);
  return i < 0 ? nullptr : &params_[i];
}

void ParamBlockDesc2::SetUserDlgProc(MapID map, ParamMap2UserDlgProc* proc) {
  userProcs_.resize(rollouts_.size(), nullptr);
  for (std::size_t i = 0; i < rollouts_.size(); ++i)
    if (rollouts_[i].map == map) userProcs_[i] = proc;
}

void ParamBlockDesc2::InvalidateUI(ParamID id) {
  ++uiInvalidations_;
  lastInvalidatedParam_ = id;
  if (!cd) return;
  const ParamDef* def = GetParamDef(id);
  for (const RolloutDef& r : rollouts_) {
    if (def && def->ui.map != r.map) continue;
    if (IParamMap2* map = cd->GetParamMap(this, r.map)) map->Invalidate();
  }
}

ParamMap2UserDlgProc* ParamBlockDesc2::GetUserDlgProc(MapID map) const {
  for (std::size_t i = 0; i < rollouts_.size() && i < userProcs_.size(); ++i)
    if (rollouts_[i].map == map) return userProcs_[i];
  return nullptr;
}

const RolloutDef* ParamBlockDesc2::FindRollout(MapID map) const {
  for (const RolloutDef& r : rollouts_)
    if (r.map == map) return &r;
  return nullptr;
}

std::vector<MSTR> ParamBlockDesc2::Validate() const {
  std::vector<MSTR> problems;
  std::set<ParamID> ids;
  std::set<MSTR> names;
  for (const ParamDef& p : params_) {
    const MSTR name = p.internalName ? p.internalName : _M("");
    if (name.empty()) problems.push_back(_M("parameter ") + std::to_wstring(p.id) + _M(" has no name"));
    if (!ids.insert(p.id).second) problems.push_back(_M("duplicate id ") + std::to_wstring(p.id));
    if (!names.insert(name).second) problems.push_back(_M("duplicate name ") + name);
    if (p.range && p.def.kind == ParamDefault::Kind::Number && (p.def.number < p.range->lo || p.def.number > p.range->hi))
      problems.push_back(name + _M(": default outside its range"));
    if (IsTabType(p.type) && !(p.flags & P_VARIABLE_SIZE) && p.tabSize == 0)
      problems.push_back(name + _M(": empty fixed-size table"));
    if (p.ui.control != TYPE_NO_UI && !FindRollout(p.ui.map))
      problems.push_back(name + _M(": rollout ") + std::to_wstring(p.ui.map) + _M(" is not declared"));
  }
  return problems;
}

// ---------------------------------------------------------------- block

IParamBlock2::IParamBlock2(ParamBlockDesc2* desc, ReferenceMaker* owner) : desc_(desc), owner_(owner) {
  values_.resize(static_cast<std::size_t>(desc_->Count()));
  for (int i = 0; i < desc_->Count(); ++i) resetValue(i);
}

IParamBlock2::~IParamBlock2() {
  for (Value& v : values_)
    for (Slot& s : v.slots) setRef(s, nullptr);
}

IParamBlock2::Slot IParamBlock2::defaultSlot(const ParamDef& def) const {
  Slot s;
  if (def.def.kind == ParamDefault::Kind::Number) s.number = clampNumber(def, def.def.number);
  if (def.def.kind == ParamDefault::Kind::Vector) s.vector = def.def.vector;
  return s;
}

void IParamBlock2::resetValue(int index) {
  const ParamDef& def = desc_->GetParamDefByIndex(index);
  Value& v = values_[index];
  for (Slot& s : v.slots) setRef(s, nullptr);
  v.slots.assign(IsTabType(def.type) ? static_cast<std::size_t>(def.tabSize) : 1u, defaultSlot(def));
}

void IParamBlock2::ResetAll() {
  for (int i = 0; i < desc_->Count(); ++i) {
    hold(desc_->GetParamDefByIndex(i).id);
    resetValue(i);
  }
  changed();
}

void IParamBlock2::Reset(ParamID id) {
  const int i = desc_->IDtoIndex(id);
  if (i < 0) return;
  hold(id);
  resetValue(i);
  changed(id);
}

IParamBlock2::Slot* IParamBlock2::slot(ParamID id, int tabIndex, const ParamDef** def) {
  const int i = desc_->IDtoIndex(id);
  if (i < 0) return nullptr;
  Value& v = values_[i];
  if (tabIndex < 0 || tabIndex >= static_cast<int>(v.slots.size())) return nullptr;
  *def = &desc_->GetParamDefByIndex(i);
  return &v.slots[tabIndex];
}

const IParamBlock2::Slot* IParamBlock2::slot(ParamID id, int tabIndex, const ParamDef** def) const {
  return const_cast<IParamBlock2*>(this)->slot(id, tabIndex, def);
}

double IParamBlock2::clampNumber(const ParamDef& def, double v) const {
  if (BaseType(def.type) == TYPE_BOOL) return v != 0 ? 1 : 0;
  if (isIntegral(def.type)) v = std::trunc(v);
  if (def.range) v = std::clamp(v, def.range->lo, def.range->hi);
  return v;
}

namespace {
// Where t falls among the keys: the interval over which the value holds and
// the pair of keys to blend.
template <class K>
void bracket(const std::vector<K>& keys, TimeValue t, Interval& valid, std::size_t& lo, std::size_t& hi) {
  auto it = std::upper_bound(keys.begin(), keys.end(), t, [](TimeValue tt, const K& k) { return tt < k.t; });
  if (it == keys.begin()) {
    lo = hi = 0;
    valid &= Interval(TIME_NegInfinity, keys.front().t);
  } else if (it == keys.end()) {
    lo = hi = keys.size() - 1;
    valid &= Interval(keys.back().t, TIME_PosInfinity);
  } else {
    hi = static_cast<std::size_t>(it - keys.begin());
    lo = hi - 1;
    if (keys[lo].t == t) hi = lo;
    valid &= Interval(t, t);
  }
}
}  // namespace

double IParamBlock2::numberAt(const Slot& s, TimeValue t, Interval& valid) const {
  if (s.keys.empty()) return s.number;
  std::size_t lo, hi;
  bracket(s.keys, t, valid, lo, hi);
  if (lo == hi) return s.keys[lo].number;
  const double f = double(t - s.keys[lo].t) / double(s.keys[hi].t - s.keys[lo].t);
  return s.keys[lo].number + (s.keys[hi].number - s.keys[lo].number) * f;
}

Point3 IParamBlock2::vectorAt(const Slot& s, TimeValue t, Interval& valid) const {
  if (s.keys.empty()) return s.vector;
  std::size_t lo, hi;
  bracket(s.keys, t, valid, lo, hi);
  if (lo == hi) return s.keys[lo].vector;
  const float f = float(double(t - s.keys[lo].t) / double(s.keys[hi].t - s.keys[lo].t));
  return s.keys[lo].vector + (s.keys[hi].vector - s.keys[lo].vector) * f;
}

BOOL IParamBlock2::GetValue(ParamID id, TimeValue t, float& v, Interval& valid, int tabIndex) {
  const ParamDef* def;
  const Slot* s = slot(id, tabIndex, &def);
  if (!s || !isNumeric(def->type)) return FALSE;
  v = static_cast<float>(numberAt(*s, t, valid));
  return TRUE;
}

BOOL IParamBlock2::GetValue(ParamID id, TimeValue t, int& v, Interval& valid, int tabIndex) {
  const ParamDef* def;
  const Slot* s = slot(id, tabIndex, &def);
  if (!s || !isNumeric(def->type)) return FALSE;
  const double n = numberAt(*s, t, valid);
  // Keyed integers blend linearly and round to the nearest; bools step.
  v = BaseType(def->type) == TYPE_BOOL ? (n >= 0.5 ? 1 : 0)
      : isIntegral(def->type)          ? static_cast<int>(std::lround(n))
                                       : static_cast<int>(n);
  return TRUE;
}

BOOL IParamBlock2::GetValue(ParamID id, TimeValue t, Point3& v, Interval& valid, int tabIndex) {
  const ParamDef* def;
  const Slot* s = slot(id, tabIndex, &def);
  if (!s || !isVector(def->type)) return FALSE;
  v = vectorAt(*s, t, valid);
  return TRUE;
}

BOOL IParamBlock2::GetValue(ParamID id, TimeValue t, Color& v, Interval& valid, int tabIndex) {
  Point3 p;
  if (!GetValue(id, t, p, valid, tabIndex)) return FALSE;
  v = Color(p);
  return TRUE;
}

BOOL IParamBlock2::GetValue(ParamID id, TimeValue, INode*& v, Interval&, int tabIndex) {
  const ParamDef* def;
  const Slot* s = slot(id, tabIndex, &def);
  if (!s || BaseType(def->type) != TYPE_INODE) return FALSE;
  v = dynamic_cast<INode*>(s->ref);
  return TRUE;
}

BOOL IParamBlock2::GetValue(ParamID id, TimeValue, Mtl*& v, Interval&, int tabIndex) {
  const ParamDef* def;
  const Slot* s = slot(id, tabIndex, &def);
  if (!s || BaseType(def->type) != TYPE_MTL) return FALSE;
  v = dynamic_cast<Mtl*>(s->ref);
  return TRUE;
}

BOOL IParamBlock2::GetValue(ParamID id, TimeValue, Texmap*& v, Interval&, int tabIndex) {
  const ParamDef* def;
  const Slot* s = slot(id, tabIndex, &def);
  if (!s || BaseType(def->type) != TYPE_TEXMAP) return FALSE;
  v = dynamic_cast<Texmap*>(s->ref);
  return TRUE;
}

BOOL IParamBlock2::GetValue(ParamID id, TimeValue, const MCHAR*& v, Interval&, int tabIndex) {
  const ParamDef* def;
  const Slot* s = slot(id, tabIndex, &def);
  if (!s || !isText(def->type)) return FALSE;
  v = s->text.c_str();
  return TRUE;
}

float IParamBlock2::GetFloat(ParamID id, TimeValue t, int tabIndex) {
  float v = 0;
  Interval iv = FOREVER;
  GetValue(id, t, v, iv, tabIndex);
  return v;
}

int IParamBlock2::GetInt(ParamID id, TimeValue t, int tabIndex) {
  int v = 0;
  Interval iv = FOREVER;
  GetValue(id, t, v, iv, tabIndex);
  return v;
}

Point3 IParamBlock2::GetPoint3(ParamID id, TimeValue t, int tabIndex) {
  Point3 v;
  Interval iv = FOREVER;
  GetValue(id, t, v, iv, tabIndex);
  return v;
}

Color IParamBlock2::GetColor(ParamID id, TimeValue t, int tabIndex) { return Color(GetPoint3(id, t, tabIndex)); }

INode* IParamBlock2::GetINode(ParamID id, TimeValue t, int tabIndex) {
  INode* v = nullptr;
  Interval iv = FOREVER;
  GetValue(id, t, v, iv, tabIndex);
  return v;
}

Mtl* IParamBlock2::GetMtl(ParamID id, TimeValue t, int tabIndex) {
  Mtl* v = nullptr;
  Interval iv = FOREVER;
  GetValue(id, t, v, iv, tabIndex);
  return v;
}

Texmap* IParamBlock2::GetTexmap(ParamID id, TimeValue t, int tabIndex) {
  Texmap* v = nullptr;
  Interval iv = FOREVER;
  GetValue(id, t, v, iv, tabIndex);
  return v;
}

const MCHAR* IParamBlock2::GetStr(ParamID id, TimeValue t, int tabIndex) {
  const MCHAR* v = nullptr;
  Interval iv = FOREVER;
  GetValue(id, t, v, iv, tabIndex);
  return v;
}

namespace {
template <class K, class V, class Get, class Set>
void writeKeyed(std::vector<K>& keys, bool animatable, TimeValue t, const V& v, const V& current, Get get, Set set) {
  auto at = std::find_if(keys.begin(), keys.end(), [t](const K& k) { return k.t == t; });
  if (animatable && Animating()) {
    if (at != keys.end()) {
      set(*at, v);
    } else {
      K k{t, 0, {}};
      set(k, v);
      keys.insert(std::upper_bound(keys.begin(), keys.end(), t, [](TimeValue tt, const K& kk) { return tt < kk.t; }), k);
    }
  } else if (at != keys.end()) {
    set(*at, v);
  } else {
    for (K& k : keys) set(k, get(k) + (v - current));
  }
}
}  // namespace

bool IParamBlock2::writeNumber(const ParamDef& def, Slot& s, TimeValue t, double v) {
  v = clampNumber(def, v);
  const bool animatable = (def.flags & P_ANIMATABLE) != 0;
  if (s.keys.empty() && !(animatable && Animating())) {
    s.number = v;
    return true;
  }
  if (s.keys.empty()) s.keys.push_back({t, s.number, {}});  // the first key keeps the old value at t
  Interval iv = FOREVER;
  const double current = numberAt(s, t, iv);
  writeKeyed(s.keys, animatable, t, v, current, [](const Key& k) { return k.number; },
             [&](Key& k, double x) { k.number = clampNumber(def, x); });
  s.number = s.keys.front().number;
  return true;
}

bool IParamBlock2::writeVector(const ParamDef& def, Slot& s, TimeValue t, const Point3& v) {
  const bool animatable = (def.flags & P_ANIMATABLE) != 0;
  if (s.keys.empty() && !(animatable && Animating())) {
    s.vector = v;
    return true;
  }
  if (s.keys.empty()) s.keys.push_back({t, 0, s.vector});
  Interval iv = FOREVER;
  const Point3 current = vectorAt(s, t, iv);
  writeKeyed(s.keys, animatable, t, v, current, [](const Key& k) { return k.vector; },
             [](Key& k, const Point3& x) { k.vector = x; });
  s.vector = s.keys.front().vector;
  return true;
}

BOOL IParamBlock2::SetValue(ParamID id, TimeValue t, float v, int tabIndex) {
  const ParamDef* def;
  Slot* s = slot(id, tabIndex, &def);
  if (!s || !isNumeric(def->type) || !std::isfinite(v)) return FALSE;
  hold(id);
  writeNumber(*def, *s, t, v);
  changed(id);
  return TRUE;
}

BOOL IParamBlock2::SetValue(ParamID id, TimeValue t, int v, int tabIndex) {
  const ParamDef* def;
  Slot* s = slot(id, tabIndex, &def);
  if (!s || !isNumeric(def->type)) return FALSE;
  hold(id);
  writeNumber(*def, *s, t, v);
  changed(id);
  return TRUE;
}

BOOL IParamBlock2::SetValue(ParamID id, TimeValue t, const Point3& v, int tabIndex) {
  const ParamDef* def;
  Slot* s = slot(id, tabIndex, &def);
  if (!s || !isVector(def->type)) return FALSE;
  hold(id);
  writeVector(*def, *s, t, v);
  changed(id);
  return TRUE;
}

// Materials and maps live while something refers to them, so dropping the
// last reference deletes them; nodes belong to the scene and never do.
void IParamBlock2::setRef(Slot& s, ReferenceTarget* target) {
  if (s.ref == target) return;
  ReferenceTarget* old = s.ref;
  s.ref = target;
  if (target) target->AddDependent(this);
  if (old) {
    old->RemoveDependent(this);
    if (old->DependentCount() == 0 && dynamic_cast<MtlBase*>(old)) old->DeleteThis();
  }
}

bool IParamBlock2::writeRef(ParamID id, int tabIndex, ReferenceTarget* target, int wantedType) {
  const ParamDef* def;
  Slot* s = slot(id, tabIndex, &def);
  if (!s || BaseType(def->type) != wantedType) return false;
  hold(id);
  s = slot(id, tabIndex, &def);
  setRef(*s, target);
  changed(id);
  return true;
}

BOOL IParamBlock2::SetValue(ParamID id, TimeValue, INode* v, int tabIndex) { return writeRef(id, tabIndex, v, TYPE_INODE); }
BOOL IParamBlock2::SetValue(ParamID id, TimeValue, Mtl* v, int tabIndex) { return writeRef(id, tabIndex, v, TYPE_MTL); }
BOOL IParamBlock2::SetValue(ParamID id, TimeValue, Texmap* v, int tabIndex) { return writeRef(id, tabIndex, v, TYPE_TEXMAP); }

BOOL IParamBlock2::SetValue(ParamID id, TimeValue, const MCHAR* v, int tabIndex) {
  const ParamDef* def;
  Slot* s = slot(id, tabIndex, &def);
  if (!s || !isText(def->type)) return FALSE;
  hold(id);
  s = slot(id, tabIndex, &def);
  s->text = v ? v : _M("");
  changed(id);
  return TRUE;
}

int IParamBlock2::Count(ParamID id) const {
  const int i = desc_->IDtoIndex(id);
  return i < 0 ? 0 : static_cast<int>(values_[i].slots.size());
}

BOOL IParamBlock2::SetCount(ParamID id, int n) {
  const int i = desc_->IDtoIndex(id);
  if (i < 0 || n < 0) return FALSE;
  const ParamDef& def = desc_->GetParamDefByIndex(i);
  if (!IsTabType(def.type)) return FALSE;
  hold(id);
  std::vector<Slot>& slots = values_[i].slots;
  for (std::size_t k = static_cast<std::size_t>(n); k < slots.size(); ++k) setRef(slots[k], nullptr);
  slots.resize(static_cast<std::size_t>(n), defaultSlot(def));
  changed(id);
  return TRUE;
}

int IParamBlock2::Append(ParamID id, int num, INode** nodes) {
  const int i = desc_->IDtoIndex(id);
  if (i < 0 || num < 0 || desc_->GetParamDefByIndex(i).type != TYPE_INODE_TAB) return -1;
  hold(id);
  std::vector<Slot>& slots = values_[i].slots;
  const int first = static_cast<int>(slots.size());
  for (int k = 0; k < num; ++k) {
    slots.emplace_back();
    setRef(slots.back(), nodes ? nodes[k] : nullptr);
  }
  changed(id);
  return first;
}

BOOL IParamBlock2::Delete(ParamID id, int start, int num) {
  const int i = desc_->IDtoIndex(id);
  if (i < 0 || !IsTabType(desc_->GetParamDefByIndex(i).type)) return FALSE;
  std::vector<Slot>& slots = values_[i].slots;
  if (start < 0 || num < 0 || start + num > static_cast<int>(slots.size())) return FALSE;
  hold(id);
  for (int k = start; k < start + num; ++k) setRef(slots[k], nullptr);
  slots.erase(slots.begin() + start, slots.begin() + start + num);
  changed(id);
  return TRUE;
}

int IParamBlock2::KeyCount(ParamID id) const {
  const ParamDef* def;
  const Slot* s = slot(id, 0, &def);
  return s ? static_cast<int>(s->keys.size()) : 0;
}

ReferenceTarget* IParamBlock2::Clone(RemapDir& remap) {
  auto* copy = new IParamBlock2(desc_, nullptr);
  for (std::size_t i = 0; i < values_.size(); ++i) {
    copy->values_[i].slots.clear();
    for (const Slot& s : values_[i].slots) {
      Slot c = s;
      c.ref = nullptr;
      copy->values_[i].slots.push_back(c);
      copy->setRef(copy->values_[i].slots.back(), s.ref);
    }
  }
  BaseClone(this, copy, remap);
  return copy;
}

RefResult IParamBlock2::NotifyRefChanged(const Interval& changeInt, RefTargetHandle, PartID& partID,
                                         RefMessage message, BOOL) {
  // A referenced node, material or map changed: the owner sees a change of its block.
  if (message == REFMSG_CHANGE) NotifyDependents(changeInt, partID, message);
  return REF_SUCCEED;
}

void IParamBlock2::TargetDeleted(RefTargetHandle target) {
  for (Value& v : values_)
    for (Slot& s : v.slots)
      if (s.ref == target) s.ref = nullptr;
  changed();
}

void IParamBlock2::changed(ParamID id) {
  lastNotifyParam_ = id;
  NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

// ---------------------------------------------------------------- undo

// One parameter's value before a change. The record keeps the block and
// every node, material or map of the value alive as a dependent, so an undo
// can put back a material that the change released.
class IParamBlock2::ValueRestore : public RestoreObj, public ReferenceMaker {
 public:
  ValueRestore(IParamBlock2* block, ParamID id) : block_(block), id_(id) {
    block_->AddDependent(this);
    before_ = capture();
  }
  ~ValueRestore() override {
    release(before_);
    release(after_);
    if (block_) {
      block_->RemoveDependent(this);
      if (block_->DependentCount() == 0) block_->DeleteThis();
    }
  }
  void Restore(int) override {
    if (!block_) return;
    release(after_);
    after_ = capture();
    apply(before_);
  }
  void Redo() override {
    if (block_) apply(after_);
  }
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override {
    return REF_SUCCEED;
  }
  void TargetDeleted(RefTargetHandle target) override {
    if (target == block_) block_ = nullptr;
    for (std::vector<Slot>* v : {&before_, &after_})
      for (Slot& s : *v)
        if (s.ref == target) s.ref = nullptr;
  }

 private:
  std::vector<Slot> capture() {
    const int i = block_->desc_->IDtoIndex(id_);
    std::vector<Slot> v = i < 0 ? std::vector<Slot>{} : block_->values_[i].slots;
    for (Slot& s : v)
      if (s.ref) s.ref->AddDependent(this);
    return v;
  }
  void release(std::vector<Slot>& v) {
    for (Slot& s : v) {
      if (!s.ref) continue;
      ReferenceTarget* r = s.ref;
      s.ref = nullptr;
      r->RemoveDependent(this);
      if (r->DependentCount() == 0 && dynamic_cast<MtlBase*>(r)) r->DeleteThis();
    }
    v.clear();
  }
  void apply(const std::vector<Slot>& v) {
    const int i = block_->desc_->IDtoIndex(id_);
    if (i < 0) return;
    std::vector<Slot>& slots = block_->values_[i].slots;
    for (Slot& s : slots) block_->setRef(s, nullptr);
    slots.clear();
    for (const Slot& s : v) {
      slots.push_back(s);
      slots.back().ref = nullptr;
      block_->setRef(slots.back(), s.ref);
    }
    block_->changed(id_);
  }

  IParamBlock2* block_;
  ParamID id_;
  std::vector<Slot> before_, after_;
};

void IParamBlock2::hold(ParamID id) {
  if (theHold.Holding()) theHold.Put(new ValueRestore(this, id));
}
