#include "swf/format/parse_context.h"

#include <algorithm>

namespace velmora::swf {

namespace {
// A rough size of a character object with its dictionary node; its variable parts (records,
// glyphs, data) are charged by the parsers that read them.
constexpr uint64_t kCharacterBytes = 512;
}

void ParseContext::warn(std::string message) { movie.warnings.add(std::move(message)); }

void ParseContext::define(std::shared_ptr<Character> character) {
    uint16_t id = character->id;
    if (movie.dictionary.count(id) != 0) {
        warn("character " + std::to_string(id) + " is defined twice; the first definition is kept");
        return;
    }
    if (movie.dictionary.size() >= limits.maxCharacters) {
        throw ParseError("more than " + std::to_string(limits.maxCharacters) + " characters");
    }
    charge(kCharacterBytes);
    switch (character->kind) {
        case CharacterKind::Font: fonts_[id] = static_cast<FontCharacter*>(character.get()); break;
        case CharacterKind::Button: buttons_[id] = static_cast<ButtonCharacter*>(character.get()); break;
        case CharacterKind::Bitmap: {
            auto bitmap = std::static_pointer_cast<BitmapCharacter>(character);
            if (bitmap->encoding == BitmapCharacter::Encoding::Jpeg) jpegBitmaps_.push_back(bitmap);
            break;
        }
        default: break;
    }
    movie.dictionary.emplace(id, std::move(character));
}

void ParseContext::overBudget() const {
    throw ParseError("the movie would need more than " + std::to_string(limits.maxModelBytes >> 20) +
                     " MiB of memory");
}

FontCharacter* ParseContext::font(uint16_t id) {
    auto it = fonts_.find(id);
    return it == fonts_.end() ? nullptr : it->second;
}

ButtonCharacter* ParseContext::button(uint16_t id) {
    auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

void ParseContext::finish() {
    for (auto& bitmap : jpegBitmaps_) bitmap->jpegTables = jpegTables;
    for (auto& [frame, label] : sceneFrameLabels) {
        if (frame >= movie.root.frames.size()) continue;  // a label past the frames the file holds
        auto& labels = movie.root.frames[frame].labels;
        if (std::find(labels.begin(), labels.end(), label) == labels.end()) labels.push_back(std::move(label));
    }
}

}  // namespace velmora::swf
