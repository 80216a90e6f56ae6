#include "swf/render/edit_text.h"

#include <algorithm>

#include "swf/render/color_transform_apply.h"
#include "swf/render/field_glyph_source.h"
#include "swf/render/html_text.h"
#include "swf/render/text_layout.h"
#include "swf/render/text_painter.h"

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

void paintEditText(QPainter& painter, const EditTextCharacter& field, const std::string& content,
                   const ColorTransform& colorTransform, RenderResources& resources) {
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
    const TextGeometry* geometry = resources.texts.findField(&field, content);
    if (!geometry) geometry = &resources.texts.storeField(&field, content, buildFieldText(field, content, resources));
    // Text that overflows the field is cut at its edges. Most text fits, and then no clip is set:
    // a clip under a transform costs a mask over the whole device.
    const bool fits = box.contains(geometry->bounds);
    painter.save();
    if (!fits) painter.setClipRect(box, Qt::IntersectClip);
    paintText(painter, *geometry, colorTransform, resources);
    painter.restore();
}

}  // namespace velmora::swf
