#include "swf/render/drawing_geometry.h"

#include <algorithm>

namespace velmora::swf {

namespace {

struct GeometryCache final : ClipDrawing::Cache {
    ShapeGeometry geometry;
    // For each fill of the geometry, the picture it shows, if any.
    std::vector<std::pair<ShapeStyleGroup::Fill*, std::shared_ptr<const BitmapPixels>>> pictures;
};

QPainterPath toPath(const std::vector<DrawingStep>& steps, bool closeSubpaths) {
    QPainterPath path;
    bool open = false;
    for (const DrawingStep& s : steps) {
        switch (s.kind) {
            case DrawingStep::Kind::Move:
                if (open && closeSubpaths) path.closeSubpath();
                path.moveTo(s.x, s.y);
                open = true;
                break;
            case DrawingStep::Kind::Line: path.lineTo(s.x, s.y); break;
            case DrawingStep::Kind::Curve: path.quadTo(s.controlX, s.controlY, s.x, s.y); break;
        }
    }
    if (open && closeSubpaths) path.closeSubpath();
    return path;
}

// The picture's pixels as an image, without a copy: valid while the pixels stay as they are.
QImage wrap(const BitmapPixels& pixels) {
    if (pixels.empty()) return {};
    return QImage(reinterpret_cast<const uchar*>(pixels.argb.data()), pixels.width, pixels.height,
                  pixels.width * 4, pixels.transparent ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

}  // namespace

ShapeGeometry buildDrawingGeometry(const ClipDrawing& drawing) {
    ShapeGeometry geometry;
    QRectF bounds;
    double widest = 0;
    for (const DrawingPart& part : drawing.parts()) {
        ShapeStyleGroup group;
        if (part.fill && part.fillPath.size() > 1) {
            ShapeStyleGroup::Fill fill{part.fill->style, toPath(part.fillPath, true), {}};
            fill.path.setFillRule(Qt::OddEvenFill);
            bounds = bounds.united(fill.path.boundingRect());
            group.fills.push_back(std::move(fill));
        }
        for (const DrawingPart::Stroke& stroke : part.strokes) {
            if (stroke.path.size() < 2) continue;
            ShapeStyleGroup::Line line{stroke.style, toPath(stroke.path, false)};
            const double half = stroke.style.width / 2.0;
            bounds = bounds.united(line.path.boundingRect().adjusted(-half, -half, half, half));
            if (stroke.style.width == 0 || stroke.style.noHScale || stroke.style.noVScale)
                widest = std::max(widest, std::max<double>(stroke.style.width, kTwipsPerPixel));
            group.lines.push_back(std::move(line));
        }
        if (!group.fills.empty() || !group.lines.empty()) geometry.groups.push_back(std::move(group));
    }
    geometry.bounds = bounds;
    geometry.deviceStrokeWidth = widest;
    return geometry;
}

const ShapeGeometry& drawingGeometry(const ClipDrawing& drawing) {
    std::unique_ptr<ClipDrawing::Cache>& slot = drawing.cache();
    auto* cache = dynamic_cast<GeometryCache*>(slot.get());
    if (!cache || cache->version != drawing.version()) {
        auto fresh = std::make_unique<GeometryCache>();
        fresh->geometry = buildDrawingGeometry(drawing);
        fresh->version = drawing.version();
        // Parts and groups pair up in order, parts without paths left out.
        size_t g = 0;
        for (const DrawingPart& part : drawing.parts()) {
            const bool filled = part.fill && part.fillPath.size() > 1;
            const bool stroked = std::any_of(part.strokes.begin(), part.strokes.end(),
                                             [](const DrawingPart::Stroke& s) { return s.path.size() >= 2; });
            if (!filled && !stroked) continue;
            ShapeStyleGroup& group = fresh->geometry.groups[g++];
            if (filled && part.fill->bitmap) fresh->pictures.emplace_back(&group.fills.front(), part.fill->bitmap);
        }
        cache = fresh.get();
        slot = std::move(fresh);
    }
    for (auto& [fill, pixels] : cache->pictures) fill->picture = wrap(*pixels);
    return cache->geometry;
}

}  // namespace velmora::swf
