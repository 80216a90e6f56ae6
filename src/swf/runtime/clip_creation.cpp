#include "swf/runtime/clip_creation.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "swf/format/movie.h"
#include "swf/format/sprite.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/placement_plan.h"

namespace velmora::swf {

namespace {

constexpr int32_t kLowestDepth = 0;
constexpr int32_t kHighestDepth = kScriptDepthOffset + kMaxScriptDepth;

Clip* placeNew(Clip& parent, std::shared_ptr<const Character> character, const std::string& name, int32_t depth) {
    if (!character || character->kind != CharacterKind::Sprite || depth < kLowestDepth || depth > kHighestDepth) {
        return nullptr;
    }
    DisplayList& list = parent.displayList();
    if (const auto it = list.find(depth); it != list.end()) removeObject(parent, it);
    Placement p;
    p.character = std::move(character);
    p.name = name;
    DisplayObject* placed = buildObject(parent, depth, std::move(p), false);
    parent.movie().noteChange();
    if (!placed) return nullptr;
    placed->placedByScript = true;
    return placed->clip.get();
}

}  // namespace

std::optional<int32_t> displayDepthOfScriptDepth(double scriptDepth) {
    if (!std::isfinite(scriptDepth)) return std::nullopt;
    const double depth = std::trunc(scriptDepth) + kScriptDepthOffset;
    if (depth < kLowestDepth || depth > kHighestDepth) return std::nullopt;
    return static_cast<int32_t>(depth);
}

Clip* attachSprite(Clip& parent, std::shared_ptr<const Character> sprite, const std::string& name, int32_t depth) {
    return placeNew(parent, std::move(sprite), name, depth);
}

Clip* createEmptyClip(Clip& parent, const std::string& name, int32_t depth) {
    // Each empty clip has a timeline of its own, kept alive by the object that places it.
    auto empty = std::make_shared<SpriteCharacter>(0);
    empty->timeline.frames.emplace_back();
    return placeNew(parent, std::move(empty), name, depth);
}

bool moveClipToDepth(Clip& clip, int32_t depth) {
    Clip* parent = clip.parent();
    DisplayObject* self = clip.displayObject();
    if (!parent || !self || depth < kLowestDepth || depth > kHighestDepth) return false;
    DisplayList& list = parent->displayList();
    const int32_t from = self->depth;
    if (from == depth) return true;
    auto mine = list.find(from);
    if (mine == list.end() || mine->second.get() != self) return false;
    std::unique_ptr<DisplayObject> moving = std::move(mine->second);
    list.erase(mine);
    if (auto other = list.find(depth); other != list.end()) {
        std::unique_ptr<DisplayObject> displaced = std::move(other->second);
        list.erase(other);
        displaced->depth = from;
        displaced->placedByScript = true;
        list.emplace(from, std::move(displaced));
    }
    moving->depth = depth;
    moving->placedByScript = true;
    list.emplace(depth, std::move(moving));
    parent->movie().noteChange();
    return true;
}

int32_t nextHighestDepth(const Clip& parent) {
    const DisplayList& list = parent.displayList();
    if (list.empty()) return kScriptDepthOffset;
    return std::max(kScriptDepthOffset, list.rbegin()->first + 1);
}

std::shared_ptr<const Character> exportedCharacter(const Movie& movie, const std::string& linkage, bool caseSensitive,
                                                   std::string* found) {
    auto it = movie.exports.find(linkage);
    if (it == movie.exports.end() && !caseSensitive) {
        const auto sameLetters = [&](const auto& entry) {
            return std::equal(entry.first.begin(), entry.first.end(), linkage.begin(), linkage.end(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            });
        };
        it = std::find_if(movie.exports.begin(), movie.exports.end(), sameLetters);
    }
    if (it == movie.exports.end()) return nullptr;
    if (found) *found = it->first;
    return movie.sharedCharacter(it->second);
}

}  // namespace velmora::swf
