#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/avm1_assembler.h"
#include "swf/runtime/movie_instance.h"

namespace velmora::test {

// Short hands for scripts that work with objects reached through dotted paths
// ("flash.geom.Point", "p.x"): the first part is a variable, the rest members.

// Pushes the value at path.
Avm1Assembler& pushPath(Avm1Assembler& a, const std::string& path);
// Pushes path(args...) called as a method of what precedes its last part.
Avm1Assembler& callPath(Avm1Assembler& a, const std::string& path, const std::vector<PushItem>& args);
// The same with the values of variables as arguments.
Avm1Assembler& callWithVars(Avm1Assembler& a, const std::string& path, const std::vector<std::string>& variables);
// variable = new classPath(args...)
Avm1Assembler& setNew(Avm1Assembler& a, const std::string& variable, const std::string& classPath,
                      const std::vector<PushItem>& args);
// path = value, for a path with at least one member.
Avm1Assembler& setPath(Avm1Assembler& a, const std::string& path, const PushItem& value);
// trace(path)
Avm1Assembler& tracePath(Avm1Assembler& a, const std::string& path);
// trace(path(args...))
Avm1Assembler& traceCall(Avm1Assembler& a, const std::string& path, const std::vector<PushItem>& args);

// A 200 x 100 pixel stage with sprite "box" (a red 40-pixel square from its origin) placed at
// (10, 10) pixels at depth 1, running script as the root's first frame (after the placement).
std::unique_ptr<swf::MovieInstance> playWithBox(const Avm1Assembler& script);
// The trace lines among the movie's messages.
std::vector<std::string> traceLines(const swf::MovieInstance& movie);

}  // namespace velmora::test
