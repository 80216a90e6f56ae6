// The caret, the selection and scrolling of a text field, drawn from the layout the text uses.
#include <gtest/gtest.h>

#include "render_test_support.h"
#include "swf/format/font.h"
#include "swf/format/text.h"
#include "swf/render/edit_text.h"
#include "swf/render/field_carets.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/clip.h"

namespace velmora::swf {
namespace {

using test::pixel;

// A font whose 'A' is a full em square and 'B' a half-em square on the baseline; at 10 px a line
// runs from 2 px above the glyphs' tops to 2 px below the baseline.
std::shared_ptr<FontCharacter> blockFont() {
    auto font = std::make_shared<FontCharacter>(1);
    font->version = 2;
    font->emSquare = 1024.0;
    font->hasLayout = true;
    font->ascent = 819;
    font->descent = 205;
    Glyph a;
    a.code = 'A';
    a.advance = 1024;
    a.records = test::rectangleRecords({0, 1024, -1024, 0});
    Glyph b;
    b.code = 'B';
    b.advance = 512;
    b.records = test::rectangleRecords({0, 512, -512, 0});
    font->glyphs = {a, b};
    return font;
}

struct FieldScene {
    std::shared_ptr<Movie> movie = std::make_shared<Movie>();
    std::shared_ptr<EditTextCharacter> field = std::make_shared<EditTextCharacter>(2);
    RenderResources resources;
    DisplayList list;
    DisplayObject* object = nullptr;

    FieldScene(const std::string& text, int32_t heightTwips) {
        movie->stage = {0, 2000, 0, 1000};
        movie->version = 10;
        field->bounds = {0, 1600, 0, heightTwips};
        field->useOutlines = true;
        field->fontId = 1;
        field->fontHeight = 200;  // 10 px
        field->multiline = true;
        movie->dictionary[1] = blockFont();
        movie->dictionary[2] = field;
        resources.setMovie(movie);
        auto o = std::make_unique<DisplayObject>();
        o->depth = 1;
        o->character = field;
        o->text = text;
        object = o.get();
        list[1] = std::move(o);
    }
    TextFieldState& state() { return object->ensureTextState(); }
    QImage render(bool focused) {
        StageRenderer renderer(resources);
        renderer.setFocusedText(focused ? object : nullptr);
        return renderer.renderImage(list, movie->stage, {100, 50}, Qt::white);
    }
};

TEST(FieldCaret, CaretAndSelectionShowOnlyWhileFocused) {
    FieldScene scene("AB", 800);
    // "AB" from x 2 px: 'A' 2..12, 'B' 12..17; the line from y 2 to 12.
    const TextGeometry& layout = fieldGeometry(*scene.field, "AB", scene.resources);
    EXPECT_EQ(positionAt(layout, {16 * 20.0, 5 * 20.0}), 2);
    EXPECT_EQ(positionAt(layout, {6 * 20.0, 300 * 20.0}), 0);  // below the text: its last line

    scene.state().caret = scene.state().selectionBegin = scene.state().selectionEnd = 2;
    EXPECT_EQ(pixel(scene.render(true), 17, 3), qRgb(0, 0, 0));
    EXPECT_EQ(pixel(scene.render(false), 17, 3), qRgb(255, 255, 255));

    scene.state().selectionBegin = 0;
    scene.state().selectionEnd = 1;
    scene.state().caret = 1;
    const QImage selected = scene.render(true);
    EXPECT_EQ(pixel(selected, 7, 11), qRgb(51, 153, 255));  // under the baseline of 'A'
    EXPECT_EQ(pixel(selected, 15, 11), qRgb(255, 255, 255));  // 'B' is not selected
    EXPECT_EQ(pixel(scene.render(false), 7, 11), qRgb(255, 255, 255));

    // A read-only field shows its selection but no caret.
    scene.field->readOnly = true;
    scene.state().selectionBegin = scene.state().selectionEnd = scene.state().caret = 2;
    EXPECT_EQ(pixel(scene.render(true), 17, 3), qRgb(255, 255, 255));
}

TEST(FieldCaret, ScrollMovesTheTextByWholeLines) {
    // Three lines of 10 px in a field that shows 21 px: two lines, scrolled at most to line 2.
    FieldScene scene("A\rB\rA", 500);
    const TextGeometry& layout = fieldGeometry(*scene.field, "A\rB\rA", scene.resources);
    EXPECT_EQ(maxScroll(layout, 500 - 2 * kFieldGutter), 2);
    const QImage top = scene.render(false);
    EXPECT_EQ(pixel(top, 9, 9), qRgb(0, 0, 0));         // 'A' of line 1
    EXPECT_EQ(pixel(top, 9, 15), qRgb(255, 255, 255));  // 'B' of line 2 is narrower
    scene.state().scroll = 2;
    const QImage scrolled = scene.render(false);
    EXPECT_EQ(pixel(scrolled, 9, 9), qRgb(255, 255, 255));  // 'B' now on top
    EXPECT_EQ(pixel(scrolled, 4, 9), qRgb(0, 0, 0));
    EXPECT_EQ(pixel(scrolled, 9, 15), qRgb(0, 0, 0));  // the last 'A' came into view
    EXPECT_EQ(pixel(scrolled, 9, 30), qRgb(255, 255, 255));  // and nothing below the field

    // Moving the caret to the last line scrolls just far enough to show it.
    TextFieldState s;
    s.caret = s.selectionBegin = s.selectionEnd = 5;
    revealCaret(layout, s, 40, 1520, 500 - 2 * kFieldGutter);
    EXPECT_EQ(s.scroll, 2);
    s.caret = s.selectionBegin = s.selectionEnd = 0;
    revealCaret(layout, s, 40, 1520, 500 - 2 * kFieldGutter);
    EXPECT_EQ(s.scroll, 1);
}

}  // namespace
}  // namespace velmora::swf
