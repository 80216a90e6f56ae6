#pragma once

#include <QRectF>
#include <QSize>
#include <QTransform>

#include "swf/format/geometry.h"

namespace velmora::swf {

// Where the stage lands in a viewport under the "ShowAll" scale mode: the whole stage visible,
// scaled by one factor in both directions to fit, centred; what is left over on two sides is
// margin. A stage or viewport without area gives scale 0 and an empty stage rectangle.
struct StageViewport {
    double scale = 0.0;  // device pixels per movie pixel
    QRectF stageRect;    // the stage in device pixels
    QTransform toDevice; // twips of the movie to device pixels

    static StageViewport showAll(const Rect& stage, QSize viewport);
};

}  // namespace velmora::swf
