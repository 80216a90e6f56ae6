#include "swf/render/stage_viewport.h"

#include <algorithm>

namespace velmora::swf {

StageViewport StageViewport::showAll(const Rect& stage, QSize viewport) {
    StageViewport view;
    // In floating point: a hostile stage's extremes differ by more than an int holds.
    const double stageWidth = (double(stage.xMax) - stage.xMin) / kTwipsPerPixel;
    const double stageHeight = (double(stage.yMax) - stage.yMin) / kTwipsPerPixel;
    if (stageWidth <= 0 || stageHeight <= 0 || viewport.width() <= 0 || viewport.height() <= 0) return view;
    view.scale = std::min(viewport.width() / stageWidth, viewport.height() / stageHeight);
    const double width = stageWidth * view.scale;
    const double height = stageHeight * view.scale;
    const double left = (viewport.width() - width) / 2.0;
    const double top = (viewport.height() - height) / 2.0;
    view.stageRect = QRectF(left, top, width, height);
    const double k = view.scale / kTwipsPerPixel;
    view.toDevice = QTransform(k, 0, 0, k, left - stage.xMin * k, top - stage.yMin * k);
    return view;
}

StageViewport StageViewport::place(const Rect& stage, QSize viewport, StageSettings::ScaleMode mode, uint8_t align) {
    using Mode = StageSettings::ScaleMode;
    StageViewport view;
    const double stageWidth = (double(stage.xMax) - stage.xMin) / kTwipsPerPixel;
    const double stageHeight = (double(stage.yMax) - stage.yMin) / kTwipsPerPixel;
    if (stageWidth <= 0 || stageHeight <= 0 || viewport.width() <= 0 || viewport.height() <= 0) return view;
    const double fitX = viewport.width() / stageWidth;
    const double fitY = viewport.height() / stageHeight;
    double sx = 1.0, sy = 1.0;
    switch (mode) {
        case Mode::ShowAll: sx = sy = std::min(fitX, fitY); break;
        case Mode::NoBorder: sx = sy = std::max(fitX, fitY); break;
        case Mode::ExactFit: sx = fitX, sy = fitY; break;
        case Mode::NoScale: break;
    }
    const double width = stageWidth * sx;
    const double height = stageHeight * sy;
    const auto along = [](double room, double size, bool start, bool end) {
        return start ? 0.0 : end ? room - size : (room - size) / 2.0;
    };
    const double left = along(viewport.width(), width, align & StageSettings::AlignLeft, align & StageSettings::AlignRight);
    const double top = along(viewport.height(), height, align & StageSettings::AlignTop, align & StageSettings::AlignBottom);
    view.scale = std::min(sx, sy);
    view.stageRect = QRectF(left, top, width, height);
    const double kx = sx / kTwipsPerPixel, ky = sy / kTwipsPerPixel;
    view.toDevice = QTransform(kx, 0, 0, ky, left - stage.xMin * kx, top - stage.yMin * ky);
    return view;
}

}  // namespace velmora::swf
