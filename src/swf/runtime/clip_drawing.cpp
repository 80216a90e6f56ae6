#include "swf/runtime/clip_drawing.h"

#include <algorithm>
#include <cmath>

namespace velmora::swf {

ClipDrawing::~ClipDrawing() {
    if (total_) *total_ -= std::min(*total_, commands_);
}

bool ClipDrawing::take() {
    if (commands_ >= limit_ || movieFull()) return false;
    ++commands_;
    if (total_) ++*total_;
    ++version_;
    return true;
}

DrawingPart& ClipDrawing::current() {
    if (parts_.empty()) parts_.emplace_back();
    return parts_.back();
}

void ClipDrawing::include(double x, double y, double halfWidth) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    if (!hasBox_) {
        minX_ = maxX_ = x;
        minY_ = maxY_ = y;
        hasBox_ = true;
    }
    minX_ = std::min(minX_, x - halfWidth);
    maxX_ = std::max(maxX_, x + halfWidth);
    minY_ = std::min(minY_, y - halfWidth);
    maxY_ = std::max(maxY_, y + halfWidth);
}

void ClipDrawing::addStep(const DrawingStep& step) {
    const double half = line_ ? line_->width / 2.0 : 0.0;
    if (filling_) {
        DrawingPart& part = current();
        if (part.fillPath.empty()) part.fillPath.push_back({DrawingStep::Kind::Move, 0, 0, penX_, penY_});
        part.fillPath.push_back(step);
    }
    if (line_) {
        DrawingPart& part = current();
        if (!strokeOpen_) {
            part.strokes.push_back({*line_, {}});
            strokeOpen_ = true;
        }
        std::vector<DrawingStep>& path = part.strokes.back().path;
        if (path.empty()) path.push_back({DrawingStep::Kind::Move, 0, 0, penX_, penY_});
        path.push_back(step);
    }
    if (filling_ || line_) {
        include(penX_, penY_, half);
        // The control point bounds the curve: the box may be a little loose, never short.
        if (step.kind == DrawingStep::Kind::Curve) include(step.controlX, step.controlY, half);
        include(step.x, step.y, half);
    }
    penX_ = step.x;
    penY_ = step.y;
}

void ClipDrawing::closeFill() {
    if (!filling_) return;
    if (penX_ != subpathX_ || penY_ != subpathY_) addStep({DrawingStep::Kind::Line, 0, 0, subpathX_, subpathY_});
    filling_ = false;
    // Lines drawn from here go above the fill, in a part of their own.
    parts_.emplace_back();
    strokeOpen_ = false;
}

bool ClipDrawing::beginFill(DrawingFill fill) {
    if (!take()) return false;
    closeFill();
    if (!parts_.empty() && (parts_.back().fill || !parts_.back().strokes.empty())) parts_.emplace_back();
    current().fill = std::move(fill);
    filling_ = true;
    strokeOpen_ = false;
    subpathX_ = penX_;
    subpathY_ = penY_;
    return true;
}

bool ClipDrawing::endFill() {
    if (!take()) return false;
    closeFill();
    return true;
}

bool ClipDrawing::lineStyle(std::optional<LineStyle> style) {
    if (!take()) return false;
    line_ = std::move(style);
    strokeOpen_ = false;
    return true;
}

bool ClipDrawing::lineFill(const FillStyle& fill) {
    if (!line_ || !take()) return false;
    line_->fill = fill;
    strokeOpen_ = false;
    return true;
}

bool ClipDrawing::moveTo(double x, double y) {
    if (!take()) return false;
    penX_ = x;
    penY_ = y;
    subpathX_ = x;
    subpathY_ = y;
    if (filling_) current().fillPath.push_back({DrawingStep::Kind::Move, 0, 0, x, y});
    if (strokeOpen_) current().strokes.back().path.push_back({DrawingStep::Kind::Move, 0, 0, x, y});
    return true;
}

bool ClipDrawing::lineTo(double x, double y) {
    if (!take()) return false;
    addStep({DrawingStep::Kind::Line, 0, 0, x, y});
    return true;
}

bool ClipDrawing::curveTo(double controlX, double controlY, double x, double y) {
    if (!take()) return false;
    addStep({DrawingStep::Kind::Curve, controlX, controlY, x, y});
    return true;
}

void ClipDrawing::clear() {
    if (total_) *total_ -= std::min(*total_, commands_);
    parts_.clear();
    commands_ = 0;
    ++version_;
    filling_ = false;
    line_.reset();
    strokeOpen_ = false;
    penX_ = penY_ = subpathX_ = subpathY_ = 0;
    hasBox_ = false;
}

bool ClipDrawing::copyFrom(const ClipDrawing& other) {
    clear();
    const size_t commands = other.commands_;
    if (commands > limit_ || (total_ && *total_ + commands > totalLimit_)) return false;
    parts_ = other.parts_;
    commands_ = commands;
    if (total_) *total_ += commands;
    filling_ = other.filling_;
    line_ = other.line_;
    strokeOpen_ = other.strokeOpen_;
    penX_ = other.penX_;
    penY_ = other.penY_;
    subpathX_ = other.subpathX_;
    subpathY_ = other.subpathY_;
    hasBox_ = other.hasBox_;
    minX_ = other.minX_;
    minY_ = other.minY_;
    maxX_ = other.maxX_;
    maxY_ = other.maxY_;
    ++version_;
    return true;
}

std::optional<Rect> ClipDrawing::bounds() const {
    if (!hasBox_) return std::nullopt;
    auto twips = [](double v) { return static_cast<int32_t>(std::clamp(std::round(v), -1e9, 1e9)); };
    return Rect{twips(minX_), twips(maxX_), twips(minY_), twips(maxY_)};
}

}  // namespace velmora::swf
