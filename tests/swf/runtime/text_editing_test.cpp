#include "swf/runtime/text_editing.h"

#include <gtest/gtest.h>

#include "swf/format/text.h"

namespace velmora::swf {
namespace {

struct Field {
    std::u16string text;
    TextFieldState state;

    explicit Field(std::u16string t, int32_t caret = -1) : text(std::move(t)) {
        state.caret = state.selectionBegin = state.selectionEnd = caret < 0 ? int32_t(text.size()) : caret;
    }
    bool type(std::u16string_view input, const EditRules& rules = {}) { return typeText(text, state, input, rules); }
    void move(CaretMove m, bool extend = false) { moveCaret(text, state, m, extend); }
    std::u16string selected() const { return selectedText(text, state); }
};

TEST(TextEditing, TypingObeysMaxCharsRestrictAndLineRules) {
    EditRules limited;
    limited.maxChars = 5;
    Field f(u"abc");
    EXPECT_TRUE(f.type(u"defg", limited));
    EXPECT_EQ(f.text, u"abcde");
    EXPECT_FALSE(f.type(u"x", limited));
    // A selection makes room: what replaces it may be as long as what it held.
    placeCaret(f.text, f.state, 1, false);
    placeCaret(f.text, f.state, 3, true);
    EXPECT_TRUE(f.type(u"XYZ", limited));
    EXPECT_EQ(f.text, u"aXYde");
    // The cut never splits a character that takes two units.
    Field emoji(u"abc");
    EXPECT_TRUE(emoji.type(u"d\U0001F600", limited));
    EXPECT_EQ(emoji.text, u"abcd");

    EditRules digits;
    digits.restrict = "0-9";
    Field n(u"");
    n.type(u"a1b2-3", digits);
    EXPECT_EQ(n.text, u"123");

    EditRules capitalsButQ;
    capitalsButQ.restrict = "A-Z^Q";
    Field c(u"");
    c.type(u"QUIZ quiz", capitalsButQ);
    EXPECT_EQ(c.text, u"UIZ");

    EditRules noVowels;
    noVowels.restrict = "^aeiou";
    Field v(u"");
    v.type(u"education 学", noVowels);
    EXPECT_EQ(v.text, u"dctn 学");

    EXPECT_TRUE(restrictAllows("\\-\\^", '-'));
    EXPECT_TRUE(restrictAllows("\\-\\^", '^'));
    EXPECT_FALSE(restrictAllows("\\-\\^", 'a'));
    EXPECT_TRUE(restrictAllows("\u4e00-\u9fff", U'学'));
    EXPECT_FALSE(restrictAllows("\u4e00-\u9fff", U'a'));

    // Line breaks: kept as '\r' in a multiline field, spaces in a one-line field. Other control
    // characters never go in.
    EditRules multi;
    multi.multiline = true;
    Field m(u"");
    m.type(u"a\r\nb\nc\x01", multi);
    EXPECT_EQ(m.text, u"a\rb\rc");
    Field one(u"");
    one.type(u"a\r\nb", {});
    EXPECT_EQ(one.text, u"a b");
}

TEST(TextEditing, DeletingAndMovingNeverSplitAPair) {
    Field f(u"a\U0001F600b", 3);  // caret after the emoji
    f.move(CaretMove::Left);
    EXPECT_EQ(f.state.caret, 1);
    f.move(CaretMove::Right);
    EXPECT_EQ(f.state.caret, 3);
    EXPECT_TRUE(deleteText(f.text, f.state, true, false));
    EXPECT_EQ(f.text, u"ab");
    // A caret a script put between the halves goes to the pair's start.
    Field g(u"\U0001F600", 1);
    g.state.caret = 1;
    clampState(g.text, g.state);
    EXPECT_EQ(g.state.caret, 0);
    EXPECT_TRUE(deleteText(g.text, g.state, false, false));
    EXPECT_EQ(g.text, u"");
    // Out of range from a script: clamped, nothing deleted past the ends.
    Field h(u"ab");
    h.state.caret = h.state.selectionBegin = h.state.selectionEnd = 99;
    EXPECT_FALSE(deleteText(h.text, h.state, false, false));
    EXPECT_EQ(h.state.caret, 2);
}

TEST(TextEditing, WordMovesStopAtWordsSpacesAndCjkRuns) {
    Field f(u"hello,  world 学习中文。ok", 0);
    std::vector<int32_t> stops;
    for (int i = 0; i < 7; ++i) {
        f.move(CaretMove::WordRight);
        stops.push_back(f.state.caret);
    }
    EXPECT_EQ(stops, (std::vector<int32_t>{5, 8, 14, 18, 19, 21, 21}));
    f.move(CaretMove::WordLeft);
    EXPECT_EQ(f.state.caret, 19);
    f.move(CaretMove::WordLeft);
    f.move(CaretMove::WordLeft);
    EXPECT_EQ(f.state.caret, 14);
    EXPECT_TRUE(deleteText(f.text, f.state, true, true));  // Ctrl+Backspace
    EXPECT_EQ(f.text, u"hello,  学习中文。ok");

    selectWord(f.text, f.state, 10);
    EXPECT_EQ(f.selected(), u"学习中文");
    selectWord(f.text, f.state, 1);
    EXPECT_EQ(f.selected(), u"hello");
}

TEST(TextEditing, ShiftExtendsAndPlainMovesCollapseTheSelection) {
    Field f(u"one\rtwo\rthree", 5);
    f.move(CaretMove::LineEnd, true);
    EXPECT_EQ(f.selected(), u"wo");
    f.move(CaretMove::LineStart, true);  // past the anchor: the selection turns round
    EXPECT_EQ(f.selected(), u"t");
    EXPECT_EQ(f.state.caret, 4);
    f.move(CaretMove::Right);  // collapses to the selection's end
    EXPECT_EQ(f.state.caret, 5);
    EXPECT_EQ(f.selected(), u"");
    f.move(CaretMove::Down);
    EXPECT_EQ(f.state.caret, 9);
    f.move(CaretMove::Down);  // past the last line: the end
    EXPECT_EQ(f.state.caret, 13);
    f.move(CaretMove::Up, true);
    f.move(CaretMove::Up, true);
    EXPECT_EQ(f.state.caret, 3);  // each line up keeps the column the line allows
    EXPECT_EQ(f.selected(), u"\rtwo\rthree");
    selectAll(f.text, f.state);
    EXPECT_TRUE(f.type(u"x"));
    EXPECT_EQ(f.text, u"x");
}

TEST(TextEditing, FieldsGiveAndTakePlainTextKeepingTheirHtmlFormat) {
    auto character = std::make_shared<EditTextCharacter>(1);
    character->html = true;
    character->initialText = "<P ALIGN=\"LEFT\"><FONT FACE=\"Arial\" COLOR=\"#FF0000\">a &lt;b&gt;<br>c</FONT></P>";
    DisplayObject field;
    field.character = character;
    EXPECT_EQ(fieldText(field, 10), u"a <b>\rc\r");
    setFieldText(field, u"x&y\rz", 10);
    EXPECT_EQ(field.text, "<P ALIGN=\"LEFT\"><FONT FACE=\"Arial\" COLOR=\"#FF0000\">x&amp;y<br>z");
    EXPECT_EQ(fieldText(field, 10), u"x&y\rz");

    // Emptied by the user, a field stays empty rather than showing its initial text again.
    auto plain = std::make_shared<EditTextCharacter>(2);
    plain->initialText = "Type here\r\nplease";
    DisplayObject input;
    input.character = plain;
    EXPECT_EQ(fieldText(input, 10), u"Type here\rplease");
    setFieldText(input, u"", 10);
    EXPECT_EQ(fieldText(input, 10), u"");
    EXPECT_TRUE(isInputField(input));
    plain->readOnly = true;
    plain->noSelect = true;
    EXPECT_FALSE(isInputField(input));
    EXPECT_FALSE(isSelectableField(input));
}

}  // namespace
}  // namespace velmora::swf
