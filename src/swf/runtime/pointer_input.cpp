#include "swf/runtime/pointer_input.h"

#include <cmath>

#include "swf/format/button.h"
#include "swf/format/shape.h"
#include "swf/format/text.h"
#include "swf/runtime/button_parts.h"
#include "swf/runtime/clip_bounds.h"
#include "swf/runtime/clip_geometry.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/mouse_object.h"
#include "swf/runtime/script/button_object.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/vm.h"

namespace velmora::swf {

namespace {

// Condition bits of ButtonCondAction.
constexpr uint16_t kIdleToOverUp = 1u << 0;
constexpr uint16_t kOverUpToIdle = 1u << 1;
constexpr uint16_t kOverUpToOverDown = 1u << 2;
constexpr uint16_t kOverDownToOverUp = 1u << 3;
constexpr uint16_t kOverDownToOutDown = 1u << 4;
constexpr uint16_t kOutDownToOverDown = 1u << 5;
constexpr uint16_t kOutDownToIdle = 1u << 6;
constexpr uint16_t kOverDownToIdle = 1u << 8;
// A release away from the pressed button: after a drag out for most buttons, straight from the
// pressed state for those that track as menu items. Either tells the button of it.
constexpr uint16_t kReleasedOutside = kOutDownToIdle | kOverDownToIdle;

// Indexes of ButtonCharacter::sounds.
constexpr int kSoundOverUpToIdle = 0;
constexpr int kSoundIdleToOverUp = 1;
constexpr int kSoundOverUpToOverDown = 2;
constexpr int kSoundOverDownToOverUp = 3;

std::optional<Rect> partBounds(const Character* part) {
    if (!part) return std::nullopt;
    switch (part->kind) {
    case CharacterKind::Shape: return static_cast<const ShapeCharacter*>(part)->bounds;
    case CharacterKind::MorphShape: return static_cast<const MorphShapeCharacter*>(part)->startBounds;
    case CharacterKind::EditText: return static_cast<const EditTextCharacter*>(part)->bounds;
    case CharacterKind::Text: {
        const auto* t = static_cast<const TextCharacter*>(part);
        return t->bounds;  // close enough for a hit area: text buttons are rare
    }
    default: return std::nullopt;
    }
}

bool buttonHit(const ButtonCharacter& button, const Movie& movie, double x, double y) {
    for (const ButtonRecord& r : button.records) {
        if (!r.hitTest) continue;
        double rx = x, ry = y;
        if (!applyInverse(r.matrix, rx, ry)) continue;
        const auto box = partBounds(movie.character(r.characterId));
        if (box && rx >= box->xMin && rx <= box->xMax && ry >= box->yMin && ry <= box->yMax) return true;
    }
    return false;
}

constexpr uint32_t kClipButtonEvents = kClipEventPress | kClipEventRelease | kClipEventReleaseOutside |
                                       kClipEventRollOver | kClipEventRollOut | kClipEventDragOver |
                                       kClipEventDragOut;

// The transitions, the clip events and the handler functions that hear of them.
struct ButtonEvent {
    uint16_t condition;
    uint32_t clipEvent;
    const char* handler;
};
constexpr ButtonEvent kButtonEvents[] = {
    {kIdleToOverUp, kClipEventRollOver, "onRollOver"},
    {kOverUpToIdle, kClipEventRollOut, "onRollOut"},
    {kOverUpToOverDown, kClipEventPress, "onPress"},
    {kOverDownToOverUp, kClipEventRelease, "onRelease"},
    {kReleasedOutside, kClipEventReleaseOutside, "onReleaseOutside"},
    {kOverDownToOutDown, kClipEventDragOut, "onDragOut"},
    {kOutDownToOverDown, kClipEventDragOver, "onDragOver"},
};

// The script object of a clip, or of a button (owner holds it), if a script has reached it.
script::Object* scriptObjectOf(Clip& owner, DisplayObject& object) {
    if (!owner.movie().runsScripts()) return nullptr;
    if (object.clip) return object.clip->scriptObject();
    return owner.movie().vm().buttonObject(owner, object, false);
}

// A variable of a script object, if it is set; nullopt otherwise (no object, undefined).
std::optional<script::Value> scriptVariable(MovieInstance& movie, script::Object* object, const char* name) {
    if (!object) return std::nullopt;
    script::Vm& vm = movie.vm();
    script::Value value;
    if (!vm.lookupQuietly(script::Value::object(object), vm.key(name), value)) return std::nullopt;
    if (value.isUndefined()) return std::nullopt;
    return value;
}

std::optional<script::Value> scriptVariable(Clip& clip, const char* name) {
    return scriptVariable(clip.movie(), clip.scriptObject(), name);
}

// A boolean setting of a button or a clip in its role (enabled, useHandCursor): true unless a
// script set it to something false.
bool setting(MovieInstance& movie, script::Object* object, const char* name) {
    const auto value = scriptVariable(movie, object, name);
    return !value || movie.vm().toBoolean(*value);
}

bool clipSetting(Clip& clip, const char* name) { return setting(clip.movie(), clip.scriptObject(), name); }

bool actsAsButton(const DisplayObject& object) {
    bool handlers = false;
    for (const ClipAction& handler : object.clipActions) handlers = handlers || (handler.events & kClipButtonEvents);
    for (const ButtonEvent& e : kButtonEvents) {
        if (handlers) break;
        handlers = object.clip->movie().hasHandler(*object.clip, e.handler);
    }
    return handlers && clipSetting(*object.clip, "enabled");
}

bool inside(const Rect& box, double x, double y) { return x >= box.xMin && x <= box.xMax && y >= box.yMin && y <= box.yMax; }

// Where a clip in the role of a button takes the pointer: its hitArea clip's shapes if a script
// gave it one, else its own.
bool clipButtonHit(Clip& clip, double localX, double localY, double stageX, double stageY) {
    if (const auto area = scriptVariable(clip, "hitArea"); area && area->isObject()) {
        auto* object = dynamic_cast<script::ClipObject*>(area->asObject());
        Clip* target = object ? object->clip(clip.movie().vm()) : nullptr;
        if (target && target != &clip) return applyInverse(stageMatrix(*target), stageX, stageY) && shapeHit(*target, stageX, stageY);
    }
    return shapeHit(clip, localX, localY);
}

// Topmost first: higher depths, and inside a sprite its own content above what lies below it. A
// button inside a clip that is itself a button takes the pointer first.
bool search(Clip& clip, double x, double y, double stageX, double stageY, const Movie& movie, ClipHandle& owner,
            DisplayObject*& found) {
    auto& list = clip.displayList();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        DisplayObject& object = *it->second;
        if (!object.visible || !object.character || object.clipDepth != 0) continue;
        double lx = x, ly = y;
        if (!applyInverse(object.matrix, lx, ly)) continue;
        if (object.clip) {
            if (search(*object.clip, lx, ly, stageX, stageY, movie, owner, found)) return true;
            if (actsAsButton(object) && clipButtonHit(*object.clip, lx, ly, stageX, stageY)) {
                owner = clip.handle();
                found = &object;
                return true;
            }
        } else if (object.character->kind == CharacterKind::Button &&
                   buttonHit(static_cast<const ButtonCharacter&>(*object.character), clip.definitions(), lx, ly) &&
                   setting(clip.movie(), scriptObjectOf(clip, object), "enabled")) {
            owner = clip.handle();
            found = &object;
            return true;
        }
    }
    return false;
}

// The innermost clip whose shapes lie under the point, topmost first; nullptr when none does.
Clip* clipAt(Clip& clip, double x, double y) {
    auto& list = clip.displayList();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        DisplayObject& object = *it->second;
        if (!object.visible || !object.character || object.clipDepth != 0) continue;
        double lx = x, ly = y;
        if (!applyInverse(object.matrix, lx, ly)) continue;
        if (object.clip) {
            if (Clip* inner = clipAt(*object.clip, lx, ly)) return inner;
        } else if (const auto box = objectBounds(object, clip.definitions()); box && inside(*box, x, y)) {
            return &clip;
        }
    }
    return nullptr;
}

}  // namespace

PointerInput::Hit PointerInput::findButton(double x, double y) const {
    Hit hit;
    // The highest level is on top.
    const auto& levels = movie_.upperLevels();
    for (auto it = levels.rbegin(); it != levels.rend(); ++it) {
        if (search(*it->second, x, y, x, y, movie_.movie(), hit.owner, hit.object)) return hit;
    }
    search(movie_.root(), x, y, x, y, movie_.movie(), hit.owner, hit.object);
    return hit;
}

// The hit's object if it is still on its clip's display list (a frame may have removed it).
DisplayObject* PointerInput::liveObject(const Hit& hit) const {
    Clip* owner = hit.owner.get();
    if (!owner || !hit.object) return nullptr;
    for (auto& [depth, object] : owner->displayList()) {
        if (object.get() == hit.object) return hit.object;
    }
    return nullptr;
}

namespace {

// A clip in the role of a button: its handlers for the transition, and its state frames.
void clipTransition(MovieInstance& movie, Clip& clip, uint16_t conditionBit, ButtonState state) {
    const char* label = state == ButtonState::Down ? "_down" : state == ButtonState::Over ? "_over" : "_up";
    if (const auto frame = clip.frameOfLabel(label)) {
        clip.stop();
        clip.gotoFrame(*frame);
    }
    for (const ButtonEvent& e : kButtonEvents) {
        if (!(e.condition & conditionBit)) continue;
        movie.queueClipEvent(clip, e.clipEvent);
        movie.queueHandler(clip, e.handler);
    }
}

// A button (or a clip in its role) on owner's display list goes through a transition: it shows
// the state, plays its sound and runs its actions, then the functions a script gave it.
void buttonTransition(MovieInstance& movie, Clip& owner, DisplayObject& object, uint16_t conditionBit, int soundIndex,
                      ButtonState state) {
    showButtonState(owner, object, state);
    movie.noteChange();
    if (object.clip) {
        clipTransition(movie, *object.clip, conditionBit, state);
        return;
    }
    const auto& button = static_cast<const ButtonCharacter&>(*object.character);
    if (SoundEvents* sound = movie.sound(); sound && soundIndex >= 0 && button.sounds[soundIndex]) {
        StartSound tag;
        tag.soundId = button.sounds[soundIndex]->soundId;
        tag.info = button.sounds[soundIndex]->info;
        const Character* c = owner.definitions().character(tag.soundId);
        sound->startSoundFor(owner, tag, c && c->kind == CharacterKind::Sound ? static_cast<const SoundCharacter*>(c) : nullptr);
    }
    for (const ButtonCondAction& action : button.actions) {
        if (action.conditions & conditionBit) movie.queueScript(owner, action.actions);
    }
    // Then the functions a script gave the button, after its own actions.
    script::Object* self = scriptObjectOf(owner, object);
    if (!self) return;
    movie.runPendingActions();
    const script::Value selfValue = script::Value::object(self);
    script::Rooted keep(movie.vm().heap(), selfValue);
    for (const ButtonEvent& e : kButtonEvents) {
        if (!(e.condition & conditionBit)) continue;
        const auto handler = scriptVariable(movie, self, e.handler);
        if (handler && handler->isObject() && handler->asObject()->asFunction()) {
            movie.vm().callTopLevel(*handler, selfValue, {});
        }
    }
}

}  // namespace

void PointerInput::transition(const Hit& hit, uint16_t conditionBit, int soundIndex, ButtonState state) {
    DisplayObject* object = liveObject(hit);
    Clip* owner = hit.owner.get();
    if (!object || !owner) return;
    buttonTransition(movie_, *owner, *object, conditionBit, soundIndex, state);
}

bool answersLikeAButton(Clip& holder, DisplayObject& object) {
    if (object.clip) return actsAsButton(object);
    if (!object.character || object.character->kind != CharacterKind::Button) return false;
    return setting(holder.movie(), scriptObjectOf(holder, object), "enabled");
}

void pressByKey(MovieInstance& movie, Clip& holder, DisplayObject& object, bool down) {
    if (down) buttonTransition(movie, holder, object, kOverUpToOverDown, kSoundOverUpToOverDown, ButtonState::Down);
    else buttonTransition(movie, holder, object, kOverDownToOverUp, kSoundOverDownToOverUp, ButtonState::Up);
    movie.runPendingActions();
}

void PointerInput::move(double x, double y) {
    x_ = x;
    y_ = y;
    movie_.setMousePosition(x, y);
    const Hit now = findButton(x, y);
    const bool same = liveObject(now) && now.object == liveObject(over_);
    if (!same && !pressed_) {
        transition(over_, kOverUpToIdle, kSoundOverUpToIdle, ButtonState::Up);
        over_ = now;
        transition(over_, kIdleToOverUp, kSoundIdleToOverUp, ButtonState::Over);
    } else if (pressed_ && liveObject(over_) && same == outside_) {
        // The pressed button keeps the pointer while it is held: leaving it and coming back are
        // drags out and over, and it shows itself pressed only while the pointer is on it.
        outside_ = !same;
        if (outside_) {
            transition(over_, kOverDownToOutDown, -1, ButtonState::Up);
        } else {
            transition(over_, kOutDownToOverDown, -1, ButtonState::Down);
        }
    }
    movie_.runPendingActions();
    movie_.dispatchInputEvent(kClipEventMouseMove);
    notifyListeners("onMouseMove");
}

void PointerInput::press() {
    // The mouse takes over from the keyboard: the focus rectangle goes, the focus stays.
    movie_.setFocusFromKeyboard(false);
    pressed_ = true;
    outside_ = false;
    transition(over_, kOverUpToOverDown, kSoundOverUpToOverDown, ButtonState::Down);
    movie_.runPendingActions();
    movie_.dispatchInputEvent(kClipEventMouseDown);
    notifyListeners("onMouseDown");
}

void PointerInput::release() {
    if (!pressed_) return;
    pressed_ = false;
    const Hit now = findButton(x_, y_);
    if (liveObject(over_) && now.object == over_.object) {
        transition(over_, kOverDownToOverUp, kSoundOverDownToOverUp, ButtonState::Over);
    } else {
        transition(over_, kReleasedOutside, kSoundOverUpToIdle, ButtonState::Up);
        over_ = now;
        transition(over_, kIdleToOverUp, kSoundIdleToOverUp, ButtonState::Over);
    }
    outside_ = false;
    movie_.runPendingActions();
    movie_.dispatchInputEvent(kClipEventMouseUp);
    notifyListeners("onMouseUp");
}

void PointerInput::wheel(int delta) {
    if (delta == 0 || !movie_.runsScripts()) return;
    script::Vm& vm = movie_.vm();
    Clip* target = nullptr;
    const auto& levels = movie_.upperLevels();
    for (auto it = levels.rbegin(); it != levels.rend() && !target; ++it) target = clipAt(*it->second, x_, y_);
    if (!target) target = clipAt(movie_.root(), x_, y_);
    const script::Value args[] = {script::Value::number(delta),
                                  target ? script::Value::object(vm.clipObject(*target)) : script::Value()};
    notifyListeners("onMouseWheel", args);
}

void PointerInput::notifyListeners(const char* event, std::span<const script::Value> args) {
    if (!movie_.runsScripts()) return;
    script::notifyMouseListeners(movie_.vm(), event, args);
    movie_.runPendingActions();
}

void PointerInput::leave() {
    if (!pressed_) {
        transition(over_, kOverUpToIdle, kSoundOverUpToIdle, ButtonState::Up);
        over_ = {};
        movie_.runPendingActions();
    }
}

bool PointerInput::overButton() const { return liveObject(over_) != nullptr; }

bool PointerInput::showsHand() const {
    DisplayObject* object = liveObject(over_);
    Clip* owner = over_.owner.get();
    if (!object || !owner || (pressed_ && outside_)) return false;
    return setting(movie_, scriptObjectOf(*owner, *object), "useHandCursor");
}

}  // namespace velmora::swf
