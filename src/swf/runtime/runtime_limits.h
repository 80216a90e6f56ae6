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
    // Seconds one script (a frame script, a handler, a timer's call) may run before it is stopped:
    // 0 takes the movie's own time-out (its ScriptLimits tag, 15 s when absent).
    double scriptTimeoutSeconds = 0;
    // Actions one script may run before it is stopped, on top of the time-out; 0 counts none.
    // Tests set it to stop runaway scripts quickly; honest movies need no count.
    uint64_t maxActionSteps = 0;
    // Scripts one drain of the queue may run (frame scripts that keep queueing each other); the
    // rest of that frame's scripts are dropped.
    size_t maxScriptsPerDrain = 100'000;
    // Script blocks waiting to run in one tick; frame scripts that keep jumping between frames
    // add one each time.
    size_t maxQueuedScripts = 10'000;
    // Nested calls (functions, and Call actions running another frame's script); the movie's
    // ScriptLimits tag may lower it.
    int maxCallDepth = 256;
    // Values on one script's stack.
    size_t maxStackSize = 65'536;
    // Length of any text a script builds, and elements of one array.
    size_t maxStringBytes = size_t{16} << 20;
    size_t maxArrayLength = size_t{1} << 24;
    // Bytes of every string and object of the movie's scripts together.
    size_t maxScriptHeapBytes = size_t{256} << 20;
    // Frames a clock step may run to catch up after a stall; the rest of the backlog is dropped.
    int maxCatchUpFrames = 5;
    // Drawing-API commands (moves, lines, curves, style changes) one clip keeps until its
    // drawing is cleared; later ones are refused.
    size_t maxDrawingCommands = 250'000;
    // The same for all clips of the movie together.
    size_t maxDrawingCommandsPerMovie = 2'000'000;
    // Messages (script errors, trace output, refused requests) kept for the probe and the log.
    size_t maxMessages = 1'000;
};

}  // namespace velmora::swf
