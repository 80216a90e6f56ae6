#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora::swf {

// Bounds that keep a hostile movie harmless while it runs. Every SWF is untrusted: a sprite may
// place itself, a frame script may jump back to its own frame for ever, a string may double on
// every step. Reaching a bound never crashes or hangs: the runtime refuses the one step, notes it
// in the movie's messages and carries on.
struct RuntimeLimits {
    // Display objects alive in the whole movie, every clip's display list together.
    size_t maxDisplayObjects = 100'000;
    // Clips inside clips. A sprite that places itself stops growing here.
    int maxClipNesting = 64;
    // Action steps of one run of the queued scripts (one frame tick, or one operation of the
    // component). A script that loops is stopped with an error when the budget is spent.
    uint64_t maxActionSteps = 200'000;
    // Script blocks waiting to run in one tick; frame scripts that keep jumping between frames
    // add one each time.
    size_t maxQueuedScripts = 10'000;
    // Nested Call actions (a frame script calling another frame's script).
    int maxCallDepth = 64;
    // Values on one script's stack.
    size_t maxStackSize = 65'536;
    // Length of any text a script builds.
    size_t maxStringBytes = 1u << 20;
    // Variables a single clip may hold.
    size_t maxVariablesPerClip = 65'536;
    // Frames a clock step may run to catch up after a stall; the rest of the backlog is dropped.
    int maxCatchUpFrames = 5;
    // Messages (script errors, trace output, refused requests) kept for the probe and the log.
    size_t maxMessages = 1'000;
};

}  // namespace velmora::swf
