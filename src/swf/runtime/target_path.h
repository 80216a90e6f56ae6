#pragma once

#include <string>
#include <string_view>

namespace velmora::swf {

class Clip;

// Finds the clip a target path names, as scripts and the component's T-operations spell them:
//   ""  "this"  "."                the clip itself
//   "/"  "_root"                   the root of from's level
//   "_levelN"                      the root of level N
//   "mp3_mc"  "a/b"  "a.b"         children by instance name, relative to `from`
//   "/a/b"  "_root.a.b"  "_level0.a.b"  from the root
//   ".."  "_parent"  "../a"  "_parent.a"  up to the parent
// Slash and dot segments mix freely; empty segments (a doubled or trailing "/") are ignored.
// Instance names match exactly; movies before SWF 7 also match regardless of ASCII case, as their
// players did (the version of the movie `from` belongs to, which may be a loaded one). Several children of one name: the lowest depth wins. Only sprite instances are
// targets. Returns nullptr when nothing matches (including "_parent" of a root and empty levels).
Clip* resolveTarget(Clip& from, std::string_view path);

// The root of the level clip lies on (the clip itself for a root): what "_root" and a leading
// "/" name from clip.
Clip& levelRoot(Clip& clip);
// N of "_levelN" (case aside; N at most MovieInstance::kMaxLevel), or -1 for any other word.
int levelNumber(std::string_view word);

// The clip's path in slash form, as the _target property gives it: "/" for level 0's root, "/a/b"
// below; "_level1", "_level1/a/b" on upper levels.
std::string slashPath(const Clip& clip);
// The clip's path in dot form, as scripts print a clip: "_level0", "_level0.a.b".
std::string dotPath(const Clip& clip);

}  // namespace velmora::swf
