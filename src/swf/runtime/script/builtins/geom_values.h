#pragma once

#include "swf/format/geometry.h"
#include "swf/runtime/script/native.h"

namespace velmora::swf::script {

// flash.geom objects to and from the engine's own values. The script objects keep their numbers
// as ordinary properties; these read them (missing ones as NaN) and write them all.

// A Matrix's a, b, c, d, tx, ty (translation in whatever unit the caller means: pixels for clips).
Matrix readMatrix(CallContext& cx, const Value& matrix);
void writeMatrix(CallContext& cx, const Value& target, const Matrix& m);
// new flash.geom.Matrix(...) with m's numbers.
Value makeMatrix(CallContext& cx, const Matrix& m);

// A ColorTransform's multipliers and offsets, bounded as Color bounds them.
ColorTransform readColorTransform(CallContext& cx, const Value& transform);
Value makeColorTransform(CallContext& cx, const ColorTransform& t);

// new flash.geom.Transform(clip).
Value makeTransform(CallContext& cx, const Value& clip);

}  // namespace velmora::swf::script
