#pragma once

#include <QRectF>
#include <QSize>
#include <QTransform>

#include "swf/format/geometry.h"
#include "swf/runtime/stage_settings.h"

namespace velmora::swf {

// Where the stage lands in a viewport under the "ShowAll" scale mode: the whole stage visible,
// scaled by one factor in both directions to fit, centred; what is left over on two sides is
// margin. A stage or viewport without area gives scale 0 and an empty stage rectangle.
struct StageViewport {
    double scale = 0.0;  // device pixels per movie pixel
    QRectF stageRect;    // the stage in device pixels
    QTransform toDevice; // twips of the movie to device pixels

    static StageViewport showAll(const Rect& stage, QSize viewport);
    // The stage placed as a movie asks through Stage.scaleMode and Stage.align:
    //   showAll   the whole stage visible, one factor both ways (the margins where align says);
    //   noBorder  the area filled, one factor both ways, what overflows cut where align says;
    //   exactFit  the area filled, each direction scaled on its own;
    //   noScale   the stage at its own size, placed where align says (centred by default).
    // scale is the smaller factor when the two differ.
    static StageViewport place(const Rect& stage, QSize viewport, StageSettings::ScaleMode mode, uint8_t align);
};

}  // namespace velmora::swf
