#include "swf/render/stage_renderer.h"

#include <algorithm>
#include <cmath>

#include "swf/format/bitmap.h"
#include "swf/format/button.h"
#include "swf/format/text_encoding.h"
#include "swf/format/video.h"
#include "swf/render/blend_compositor.h"
#include "swf/render/color_transform_apply.h"
#include "swf/render/drawing_geometry.h"
#include "swf/render/edit_text.h"
#include "swf/render/filters.h"
#include "swf/render/shape_painter.h"
#include "swf/render/static_text.h"
#include "swf/runtime/clip_bounds.h"
#include "swf/runtime/clip_drawing.h"
#include "swf/runtime/clip_geometry.h"
#include "swf/render/text_painter.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/placement_plan.h"
#include "swf/runtime/text_editing.h"
#include "swf/video/flv_media.h"

namespace velmora::swf {
namespace {

QTransform toQt(const Matrix& m) { return QTransform(m.a, m.b, m.c, m.d, m.tx, m.ty); }

// A colour transform under which nothing can show: every alpha comes out 0.
bool fullyTransparent(const ColorTransform& cx) {
    return std::max<double>(cx.aAdd, 255.0 * cx.aMult + cx.aAdd) <= 0.0;
}

bool isNormal(BlendMode mode) {
    const auto v = static_cast<uint8_t>(mode);
    return v <= static_cast<uint8_t>(BlendMode::Normal) || v > static_cast<uint8_t>(BlendMode::HardLight);
}

// Layers are as large as the device; a device too large to copy is drawn without its effects.
constexpr int64_t kMaxLayerPixels = int64_t(8192) * 8192;

const TextGeometry& staticTextGeometry(const TextCharacter& text, RenderResources& resources) {
    if (const TextGeometry* cached = resources.texts.findStatic(&text)) return *cached;
    return resources.texts.storeStatic(&text, buildStaticText(text, resources));
}

// The box around what a display list shows, in its own coordinates.
std::optional<Rect> listBounds(const DisplayList& list, const Movie& movie) {
    std::optional<Rect> box;
    for (const auto& [depth, object] : list) {
        if (!object || object->clipDepth > 0) continue;
        const std::optional<Rect> b = objectBounds(*object, movie);
        if (!b) continue;
        box = box ? Rect{std::min(box->xMin, b->xMin), std::max(box->xMax, b->xMax), std::min(box->yMin, b->yMin),
                         std::max(box->yMax, b->yMax)}
                  : *b;
    }
    return box;
}

void uniteInto(QPainterPath& result, const QPainterPath& path) {
    if (path.isEmpty()) return;
    result = result.isEmpty() ? path : result.united(path);
}

}  // namespace

StageRenderer::StageRenderer(RenderResources& resources, ChildListLookup children)
    : resources_(resources), children_(std::move(children)) {}

void StageRenderer::render(QPainter& painter, const DisplayList& list, const Rect& stage, QSize viewport,
                           const QColor& background) {
    painter.save();
    painter.resetTransform();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRect(QPoint(0, 0), viewport), background);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const StageViewport view = StageViewport::showAll(stage, viewport);
    if (view.scale > 0) {
        painter.setClipRect(view.stageRect, Qt::IntersectClip);
        drawList(painter, list, view.toDevice, ColorTransform{}, view.scale);
    }
    painter.restore();
}

QImage StageRenderer::renderImage(const DisplayList& list, const Rect& stage, QSize viewport,
                                  const QColor& background) {
    QImage image(viewport, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return image;
    QPainter painter(&image);
    render(painter, list, stage, viewport, background);
    return image;
}

void StageRenderer::drawList(QPainter& painter, const DisplayList& list, const QTransform& toDevice,
                             const ColorTransform& cx, double stageScale) {
    stageScale_ = stageScale;
    stageToDevice_ = toDevice;
    stillObjects_ = 0;
    readsBelow_ = false;
    resources_.pictures.startFrame();
    painter.save();
    const Context top{toDevice, cx, 0, false};
    if (topDrawing_) drawDrawing(painter, *topDrawing_, top);
    drawListAt(painter, list, top);
    if (stageRoot_) drawUpperLevels(painter, top);
    if (stageRoot_ && focusRectangle_) drawFocusRectangle(painter, toDevice);
    painter.restore();
}

// Yellow, two pixels of the movie wide, on the box's edges: the keyboard user's pointer.
void StageRenderer::drawFocusRectangle(QPainter& painter, const QTransform& toDevice) {
    const Rect& r = *focusRectangle_;
    const QRectF box = toDevice.mapRect(QRectF(r.xMin, r.yMin, double(r.xMax) - r.xMin, double(r.yMax) - r.yMin));
    if (!box.isValid()) return;
    painter.save();
    painter.resetTransform();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 0), std::max(1.0, 2.0 * stageScale_)));
    painter.drawRect(box);
    painter.restore();
}

// Each level over the ones below it, with its own movie's dictionary.
void StageRenderer::drawUpperLevels(QPainter& painter, const Context& top) {
    const Movie* saved = resources_.dictionaryInUse();
    for (const auto& [n, level] : stageRoot_->movie().upperLevels()) {
        resources_.useDictionary(&level->definitions());
        if (const ClipDrawing* drawing = level->drawingIfAny()) drawDrawing(painter, *drawing, top);
        drawListAt(painter, level->displayList(), top);
    }
    resources_.useDictionary(saved);
}

void StageRenderer::render(QPainter& painter, const Clip& root, const Rect& stage, QSize viewport,
                           const QColor& background) {
    topDrawing_ = root.drawingIfAny();
    stageRoot_ = root.isRoot() ? &root : nullptr;
    const Movie* saved = resources_.dictionaryInUse();
    resources_.useDictionary(&root.definitions());
    render(painter, root.displayList(), stage, viewport, background);
    resources_.useDictionary(saved);
    topDrawing_ = nullptr;
    stageRoot_ = nullptr;
}

QImage StageRenderer::renderImage(const Clip& root, const Rect& stage, QSize viewport, const QColor& background) {
    QImage image(viewport, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return image;
    QPainter painter(&image);
    render(painter, root, stage, viewport, background);
    return image;
}

void StageRenderer::drawClip(QPainter& painter, const Clip& clip, const QTransform& toDevice,
                             const ColorTransform& cx, double stageScale) {
    topDrawing_ = clip.drawingIfAny();
    const Movie* saved = resources_.dictionaryInUse();
    resources_.useDictionary(&clip.definitions());
    drawList(painter, clip.displayList(), toDevice, cx, stageScale);
    resources_.useDictionary(saved);
    topDrawing_ = nullptr;
}

void StageRenderer::drawStage(QPainter& painter, const Clip& root, const QTransform& toDevice, double stageScale) {
    stageRoot_ = root.isRoot() ? &root : nullptr;
    drawClip(painter, root, toDevice, ColorTransform{}, stageScale);
    stageRoot_ = nullptr;
}

void StageRenderer::drawDrawing(QPainter& painter, const ClipDrawing& drawing, const Context& ctx) {
    if (drawing.empty()) return;
    painter.setTransform(ctx.world);
    paintShape(painter, drawingGeometry(drawing), ctx.cx, stageScale_, resources_);
}

void StageRenderer::drawListAt(QPainter& painter, const DisplayList& list, const Context& ctx) {
    struct Mask {
        uint16_t lastDepth;
        QPainterPath path;  // device pixels
    };
    std::vector<Mask> masks;
    for (const auto& [depth, object] : list) {
        if (!object) continue;
        std::erase_if(masks, [depth = depth](const Mask& m) { return depth > m.lastDepth; });
        if (object->clipDepth > 0) {
            // A mask is not drawn: its outline clips the depths above it up to clipDepth.
            if (object->clipDepth > depth) masks.push_back({object->clipDepth, maskOutline(*object, ctx)});
            continue;
        }
        if (masks.empty()) {
            drawObject(painter, *object, ctx);
            continue;
        }
        painter.save();
        painter.resetTransform();
        for (const Mask& mask : masks) painter.setClipPath(mask.path, Qt::IntersectClip);
        drawObject(painter, *object, ctx);
        painter.restore();
    }
}

void StageRenderer::drawObject(QPainter& painter, const DisplayObject& object, const Context& parent) {
    if (!object.visible || !object.character || object.maskOnly) return;
    if (const Clip* mask = object.scriptMask.get(); mask && mask->displayObject() && mask->displayObject()->character) {
        // Masked by a script: drawn through the outline of the mask clip's shapes on the stage.
        const DisplayObject& shape = *mask->displayObject();
        const QPainterPath outline = characterOutline(*shape.character, &shape, toQt(stageMatrix(*mask)) * stageToDevice_,
                                                      parent.nesting + 1, false);
        painter.save();
        painter.resetTransform();
        painter.setClipPath(outline, Qt::IntersectClip);
        drawMasked(painter, object, parent);
        painter.restore();
        return;
    }
    drawMasked(painter, object, parent);
}

void StageRenderer::drawMasked(QPainter& painter, const DisplayObject& object, const Context& parent) {
    Context ctx{toQt(object.matrix) * parent.world, parent.cx * object.colorTransform, parent.nesting + 1,
                parent.insideLayer, parent.stillPicture, parent.slice, parent.sliceWorld};
    if (ctx.nesting > kMaxNesting) {
        resources_.warnings.add("sprites nested deeper than " + std::to_string(kMaxNesting) + " levels are not drawn");
        return;
    }
    if (fullyTransparent(ctx.cx) && object.blendMode != BlendMode::Alpha) return;
    if (!object.filters.empty() || !isNormal(object.blendMode)) {
        drawWithEffects(painter, object, ctx);
        return;
    }
    drawCharacter(painter, *object.character, &object, ctx);
}

void StageRenderer::drawCharacter(QPainter& painter, const Character& character, const DisplayObject* object,
                                  const Context& ctx) {
    switch (character.kind) {
        case CharacterKind::Shape:
        case CharacterKind::MorphShape: {
            const bool morph = character.kind == CharacterKind::MorphShape;
            const uint16_t ratio = morph && object ? object->ratio : 0;
            const ShapeGeometry& geometry =
                morph ? resources_.shapes.geometry(static_cast<const MorphShapeCharacter&>(character), ratio)
                      : resources_.shapes.geometry(static_cast<const ShapeCharacter&>(character));
            if (ctx.slice) {
                // Carried into the sliced content's coordinates, sliced there, drawn through the
                // content's transform; too particular to keep as a picture.
                bool invertible = false;
                const QTransform local = ctx.world * ctx.sliceWorld.inverted(&invertible);
                if (invertible) {
                    painter.setTransform(ctx.sliceWorld);
                    paintShape(painter, ctx.slice->map(geometry, local), ctx.cx, stageScale_, resources_);
                    break;
                }
            }
            auto draw = [&](QPainter& p, const QTransform& world, const ColorTransform& cx) {
                p.setTransform(world);
                paintShape(p, geometry, cx, stageScale_, resources_);
            };
            const double margin = 2.0 + geometry.deviceStrokeWidth / kTwipsPerPixel * stageScale_ / 2.0;
            const bool onePart = geometry.groups.size() == 1 && geometry.groups[0].fills.size() <= 1 &&
                                 geometry.groups[0].lines.empty();
            if (!drawPicture(painter, &character, ratio, {}, geometry.bounds, margin, ctx, onePart, draw))
                draw(painter, ctx.world, ctx.cx);
            break;
        }
        case CharacterKind::Text: {
            const auto& text = static_cast<const TextCharacter&>(character);
            const TextGeometry& geometry = staticTextGeometry(text, resources_);
            // The picture is kept in the text's own space: its matrix joins the world transform.
            Context textCtx = ctx;
            textCtx.world = toQt(text.matrix) * ctx.world;
            auto draw = [&](QPainter& p, const QTransform& textWorld, const ColorTransform& cx) {
                p.setTransform(textWorld);
                paintText(p, geometry, cx, resources_);
            };
            if (!drawPicture(painter, &character, 0, {}, geometry.bounds, 2.0, textCtx, true, draw))
                draw(painter, textCtx.world, ctx.cx);
            break;
        }
        case CharacterKind::EditText: {
            const auto& field = static_cast<const EditTextCharacter&>(character);
            // A field bound to a variable shows what the runtime put in it, even nothing; any
            // other field shows its initial text until something gives it content of its own.
            std::string content = shownFieldContent(field, object, resources_.swfVersion());
            FieldView view;
            view.state = object ? object->textState.get() : nullptr;
            view.focused = object && object == focusedText_ && view.state;
            view.caret = view.focused && !field.readOnly;
            view.caretHidden = caretHidden_;
            if (view.caret && !preedit_.empty() && !field.html) {
                // The composing text is shown in place, as if typed, until it is committed.
                std::u16string shown = toUtf16(content);
                const size_t at = size_t(std::clamp<int32_t>(view.state->caret, 0, int32_t(shown.size())));
                shown.insert(at, preedit_);
                content = fromUtf16(shown);
                view.preeditBegin = int32_t(at);
                view.preeditEnd = int32_t(at + preedit_.size());
                view.preeditCaret = view.preeditBegin + std::clamp<int32_t>(preeditCursor_, 0, int32_t(preedit_.size()));
            }
            auto draw = [&](QPainter& p, const QTransform& world, const ColorTransform& cx) {
                p.setTransform(world);
                paintEditText(p, field, content, cx, resources_, view);
            };
            const QRectF box = toQRectF(field.bounds);
            // A focused or scrolled field changes without its content changing: drawn afresh.
            const bool still = !view.focused && (!view.state || (view.state->scroll <= 1 && view.state->hscroll <= 0));
            if (!still || !drawPicture(painter, &character, 0, content, box, 2.0, ctx, !field.background && !field.border, draw))
                draw(painter, ctx.world, ctx.cx);
            break;
        }
        case CharacterKind::Bitmap: {
            // A bitmap placed on its own: one bitmap pixel to one movie pixel.
            const auto& bitmap = static_cast<const BitmapCharacter&>(character);
            const QImage image = isAlphaFactorOnly(ctx.cx) ? resources_.bitmaps.image(bitmap, resources_.warnings)
                                                            : resources_.bitmaps.transformed(bitmap, ctx.cx, resources_.warnings);
            if (image.isNull()) break;
            painter.save();
            if (isAlphaFactorOnly(ctx.cx)) painter.setOpacity(painter.opacity() * std::min(1.0, ctx.cx.aMult));
            painter.setTransform(QTransform::fromScale(kTwipsPerPixel, kTwipsPerPixel) * ctx.world);
            painter.drawImage(QPointF(0, 0), image);
            painter.restore();
            break;
        }
        case CharacterKind::Sprite:
            if (!object || ctx.stillPicture) {
                drawFirstFrame(painter, static_cast<const SpriteCharacter&>(character), ctx);
            } else if (const DisplayList* children = children_(*object)) {
                const std::optional<NineSlice> slice = sliceFor(character.id, *children, ctx, object->scale9Grid);
                // A movie loaded into the clip names characters from its own dictionary.
                const Movie* saved = resources_.dictionaryInUse();
                if (object->clip) resources_.useDictionary(&object->clip->definitions());
                if (object->opaqueBackground) fillBackground(painter, *object->opaqueBackground, *children, ctx);
                if (object->clip && object->clip->drawingIfAny()) drawDrawing(painter, *object->clip->drawingIfAny(), ctx);
                drawListAt(painter, *children, contentContext(ctx, slice));
                resources_.useDictionary(saved);
            }
            break;
        case CharacterKind::Button:
            drawButton(painter, character, object, ctx);
            break;
        case CharacterKind::VideoStream:
            drawVideo(painter, static_cast<const VideoStreamCharacter&>(character), object ? object->ratio : 0, ctx,
                      object ? object->videoDisplay.get() : nullptr);
            break;
        default: break;  // sounds and data have no picture of their own here
    }
}

void StageRenderer::drawVideo(QPainter& painter, const VideoStreamCharacter& video, uint16_t ratio,
                              const Context& ctx, const VideoDisplay* display) {
    const QImage* frame = nullptr;
    bool smoothing = video.smoothing;
    if (display && display->feed) {
        // A stream a script attached: its current picture, unless the script cleared it since.
        const StreamMedia* media = display->feed->media.get();
        if (media && !(media == display->clearedMedia && media->pictureSerial() <= display->clearedAt))
            frame = flvPicture(*media);
        smoothing = display->smoothing.value_or(smoothing);
    } else {
        frame = resources_.videos.frame(video, ratio, [this](const std::string& m) { resources_.warnings.add(m); });
        if (display) smoothing = display->smoothing.value_or(smoothing);
    }
    if (!frame || frame->isNull()) return;
    // The picture fills the stream's declared size, one video pixel to one movie pixel, and scales
    // with the stage as bitmaps do; the stream's own flag says whether scaling smooths it.
    const QRectF bounds(0, 0, video.width * kTwipsPerPixel, video.height * kTwipsPerPixel);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smoothing);
    painter.setTransform(ctx.world);
    if (isAlphaFactorOnly(ctx.cx)) {
        painter.setOpacity(painter.opacity() * std::min(1.0, ctx.cx.aMult));
        painter.drawImage(bounds, *frame);
    } else {
        painter.drawImage(bounds, transformImage(*frame, ctx.cx));
    }
    painter.restore();
}

void StageRenderer::drawButton(QPainter& painter, const Character& character, const DisplayObject* object,
                               const Context& ctx) {
    const auto& button = static_cast<const ButtonCharacter&>(character);
    if (const DisplayList* parts = object && !ctx.stillPicture ? children_(*object) : nullptr) {
        const std::optional<NineSlice> slice = sliceFor(button.id, *parts, ctx);
        drawListAt(painter, *parts, contentContext(ctx, slice));
        return;
    }
    const ButtonState state = object ? object->buttonState : ButtonState::Up;
    std::vector<const ButtonRecord*> records;
    for (const ButtonRecord& r : button.records) {
        const bool shown = state == ButtonState::Up ? r.up : state == ButtonState::Over ? r.over : r.down;
        if (shown) records.push_back(&r);
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const ButtonRecord* a, const ButtonRecord* b) { return a->depth < b->depth; });
    std::optional<NineSlice> slice;
    if (const Movie* movie = resources_.movie(); movie && movie->scalingGrids.contains(button.id)) {
        DisplayList parts;
        for (const ButtonRecord* r : records) {
            auto part = std::make_unique<DisplayObject>();
            part->character = movie->sharedCharacter(r->characterId);
            part->matrix = r->matrix;
            parts.emplace(uint16_t(parts.size()), std::move(part));
        }
        slice = sliceFor(button.id, parts, ctx);
    }
    const Context content = contentContext(ctx, slice);
    for (const ButtonRecord* r : records) {
        const Character* c = resources_.character(r->characterId);
        if (!c || c == &character) {
            resources_.warnings.add("button " + std::to_string(button.id) + " shows character " +
                                    std::to_string(r->characterId) + ", which is missing: not drawn");
            continue;
        }
        Context rc{toQt(r->matrix) * ctx.world, ctx.cx * r->colorTransform, ctx.nesting + 1, ctx.insideLayer,
                   ctx.stillPicture, content.slice, content.sliceWorld};
        if (rc.nesting > kMaxNesting) return;
        drawCharacter(painter, *c, nullptr, rc);
    }
}

std::optional<DisplayList> StageRenderer::firstFrame(const SpriteCharacter& sprite) {
    const Movie* movie = resources_.movie();
    if (!movie || sprite.timeline.frames.empty()) return std::nullopt;
    PlacementPlan plan;
    applyFrameToPlan(plan, sprite.timeline.frames.front(), *movie);
    stillObjects_ += int(plan.size());
    if (stillObjects_ > kMaxStillObjects) {
        resources_.warnings.add("sprite " + std::to_string(sprite.id) +
                                " shown as a still picture places too many objects: not drawn");
        return std::nullopt;
    }
    DisplayList list;
    for (auto& [depth, p] : plan) {
        auto object = std::make_unique<DisplayObject>();
        object->depth = depth;
        object->character = std::move(p.character);
        object->matrix = p.matrix;
        object->colorTransform = p.colorTransform;
        object->ratio = p.ratio;
        object->clipDepth = p.clipDepth;
        object->blendMode = p.blendMode;
        object->filters = std::move(p.filters);
        object->visible = p.visible;
        list.emplace(depth, std::move(object));
    }
    return list;
}

void StageRenderer::drawFirstFrame(QPainter& painter, const SpriteCharacter& sprite, const Context& ctx) {
    const std::optional<DisplayList> list = firstFrame(sprite);
    if (!list) return;
    const std::optional<NineSlice> slice = sliceFor(sprite.id, *list, ctx);
    Context still = contentContext(ctx, slice);
    still.stillPicture = true;
    drawListAt(painter, *list, still);
}

void StageRenderer::fillBackground(QPainter& painter, uint32_t rgb, const DisplayList& content, const Context& ctx) {
    const Movie* movie = resources_.movie();
    const std::optional<Rect> box = movie ? listBounds(content, *movie) : std::nullopt;
    if (!box) return;
    painter.save();
    painter.setTransform(ctx.world);
    painter.fillRect(QRectF(QPointF(box->xMin, box->yMin), QPointF(box->xMax, box->yMax)),
                     QColor(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF)));
    painter.restore();
}

std::optional<NineSlice> StageRenderer::sliceFor(uint16_t id, const DisplayList& content, const Context& ctx,
                                                 const std::optional<Rect>& ownGrid) const {
    const Movie* movie = resources_.movie();
    if (!movie) return std::nullopt;
    const auto found = movie->scalingGrids.find(id);
    if (!ownGrid && found == movie->scalingGrids.end()) return std::nullopt;
    const Rect& grid = ownGrid ? *ownGrid : found->second;
    const std::optional<Rect> bounds = listBounds(content, *movie);
    if (!bounds) return std::nullopt;
    const std::optional<QPointF> scale = NineSlice::scaleAgainstStage(ctx.world, stageScale_ / kTwipsPerPixel);
    if (!scale) return std::nullopt;
    const QRectF box(QPointF(bounds->xMin, bounds->yMin), QPointF(bounds->xMax, bounds->yMax));
    return NineSlice::make(grid, box, scale->x(), scale->y());
}

StageRenderer::Context StageRenderer::contentContext(const Context& ctx, const std::optional<NineSlice>& slice) {
    Context content = ctx;
    content.slice = slice ? &*slice : nullptr;
    content.sliceWorld = ctx.world;
    return content;
}

void StageRenderer::drawWithEffects(QPainter& painter, const DisplayObject& object, const Context& ctx) {
    const BlendMode mode = isNormal(object.blendMode) ? BlendMode::Normal : object.blendMode;
    // Alpha and erase work on the layer of a parent drawn with blend mode "layer"; with no such
    // parent they would cut holes in the stage itself, so the object shows nothing.
    if ((mode == BlendMode::Alpha || mode == BlendMode::Erase) && !ctx.insideLayer) return;
    // The layer covers the device pixel for pixel (high-density screens included).
    QPaintDevice* device = painter.device();
    const double dpr = std::max(1.0, device->devicePixelRatioF());
    const QSize size(int(std::ceil(device->width() * dpr)), int(std::ceil(device->height() * dpr)));
    if (size.isEmpty() || int64_t(size.width()) * size.height() > kMaxLayerPixels) {
        drawCharacter(painter, *object.character, &object, ctx);
        return;
    }
    QImage layer(size, QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull()) return;
    layer.setDevicePixelRatio(dpr);
    layer.fill(Qt::transparent);
    {
        QPainter layerPainter(&layer);
        layerPainter.setRenderHints(painter.renderHints());
        Context inner = ctx;
        inner.insideLayer = ctx.insideLayer || mode == BlendMode::Layer;
        drawCharacter(layerPainter, *object.character, &object, inner);
    }
    if (!object.filters.empty()) applyFilters(layer, object.filters, stageScale_ * dpr, resources_.warnings);
    readsBelow_ = readsBelow_ || readsPixelsBelow(mode);
    compositeLayer(painter, layer, mode);
}

bool StageRenderer::drawPicture(QPainter& painter, const void* character, uint32_t variant, const std::string& content,
                                const QRectF& localBounds, double marginPixels, const Context& ctx, bool fadesAsWhole,
                                const PictureDraw& draw) {
    if (!pictureCaching_ || !localBounds.isValid()) return false;
    const bool fade = fadesAsWhole && isAlphaFactorOnly(ctx.cx) && ctx.cx.aMult < 1.0;
    const ColorTransform pictureCx = fade ? ColorTransform{} : ctx.cx;
    const double opacity = fade ? ctx.cx.aMult : 1.0;
    // Pictures are kept in the device's own pixels, so that a high-density screen gets them as
    // sharp as drawing directly would.
    const double dpr = std::max(1.0, painter.device()->devicePixelRatioF());
    const QTransform toPixels = ctx.world * QTransform::fromScale(dpr, dpr);
    QPoint shift;
    const RasterCache::Key key =
        RasterCache::makeKey(character, variant, content, toPixels, pictureCx, stageScale_, shift);
    auto blit = [&](const RasterCache::Picture& picture) {
        painter.save();
        painter.resetTransform();
        // The picture lands on whole pixels untransformed, so smoothing changes nothing; with it
        // on, Qt takes its general image path, which also splits tall pictures over its thread
        // pool and wakes those threads on every frame.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.setOpacity(painter.opacity() * opacity);
        painter.drawImage(QPointF(picture.origin + shift) / dpr, picture.image);
        painter.restore();
    };
    if (const RasterCache::Picture* picture = resources_.pictures.find(key)) {
        blit(*picture);
        return true;
    }
    const double margin = marginPixels * dpr;
    const QRectF device = toPixels.mapRect(localBounds).adjusted(-margin, -margin, margin, margin);
    // The whole picture or nothing: one cut to the window would show its edge when it moves.
    const double area = device.width() * device.height();
    if (!std::isfinite(area) || area > double(RasterCache::kMaxPicturePixels) || std::abs(device.left()) > 1e6 ||
        std::abs(device.top()) > 1e6)
        return false;
    const QRect pixels = device.toAlignedRect();
    if (pixels.isEmpty()) return true;
    if (!resources_.pictures.shouldKeep(key, int64_t(pixels.width()) * pixels.height())) return false;
    QImage image(pixels.size(), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return false;
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHints(painter.renderHints());
        draw(p, toPixels * QTransform::fromTranslate(-pixels.x(), -pixels.y()), pictureCx);
    }
    image.setDevicePixelRatio(dpr);
    RasterCache::Picture picture{std::move(image), pixels.topLeft() - shift};
    blit(picture);
    resources_.pictures.store(key, std::move(picture));
    return true;
}

QPainterPath StageRenderer::maskOutline(const DisplayObject& object, const Context& parent) {
    if (!object.character) return {};
    return characterOutline(*object.character, &object, toQt(object.matrix) * parent.world, parent.nesting + 1,
                            parent.stillPicture);
}

QPainterPath StageRenderer::characterOutline(const Character& character, const DisplayObject* object,
                                             const QTransform& world, int nesting, bool stillPicture) {
    QPainterPath result;
    if (nesting > kMaxNesting) return result;
    auto addGeometry = [&](const ShapeGeometry& geometry) {
        for (const ShapeStyleGroup& group : geometry.groups)
            for (const ShapeStyleGroup::Fill& fill : group.fills) uniteInto(result, world.map(fill.path));
    };
    switch (character.kind) {
        case CharacterKind::Shape:
            addGeometry(resources_.shapes.geometry(static_cast<const ShapeCharacter&>(character)));
            break;
        case CharacterKind::MorphShape:
            addGeometry(resources_.shapes.geometry(static_cast<const MorphShapeCharacter&>(character),
                                                   object ? object->ratio : 0));
            break;
        case CharacterKind::Text: {
            const auto& text = static_cast<const TextCharacter&>(character);
            const QTransform textWorld = toQt(text.matrix) * world;
            for (const TextGeometry::Piece& piece : staticTextGeometry(text, resources_).pieces)
                uniteInto(result, textWorld.map(piece.path));
            break;
        }
        case CharacterKind::EditText: {
            const Rect& b = static_cast<const EditTextCharacter&>(character).bounds;
            QPainterPath box;
            box.addRect(toQRectF(b));
            uniteInto(result, world.map(box));
            break;
        }
        case CharacterKind::VideoStream: {
            const auto& video = static_cast<const VideoStreamCharacter&>(character);
            QPainterPath box;
            box.addRect(0, 0, video.width * kTwipsPerPixel, video.height * kTwipsPerPixel);
            uniteInto(result, world.map(box));
            break;
        }
        case CharacterKind::Button: {
            // The parts of the button's state; without them, the records of its up state.
            if (const DisplayList* parts = object && !stillPicture ? children_(*object) : nullptr) {
                for (const auto& [key, part] : *parts) {
                    if (!part || !part->character) continue;
                    uniteInto(result, characterOutline(*part->character, part.get(), toQt(part->matrix) * world,
                                                       nesting + 1, false));
                }
                break;
            }
            for (const ButtonRecord& r : static_cast<const ButtonCharacter&>(character).records) {
                const Character* c = r.up ? resources_.character(r.characterId) : nullptr;
                if (!c || c == &character) continue;
                uniteInto(result, characterOutline(*c, nullptr, toQt(r.matrix) * world, nesting + 1, true));
            }
            break;
        }
        case CharacterKind::Sprite: {
            // A sprite drawn as a still picture masks with the outline of its first frame.
            std::optional<DisplayList> still;
            const DisplayList* children = nullptr;
            if (object && !stillPicture) children = children_(*object);
            else if ((still = firstFrame(static_cast<const SpriteCharacter&>(character)))) children = &*still;
            if (object && !stillPicture && object->clip && object->clip->drawingIfAny())
                addGeometry(drawingGeometry(*object->clip->drawingIfAny()));
            if (!children) break;
            for (const auto& [depth, child] : *children) {
                if (!child || !child->character || child->clipDepth > 0) continue;
                uniteInto(result, characterOutline(*child->character, child.get(), toQt(child->matrix) * world,
                                                   nesting + 1, stillPicture || still.has_value()));
            }
            break;
        }
        default: break;
    }
    return result;
}

}  // namespace velmora::swf
