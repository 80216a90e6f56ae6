#pragma once

#include <memory>

#include "swf/format/movie.h"
#include "swf/render/render_resources.h"
#include "swf/runtime/text_field_measure.h"

namespace velmora::swf {

// Text fields measured with the layout that draws them, on resources of its own (so that measuring
// leaves the stage's caches alone). The host makes one per movie, before the movie's instance, and
// keeps it until the instance is gone.
class FieldTextMeasure final : public TextFieldMeasure {
public:
    explicit FieldTextMeasure(std::shared_ptr<const Movie> movie);
    TextFieldLayout measure(const EditTextCharacter& field, const std::string& content) override;

private:
    RenderResources resources_;
};

}  // namespace velmora::swf
