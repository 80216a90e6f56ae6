#pragma once

#include <cstdint>

#include "swf/format/action_bytes.h"

namespace velmora::swf {

class Clip;

// What a run of scripts may still spend. Shared by every block run in one go, so that scripts
// which keep queueing each other cannot run without end either.
struct ScriptBudget {
    uint64_t stepsLeft = 0;
    int callDepth = 0;
};

enum class ScriptOutcome {
    Finished,    // reached the end of the block or an End action
    Failed,      // malformed byte code or a bound reached; the movie's messages say which
    OutOfSteps,  // the budget ran out in this block
};

// Runs one block of ActionScript 1/2 byte code with `clip` as the timeline it belongs to (and its
// first target). Every action counts one step against budget.
//
// Supported: the SWF 3 actions (NextFrame, PreviousFrame, Play, Stop, ToggleQuality, StopSounds,
// GotoFrame, GetURL, WaitForFrame, SetTarget, GoToLabel) and the stack machine of SWF 4 and 5 as
// far as primitive values go: Push, Pop, arithmetic, comparisons, logic, text, Jump, If,
// GetVariable, SetVariable, GetProperty, SetProperty, GotoFrame2, SetTarget2, Call, Trace,
// ConstantPool, registers; movie clips as values with their members (GetMember, SetMember) and
// the timeline methods (play, stop, gotoAndPlay, gotoAndStop, nextFrame, prevFrame) through
// CallMethod; functions (DefineFunction, DefineFunction2, CallFunction, CallMethod, Return) with
// local variables, parameters and registers, and a clip's onEnterFrame. Unknown actions are
// skipped by their length; their effect on the stack is not modelled. GetURL and GetURL2 open
// nothing: the request is refused and noted.
//
// Frame moves a script makes queue the destination frame's scripts on the movie; they run after
// this block. Nothing here throws: a malformed block stops with a message on the movie.
ScriptOutcome runActions(const ActionBytes& code, Clip& clip, ScriptBudget& budget);

}  // namespace velmora::swf
