#include "swf/runtime/script/builtins/library.h"

namespace velmora::swf::script {

// The library's classes are installed here as they are built.
void installLibrary(Vm&) {}

}  // namespace velmora::swf::script
