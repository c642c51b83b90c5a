#include "host/sdk/Node.h"

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <sstream>

#include "host/sdk/Material.h"
#include "util/Math.h"

namespace {
using util::kDegToRad;

MSTR trim(const MSTR& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && std::iswspace(s[b])) ++b;
  while (e > b && std::iswspace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool sameKey(const MSTR& a, const MSTR& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}

// Splits the property buffer into (key, value) lines.
std::vector<std::pair<MSTR, MSTR>> parseProps(const MSTR& buffer) {
  std::vector<std::pair<MSTR, MSTR>> out;
  std::wistringstream in(buffer);
  MSTR line;
  while (std::getline(in, line)) {
    const std::size_t eq = line.find(L'=');
    if (eq == MSTR::npos) continue;
    out.emplace_back(trim(line.substr(0, eq)), trim(line.substr(eq + 1)));
  }
  return out;
}
}  // namespace

INode* OwnNode(const Object* obj) {
  if (!obj) return nullptr;
  for (ReferenceMaker* d : obj->Dependents()) {
    auto* node = dynamic_cast<INode*>(d);
    if (node && node->GetObjectRef() == obj) return node;
  }
  return nullptr;
}

Matrix3 AimMatrix(const Point3& direction) {
  const Point3 z = (-direction).Normalize();
  if (z.LengthSquared() == 0) return Matrix3();
  Point3 up(0.f, 0.f, 1.f);
  if (std::fabs(DotProd(up, z)) > 0.9999f) up = Point3(0.f, 1.f, 0.f);
  const Point3 y = (up - z * DotProd(up, z)).Normalize();
  const Point3 x = y % z;
  return Matrix3(x, y, z, Point3());
}

INode::INode(MSTR name) : name_(std::move(name)) {}

INode::~INode() {
  Detach();
  for (INode* c : children_) c->parent_ = nullptr;
  children_.clear();
  DeleteAllRefsFromMe();
}

RefTargetHandle INode::GetReference(int i) {
  if (i == 0) return object_;
  if (i == 1) return mtl_;
  return nullptr;
}

void INode::SetReference(int i, RefTargetHandle target) {
  if (i == 0) object_ = dynamic_cast<Object*>(target);
  if (i == 1) mtl_ = dynamic_cast<Mtl*>(target);
}

void INode::SetMtl(Mtl* m) { ReplaceReference(1, m, FALSE); }

RefResult INode::NotifyRefChanged(const Interval& changeInt, RefTargetHandle, PartID& partID, RefMessage message,
                                  BOOL) {
  if (message == REFMSG_CHANGE) NotifyDependents(changeInt, partID, message);
  return REF_SUCCEED;
}

Matrix3 INode::localTM(TimeValue t, Interval* valid) {
  if (transform_.matrix) return *transform_.matrix;
  const Point3 r = transform_.rotation.Value(t, valid) * kDegToRad;
  return ScaleMatrix(transform_.scale.Value(t, valid)) * EulerXYZMatrix(r) *
         TransMatrix(transform_.position.Value(t, valid));
}

Matrix3 INode::worldTM(TimeValue t, Interval* valid, int depth) {
  Matrix3 tm = localTM(t, valid);
  if (parent_ && !parent_->isRoot_ && depth < 1000) tm = tm * parent_->worldTM(t, valid, depth + 1);
  const bool aimed = transform_.targetNode || transform_.targetPoint;
  if (!aimed) return tm;
  const Point3 eye = tm.GetTrans();
  const Point3 target = transform_.targetNode && transform_.targetNode != this
                            ? transform_.targetNode->worldTM(t, valid, depth + 1).GetTrans()
                            : transform_.targetPoint ? transform_.targetPoint->Value(t, valid) : eye;
  // Keep the node's scale, replace its orientation by the aim.
  const Point3 s(tm.GetRow(0).Length(), tm.GetRow(1).Length(), tm.GetRow(2).Length());
  Matrix3 aimed_tm = ScaleMatrix(s) * AimMatrix(target - eye);
  aimed_tm.SetTrans(eye);
  return aimed_tm;
}

Matrix3 INode::GetNodeTM(TimeValue t, Interval* valid) { return worldTM(t, valid, 0); }

void INode::SetNodeTM(TimeValue, const Matrix3& tm) {
  Matrix3 local = tm;
  if (parent_ && !parent_->isRoot_) local = tm * Inverse(parent_->GetNodeTM(0));
  transform_.matrix = local;
  NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

bool INode::AttachChild(INode* child) {
  if (!child || child == this) return false;
  for (INode* p = this; p; p = p->parent_)
    if (p == child) return false;
  child->Detach();
  child->parent_ = this;
  children_.push_back(child);
  return true;
}

void INode::Detach() {
  if (!parent_) return;
  auto& siblings = parent_->children_;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  parent_ = nullptr;
}

ObjectState INode::EvalWorldState(TimeValue t, BOOL) {
  if (!object_) return ObjectState();
  return object_->Eval(t);
}

BOOL INode::GetUserPropString(const MSTR& key, MSTR& value) const {
  for (const auto& [k, v] : parseProps(userProps_)) {
    if (sameKey(k, key)) {
      value = v;
      return TRUE;
    }
  }
  return FALSE;
}

BOOL INode::UserPropExists(const MSTR& key) const {
  MSTR v;
  return GetUserPropString(key, v);
}

BOOL INode::GetUserPropFloat(const MSTR& key, float& value) const {
  MSTR text;
  if (!GetUserPropString(key, text) || text.empty()) return FALSE;
  wchar_t* end = nullptr;
  const float v = std::wcstof(text.c_str(), &end);
  if (end == text.c_str() || !std::isfinite(v)) return FALSE;
  value = v;
  return TRUE;
}

BOOL INode::GetUserPropInt(const MSTR& key, int& value) const {
  float f;
  if (!GetUserPropFloat(key, f)) return FALSE;
  value = static_cast<int>(f);
  return TRUE;
}

BOOL INode::GetUserPropBool(const MSTR& key, BOOL& value) const {
  MSTR text;
  if (!GetUserPropString(key, text)) return FALSE;
  if (sameKey(text, _M("true")) || sameKey(text, _M("on")) || sameKey(text, _M("yes"))) { value = TRUE; return TRUE; }
  if (sameKey(text, _M("false")) || sameKey(text, _M("off")) || sameKey(text, _M("no"))) { value = FALSE; return TRUE; }
  float f;
  if (!GetUserPropFloat(key, f)) return FALSE;
  value = f != 0 ? TRUE : FALSE;
  return TRUE;
}

void INode::SetUserPropString(const MSTR& key, const MSTR& value) {
  auto props = parseProps(userProps_);
  bool found = false;
  for (auto& [k, v] : props)
    if (sameKey(k, key)) { v = value; found = true; }
  if (!found) props.emplace_back(key, value);
  userProps_.clear();
  for (const auto& [k, v] : props) userProps_ += k + _M(" = ") + v + _M("\r\n");
}

void INode::SetUserPropFloat(const MSTR& key, float value) {
  std::wostringstream out;
  out.precision(9);
  out << value;
  SetUserPropString(key, out.str());
}

void INode::SetUserPropInt(const MSTR& key, int value) { SetUserPropString(key, std::to_wstring(value)); }
void INode::SetUserPropBool(const MSTR& key, BOOL value) { SetUserPropString(key, value ? _M("true") : _M("false")); }
