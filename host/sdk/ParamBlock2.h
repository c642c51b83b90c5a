#pragma once
// Parameter blocks: a descriptor built from a table of parameter definitions,
// and the per-object block that holds values (with linear keys for
// animatable parameters) and tells its owner about every change.
#include <optional>
#include <vector>

#include "host/sdk/ParamTypes.h"
#include "host/sdk/Point3.h"
#include "host/sdk/Reference.h"

class ClassDesc2;
class INode;
class ParamMap2UserDlgProc;
class Mtl;
class Texmap;

// A default value: a number (float, int, bool) or a vector (colour, point).
struct ParamDefault {
  enum class Kind { None, Number, Vector };
  Kind kind = Kind::None;
  double number = 0;
  Point3 vector;

  ParamDefault() = default;
  ParamDefault(double v) : kind(Kind::Number), number(v) {}
  ParamDefault(float v) : kind(Kind::Number), number(v) {}
  ParamDefault(int v) : kind(Kind::Number), number(v) {}
  ParamDefault(bool v) : kind(Kind::Number), number(v ? 1 : 0) {}
  ParamDefault(const Point3& v) : kind(Kind::Vector), vector(v) {}
  ParamDefault(const Color& c) : kind(Kind::Vector), vector(c) {}
};

struct ParamRange {
  double lo = 0, hi = 0;
};

struct ParamUI {
  MapID map = 0;
  ControlType2 control = TYPE_NO_UI;
  EditSpinnerType edit = EDITTYPE_NONE;
  std::vector<int> controls;  // control ids in the rollout's dialog
  int deleteButton = 0;       // node list boxes: the delete button's id
};

struct ParamDef {
  ParamID id = 0;
  const MCHAR* internalName = nullptr;
  int type = TYPE_FLOAT;  // a ParamType2, possibly with TYPE_TAB
  int flags = 0;
  int labelId = 0;  // string table id of the UI label
  ParamDefault def;
  std::optional<ParamRange> range;
  ParamUI ui;
  int tabSize = 0;  // initial size of a table parameter
};

struct RolloutDef {
  MapID map = 0;
  int dialogId = 0;
  int titleId = 0;  // string table id of the rollout title
};

class ParamBlockDesc2 {
 public:
  // Registers itself with its class descriptor.
  ParamBlockDesc2(BlockID id, const MCHAR* internalName, int localNameId, ClassDesc2* cd, int flags, int refNo,
                  std::vector<RolloutDef> rollouts, std::vector<ParamDef> params);
  ParamBlockDesc2(const ParamBlockDesc2&) = delete;
  ParamBlockDesc2& operator=(const ParamBlockDesc2&) = delete;

  BlockID ID = 0;
  MSTR int_name;
  int local_name = 0;
  ClassDesc2* cd = nullptr;
  int flags = 0;
  int ref_no = 0;

  int Count() const { return static_cast<int>(params_.size()); }
  // Index of a parameter id or internal name, -1 when absent.
  int IDtoIndex(ParamID id) const;
  int NameToIndex(const MCHAR* internalName) const;
  const ParamDef& GetParamDefByIndex(int index) const { return params_[index]; }
  const ParamDef* GetParamDef(ParamID id) const;
  const std::vector<RolloutDef>& Rollouts() const { return rollouts_; }
  const RolloutDef* FindRollout(MapID map) const;
  // Problems in the table (duplicate ids or names, defaults outside the
  // range, table parameters without the variable-size flag); empty when sound.
  std::vector<MSTR> Validate() const;

  // The user dialog procedure of a rollout (null for none); rollouts opened
  // later hand it their control messages.
  void SetUserDlgProc(MapID map, ParamMap2UserDlgProc* proc);
  ParamMap2UserDlgProc* GetUserDlgProc(MapID map) const;

  // Refreshes the open rollouts: all of them, or the one showing a
  // parameter (all for -1).
  void InvalidateUI() { ++uiInvalidations_; }
  void InvalidateUI(ParamID id);
  int UIInvalidations() const { return uiInvalidations_; }
  // The parameter named by the last InvalidateUI(id), -1 before any.
  ParamID LastInvalidatedParam() const { return lastInvalidatedParam_; }

 private:
  std::vector<RolloutDef> rollouts_;
  std::vector<ParamDef> params_;
  std::vector<ParamMap2UserDlgProc*> userProcs_;  // by rollout index
  int uiInvalidations_ = 0;
  ParamID lastInvalidatedParam_ = -1;
};

class IParamBlock2 : public ReferenceTarget {
 public:
  explicit IParamBlock2(ParamBlockDesc2* desc, ReferenceMaker* owner);
  ~IParamBlock2() override;

  ParamBlockDesc2* GetDesc() const { return desc_; }
  BlockID ID() const { return desc_->ID; }
  ReferenceMaker* GetOwner() const { return owner_; }
  void SetOwner(ReferenceMaker* owner) { owner_ = owner; }
  SClass_ID SuperClassID() override { return PARAMETER_BLOCK2_CLASS_ID; }

  // Typed reads at a time; validity is narrowed to where the value holds.
  // False when the id is unknown, the type does not convert or the table
  // index is out of range.
  BOOL GetValue(ParamID id, TimeValue t, float& v, Interval& valid, int tabIndex = 0);
  BOOL GetValue(ParamID id, TimeValue t, int& v, Interval& valid, int tabIndex = 0);
  BOOL GetValue(ParamID id, TimeValue t, Point3& v, Interval& valid, int tabIndex = 0);
  BOOL GetValue(ParamID id, TimeValue t, Color& v, Interval& valid, int tabIndex = 0);
  BOOL GetValue(ParamID id, TimeValue t, INode*& v, Interval& valid, int tabIndex = 0);
  BOOL GetValue(ParamID id, TimeValue t, Mtl*& v, Interval& valid, int tabIndex = 0);
  BOOL GetValue(ParamID id, TimeValue t, Texmap*& v, Interval& valid, int tabIndex = 0);
  BOOL GetValue(ParamID id, TimeValue t, const MCHAR*& v, Interval& valid, int tabIndex = 0);

  float GetFloat(ParamID id, TimeValue t = 0, int tabIndex = 0);
  int GetInt(ParamID id, TimeValue t = 0, int tabIndex = 0);
  Point3 GetPoint3(ParamID id, TimeValue t = 0, int tabIndex = 0);
  Color GetColor(ParamID id, TimeValue t = 0, int tabIndex = 0);
  INode* GetINode(ParamID id, TimeValue t = 0, int tabIndex = 0);
  Mtl* GetMtl(ParamID id, TimeValue t = 0, int tabIndex = 0);
  Texmap* GetTexmap(ParamID id, TimeValue t = 0, int tabIndex = 0);
  const MCHAR* GetStr(ParamID id, TimeValue t = 0, int tabIndex = 0);

  // Typed writes, clamped to the declared range. While animating, an
  // animatable parameter gets a key at t; a keyed parameter set outside
  // animate mode moves its key at t, or shifts all keys by the change.
  // Every successful write sends REFMSG_CHANGE to the dependents.
  BOOL SetValue(ParamID id, TimeValue t, float v, int tabIndex = 0);
  BOOL SetValue(ParamID id, TimeValue t, double v, int tabIndex = 0) { return SetValue(id, t, static_cast<float>(v), tabIndex); }
  BOOL SetValue(ParamID id, TimeValue t, int v, int tabIndex = 0);
  BOOL SetValue(ParamID id, TimeValue t, bool v, int tabIndex = 0) { return SetValue(id, t, v ? 1 : 0, tabIndex); }
  BOOL SetValue(ParamID id, TimeValue t, const Point3& v, int tabIndex = 0);
  BOOL SetValue(ParamID id, TimeValue t, const Color& v, int tabIndex = 0) { return SetValue(id, t, Point3(v), tabIndex); }
  BOOL SetValue(ParamID id, TimeValue t, INode* v, int tabIndex = 0);
  BOOL SetValue(ParamID id, TimeValue t, Mtl* v, int tabIndex = 0);
  BOOL SetValue(ParamID id, TimeValue t, Texmap* v, int tabIndex = 0);
  BOOL SetValue(ParamID id, TimeValue t, const MCHAR* v, int tabIndex = 0);

  // Table parameters.
  int Count(ParamID id) const;
  BOOL SetCount(ParamID id, int n);
  int Append(ParamID id, int num, INode** nodes);
  BOOL Delete(ParamID id, int start, int num);

  // The parameter whose change was announced last (-1: the whole block).
  ParamID LastNotifyParamID() const { return lastNotifyParam_; }

  int KeyCount(ParamID id) const;
  bool IsAnimated(ParamID id) const { return KeyCount(id) > 0; }
  // Every parameter back to its default, keys removed.
  void ResetAll();
  void Reset(ParamID id);

  ReferenceTarget* Clone(RemapDir& remap) override;
  RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID, RefMessage message,
                             BOOL propagate) override;
  void TargetDeleted(RefTargetHandle target) override;

 private:
  struct Key {
    TimeValue t;
    double number;
    Point3 vector;
  };
  struct Slot {
    double number = 0;
    Point3 vector;
    ReferenceTarget* ref = nullptr;
    MSTR text;
    std::vector<Key> keys;  // sorted by time
  };
  struct Value {
    std::vector<Slot> slots;  // one for a plain parameter, the table otherwise
  };
  class ValueRestore;
  friend class ValueRestore;

  Slot* slot(ParamID id, int tabIndex, const ParamDef** def);
  const Slot* slot(ParamID id, int tabIndex, const ParamDef** def) const;
  void resetValue(int index);
  Slot defaultSlot(const ParamDef& def) const;
  double clampNumber(const ParamDef& def, double v) const;
  double numberAt(const Slot& s, TimeValue t, Interval& valid) const;
  Point3 vectorAt(const Slot& s, TimeValue t, Interval& valid) const;
  bool writeNumber(const ParamDef& def, Slot& s, TimeValue t, double v);
  bool writeVector(const ParamDef& def, Slot& s, TimeValue t, const Point3& v);
  bool writeRef(ParamID id, int tabIndex, ReferenceTarget* target, int wantedType);
  void setRef(Slot& s, ReferenceTarget* target);
  // Records the parameter's value for undo while the hold is on.
  void hold(ParamID id);
  void changed(ParamID id = -1);

  ParamBlockDesc2* desc_;
  ReferenceMaker* owner_;
  ParamID lastNotifyParam_ = -1;
  std::vector<Value> values_;  // by parameter index
};

// Animate mode: while on, writes to animatable parameters set keys.
bool Animating();
void AnimateOn();
void AnimateOff();
