#include "swf/render/text_cache.h"

namespace velmora::swf {

const TextGeometry* TextCache::findStatic(const TextCharacter* text) const {
    auto it = static_.find(text);
    return it == static_.end() ? nullptr : &it->second;
}

const TextGeometry& TextCache::storeStatic(const TextCharacter* text, TextGeometry geometry) {
    return static_.insert_or_assign(text, std::move(geometry)).first->second;
}

const TextGeometry* TextCache::findField(const EditTextCharacter* field, const std::string& content) const {
    auto it = fields_.find({field, content});
    return it == fields_.end() ? nullptr : &it->second;
}

const TextGeometry& TextCache::storeField(const EditTextCharacter* field, const std::string& content,
                                          TextGeometry geometry) {
    if (fields_.size() >= kMaxFieldEntries) fields_.clear();
    return fields_.insert_or_assign({field, content}, std::move(geometry)).first->second;
}

void TextCache::clear() {
    static_.clear();
    fields_.clear();
}

}  // namespace velmora::swf
