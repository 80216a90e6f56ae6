#pragma once

#include <map>
#include <string>
#include <utility>

#include "swf/format/text.h"
#include "swf/render/text_geometry.h"

namespace velmora::swf {

// Laid-out text by character: static texts once each, text fields once per content they show
// (a field's content may change from frame to frame; the entries are bounded and dropped together
// when the bound is reached). Characters are held by pointer: they must outlive the cache or the
// cache must be cleared first.
class TextCache {
public:
    static constexpr size_t kMaxFieldEntries = 512;

    const TextGeometry* findStatic(const TextCharacter* text) const;
    const TextGeometry& storeStatic(const TextCharacter* text, TextGeometry geometry);

    const TextGeometry* findField(const EditTextCharacter* field, const std::string& content) const;
    const TextGeometry& storeField(const EditTextCharacter* field, const std::string& content, TextGeometry geometry);

    void clear();

private:
    std::map<const TextCharacter*, TextGeometry> static_;
    std::map<std::pair<const EditTextCharacter*, std::string>, TextGeometry> fields_;
};

}  // namespace velmora::swf
