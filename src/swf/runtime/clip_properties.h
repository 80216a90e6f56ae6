#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "swf/runtime/script/value.h"

namespace velmora::swf {

class Clip;
struct DisplayObject;
struct Movie;
namespace script {
class Vm;
}

// The clip properties scripts and the component address by index.
enum class ClipProperty : int {
    X = 0,
    Y = 1,
    XScale = 2,
    YScale = 3,
    CurrentFrame = 4,
    TotalFrames = 5,
    Alpha = 6,
    Visible = 7,
    Width = 8,
    Height = 9,
    Rotation = 10,
    Target = 11,
    FramesLoaded = 12,
    Name = 13,
    DropTarget = 14,
    Url = 15,
    HighQuality = 16,
    FocusRect = 17,
    SoundBufTime = 18,
    Quality = 19,
    XMouse = 20,
    YMouse = 21,
};
constexpr int kClipPropertyCount = 22;

// The index of a property by its name ("_x" is 0), regardless of ASCII case unless ignoreCase is
// false (code of SWF 7 and later, for which "_X" is no property); nullopt for none.
std::optional<int> clipPropertyIndex(std::string_view name, bool ignoreCase = true);

// Property `index` of clip as a script sees it, made in vm's heap. Positions and sizes are in
// pixels, scales and alpha in percent, rotation in degrees; a flipped clip (a mirror matrix)
// reads as a negative _xscale, its rotation that of its unflipped x axis; _currentframe counts
// from 1 as authors number frames; _totalframes and _framesloaded are counts (the whole file is
// loaded); _droptarget is the slash path of the clip under a dragged clip ("" when none).
// nullopt for an index outside 0..21.
std::optional<script::Value> clipProperty(script::Vm& vm, const Clip& clip, int index);

// The same as text, as the component's TGetProperty answers: numbers in plain decimal without an
// exponent ("120", "12.5", "-3"), flags as "1" or "0", _name the instance name, _target the slash
// path ("/mp3_mc"), _quality "HIGH" or "LOW". nullopt for an index outside 0..21.
std::optional<std::string> clipPropertyText(const Clip& clip, int index);

// Sets a property from a script: value must be a primitive (its conversion then runs no script
// that could remove the clip), converted with vm's rules. Position, scale (a negative
// _xscale or _yscale mirrors), rotation (keeping the scales), size (_width and _height set the
// scale that gives it; an empty clip stays as it is), alpha, visibility, name and quality can be
// set; the rest are read-only and the call is ignored. Non-finite numbers are ignored too, so that
// a script cannot throw a clip to infinity. Returns whether anything changed.
bool setClipProperty(script::Vm& vm, Clip& clip, int index, const script::Value& value);

// The placement properties alone (position, scale, rotation, size, alpha, visibility) of an object
// on a display list, for clips and buttons alike: value is the number a script gave, in the units
// clipProperty reads; movie is where a button finds the parts that make its size. A change of
// position, scale, rotation or size marks the object as moved by script, which the timeline
// respects from then on. Returns whether anything changed; non-finite numbers change nothing.
bool setPlacementProperty(DisplayObject& object, const Movie& movie, int index, double value);

// A number in plain decimal: no exponent, no trailing zeros, at most 15 significant digits;
// "NaN" and "Infinity" for those.
std::string plainDecimal(double value);

}  // namespace velmora::swf
