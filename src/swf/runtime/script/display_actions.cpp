// The actions that reach the display list: clip properties by index, duplicating and removing
// clips, dragging, and URL requests.
#include <cmath>

#include "swf/runtime/clip.h"
#include "swf/runtime/clip_properties.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/placement_plan.h"
#include "swf/runtime/script/clip_classes.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/vm.h"

namespace velmora::swf::script {

void Vm::openUrl(const std::string& url, const std::string& window) {
    constexpr std::string_view kCommand = "FSCommand:";
    if (url.size() >= kCommand.size() && std::equal(kCommand.begin(), kCommand.end(), url.begin(), [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        })) {
        const std::string command = url.substr(kCommand.size());
        if (command == "quit") {
            diagnostic("the movie asks to end (FSCommand:quit)");
            movie_.requestQuit();
        } else {
            diagnostic("script: fscommand \"" + command + "\" ignored");
        }
        return;
    }
    diagnostic("refused to open \"" + url + "\"" + (window.empty() ? "" : " in \"" + window + "\""));
}

Value Vm::clipPropertyByIndex(Clip* clip, int index) {
    if (!clip) return Value();
    return clipProperty(*this, *clip, index).value_or(Value());
}

void Vm::setClipPropertyByIndex(Clip* clip, int index, const Value& value) {
    if (!clip) return;
    // An object's valueOf may remove the very clip: converted first, the clip looked for after.
    const ClipHandle handle = clip->handle();
    const Value primitive = value.isObject() ? toPrimitive(value) : value;
    if (Clip* c = handle.get()) setClipProperty(*this, *c, index, primitive);
}

void Vm::cloneSprite(Clip* source, const std::string& name, double depth) {
    if (!source || source->isRoot() || !std::isfinite(depth) || depth < 0 || depth > kScriptDepthOffset + kMaxScriptDepth) {
        return;
    }
    if (Clip* copy = duplicateClip(*source, name, static_cast<int32_t>(depth))) {
        initialiseClip(*this, *copy, registeredClassOf(*this, *copy), Value());
    }
}

void Vm::removeSprite(Clip* clip) {
    if (clip) removeScriptClip(*clip);
}

void Vm::startDrag(Clip* clip, bool lockCenter, const double* box) {
    if (!clip || clip->isRoot()) return;
    std::optional<DragBox> bounds;
    if (box) bounds = DragBox{box[0], box[1], box[2], box[3]};
    movie_.startDrag(*clip, lockCenter, bounds);
}

void Vm::endDrag() { movie_.endDrag(); }

}  // namespace velmora::swf::script
