#pragma once

#include <cstdint>
#include <optional>
#include <type_traits>
#include <variant>
#include <vector>

#include "swf/format/character.h"
#include "swf/format/geometry.h"

namespace velmora::swf {

struct GradientStop {
    uint8_t ratio = 0;  // 0..255 along the gradient square
    Rgba color;
};

struct Gradient {
    enum class Spread : uint8_t { Pad = 0, Reflect = 1, Repeat = 2 };
    enum class Interpolation : uint8_t { Rgb = 0, LinearRgb = 1 };

    Spread spread = Spread::Pad;
    Interpolation interpolation = Interpolation::Rgb;
    std::vector<GradientStop> stops;  // at most 15
    double focalPoint = 0.0;          // -1..1, focal gradients only
};

struct FillStyle {
    // The values are the file's fill style type bytes.
    enum class Type : uint8_t {
        Solid = 0x00,
        LinearGradient = 0x10,
        RadialGradient = 0x12,
        FocalGradient = 0x13,
        RepeatingBitmap = 0x40,
        ClippedBitmap = 0x41,
        NonSmoothedRepeatingBitmap = 0x42,
        NonSmoothedClippedBitmap = 0x43,
    };

    Type type = Type::Solid;
    Rgba color;         // Solid
    Matrix matrix;      // gradients: maps the 32768-twip gradient square; bitmaps: maps bitmap pixels
    Gradient gradient;  // gradients
    uint16_t bitmapId = 0;  // bitmaps; 0xFFFF means no bitmap

    bool isBitmap() const { return static_cast<uint8_t>(type) >= 0x40; }
    bool isGradient() const { return type == Type::LinearGradient || type == Type::RadialGradient || type == Type::FocalGradient; }
};

struct LineStyle {
    enum class Cap : uint8_t { Round = 0, None = 1, Square = 2 };
    enum class Join : uint8_t { Round = 0, Bevel = 1, Miter = 2 };

    uint16_t width = 0;  // twips; 0 is a hairline
    Rgba color;
    // Line style 2 (DefineShape4) fields; line style 1 leaves the defaults.
    Cap startCap = Cap::Round;
    Cap endCap = Cap::Round;
    Join join = Join::Round;
    double miterLimit = 3.0;
    bool noHScale = false;
    bool noVScale = false;
    bool pixelHinting = false;
    bool noClose = false;
    std::optional<FillStyle> fill;  // a stroke filled with a gradient or bitmap
};

// A style index that may be absent, in two bytes: the file writes indexes at most 15 bits wide,
// and shapes hold hundreds of thousands of records, so the record stays small. Reads like
// std::optional<uint32_t>.
class OptionalStyleIndex {
public:
    constexpr OptionalStyleIndex() = default;
    constexpr OptionalStyleIndex(std::nullopt_t) {}
    // Indexes past 15 bits cannot come from a file; one set by hand past them is kept as 0x7FFF.
    constexpr OptionalStyleIndex(uint32_t index) : bits_(uint16_t(kPresent | (index > kMax ? kMax : index))) {}

    constexpr bool has_value() const { return (bits_ & kPresent) != 0; }
    constexpr explicit operator bool() const { return has_value(); }
    constexpr uint32_t operator*() const { return bits_ & kMax; }
    constexpr uint32_t value_or(uint32_t fallback) const { return has_value() ? **this : fallback; }
    constexpr void reset() { bits_ = 0; }
    operator std::optional<uint32_t>() const { return has_value() ? std::optional<uint32_t>(**this) : std::nullopt; }
    friend constexpr bool operator==(OptionalStyleIndex, OptionalStyleIndex) = default;

private:
    static constexpr uint16_t kPresent = 0x8000;
    static constexpr uint32_t kMax = 0x7FFF;
    uint16_t bits_ = 0;
};

// Style indexes count from 1 into the currently active style arrays; 0 means "none".
struct StyleChangeRecord {
    std::optional<std::pair<int32_t, int32_t>> moveTo;  // absolute, twips
    OptionalStyleIndex fillStyle0;
    OptionalStyleIndex fillStyle1;
    OptionalStyleIndex lineStyle;
    // New style arrays replace the active ones from this record on (DefineShape2 and later). The
    // arrays themselves are kept beside the records (ShapeStyleArrays), in the order of the records
    // that bring them, so that every record stays a few bytes with nothing to free.
    bool hasNewStyles = false;
};

// The style arrays a style change record brings in.
struct ShapeStyleArrays {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
};

struct StraightEdgeRecord {
    int32_t dx = 0;
    int32_t dy = 0;
};

// A quadratic Bézier: control point at (pen + control), anchor at (pen + control + anchor).
struct CurvedEdgeRecord {
    int32_t controlDx = 0;
    int32_t controlDy = 0;
    int32_t anchorDx = 0;
    int32_t anchorDy = 0;
};

// 24 bytes, copied as plain memory and freed with nothing to run.
using ShapeRecord = std::variant<StyleChangeRecord, StraightEdgeRecord, CurvedEdgeRecord>;
static_assert(sizeof(ShapeRecord) <= 24 && std::is_trivially_destructible_v<ShapeRecord>);

// DefineShape, DefineShape2, DefineShape3, DefineShape4.
struct ShapeCharacter : Character {
    explicit ShapeCharacter(uint16_t id) : Character(CharacterKind::Shape, id) {}

    int version = 1;  // 1..4
    Rect bounds;
    Rect edgeBounds;  // DefineShape4 only; equals bounds otherwise
    bool usesFillWindingRule = false;  // non-zero filling instead of even-odd
    bool usesNonScalingStrokes = false;
    bool usesScalingStrokes = false;
    // Colours carry alpha from DefineShape3 on; earlier versions read RGB and leave alpha 255.
    std::vector<FillStyle> fillStyles;
    std::vector<LineStyle> lineStyles;
    std::vector<ShapeRecord> records;
    // The arrays of the records with hasNewStyles, in record order.
    std::vector<ShapeStyleArrays> newStyles;
};

// DefineMorphShape and DefineMorphShape2: a shape drawn at a ratio between two sets of edges and
// styles. Start and end records pair up edge for edge.
struct MorphShapeCharacter : Character {
    explicit MorphShapeCharacter(uint16_t id) : Character(CharacterKind::MorphShape, id) {}

    struct MorphFill {
        FillStyle start;  // start.gradient and end.gradient have the same number of stops
        FillStyle end;
    };
    struct MorphLine {
        LineStyle start;
        LineStyle end;
    };

    int version = 1;  // 1 or 2
    Rect startBounds;
    Rect endBounds;
    Rect startEdgeBounds;
    Rect endEdgeBounds;
    bool usesNonScalingStrokes = false;
    bool usesScalingStrokes = false;
    std::vector<MorphFill> fillStyles;
    std::vector<MorphLine> lineStyles;
    // A morph has one set of styles: new style arrays in its records are read past and not kept.
    std::vector<ShapeRecord> startRecords;
    std::vector<ShapeRecord> endRecords;  // style changes here carry only moveTo
};

}  // namespace velmora::swf
