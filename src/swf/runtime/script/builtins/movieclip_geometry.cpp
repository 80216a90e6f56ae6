// The MovieClip methods about where a clip is and what it covers, and the few that answer about
// the file it came from.
#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/movieclip_parts.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/native.h"

namespace velmora::swf::script {

namespace {

Clip* clipOf(CallContext& cx, const Value& self) {
    Object* o = self.objectOrNull();
    if (!o || o->kind() != ObjectKind::Clip) return nullptr;
    return static_cast<ClipObject*>(o)->clip(cx.vm);
}

Value getSWFVersion(CallContext& cx, const Value& self, std::span<const Value>) {
    if (!clipOf(cx, self)) return Value();
    return Value::number(cx.vm.movie().movie().version);
}

// A lesson player has no microphone or camera to attach: nothing happens, and nothing is wrong.
Value attachAudio(CallContext&, const Value&, std::span<const Value>) { return Value(); }

}  // namespace

void installMovieClipGeometry(Vm& vm) {
    defineMethods(vm, vm.realm().movieClipPrototype,
                  {{"getSWFVersion", getSWFVersion}, {"attachAudio", attachAudio, 1}});
}

}  // namespace velmora::swf::script
