#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "swf/format/geometry.h"
#include "swf/format/shape.h"
#include "swf/runtime/bitmap_pixels.h"

namespace velmora::swf {

// One step of a drawn path, in twips: a move starts a subpath, a line or a curve (control point,
// then anchor) continues it from where the last step ended.
struct DrawingStep {
    enum class Kind : uint8_t { Move, Line, Curve };
    Kind kind = Kind::Move;
    double controlX = 0;
    double controlY = 0;
    double x = 0;
    double y = 0;
};

// A fill of the drawing: a style as shapes have it, and for a bitmap fill the picture itself
// (shapes name their bitmaps by id; a drawing shows pictures made by scripts).
struct DrawingFill {
    FillStyle style;
    std::shared_ptr<const BitmapPixels> bitmap;
};

// One run of the drawing, painted in order: a fill (or none) with the subpaths drawn while it was
// in force, then the strokes drawn meanwhile, each with its line style.
struct DrawingPart {
    struct Stroke {
        LineStyle style;
        std::vector<DrawingStep> path;
    };
    std::optional<DrawingFill> fill;
    std::vector<DrawingStep> fillPath;  // each subpath is closed when filled
    std::vector<Stroke> strokes;
};

// What a clip's scripts drew with the drawing API (beginFill, lineStyle, moveTo, lineTo, ...),
// kept with the clip and shown beneath its children. The renderer turns it into paths and keeps
// them in cache() until version() moves.
//
// The pen starts at (0, 0). A fill runs from beginFill to endFill (or the next beginFill, or
// clear): endFill closes its last subpath with a line back to where the subpath began, stroked
// with the line style in force; a move inside a fill starts a new subpath of the same fill, and
// subpaths that overlap leave holes (even-odd). Lines are stroked only while a line style is set;
// lineStyle with no style ends them. Every method past limit() commands (counting from the last
// clear), or past totalLimit commands of all drawings sharing *total, is refused: it returns false
// and changes nothing.
class ClipDrawing {
public:
    // total: the count the drawings of one movie share; it must outlive the drawing.
    ClipDrawing(size_t limit, size_t* total, size_t totalLimit) : limit_(limit), total_(total), totalLimit_(totalLimit) {}
    ~ClipDrawing();
    ClipDrawing(const ClipDrawing&) = delete;
    ClipDrawing& operator=(const ClipDrawing&) = delete;

    bool beginFill(DrawingFill fill);
    bool endFill();
    // nullopt: lines drawn from here are not stroked.
    bool lineStyle(std::optional<LineStyle> style);
    // Gives the line style in force a gradient; nothing without a line style.
    bool lineFill(const FillStyle& fill);
    bool moveTo(double x, double y);
    bool lineTo(double x, double y);
    bool curveTo(double controlX, double controlY, double x, double y);
    // Removes everything drawn and the line style; the pen returns to (0, 0).
    void clear();
    // Replaces this drawing with a copy of other's (duplicateMovieClip copies what a clip drew).
    // Returns false, leaving this drawing empty, when the copy would pass this drawing's or the
    // movie's limit.
    bool copyFrom(const ClipDrawing& other);

    const std::vector<DrawingPart>& parts() const { return parts_; }
    bool empty() const { return parts_.empty(); }
    // The box of everything drawn, strokes at half their width beyond their paths, in twips;
    // nullopt when nothing has been drawn.
    std::optional<Rect> bounds() const;
    size_t commandCount() const { return commands_; }
    size_t limit() const { return limit_; }
    // Whether the last refusal came from the movie's total rather than this drawing's own limit.
    bool movieFull() const { return total_ && *total_ >= totalLimit_; }

    // Moves on every change.
    uint64_t version() const { return version_; }
    // A slot for the renderer's paths of this drawing; owned by the drawing so that they go with
    // it. The renderer checks it against version().
    struct Cache {
        virtual ~Cache() = default;
        uint64_t version = 0;
    };
    std::unique_ptr<Cache>& cache() const { return cache_; }

private:
    bool take();
    DrawingPart& current();
    void addStep(const DrawingStep& step);
    void include(double x, double y, double halfWidth);
    void closeFill();

    const size_t limit_;
    size_t* const total_;
    const size_t totalLimit_;
    size_t commands_ = 0;
    uint64_t version_ = 0;
    std::vector<DrawingPart> parts_;
    bool filling_ = false;
    std::optional<LineStyle> line_;
    bool strokeOpen_ = false;  // the last part's last stroke takes the next steps
    double penX_ = 0;
    double penY_ = 0;
    double subpathX_ = 0;  // where the fill's current subpath began
    double subpathY_ = 0;
    bool hasBox_ = false;
    double minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0;
    mutable std::unique_ptr<Cache> cache_;
};

}  // namespace velmora::swf
