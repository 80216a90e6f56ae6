#pragma once

#include <optional>

#include "swf/format/geometry.h"
#include "swf/format/shape.h"
#include "swf/runtime/picture_services.h"
#include "swf/runtime/script/builtins/geom_values.h"
#include "swf/runtime/script/native.h"

namespace velmora::swf::script {

// How the drawing API and BitmapData read the geometry objects scripts pass them. Objects are read
// by their fields alone (a flash.geom.Matrix and a plain {a:..., tx:...} read alike), so that
// movies written before the flash.geom classes existed work too. Fields that are missing or not
// numbers read as the identity's (0 for offsets).

// A matrix in pixels: {a, b, c, d, tx, ty}; the older {matrixType: "box", x, y, w, h, r}, which
// fits a gradient's square into the box w x h at (x, y) turned by r radians; or the older 3x3 form
// {a, b, d, e, g, h}. nullopt for anything that is not an object.
std::optional<Matrix> readMatrixArgument(CallContext& cx, const Value& value);
// {x, y, width, height}; nullopt for anything that is not an object.
std::optional<PixelRect> readRect(CallContext& cx, const Value& value);
// {x, y}; (0, 0) for anything that is not an object.
void readPoint(CallContext& cx, const Value& value, double& x, double& y);
// Colour transforms are read as flash.geom.ColorTransform reads them (readColorTransform).

// A gradient fill from the arguments of beginGradientFill and lineGradientStyle, starting at
// args[first]: type ("linear" or "radial"), colours, alphas (0..100), ratios (0..255), matrix
// (pixels), spread ("pad", "reflect", "repeat"), interpolation ("RGB", "linearRGB") and focal point
// (-1..1). The matrix comes back in twips, as the renderer wants it. nullopt when the type is
// unknown or the arrays are missing; stops beyond the shortest array and past 15 are left out.
std::optional<FillStyle> readGradientFill(CallContext& cx, std::span<const Value> args, size_t first);

// A colour 0xRRGGBB and an alpha in percent (missing or undefined: 100) as one colour.
Rgba readColour(CallContext& cx, const Value& rgb, const Value& alphaPercent);

}  // namespace velmora::swf::script
