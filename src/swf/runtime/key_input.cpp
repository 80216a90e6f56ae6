#include "swf/runtime/key_input.h"

#include <vector>

#include "swf/format/button.h"
#include "swf/runtime/keyboard_focus.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/pointer_input.h"
#include "swf/runtime/script/vm.h"

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

uint16_t codeOfCharacter(uint8_t c) {
    if (c >= 'a' && c <= 'z') return static_cast<uint16_t>(c - 'a' + 'A');
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ') return c;
    // The shifted digits of a US keyboard, then its punctuation keys.
    static constexpr char kShiftedDigits[] = ")!@#$%^&*(";
    for (int i = 0; i < 10; ++i) {
        if (kShiftedDigits[i] == c) return static_cast<uint16_t>('0' + i);
    }
    static constexpr struct {
        char plain, shifted;
        uint16_t code;
    } kPunctuation[] = {{';', ':', 186}, {'=', '+', 187}, {',', '<', 188}, {'-', '_', 189}, {'.', '>', 190},
                        {'/', '?', 191}, {'`', '~', 192}, {'[', '{', 219}, {'\\', '|', 220}, {']', '}', 221},
                        {'\'', '"', 222}};
    for (const auto& p : kPunctuation) {
        if (p.plain == c || p.shifted == c) return p.code;
    }
    return 0;
}

// Tells the Key object's listeners, if a script left the Key object in place.
void broadcastKey(MovieInstance& movie, const char* event) {
    if (!movie.runsScripts()) return;
    script::Vm& vm = movie.vm();
    const script::Property* key = vm.ownProperty(vm.global(), vm.key("Key"));
    if (!key || key->isAccessor() || !key->value.objectOrNull()) return;
    const script::Property* method = vm.ownProperty(key->value.objectOrNull(), vm.key("broadcastMessage"));
    if (!method || method->isAccessor()) return;
    const script::Value broadcast = method->value;
    const script::Value name = script::Value::string(vm.name(event));
    vm.callTopLevel(broadcast, key->value, std::span<const script::Value>(&name, 1));
    movie.runPendingActions();
}

// Enter and Space press the focused button, or clip in the role of one, while it shows; the key
// that holds it pressed releases it. Keys repeating while held press it once.
// The focused button or clip Enter and Space would press, with the clip holding it; false when
// there is none.
bool pressableFocus(MovieInstance& movie, Clip*& holder, DisplayObject*& object) {
    if (DisplayObject* button = movie.focusedButton()) {
        holder = movie.focusedButtonOwner();
        object = button;
    } else if (Clip* clip = movie.focus()) {
        holder = clip->parent();
        object = clip->displayObject();
    }
    return holder && object && shownOnStage(*holder, *object) && answersLikeAButton(*holder, *object);
}

bool pressFocused(MovieInstance& movie, uint16_t code) {
    KeyHeldButton& held = movie.keyHeldButton();
    if (held.button.get()) return true;
    Clip* holder = nullptr;
    DisplayObject* object = nullptr;
    if (!pressableFocus(movie, holder, object)) return false;
    held = {PlacedHandle(*holder, *object), code};
    pressByKey(movie, *holder, *object, true);
    return true;
}

void releaseFocused(MovieInstance& movie, uint16_t code) {
    KeyHeldButton& held = movie.keyHeldButton();
    if (code != 0 && code != held.code) return;
    const PlacedHandle button = held.button;
    held = {};
    if (DisplayObject* object = button.get()) pressByKey(movie, *button.owner(), *object, false);
}

}  // namespace

bool focusTakesPress(MovieInstance& movie) {
    Clip* holder = nullptr;
    DisplayObject* object = nullptr;
    return !movie.focusedText() && pressableFocus(movie, holder, object);
}

KeyStroke strokeOf(uint8_t swfKey) {
    switch (swfKey) {
    case 0: return {};
    case kSwfKeyLeft: return {37, 0};
    case kSwfKeyRight: return {39, 0};
    case kSwfKeyHome: return {36, 0};
    case kSwfKeyEnd: return {35, 0};
    case kSwfKeyInsert: return {45, 0};
    case kSwfKeyDelete: return {46, 127};
    case kSwfKeyBackspace: return {8, 8};
    case kSwfKeyEnter: return {13, 13};
    case kSwfKeyUp: return {38, 0};
    case kSwfKeyDown: return {40, 0};
    case kSwfKeyPageUp: return {33, 0};
    case kSwfKeyPageDown: return {34, 0};
    case kSwfKeyTab: return {9, 9};
    case kSwfKeyEscape: return {27, 27};
    default: break;
    }
    if (swfKey >= 32 && swfKey < 127) return {codeOfCharacter(swfKey), swfKey};
    return {};
}

bool pressKey(MovieInstance& movie, uint8_t swfKey) { return pressKey(movie, swfKey, strokeOf(swfKey)); }

bool pressKey(MovieInstance& movie, uint8_t swfKey, KeyStroke stroke) {
    KeyboardState& keys = movie.keyboard();
    if (stroke.code != 0) {
        if (stroke.code < keys.down.size()) keys.down.set(stroke.code);
        if (stroke.code == 20) keys.capsLock = !keys.capsLock;
        if (stroke.code == 144) keys.numLock = !keys.numLock;
        keys.lastCode = stroke.code;
        keys.lastAscii = stroke.ascii;
    }
    const bool presses = swfKey == kSwfKeyEnter || swfKey == ' ';
    if (presses) movie.dropHiddenFocus();
    std::vector<KeyHandler> handlers;
    if (swfKey != 0) {
        collect(movie.root(), swfKey, handlers);
        for (const auto& [n, level] : movie.upperLevels()) collect(*level, swfKey, handlers);
    }
    for (const KeyHandler& h : handlers) {
        if (Clip* c = h.clip.get()) movie.queueScript(*c, h.actions);
    }
    movie.dispatchInputEvent(kClipEventKeyDown);  // runs the queued handlers too
    broadcastKey(movie, "onKeyDown");
    const bool pressed = presses && !movie.focusedText() && pressFocused(movie, stroke.code);
    return !handlers.empty() || pressed;
}

void releaseKey(MovieInstance& movie) {
    movie.keyboard().down.reset();
    movie.dispatchInputEvent(kClipEventKeyUp);
    broadcastKey(movie, "onKeyUp");
    releaseFocused(movie, 0);
}

void releaseKey(MovieInstance& movie, KeyStroke stroke) {
    if (stroke.code == 0) {
        releaseKey(movie);
        return;
    }
    if (stroke.code < movie.keyboard().down.size()) movie.keyboard().down.reset(stroke.code);
    movie.dispatchInputEvent(kClipEventKeyUp);
    broadcastKey(movie, "onKeyUp");
    releaseFocused(movie, stroke.code);
}

}  // namespace velmora::swf
