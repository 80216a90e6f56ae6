#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "swf/format/action_bytes.h"
#include "swf/runtime/action_interpreter.h"
#include "swf/runtime/clip_handle.h"

namespace velmora::swf {

class Clip;

// A function a script defined (DefineFunction, DefineFunction2): its body is a stretch of the
// block that defined it, which it keeps alive.
struct ScriptFunction {
    std::string name;
    ActionBytes code;
    size_t begin = 0;  // the body within *code
    size_t end = 0;
    std::vector<std::string> params;
    // DefineFunction2 only: the register each parameter goes to (0: a local variable instead), how
    // many registers the body uses, and its preload flags.
    bool v2 = false;
    std::vector<uint8_t> paramRegisters;
    uint8_t registerCount = 0;
    uint16_t flags = 0;
    // The clip whose timeline defined it: `this` when it is called without an object.
    ClipHandle home;
};

// Calls f with `self` as `this` (and as the target of its timeline actions), as the clip events
// do (onEnterFrame). The result is dropped. Counts against budget like any script.
ScriptOutcome runFunction(const ScriptFunction& f, Clip& self, ScriptBudget& budget);

}  // namespace velmora::swf
