#include "swf/runtime/pointer_input.h"

#include <cmath>

#include "swf/format/button.h"
#include "swf/format/shape.h"
#include "swf/format/text.h"
#include "swf/runtime/button_parts.h"
#include "swf/runtime/clip_bounds.h"
#include "swf/runtime/movie_instance.h"

namespace velmora::swf {

namespace {

// Condition bits of ButtonCondAction.
constexpr uint16_t kIdleToOverUp = 1u << 0;
constexpr uint16_t kOverUpToIdle = 1u << 1;
constexpr uint16_t kOverUpToOverDown = 1u << 2;
constexpr uint16_t kOverDownToOverUp = 1u << 3;
constexpr uint16_t kOverDownToIdle = 1u << 8;

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

// The point in the coordinates before matrix m, or false when m cannot be undone.
bool undo(const Matrix& m, double& x, double& y) {
    const double det = m.a * m.d - m.b * m.c;
    if (det == 0.0 || !std::isfinite(det)) return false;
    const double px = x - m.tx, py = y - m.ty;
    x = (m.d * px - m.c * py) / det;
    y = (-m.b * px + m.a * py) / det;
    return true;
}

bool buttonHit(const ButtonCharacter& button, const Movie& movie, double x, double y) {
    for (const ButtonRecord& r : button.records) {
        if (!r.hitTest) continue;
        double rx = x, ry = y;
        if (!undo(r.matrix, rx, ry)) continue;
        const auto box = partBounds(movie.character(r.characterId));
        if (box && rx >= box->xMin && rx <= box->xMax && ry >= box->yMin && ry <= box->yMax) return true;
    }
    return false;
}

constexpr uint32_t kClipButtonEvents =
    kClipEventPress | kClipEventRelease | kClipEventReleaseOutside | kClipEventRollOver | kClipEventRollOut;

bool actsAsButton(const DisplayObject& object) {
    for (const ClipAction& handler : object.clipActions) {
        if (handler.events & kClipButtonEvents) return true;
    }
    for (const char* name : {"onPress", "onRelease", "onReleaseOutside", "onRollOver", "onRollOut"}) {
        if (object.clip->movie().hasHandler(*object.clip, name)) return true;
    }
    return false;
}

bool contentHit(const Clip& clip, double x, double y) {
    const auto box = contentBounds(clip);
    return box && x >= box->xMin && x <= box->xMax && y >= box->yMin && y <= box->yMax;
}

// Topmost first: higher depths, and inside a sprite its own content above what lies below it.
bool search(Clip& clip, double x, double y, const Movie& movie, ClipHandle& owner, DisplayObject*& found) {
    auto& list = clip.displayList();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        DisplayObject& object = *it->second;
        if (!object.visible || !object.character || object.clipDepth != 0) continue;
        double lx = x, ly = y;
        if (!undo(object.matrix, lx, ly)) continue;
        if (object.clip) {
            if (actsAsButton(object)) {
                if (contentHit(*object.clip, lx, ly)) {
                    owner = clip.handle();
                    found = &object;
                    return true;
                }
                continue;
            }
            if (search(*object.clip, lx, ly, movie, owner, found)) return true;
        } else if (object.character->kind == CharacterKind::Button &&
                   buttonHit(static_cast<const ButtonCharacter&>(*object.character), movie, lx, ly)) {
            owner = clip.handle();
            found = &object;
            return true;
        }
    }
    return false;
}

}  // namespace

PointerInput::Hit PointerInput::findButton(double x, double y) const {
    Hit hit;
    search(movie_.root(), x, y, movie_.movie(), hit.owner, hit.object);
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

void PointerInput::transition(const Hit& hit, uint16_t conditionBit, int soundIndex, ButtonState state) {
    DisplayObject* object = liveObject(hit);
    Clip* owner = hit.owner.get();
    if (!object || !owner) return;
    showButtonState(*owner, *object, state);
    movie_.noteChange();
    if (object->clip) {
        clipTransition(*object->clip, conditionBit, state);
        return;
    }
    const auto& button = static_cast<const ButtonCharacter&>(*object->character);
    if (SoundEvents* sound = movie_.sound(); sound && button.sounds[soundIndex]) {
        StartSound tag;
        tag.soundId = button.sounds[soundIndex]->soundId;
        tag.info = button.sounds[soundIndex]->info;
        const Character* c = movie_.movie().character(tag.soundId);
        sound->startSound(tag, c && c->kind == CharacterKind::Sound ? static_cast<const SoundCharacter*>(c) : nullptr);
    }
    for (const ButtonCondAction& action : button.actions) {
        if (action.conditions & conditionBit) movie_.queueScript(*owner, action.actions);
    }
}

// A clip in the role of a button: its handlers for the transition, and its state frames.
void PointerInput::clipTransition(Clip& clip, uint16_t conditionBit, ButtonState state) {
    struct Event {
        uint16_t condition;
        uint32_t clipEvent;
        const char* handler;
    };
    static constexpr Event kEvents[] = {
        {kIdleToOverUp, kClipEventRollOver, "onRollOver"},
        {kOverUpToIdle, kClipEventRollOut, "onRollOut"},
        {kOverUpToOverDown, kClipEventPress, "onPress"},
        {kOverDownToOverUp, kClipEventRelease, "onRelease"},
        {kOverDownToIdle, kClipEventReleaseOutside, "onReleaseOutside"},
    };
    const char* label = state == ButtonState::Down ? "_down" : state == ButtonState::Over ? "_over" : "_up";
    if (const auto frame = clip.frameOfLabel(label)) {
        clip.stop();
        clip.gotoFrame(*frame);
    }
    for (const Event& e : kEvents) {
        if (e.condition != conditionBit) continue;
        movie_.queueClipEvent(clip, e.clipEvent);
        movie_.queueHandler(clip, e.handler);
    }
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
    }
    movie_.runPendingActions();
    movie_.dispatchInputEvent(kClipEventMouseMove);
}

void PointerInput::press() {
    pressed_ = true;
    transition(over_, kOverUpToOverDown, kSoundOverUpToOverDown, ButtonState::Down);
    movie_.runPendingActions();
    movie_.dispatchInputEvent(kClipEventMouseDown);
}

void PointerInput::release() {
    if (!pressed_) return;
    pressed_ = false;
    const Hit now = findButton(x_, y_);
    if (liveObject(over_) && now.object == over_.object) {
        transition(over_, kOverDownToOverUp, kSoundOverDownToOverUp, ButtonState::Over);
    } else {
        transition(over_, kOverDownToIdle, kSoundOverUpToIdle, ButtonState::Up);
        over_ = now;
        transition(over_, kIdleToOverUp, kSoundIdleToOverUp, ButtonState::Over);
    }
    movie_.runPendingActions();
    movie_.dispatchInputEvent(kClipEventMouseUp);
}

void PointerInput::leave() {
    if (!pressed_) {
        transition(over_, kOverUpToIdle, kSoundOverUpToIdle, ButtonState::Up);
        over_ = {};
        movie_.runPendingActions();
    }
}

bool PointerInput::overButton() const { return liveObject(over_) != nullptr; }

}  // namespace velmora::swf
