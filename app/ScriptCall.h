#pragma once
// Calls a published function of a scene node's object the way a script
// does: arguments given as text are converted to the declared types.
#include <string>
#include <vector>

class INode;
class Interface;
class FPInterface;
struct FPFunctionDef;
struct FPValue;
struct FPParams;

namespace app {

struct ScriptFunction {
  FPInterface* owner = nullptr;
  const FPFunctionDef* def = nullptr;
};

// The function of that name on any interface of the node's object; false
// with a one-line error when there is none.
bool findScriptFunction(INode& node, const std::string& name, ScriptFunction& fn, std::string& error);

// Converts the given arguments (node arguments are node names) to the
// declared types; false with a one-line error naming the argument.
bool convertScriptArguments(Interface& core, const ScriptFunction& fn, const std::vector<std::string>& args,
                            FPParams& params, std::string& error);

// Converts the given arguments as above and invokes.
// Too few arguments fail with the host's out-of-range message.
bool callScriptFunction(Interface& core, const ScriptFunction& fn, const std::vector<std::string>& args,
                        FPValue& result, std::string& error);

// A result as the runner prints it: strings as they are, booleans as
// true/false, numbers in full precision.
std::string formatResult(const FPValue& v);

}  // namespace app
