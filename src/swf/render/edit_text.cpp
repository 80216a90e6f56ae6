#include "swf/render/edit_text.h"

#include <algorithm>

#include "swf/render/color_transform_apply.h"
#include "swf/render/field_carets.h"
#include "swf/render/field_glyph_source.h"
#include "swf/render/html_text.h"
#include "swf/render/text_layout.h"
#include "swf/render/text_painter.h"
#include "swf/format/text_encoding.h"

namespace velmora::swf {

TextGeometry buildFieldText(const EditTextCharacter& field, const std::string& content, RenderResources& resources) {
    FieldGlyphSource glyphs(field, resources);
    TextFormat base;
    base.size = std::clamp<double>(field.fontHeight, 20.0, 20000.0);
    if (field.textColor) base.color = *field.textColor;
    base.face = field.face;
    base.bold = field.bold;
    base.italic = field.italic;
    base.underline = field.underline;
    std::vector<TextParagraph> paragraphs = field.html ? parseHtmlText(content, base, field.align)
                                                       : splitPlainText(content, base, field.align);
    if (field.password) {
        for (TextParagraph& p : paragraphs)
            for (TextRun& run : p.runs) std::fill(run.text.begin(), run.text.end(), U'*');
    }
    TextLayoutOptions options;
    options.width = std::max(0.0, toQRectF(field.bounds).width() - 2 * kFieldGutter);
    options.wordWrap = field.wordWrap;
    options.leftMargin = field.leftMargin;
    options.rightMargin = field.rightMargin;
    options.indent = field.indent;
    options.leading = field.leading;
    options.top = field.bounds.yMin + kFieldGutter;
    TextGeometry geometry = layoutText(paragraphs, options, glyphs);
    geometry.translate(field.bounds.xMin + kFieldGutter, 0);
    return geometry;
}

const TextGeometry& fieldGeometry(const EditTextCharacter& field, const std::string& content, RenderResources& resources) {
    if (const TextGeometry* geometry = resources.texts.findField(&field, content)) return *geometry;
    return resources.texts.storeField(&field, content, buildFieldText(field, content, resources));
}

std::string shownFieldContent(const EditTextCharacter& field, const DisplayObject* object, uint8_t swfVersion) {
    // A field with a state of its own has been given text (by a script, by typing, or filled in
    // from its initial text when placed), so an empty one was emptied on purpose.
    const bool own = object && (!object->text.empty() || !field.variableName.empty() || object->textState);
    return own ? object->text : toUtf8(field.initialText, swfVersion);
}

void paintEditText(QPainter& painter, const EditTextCharacter& field, const std::string& content,
                   const ColorTransform& colorTransform, RenderResources& resources, const FieldView& view) {
    const QRectF box = toQRectF(field.bounds);
    if (field.background) painter.fillRect(box, transformColor(field.backgroundColor, colorTransform));
    if (field.border) {
        // A one-pixel frame, whatever the field's scale.
        QPen pen(transformColor(field.borderColor, colorTransform), 1.0);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box);
    }
    const TextGeometry& geometry = fieldGeometry(field, content, resources);
    const TextFieldState* state = view.state;
    const double dx = state ? -std::max(0, state->hscroll) * 20.0 : 0.0;
    const double dy = state ? -scrollOffset(geometry, state->scroll) : 0.0;
    // Text that overflows the field is cut at its edges. Most text fits, and then no clip is set:
    // a clip under a transform costs a mask over the whole device.
    const bool fits = dx == 0.0 && dy == 0.0 && box.contains(geometry.bounds) && !view.focused;
    painter.save();
    if (!fits) painter.setClipRect(box, Qt::IntersectClip);
    painter.translate(dx, dy);
    if (view.focused && state) {
        // The selection lies behind the text, in the highlight colour of desktop text boxes.
        const bool composing = view.preeditEnd > view.preeditBegin;
        if (!composing) {
            for (const QRectF& r : rangeBoxes(geometry, state->selectionBegin, state->selectionEnd))
                painter.fillRect(r, transformColor({51, 153, 255, 255}, colorTransform));
        }
    }
    paintText(painter, geometry, colorTransform, resources);
    if (view.focused && state) {
        const Rgba ink = field.textColor.value_or(Rgba{0, 0, 0, 255});
        const QColor inkColor = transformColor({ink.r, ink.g, ink.b, 255}, colorTransform);
        // Composing text is underlined until the input method commits it.
        for (const QRectF& r : rangeBoxes(geometry, view.preeditBegin, view.preeditEnd))
            painter.fillRect(QRectF(r.left(), r.bottom() - 20.0, r.width(), 20.0), inkColor);
        if (view.caret && !view.caretHidden) {
            const int32_t at = view.preeditEnd > view.preeditBegin ? view.preeditCaret : state->caret;
            painter.fillRect(caretBox(geometry, at, 20.0), inkColor);
        }
    }
    painter.restore();
}

}  // namespace velmora::swf
