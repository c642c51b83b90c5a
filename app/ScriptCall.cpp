#include "app/ScriptCall.h"

#include <charconv>
#include <cstdio>

#include "host/loader/ClassDirectory.h"
#include "host/sdk/FunctionPublishing.h"
#include "host/sdk/Interface.h"

namespace app {

namespace {

bool parseInt(const std::string& text, int& v) {
  auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

bool parseFloat(const std::string& text, float& v) {
  auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

bool convertArgument(Interface& core, const FPArgDef& def, const std::string& text, FPValue& out, std::string& error) {
  const std::string name = host::narrow(def.name);
  switch (def.type) {
    case TYPE_INODE: {
      if (text == "undefined") {  // a script's null node
        out = FPValue::Node(nullptr);
        return true;
      }
      INode* node = core.GetINodeByName(host::widen(text).c_str());
      if (!node) {
        error = "argument " + name + ": no node named \"" + text + "\"";
        return false;
      }
      out = FPValue::Node(node);
      return true;
    }
    case TYPE_INT: {
      int v;
      if (!parseInt(text, v)) {
        error = "argument " + name + ": expected an integer, got \"" + text + "\"";
        return false;
      }
      out = FPValue::Int(v);
      return true;
    }
    case TYPE_FLOAT: {
      float v;
      if (!parseFloat(text, v)) {
        error = "argument " + name + ": expected a number, got \"" + text + "\"";
        return false;
      }
      out = FPValue::Float(v);
      return true;
    }
    case TYPE_BOOL:
      if (text == "true" || text == "1") { out = FPValue::Bool(true); return true; }
      if (text == "false" || text == "0") { out = FPValue::Bool(false); return true; }
      error = "argument " + name + ": expected true or false, got \"" + text + "\"";
      return false;
    default:
      out = FPValue::String(host::widen(text));
      return true;
  }
}

}  // namespace

bool findScriptFunction(INode& node, const std::string& name, ScriptFunction& fn, std::string& error) {
  const std::string nodeName = host::narrow(node.GetName());
  Object* obj = node.GetObjectRef();
  auto* cd = obj ? dynamic_cast<ClassDesc2*>(host::classDirectory().findByClassID(obj->ClassID())) : nullptr;
  if (!cd) {
    error = "node \"" + nodeName + "\" has no published functions";
    return false;
  }
  // The interfaces registered with the object's class descriptor.
  for (int i = 0; i < cd->NumInterfaces(); ++i) {
    FPInterfaceDesc* desc = cd->GetInterfaceAt(i);
    auto* iface = dynamic_cast<FPInterface*>(obj->GetInterface(desc->ID));
    if (!iface) continue;
    if (const FPFunctionDef* f = desc->FindFunction(host::widen(name).c_str())) {
      fn = {iface, f};
      return true;
    }
  }
  error = "node \"" + nodeName + "\" has no published function \"" + name + "\"";
  return false;
}

bool convertScriptArguments(Interface& core, const ScriptFunction& fn, const std::vector<std::string>& args,
                            FPParams& params, std::string& error) {
  if (args.size() > fn.def->args.size()) {
    error = host::narrow(fn.def->internal_name) + " takes " + std::to_string(fn.def->args.size()) + " arguments, got " +
            std::to_string(args.size());
    return false;
  }
  for (std::size_t i = 0; i < args.size(); ++i) {
    FPValue v;
    if (!convertArgument(core, fn.def->args[i], args[i], v, error)) return false;
    params.params.append(v);
  }
  return true;
}

bool callScriptFunction(Interface& core, const ScriptFunction& fn, const std::vector<std::string>& args,
                        FPValue& result, std::string& error) {
  FPParams params;
  if (!convertScriptArguments(core, fn, args, params, error)) return false;
  MSTR message;
  if (fn.owner->Invoke(fn.def->id, core.GetTime(), result, &params, &message) != FPS_OK) {
    error = message.empty() ? host::narrow(fn.def->internal_name) + " failed" : host::narrow(message);
    return false;
  }
  return true;
}

std::string formatResult(const FPValue& v) {
  switch (v.type) {
    case TYPE_BOOL: return v.i ? "true" : "false";
    case TYPE_INT: return std::to_string(v.i);
    case TYPE_FLOAT: {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%.9g", v.f);
      return buf;
    }
    case TYPE_STRING:
    case TYPE_TSTR_BV: return host::narrow(v.s);
    case TYPE_INODE: return v.n ? host::narrow(v.n->GetName()) : "undefined";
    default: return "";
  }
}

}  // namespace app
