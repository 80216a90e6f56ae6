#include "swf/runtime/key_input.h"

#include <vector>

#include "swf/format/button.h"
#include "swf/runtime/movie_instance.h"

namespace velmora::swf {

namespace {

struct KeyHandler {
    ClipHandle clip;
    ActionBytes actions;
};

// Buttons keep the key of a key-press condition in bits 9 to 15 of the condition flags.
constexpr unsigned kButtonKeyShift = 9;

void collect(Clip& clip, uint8_t key, std::vector<KeyHandler>& out) {
    if (const DisplayObject* self = clip.displayObject()) {
        for (const ClipAction& handler : self->clipActions) {
            if ((handler.events & kClipEventKeyPress) && handler.keyCode == key) out.push_back({clip.handle(), handler.actions});
        }
    }
    for (auto& [depth, object] : clip.displayList()) {
        if (object->clip) {
            collect(*object->clip, key, out);
        } else if (object->character && object->character->kind == CharacterKind::Button && object->visible) {
            for (const ButtonCondAction& a : static_cast<const ButtonCharacter&>(*object->character).actions) {
                if ((a.conditions >> kButtonKeyShift) == key) out.push_back({clip.handle(), a.actions});
            }
        }
    }
}

}  // namespace

bool pressKey(MovieInstance& movie, uint8_t swfKey) {
    std::vector<KeyHandler> handlers;
    if (swfKey != 0) collect(movie.root(), swfKey, handlers);
    for (const KeyHandler& h : handlers) {
        if (Clip* c = h.clip.get()) movie.queueScript(*c, h.actions);
    }
    movie.dispatchInputEvent(kClipEventKeyDown);  // runs the queued handlers too
    return !handlers.empty();
}

void releaseKey(MovieInstance& movie) { movie.dispatchInputEvent(kClipEventKeyUp); }

}  // namespace velmora::swf
