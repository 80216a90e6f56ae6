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

}  // namespace velmora::swf
