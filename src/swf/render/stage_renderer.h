#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QTransform>
#include <functional>
#include <optional>
#include <string>

#include "swf/format/sprite.h"
#include "swf/format/video.h"
#include "swf/runtime/display_object.h"
#include "swf/render/nine_slice.h"
#include "swf/render/render_resources.h"
#include "swf/render/stage_viewport.h"

namespace velmora::swf {

// Finds the display list of a sprite instance (its DisplayObject::clip) or of a button instance
// (the parts its current state shows), or nullptr when it has none. The runtime owns both; the
// renderer only reads through this.
using ChildListLookup = std::function<const DisplayList*(const DisplayObject&)>;

// The runtime's own way of reaching a sprite's or button's display list.
const DisplayList* clipDisplayList(const DisplayObject& object);

// Draws display lists: the stage of a movie, through its sprites, onto a painter. Shapes, morph
// shapes, static and edit texts, bitmaps, buttons (the parts the runtime built for their current
// state, sprites among them animating; a button without parts shows the records of its state,
// sprites among them at their first frame) and sprites; matrices and colour
// transforms compose from parent to child; clip layers mask the depths they cover; blend modes and
// filters are drawn on offscreen layers; video streams show the frame their placement's ratio
// names. Antialiased, bitmaps smoothed where the movie allows it.
//
// The renderer sets the painter's transform itself and expects the painter to be untransformed;
// it restores the painter's state when done. Anything it cannot draw (a missing character, an
// undecodable bitmap, an unsupported filter) is skipped and noted in resources().warnings.
class StageRenderer {
public:
    // Nesting deeper than this is not drawn: a movie whose sprites contain themselves would
    // otherwise recurse without end.
    static constexpr int kMaxNesting = 64;

    explicit StageRenderer(RenderResources& resources, ChildListLookup children = clipDisplayList);

    // Paints the whole viewport: the background colour everywhere, then the stage's content
    // scaled "ShowAll" into it and clipped to the stage, so the margins show the background.
    void render(QPainter& painter, const DisplayList& list, const Rect& stage, QSize viewport, const QColor& background);

    // The same into a new image of the viewport's size.
    QImage renderImage(const DisplayList& list, const Rect& stage, QSize viewport, const QColor& background);

    // Draws one display list with a given transform (movie twips to device pixels) and colour
    // transform, without background or stage clip. stageScale is device pixels per movie pixel.
    void drawList(QPainter& painter, const DisplayList& list, const QTransform& toDevice, const ColorTransform& cx,
                  double stageScale);

    // The same three for a clip (normally the movie's root) rather than a bare list: what its
    // scripts drew with the drawing API shows beneath its display list.
    void render(QPainter& painter, const Clip& root, const Rect& stage, QSize viewport, const QColor& background);
    QImage renderImage(const Clip& root, const Rect& stage, QSize viewport, const QColor& background);
    void drawClip(QPainter& painter, const Clip& clip, const QTransform& toDevice, const ColorTransform& cx,
                  double stageScale);
    // drawClip for the movie's root, with the levels above it drawn over it (render() with a
    // root does the same).
    void drawStage(QPainter& painter, const Clip& root, const QTransform& toDevice, double stageScale);

    RenderResources& resources() { return resources_; }

    // Whether the frame drawn last holds blend modes that work on the pixels below them (subtract,
    // invert). Only a painter on a QImage gives those pixels: on any other device (a widget) they
    // were drawn as normal, and the caller should draw the frame onto an image and show that.
    bool lastFrameReadsBelow() const { return readsBelow_; }

    // Whether finished pictures of shapes and texts are kept and copied on later frames (see
    // raster_cache.h). On by default; off draws every path afresh, for comparison.
    void setPictureCaching(bool on) { pictureCaching_ = on; }

    // The text field that has the keyboard focus, drawn with its selection and (an input field)
    // its caret, and the text an input method is composing in it, shown at the caret with the
    // composing caret at preeditCursor within it. nullptr for none. The field must outlive the
    // frames drawn with it, or be set again first.
    void setFocusedText(const DisplayObject* field, std::u16string preedit = {}, int32_t preeditCursor = 0) {
        focusedText_ = field;
        preedit_ = std::move(preedit);
        preeditCursor_ = preeditCursor;
    }

    // Leaves the focused field's caret out (the dark half of its blink).
    void setCaretHidden(bool hidden) { caretHidden_ = hidden; }

    // The focus rectangle around the focused button or clip (see focusRectangle), in stage
    // twips, drawn over everything by render() and drawStage() for a movie's root; nullopt for
    // none.
    void setFocusRectangle(std::optional<Rect> box) { focusRectangle_ = box; }

private:
    struct Context {
        QTransform world;
        ColorTransform cx;
        int nesting = 0;
        bool insideLayer = false;  // a parent with blend mode "layer" gathers us
        // Drawn from a timeline's placements (the records of a button), where no sprite has a
        // live instance: sprites show their first frame.
        bool stillPicture = false;
        // The content of a sprite or button drawn with its scaling grid: the slice its own shapes
        // go through, and the content's transform to the device. Not passed on to nested sprites,
        // which scale as a whole.
        const NineSlice* slice = nullptr;
        QTransform sliceWorld;
    };
    // Sprites drawn as still pictures build objects of their own; a drawn frame builds at most
    // this many, so that sprites placing themselves many times over cannot multiply without end.
    static constexpr int kMaxStillObjects = 4096;

    void drawListAt(QPainter& painter, const DisplayList& list, const Context& ctx);
    // What a clip's scripts drew, through ctx.
    void drawDrawing(QPainter& painter, const ClipDrawing& drawing, const Context& ctx);
    void drawObject(QPainter& painter, const DisplayObject& object, const Context& parent);
    // drawObject past a script's mask.
    void drawMasked(QPainter& painter, const DisplayObject& object, const Context& parent);
    void drawCharacter(QPainter& painter, const Character& character, const DisplayObject* object,
                       const Context& ctx);
    void drawButton(QPainter& painter, const Character& button, const DisplayObject* object, const Context& ctx);
    // Draws the frame of a video stream the ratio names; nothing before its first frame.
    // display: what a script made of the video object (an attached stream, smoothing), or null.
    void drawVideo(QPainter& painter, const VideoStreamCharacter& video, uint16_t ratio, const Context& ctx,
                   const VideoDisplay* display);
    // The display list a sprite's first frame sets up, its sprites without instances of their own;
    // nullopt when the sprite has no frames or the frame drawn has built too many such objects.
    std::optional<DisplayList> firstFrame(const SpriteCharacter& sprite);
    // Draws that display list.
    void drawFirstFrame(QPainter& painter, const SpriteCharacter& sprite, const Context& ctx);
    void drawWithEffects(QPainter& painter, const DisplayObject& object, const Context& ctx);
    // Draws through the picture cache; returns false when the picture is not kept (too large, or
    // not worth keeping: see raster_cache.h) and the caller must draw directly. draw paints with
    // the transform and colour transform it is given. With fadesAsWhole, a fade (a colour
    // transform of alpha alone) reuses the unfaded picture at an opacity: right for pictures whose
    // parts do not overlap, like text and single-fill shapes, where fading the whole and fading
    // each part look the same.
    using PictureDraw = std::function<void(QPainter&, const QTransform&, const ColorTransform&)>;
    bool drawPicture(QPainter& painter, const void* character, uint32_t variant, const std::string& content,
                     const QRectF& localBounds, double marginPixels, const Context& ctx, bool fadesAsWhole,
                     const PictureDraw& draw);
    // The slice of the sprite or button id showing content, drawn with ctx's transform; nullopt
    // when it has no scaling grid or the grid does not apply. ownGrid: the one a script gave the
    // object, which comes before the character's.
    std::optional<NineSlice> sliceFor(uint16_t id, const DisplayList& content, const Context& ctx,
                                      const std::optional<Rect>& ownGrid = std::nullopt) const;
    // A script's opaque background: the content's box filled with one colour, under the content.
    void fillBackground(QPainter& painter, uint32_t rgb, const DisplayList& content, const Context& ctx);
    // ctx for the content of a sprite or button: sliced by slice, which must outlive its use, when
    // there is one.
    static Context contentContext(const Context& ctx, const std::optional<NineSlice>& slice);
    QPainterPath maskOutline(const DisplayObject& object, const Context& parent);
    // The area a character covers, through world. Sprites of a still picture (stillPicture) give
    // the outline of their first frame.
    QPainterPath characterOutline(const Character& character, const DisplayObject* object, const QTransform& world,
                                  int nesting, bool stillPicture);

    RenderResources& resources_;
    ChildListLookup children_;
    double stageScale_ = 1.0;
    // The stage's twips to the device for the frame being drawn: where a clip masking another by
    // script (setMask) stands, wherever the two are in the tree.
    QTransform stageToDevice_;
    bool pictureCaching_ = true;
    QSize deviceSize_;
    int stillObjects_ = 0;  // built for still pictures in the frame being drawn
    bool readsBelow_ = false;  // see lastFrameReadsBelow()
    const ClipDrawing* topDrawing_ = nullptr;  // drawn beneath the list drawList draws, if set
    const Clip* stageRoot_ = nullptr;  // set: the levels above it are drawn over the list drawList draws
    void drawUpperLevels(QPainter& painter, const Context& top);
    const DisplayObject* focusedText_ = nullptr;
    std::u16string preedit_;
    int32_t preeditCursor_ = 0;
    bool caretHidden_ = false;
    std::optional<Rect> focusRectangle_;
    void drawFocusRectangle(QPainter& painter, const QTransform& toDevice);
};

}  // namespace velmora::swf
