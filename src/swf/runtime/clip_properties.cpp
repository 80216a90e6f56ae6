#include "swf/runtime/clip_properties.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "swf/runtime/changed_area.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/clip_bounds.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/heap.h"
#include "swf/runtime/script/vm.h"
#include "swf/runtime/target_path.h"

namespace velmora::swf {

namespace {

// Where the clip's movie came from: the chosen movie's URL, or for a loaded one the name it was
// asked by, beside the chosen movie.
std::string urlOf(const Clip& clip) {
    const std::string& base = clip.movie().url();
    const LoadedMovie* loaded = clip.loadedMovie();
    if (!loaded) return base;
    std::string name = loaded->url;
    std::replace(name.begin(), name.end(), '\\', '/');
    const size_t slash = base.rfind('/');
    return slash == std::string::npos ? name : base.substr(0, slash + 1) + name;
}

constexpr std::array<std::string_view, kClipPropertyCount> kNames = {
    "_x",       "_y",         "_xscale",    "_yscale",  "_currentframe", "_totalframes", "_alpha",  "_visible",
    "_width",   "_height",    "_rotation",  "_target",  "_framesloaded", "_name",        "_droptarget", "_url",
    "_highquality", "_focusrect", "_soundbuftime", "_quality", "_xmouse", "_ymouse"};

Matrix matrixOf(const Clip& clip) {
    const DisplayObject* self = clip.displayObject();
    return self ? self->matrix : Matrix{};
}

using script::Value;

// A mirror matrix is read as a flipped x axis: a script that sets _xscale to -100 reads -100
// back, with the rotation it had.
bool mirrored(const Matrix& m) { return m.a * m.d - m.b * m.c < 0; }
double xScale(const Matrix& m) { return std::hypot(m.a, m.b) * (mirrored(m) ? -100.0 : 100.0); }
double yScale(const Matrix& m) { return std::hypot(m.c, m.d) * 100.0; }
double rotationRadians(const Matrix& m) {
    return mirrored(m) ? std::atan2(-m.b, -m.a) : std::atan2(m.b, m.a);
}
double rotation(const Matrix& m) { return rotationRadians(m) * 180.0 / std::numbers::pi; }

// Sets one axis' length to scale / 100 keeping its direction; a negative scale points it the
// other way. An axis of length 0 takes the direction the rotation gives it.
void setAxis(Matrix& m, bool isX, double scale) {
    double& p = isX ? m.a : m.c;
    double& q = isX ? m.b : m.d;
    const double r = rotationRadians(m);
    double dirX = isX ? std::cos(r) : -std::sin(r);
    double dirY = isX ? std::sin(r) : std::cos(r);
    if (const double length = std::hypot(p, q); length > 0) {
        const double sign = isX && mirrored(m) ? -1.0 : 1.0;
        dirX = p / length * sign;
        dirY = q / length * sign;
    }
    p = dirX * scale / 100.0;
    q = dirY * scale / 100.0;
}

// The pointer in the clip's own coordinates, in pixels.
std::pair<double, double> mouseInClip(const Clip& clip) {
    Matrix toStage;
    for (const Clip* c = &clip; c && !c->isRoot(); c = c->parent()) toStage = matrixOf(*c) * toStage;
    const double det = toStage.a * toStage.d - toStage.b * toStage.c;
    if (det == 0.0 || !std::isfinite(det)) return {0.0, 0.0};
    const double x = clip.movie().mouseX() - toStage.tx;
    const double y = clip.movie().mouseY() - toStage.ty;
    return {(toStage.d * x - toStage.c * y) / det / kTwipsPerPixel, (-toStage.b * x + toStage.a * y) / det / kTwipsPerPixel};
}

double sizeOf(const Clip& clip, bool width) {
    std::optional<Rect> box;
    if (const DisplayObject* self = clip.displayObject()) {
        box = objectBounds(*self, clip.definitions());
    } else {
        box = contentBounds(clip);
    }
    if (!box) return 0.0;
    return (width ? box->width() : box->height()) / kTwipsPerPixel;
}

Value num(double v) { return Value::number(v); }
Value text(script::Vm& vm, std::string s) { return Value::string(vm.heap().string(std::move(s))); }

// The slash path of what a dragged clip was let go over, "" for a clip not being dragged.
std::string dropTarget(const Clip& clip) {
    const Clip* over = clip.movie().dropTarget(clip);
    return over ? slashPath(*over) : std::string();
}

}  // namespace

std::optional<int> clipPropertyIndex(std::string_view name, bool ignoreCase) {
    for (int i = 0; i < kClipPropertyCount; ++i) {
        if (std::equal(name.begin(), name.end(), kNames[i].begin(), kNames[i].end(), [ignoreCase](char a, char b) {
                return (ignoreCase ? std::tolower(static_cast<unsigned char>(a)) : a) == b;
            })) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<Value> clipProperty(script::Vm& vm, const Clip& clip, int index) {
    if (index < 0 || index >= kClipPropertyCount) return std::nullopt;
    const Matrix m = matrixOf(clip);
    const DisplayObject* self = clip.displayObject();
    switch (static_cast<ClipProperty>(index)) {
    case ClipProperty::X: return num(m.tx / kTwipsPerPixel);
    case ClipProperty::Y: return num(m.ty / kTwipsPerPixel);
    case ClipProperty::XScale: return num(xScale(m));
    case ClipProperty::YScale: return num(yScale(m));
    case ClipProperty::CurrentFrame:
        return num(clip.frameCount() == 0 ? 0.0 : static_cast<double>(clip.currentFrame() + 1));
    case ClipProperty::TotalFrames:
    case ClipProperty::FramesLoaded: return num(static_cast<double>(clip.frameCount()));
    case ClipProperty::Alpha: return num(self ? self->colorTransform.aMult * 100.0 : 100.0);
    case ClipProperty::Visible: return num(!self || self->visible ? 1.0 : 0.0);
    case ClipProperty::Width: return num(sizeOf(clip, true));
    case ClipProperty::Height: return num(sizeOf(clip, false));
    case ClipProperty::Rotation: return num(rotation(m));
    case ClipProperty::Target: return text(vm, slashPath(clip));
    case ClipProperty::Name: return text(vm, clip.name());
    case ClipProperty::DropTarget: return text(vm, dropTarget(clip));
    case ClipProperty::Url: return text(vm, urlOf(clip));
    case ClipProperty::HighQuality: return num(clip.movie().highQuality() ? 1.0 : 0.0);
    case ClipProperty::FocusRect: {
        // The movie's own setting on a root (and everywhere in movies older than version 6);
        // a clip's own is null until a script sets it.
        if (clip.isRoot() || !self || clip.movie().movie().version < 6) return num(clip.movie().focusRectangles() ? 1.0 : 0.0);
        return self->focusRect ? Value::boolean(*self->focusRect) : Value::null();
    }
    case ClipProperty::SoundBufTime: return num(5.0);
    case ClipProperty::Quality: return text(vm, clip.movie().highQuality() ? "HIGH" : "LOW");
    case ClipProperty::XMouse: return num(mouseInClip(clip).first);
    case ClipProperty::YMouse: return num(mouseInClip(clip).second);
    }
    return std::nullopt;
}

std::optional<std::string> clipPropertyText(const Clip& clip, int index) {
    script::Vm& vm = clip.movie().vm();
    const auto value = clipProperty(vm, clip, index);
    if (!value) return std::nullopt;
    if (value->isNumber()) return plainDecimal(value->asNumber());
    if (value->isBoolean()) return value->asBoolean() ? "1" : "0";
    return vm.toString(*value)->text();
}

bool setClipProperty(script::Vm& vm, Clip& clip, int index, const Value& value) {
    if (static_cast<ClipProperty>(index) == ClipProperty::HighQuality ||
        static_cast<ClipProperty>(index) == ClipProperty::Quality) {
        const bool high = value.isString() ? value.asString()->view() != "LOW" : vm.toNumber(value) != 0.0;
        clip.movie().setHighQuality(high);
        return true;
    }
    DisplayObject* self = clip.displayObject();
    if (static_cast<ClipProperty>(index) == ClipProperty::FocusRect) {
        if (clip.isRoot() || !self || clip.movie().movie().version < 6) {
            clip.movie().setFocusRectangles(vm.toBoolean(value));
        } else {
            // null gives the choice back to the movie's own setting.
            self->focusRect = value.isNull() || value.isUndefined() ? std::nullopt : std::optional<bool>(vm.toBoolean(value));
            clip.movie().noteChange();
        }
        return true;
    }
    if (!self) return false;  // the root has no placement of its own to change
    if (static_cast<ClipProperty>(index) == ClipProperty::Name) {
        self->name = vm.toString(value)->text();
        return true;
    }
    return changeObjectNoting(clip.movie(), clip.parent(), *self,
                              [&] { return setPlacementProperty(*self, clip.definitions(), index, vm.toNumber(value)); });
}

bool setPlacementProperty(DisplayObject& object, const Movie& movie, int index, double number) {
    if (!std::isfinite(number)) return false;
    // Kept within bounds a picture can still be drawn at: far beyond any stage, never infinite.
    const double v = std::clamp(number, -1e7, 1e7);
    Matrix& m = object.matrix;
    switch (static_cast<ClipProperty>(index)) {
    case ClipProperty::X: m.tx = v * kTwipsPerPixel; break;
    case ClipProperty::Y: m.ty = v * kTwipsPerPixel; break;
    case ClipProperty::XScale: setAxis(m, true, v); break;
    case ClipProperty::YScale: setAxis(m, false, v); break;
    case ClipProperty::Width:
    case ClipProperty::Height: {
        // The scale that gives the size asked for, along the object's own axis.
        const bool isX = static_cast<ClipProperty>(index) == ClipProperty::Width;
        const auto box = objectBounds(object, movie);
        const double size = box ? (isX ? box->width() : box->height()) / kTwipsPerPixel : 0.0;
        const double scale = isX ? xScale(m) : yScale(m);
        if (size <= 0 || scale == 0) return false;
        setAxis(m, isX, scale * std::fabs(v) / size);
        break;
    }
    case ClipProperty::Rotation: {
        const double sx = xScale(m) / 100.0, sy = yScale(m) / 100.0;
        const double r = v * std::numbers::pi / 180.0;
        m.a = std::cos(r) * sx;
        m.b = std::sin(r) * sx;
        m.c = -std::sin(r) * sy;
        m.d = std::cos(r) * sy;
        break;
    }
    case ClipProperty::Alpha: object.colorTransform.aMult = v / 100.0; return true;
    case ClipProperty::Visible: object.visible = v != 0.0; return true;
    default: return false;
    }
    object.movedByScript = true;
    return true;
}

std::string plainDecimal(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    std::string text = buffer;
    if (text.find('e') == std::string::npos) return text == "-0" ? "0" : text;
    // Large or tiny: written out in full, with the digits %.15g kept.
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    const int decimals = std::clamp(14 - exponent, 0, 340);
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    text = buffer;
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    return text == "-0" ? "0" : text;
}

}  // namespace velmora::swf
