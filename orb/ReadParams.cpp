#include "orb/ReadParams.h"

#include "host/sdk/ParamBlock2.h"
#include "orb/OrbParams.h"

namespace orb {

namespace {

// Each field with the parameter it comes from, in record order.
template <class Visit>
void forEachField(Params& p, Visit visit) {
#define ORB_PARAM(id, name, kind, def, lo, hi, rollout, key, label) visit(p.name, param::name);
#define ORB_BLOCK_ONLY(id, name, kind, def, lo, hi, rollout, key, label)
#include "orb/OrbParamRows.inc"
#undef ORB_BLOCK_ONLY
#undef ORB_PARAM
}

struct FieldReader {
  IParamBlock2& block;
  TimeValue t;
  void operator()(float& field, ParamID id) const {
    Interval iv = FOREVER;
    block.GetValue(id, t, field, iv);
  }
  void operator()(std::int32_t& field, ParamID id) const {
    Interval iv = FOREVER;
    int v = field;
    if (block.GetValue(id, t, v, iv)) field = v;
  }
  void operator()(std::uint8_t& field, ParamID id) const {
    Interval iv = FOREVER;
    int v = field;
    if (block.GetValue(id, t, v, iv)) field = v != 0 ? 1 : 0;
  }
};

}  // namespace

Params readParams(IParamBlock2& block, TimeValue t) {
  Params p = defaultParams();
  forEachField(p, FieldReader{block, t});
  return p;
}

}  // namespace orb
