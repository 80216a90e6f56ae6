// The actions that reach the display list: clip properties by index, duplicating and removing
// clips, dragging, and URL requests.
#include <algorithm>
#include <cctype>
#include <cmath>

#include "swf/runtime/clip.h"
#include "swf/runtime/clip_properties.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/placement_plan.h"
#include "swf/runtime/script/clip_classes.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/file_loads.h"
#include "swf/runtime/script/movie_loads.h"
#include "swf/runtime/target_path.h"
#include "swf/runtime/script/vm.h"

namespace velmora::swf::script {

namespace {

// GetURL2's flags: send the variables (GET 1, POST 2), the window is a clip, load variables.
constexpr uint8_t kSendMethodMask = 0x03;
constexpr uint8_t kTargetIsClip = 0x40;
constexpr uint8_t kLoadVariables = 0x80;

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

// N of "_levelN", or -1.
int levelOf(std::string_view window) {
    if (!startsWithIgnoringCase(window, "_level") || window.size() == 6 || window.size() > 11) return -1;
    int n = 0;
    for (char c : window.substr(6)) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

}  // namespace

void Vm::openUrl(const std::string& url, const std::string& window, uint8_t flags, Clip* base) {
    constexpr std::string_view kCommand = "FSCommand:";
    if (startsWithIgnoringCase(url, kCommand)) {
        const std::string command = url.substr(kCommand.size());
        if (command == "quit") {
            diagnostic("the movie asks to end (FSCommand:quit)");
            movie_.requestQuit();
        } else {
            diagnostic("script: fscommand " + command + " " + window);
        }
        return;
    }
    if (flags & kLoadVariables) {
        Clip* target = nullptr;
        if (flags & kTargetIsClip) {
            target = base ? resolveTarget(*base, window) : nullptr;
        } else if (levelOf(window) == 0) {
            target = &movie_.root();
        }
        if (!target) {
            diagnostic("script: loadVariables of \"" + url + "\" addresses no clip \"" + window + "\"");
            return;
        }
        if (flags & kSendMethodMask) diagnostic("script: loadVariables sends nothing: \"" + url + "\" is only read");
        movie_.fileLoads().request(FileLoads::Kind::Variables, Value::object(clipObject(*target)), url);
        return;
    }
    if ((flags & kTargetIsClip) || levelOf(window) >= 0) {
        // A movie into a clip or onto a level; an empty address unloads what is there.
        MovieLoads::Target target;
        const int level = levelNumber(window);
        Clip* clip = (flags & kTargetIsClip) && base ? resolveTarget(*base, window) : nullptr;
        if (clip) {
            target.clip = clip->handle();
        } else if (level >= 0) {
            target.level = level;
        } else {
            diagnostic("script: loadMovie of \"" + url.substr(0, 200) + "\" addresses no clip \"" + window.substr(0, 200) + "\"");
            return;
        }
        if (flags & kSendMethodMask) diagnostic("script: loadMovie sends nothing: \"" + url.substr(0, 200) + "\" is only read");
        movie_.movieLoads().load(std::move(target), url);
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
