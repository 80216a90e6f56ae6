#include <string>
#include <variant>

#include "swf/format/sprite.h"
#include "swf/runtime/button_parts.h"
#include "swf/runtime/changed_area.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/clip_drawing.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/placement_plan.h"
#include "swf/runtime/script/clip_classes.h"
#include "swf/runtime/text_field_settings.h"

namespace velmora::swf {

namespace {

// The streams of the sprites a button shows fall silent with it.
void silenceButtonStreams(const DisplayObject& object) {
    if (!object.buttonParts) return;
    for (const auto& [key, part] : object.buttonParts->list()) {
        if (part->clip) silenceStreams(*part->clip);
    }
}

Placement placementOf(const DisplayObject& object) {
    Placement p;
    p.character = object.character;
    p.matrix = object.matrix;
    p.colorTransform = object.colorTransform;
    p.ratio = object.ratio;
    p.name = object.name;
    p.clipDepth = object.clipDepth;
    p.blendMode = object.blendMode;
    p.filters = object.filters;
    p.visible = object.visible;
    p.cacheAsBitmap = object.cacheAsBitmap;
    p.clipActions = object.clipActions;
    return p;
}

// The fields a PlaceObject carries override the placement; absent fields keep what it had.
void applyFields(Placement& p, const PlaceObject& tag) {
    if (tag.matrix) p.matrix = *tag.matrix;
    if (tag.colorTransform) p.colorTransform = *tag.colorTransform;
    if (tag.ratio) p.ratio = *tag.ratio;
    if (tag.name) p.name = *tag.name;
    if (tag.clipDepth) p.clipDepth = *tag.clipDepth;
    if (tag.blendMode) p.blendMode = *tag.blendMode;
    if (tag.filters) p.filters = *tag.filters;
    if (tag.visible) p.visible = *tag.visible;
    if (tag.cacheAsBitmap) p.cacheAsBitmap = *tag.cacheAsBitmap;
}

void applyPlace(PlacementPlan& plan, const PlaceObject& tag, const Movie& movie) {
    auto it = plan.find(tag.depth);
    std::shared_ptr<const Character> character;
    if (tag.characterId) {
        character = movie.sharedCharacter(*tag.characterId);
        // An id the dictionary lacks names something skipped or imported: nothing to show.
        if (!character) return;
    }
    if (tag.move && it != plan.end()) {
        Placement& p = it->second;
        if (character && character != p.character) {
            p.character = character;
            p.fresh = true;
        }
        applyFields(p, tag);
        return;
    }
    if (it != plan.end() || !character) return;  // the depth is taken, or a move of nothing
    Placement p;
    p.character = character;
    p.fresh = true;
    p.clipActions = tag.clipActions;
    applyFields(p, tag);
    plan.emplace(tag.depth, std::move(p));
}

void assign(DisplayObject& object, const Placement& p) {
    if (!object.movedByScript) object.matrix = p.matrix;
    object.colorTransform = p.colorTransform;
    object.ratio = p.ratio;
    // A placement without a name keeps the one the player gave; a name from the file replaces it.
    if (p.name != object.name && !(p.name.empty() && object.autoNamed)) {
        object.name = p.name;
        object.autoNamed = false;
    }
    object.clipDepth = p.clipDepth;
    object.blendMode = p.blendMode;
    object.filters = p.filters;
    object.visible = p.visible;
    object.cacheAsBitmap = p.cacheAsBitmap;
}

// Whether object, given placement p, would draw as it does now.
bool drawsAlike(const DisplayObject& object, const Placement& p) {
    return (object.movedByScript || sameMatrix(object.matrix, p.matrix)) &&
           sameColorTransform(object.colorTransform, p.colorTransform) && object.ratio == p.ratio &&
           object.clipDepth == p.clipDepth && object.blendMode == p.blendMode && object.visible == p.visible &&
           object.cacheAsBitmap == p.cacheAsBitmap && sameFilters(object.filters, p.filters);
}

// A mask that comes or goes shows or hides what it covers beyond its own box, and so does a mask
// that starts or stops being one: the whole stage changes. Any other object changes its own box.
void noteComingOrGoing(const Clip& clip, const DisplayObject& object) {
    if (object.clipDepth > 0 || object.maskOnly) {
        clip.movie().noteChange();
    } else {
        noteObjectArea(clip, object);
    }
}

}  // namespace

void removeObject(Clip& clip, DisplayList::iterator it) {
    if (it->second->clip) silenceStreams(*it->second->clip);
    silenceButtonStreams(*it->second);
    std::unique_ptr<DisplayObject> leaving = std::move(it->second);
    clip.displayList().erase(it);
    clip.movie().releaseDisplayObjects(1);
    // Destroyed here or, when it has unload handlers, once they have run; the child clip's
    // destructor releases its own objects.
    clip.movie().objectLeftStage(std::move(leaving));
}

DisplayObject* buildObject(Clip& clip, int32_t depth, Placement&& p, bool timelineClass) {
    MovieInstance& movie = clip.movie();
    if (!movie.reserveDisplayObject()) {
        movie.report(DiagnosticRoom::Movie,
                     "too many objects on stage: the object at depth " + std::to_string(depth) + " is not shown",
                     "too many objects on stage");
        return nullptr;
    }
    auto object = std::make_unique<DisplayObject>();
    object->depth = depth;
    object->character = p.character;
    object->clipActions = std::move(p.clipActions);
    assign(*object, p);
    const CharacterKind kind = p.character->kind;
    if (object->name.empty() &&
        (kind == CharacterKind::Sprite || kind == CharacterKind::Button || kind == CharacterKind::EditText)) {
        object->name = movie.nextInstanceName();
        object->autoNamed = true;
    }
    DisplayObject& placed = *object;
    clip.displayList()[depth] = std::move(object);

    if (placed.character->kind == CharacterKind::Button) showButtonState(clip, placed, ButtonState::Up);
    // A field's text is its own from the start, so that scripts and typing change what it shows.
    if (placed.character->kind == CharacterKind::EditText) seedFieldText(movie, placed);
    if (placed.character->kind != CharacterKind::Sprite) return &placed;
    if (clip.nesting() + 1 > movie.limits().maxClipNesting) {
        movie.report(DiagnosticRoom::Movie,
                     "clips nested too deeply: sprite " + std::to_string(placed.character->id) + " stands empty",
                     "clips nested too deeply");
        return &placed;
    }
    const auto& sprite = static_cast<const SpriteCharacter&>(*placed.character);
    placed.clip = std::make_unique<Clip>(movie, sprite.timeline, &clip, &placed, sprite.id, clip.nesting() + 1);
    movie.queueInitActions(clip, sprite.id);
    movie.queueInitializeEvents(*placed.clip);
    if (timelineClass) script::adoptRegisteredClass(*placed.clip);
    placed.clip->enterFirstFrame();
    movie.queueClipEvent(*placed.clip, kClipEventLoad);
    movie.queueLoadHandler(*placed.clip);
    return &placed;
}

void silenceStreams(const Clip& clip) {
    SoundEvents* sound = clip.movie().sound();
    if (!sound) return;
    if (clip.timeline().streamHead) sound->streamStop(clip);
    for (const auto& [depth, object] : clip.displayList()) {
        if (object->clip) silenceStreams(*object->clip);
        silenceButtonStreams(*object);
    }
}

PlacementPlan planFromDisplayList(const DisplayList& list) {
    PlacementPlan plan;
    for (const auto& [depth, object] : list) {
        if (object && object->character && !object->placedByScript) plan.emplace(depth, placementOf(*object));
    }
    return plan;
}

void applyFrameToPlan(PlacementPlan& plan, const Frame& frame, const Movie& movie) {
    for (const ControlTag& tag : frame.tags) {
        if (const auto* place = std::get_if<PlaceObject>(&tag)) {
            applyPlace(plan, *place, movie);
        } else if (const auto* remove = std::get_if<RemoveObject>(&tag)) {
            plan.erase(remove->depth);
        }
    }
}

void reconcileDisplayList(Clip& clip, PlacementPlan plan, Continuity continuity) {
    DisplayList& list = clip.displayList();
    // Removals first, so that the objects built below find the limit's room they free.
    for (auto it = list.begin(); it != list.end();) {
        auto next = std::next(it);
        if (it->second->placedByScript) {  // the script's own: no frame removes it
            it = next;
            continue;
        }
        const auto planned = plan.find(it->first);
        bool keep = planned != plan.end() && it->second->character;
        if (keep) {
            const Placement& p = planned->second;
            // A field whose settings a script changed holds a copy of its character: still the
            // same field.
            const bool sameField = p.character && p.character->kind == CharacterKind::EditText &&
                                   it->second->character->kind == CharacterKind::EditText &&
                                   p.character->id == it->second->character->id;
            keep = continuity == Continuity::Forward ? !p.fresh : p.character == it->second->character || sameField;
        }
        if (!keep) {
            noteComingOrGoing(clip, *it->second);
            removeObject(clip, it);
        }
        it = next;
    }
    // Only what a frame really changed counts: a step onto a frame that moves nothing shows
    // nothing new, and the view draws nothing for it.
    for (auto& [depth, p] : plan) {
        auto it = list.find(depth);
        if (it != list.end() && it->second->placedByScript) continue;  // the depth is taken
        if (it != list.end()) {
            DisplayObject& object = *it->second;
            if (drawsAlike(object, p)) {
                assign(object, p);  // the name may still change
            } else if (object.clipDepth != p.clipDepth) {
                assign(object, p);
                clip.movie().noteChange();
            } else {
                noteObjectArea(clip, object);
                assign(object, p);
                noteObjectArea(clip, object);
            }
            continue;
        }
        if (const DisplayObject* built = buildObject(clip, depth, std::move(p))) noteComingOrGoing(clip, *built);
    }
}

Clip* duplicateClip(Clip& source, const std::string& name, int32_t depth) {
    Clip* parent = source.parent();
    const DisplayObject* self = source.displayObject();
    if (!parent || !self || !self->character) return nullptr;
    Placement p = placementOf(*self);
    p.name = name;
    p.clipActions = self->clipActions;
    DisplayList& list = parent->displayList();
    if (const auto it = list.find(depth); it != list.end()) {
        if (it->second.get() == self) return nullptr;
        removeObject(*parent, it);
    }
    DisplayObject* copy = buildObject(*parent, depth, std::move(p), false);
    parent->movie().noteChange();
    if (!copy) return nullptr;
    copy->placedByScript = true;
    // The copy shows what the original drew with the drawing API, as it shows its shapes.
    if (copy->clip && source.drawingIfAny() && !copy->clip->drawing().copyFrom(*source.drawingIfAny())) {
        parent->movie().report(DiagnosticRoom::Script, "drawing not copied: the movie's drawing limit is reached",
                               "drawing not copied");
    }
    return copy->clip.get();
}

bool removeScriptClip(Clip& clip) {
    Clip* parent = clip.parent();
    const DisplayObject* self = clip.displayObject();
    if (!parent || !self || self->depth < kScriptDepthOffset || self->depth > kScriptDepthOffset + kMaxScriptDepth) {
        return false;
    }
    DisplayList& list = parent->displayList();
    const auto it = list.find(self->depth);
    if (it == list.end() || it->second.get() != self) return false;
    removeObject(*parent, it);
    parent->movie().noteChange();
    return true;
}

void clearDisplayList(Clip& clip) {
    DisplayList& list = clip.displayList();
    while (!list.empty()) removeObject(clip, list.begin());
}

}  // namespace velmora::swf
