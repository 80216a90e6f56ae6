// Text fields as scripts see them: the TextField object's properties and methods, fields made by
// script, variables bound both ways, the user's edits reaching onChanged, and the focus, the
// selection and the tab order.
#include <gtest/gtest.h>

#include <algorithm>

#include "host_script.h"
#include "support/swf_writer.h"
#include "swf/format/movie_loader.h"
#include "swf/format/text.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/vm.h"
#include "swf/runtime/text_editing.h"
#include "swf/runtime/text_field_settings.h"
#include "swf/runtime/text_runs.h"

namespace velmora::test {
namespace {

struct FieldSetup {
    std::string name = "f";
    uint16_t depth = 1;
    int width = 100;   // pixels
    int height = 40;
    bool input = false;
    bool html = false;
    std::string variable;
    std::string text;
};

// A DefineEditText tag for the field as character id, with no font of its own (a device font, 12 pt).
void defineField(SwfTagList& swf, uint16_t id, const FieldSetup& field) {
    BitWriter w;
    w.u16(id);
    w.rect(0, field.width * 20, 0, field.height * 20);
    w.flush();
    w.u8(uint8_t((field.text.empty() ? 0 : 0x80) | (field.input ? 0 : 0x08)));
    w.u8(field.html ? 0x02 : 0x00);
    w.cString(field.variable);
    if (!field.text.empty()) w.cString(field.text);
    const std::vector<uint8_t> body = w.take();
    swf.rawTag(37, body);
}

// The fields placed on the root (character ids 5, 6, ...), then script as the first frame's.
std::unique_ptr<swf::MovieInstance> playFields(const std::vector<FieldSetup>& fields, const Avm1Assembler& script) {
    SwfWriter swf(8);
    uint16_t id = 5;
    for (const FieldSetup& f : fields) {
        defineField(swf, id, f);
        swf.placeObject2({.depth = f.depth, .characterId = id, .name = f.name});
        ++id;
    }
    swf.doAction(script.doActionBody()).showFrame();
    swf.showFrame();
    const auto bytes = swf.bytes();
    return std::make_unique<swf::MovieInstance>(swf::parseMovie(bytes), swf::MovieInstance::Options{});
}

// target[name] = function(param) { trace(prefix + param[member]); }
Avm1Assembler& setTracer(Avm1Assembler& a, const std::string& target, const std::string& name,
                         const std::string& prefix, const std::string& member) {
    Avm1Assembler body;
    body.push({prefix}).get("p").push({member}).op(Action::GetMember).op(Action::Add2).trace();
    pushPath(a, target).push({name});
    return a.defineFunction("", {"p"}, body).op(Action::SetMember);
}

swf::DisplayObject& fieldAt(swf::MovieInstance& movie, int32_t depth) { return *movie.root().displayList().at(depth); }

const swf::EditTextCharacter& settingsOf(const swf::DisplayObject& field) {
    return static_cast<const swf::EditTextCharacter&>(*field.character);
}

TEST(TextFieldObject, ReadsAndChangesATimelineField) {
    Avm1Assembler a;
    for (const char* p : {"f.text", "f.length", "f.type", "f.border", "f.autoSize", "f.maxChars", "f.variable",
                          "f._name", "f._target", "f._width", "f"})
        tracePath(a, std::string(p));
    setPath(a, "f.text", std::string("a<b"));
    setPath(a, "f.border", true);
    setPath(a, "f.borderColor", PushInt{0xFF0000});
    setPath(a, "f.background", true);
    setPath(a, "f.backgroundColor", PushInt{0x00FF00});
    setPath(a, "f.textColor", PushInt{0x0000FF});
    setPath(a, "f.type", std::string("input"));
    setPath(a, "f.type", std::string("nonsense"));  // ignored
    setPath(a, "f.maxChars", PushInt{4});
    setPath(a, "f._x", PushInt{30});
    setPath(a, "f._width", PushInt{50});
    for (const char* p : {"f.text", "f.htmlText", "f.length", "f.type", "f.textColor", "f.maxChars", "f._x", "f._width"})
        tracePath(a, std::string(p));
    auto movie = playFields({{.text = "hello"}}, a);
    EXPECT_EQ(traceLines(*movie),
              (std::vector<std::string>{"hello", "5", "dynamic", "false", "none", "null", "null", "f", "/f", "100",
                                        "_level0.f", "a<b", "a<b", "3", "input", "255", "4", "30", "50"}));
    const swf::DisplayObject& field = fieldAt(*movie, 1);
    const auto& s = settingsOf(field);
    EXPECT_TRUE(s.border && s.background);
    EXPECT_EQ(s.borderColor, (swf::Rgba{255, 0, 0, 255}));
    EXPECT_EQ(s.backgroundColor, (swf::Rgba{0, 255, 0, 255}));
    EXPECT_EQ(field.text, "a<b");
    EXPECT_EQ(field.matrix.tx, 600);
}

TEST(TextFieldObject, HtmlFieldsKeepTheirMarkupAndAnswerPlainText) {
    Avm1Assembler a;
    setPath(a, "f.htmlText", std::string("<p>One &amp; <b>two</b></p><p>three</p>"));
    tracePath(a, "f.text");
    tracePath(a, "f.length");
    setPath(a, "f.text", std::string("x<y"));  // plain text into an HTML field
    tracePath(a, "f.htmlText");
    setPath(a, "f.html", false);
    tracePath(a, "f.text");
    auto movie = playFields({{.html = true, .text = "<b>hi</b>"}}, a);
    EXPECT_EQ(traceLines(*movie),
              (std::vector<std::string>{"One & two\rthree", "15",
                                        "<P ALIGN=\"LEFT\"><FONT FACE=\"Times New Roman\" SIZE=\"12\" COLOR=\"#000000\" "
                                        "LETTERSPACING=\"0\" KERNING=\"0\">x&lt;y</FONT></P>",
                                        "x<y"}));
    EXPECT_FALSE(settingsOf(fieldAt(*movie, 1)).html);
}

TEST(TextFieldObject, HtmlTextReadsAsTheAuthoringToolWritesItAndReadsBackTheSame) {
    Avm1Assembler a;
    setNew(a, "red", "TextFormat", {});
    setPath(a, "red.color", PushInt{0xFF0000});
    a.get("red").push({PushInt{2}, PushInt{0}, PushInt{3}, "p"}).op(Action::GetVariable);  // "he" red
    a.push({"setTextFormat"}).op(Action::CallMethod).op(Action::Pop);
    tracePath(a, "p.html");      // formatted in part, still no HTML field
    tracePath(a, "p.htmlText");  // which reads as its text
    setPath(a, "h.htmlText", std::string("<p align='center'><b>One</b> &amp; two</p><p></p>three"));
    tracePath(a, "h.htmlText");
    // What a script reads it gives back unchanged, paragraphs and all.
    a.push({"h"}).op(Action::GetVariable).push({"htmlText"}).push({"h"}).op(Action::GetVariable);
    a.push({"htmlText"}).op(Action::GetMember).op(Action::SetMember);
    tracePath(a, "h.htmlText");
    tracePath(a, "h.length");
    setPath(a, "p.html", true);
    tracePath(a, "p.html");
    auto movie = playFields({{.name = "p", .text = "hello"}, {.name = "h", .depth = 2, .html = true}}, a);
    const std::string font = "<FONT FACE=\"Times New Roman\" SIZE=\"12\" COLOR=\"#000000\" LETTERSPACING=\"0\" KERNING=\"0\">";
    const std::string html = "<P ALIGN=\"CENTER\">" + font + "<B>One</B></FONT>" + font + " &amp; two</FONT></P>" +
                             "<P ALIGN=\"LEFT\">" + font + "</FONT></P><P ALIGN=\"LEFT\">" + font + "three</FONT></P>";
    EXPECT_EQ(traceLines(*movie), (std::vector<std::string>{"false", "hello", html, html, "16", "true"}));
    // Its runs stay in place when it becomes an HTML field.
    const swf::FormattedText p = swf::fieldFormattedText(*movie, fieldAt(*movie, 1));
    ASSERT_EQ(p.text, u"hello");
    EXPECT_EQ(p.formats[1].color, 0xFF0000u);
    EXPECT_EQ(p.formats[2].color, 0u);
}

TEST(TextFieldObject, TextFormatsApplyToTheWholeField) {
    Avm1Assembler a;
    setNew(a, "fmt", "TextFormat", {std::string("Arial"), PushInt{20}, PushInt{0x336699}, true});
    setPath(a, "fmt.align", std::string("center"));
    setPath(a, "fmt.leftMargin", PushInt{3});
    callPath(a, "f.setTextFormat", {PushUndefined{}}).op(Action::Pop);  // no format: nothing
    callWithVars(a, "f.setTextFormat", {"fmt"}).op(Action::Pop);
    a.push({"fmt2"});
    callPath(a, "f.getTextFormat", {});
    a.op(Action::SetVariable);
    for (const char* p : {"fmt2.font", "fmt2.size", "fmt2.color", "fmt2.bold", "fmt2.italic", "fmt2.align",
                          "fmt2.leftMargin"})
        tracePath(a, std::string(p));
    auto movie = playFields({{.text = "hello"}}, a);
    EXPECT_EQ(traceLines(*movie), (std::vector<std::string>{"Arial", "20", "3368601", "true", "false", "center", "3"}));
    const auto& s = settingsOf(fieldAt(*movie, 1));
    EXPECT_EQ(s.fontHeight, 400);
    EXPECT_EQ(s.face, "Arial");
    EXPECT_TRUE(s.bold);
    EXPECT_EQ(s.align, swf::EditTextCharacter::Align::Center);
}

TEST(TextFieldObject, PartOfTheTextTakesItsOwnFormatWhichTypingKeeps) {
    Avm1Assembler a;
    setNew(a, "red", "TextFormat", {});
    setPath(a, "red.color", PushInt{0xFF0000});
    setPath(a, "red.bold", true);
    a.get("red").push({PushInt{3}, PushInt{1}, PushInt{3}, "f"}).op(Action::GetVariable);
    a.push({"setTextFormat"}).op(Action::CallMethod).op(Action::Pop);  // "el" red and bold
    a.get("red").push({PushInt{7}, PushInt{2}, "f"}).op(Action::GetVariable);
    a.push({"setTextFormat"}).op(Action::CallMethod).op(Action::Pop);  // past the text: nothing
    tracePath(a, "f.text");
    for (auto [b, e] : {std::pair{1, 3}, {0, 3}, {3, 5}}) {
        a.push({"r"});
        callPath(a, "f.getTextFormat", {PushInt{b}, PushInt{e}});
        a.op(Action::SetVariable);
        tracePath(a, "r.bold");
        tracePath(a, "r.color");
        tracePath(a, "r.size");
    }
    setNew(a, "blue", "TextFormat", {});
    setPath(a, "blue.color", PushInt{0x0000FF});
    callWithVars(a, "f.setNewTextFormat", {"blue"}).op(Action::Pop);
    auto movie = playFields({{.input = true, .text = "hello"}}, a);
    EXPECT_EQ(traceLines(*movie), (std::vector<std::string>{"hello", "true", "16711680", "12", "null", "null", "12",
                                                            "false", "0", "12"}));
    swf::DisplayObject& field = fieldAt(*movie, 1);
    EXPECT_EQ(swf::fieldPlainText(*movie, field), "hello");

    // Typed text takes the new format; the text around it keeps its own.
    movie->setFocusedText(&field);
    field.textState->caret = field.textState->selectionBegin = field.textState->selectionEnd = 2;
    swf::replaceSelection(*movie, field, "XY");
    const swf::FormattedText typed = swf::fieldFormattedText(*movie, field);
    ASSERT_EQ(typed.text, u"heXYllo");
    EXPECT_EQ(typed.formats[0].color, 0u);
    EXPECT_EQ(typed.formats[1].color, 0xFF0000u);
    EXPECT_TRUE(typed.formats[1].bold);
    EXPECT_EQ(typed.formats[2].color, 0x0000FFu);
    EXPECT_FALSE(typed.formats[3].bold);  // the new format starts from the look the text ends in
    EXPECT_EQ(typed.formats[4].color, 0xFF0000u);
    EXPECT_EQ(typed.formats[6].color, 0u);

    // Text set by script takes the new format whole.
    Avm1Assembler set;
    setPath(set, "f.text", std::string("a<b"));
    tracePath(set, "f.text");
    movie->vm().runBlock(std::make_shared<const std::vector<uint8_t>>(set.doActionBody()), movie->root());
    EXPECT_EQ(traceLines(*movie).back(), "a<b");
    const swf::FormattedText replaced = swf::fieldFormattedText(*movie, field);
    ASSERT_EQ(replaced.formats.size(), 3u);
    EXPECT_EQ(replaced.formats[2].color, 0x0000FFu);
}

TEST(TextFieldObject, StyleSheetsStyleTagsAndClassesOfHtmlText) {
    Avm1Assembler a;
    setNew(a, "css", "TextField.StyleSheet", {});
    traceCall(a, "css.parseCSS", {std::string("h1 { color: #FF0000; font-size: 20px }\n/* note */ .x, P {font-weight:bold;}")});
    traceCall(a, "css.parseCSS", {std::string("p { color: #00FF00")});  // unclosed: refused
    traceCall(a, "css.getStyleNames", {});
    a.push({"s"});
    callPath(a, "css.getStyle", {std::string("H1")});
    a.op(Action::SetVariable);
    tracePath(a, "s.fontSize");
    a.push({"t"});
    a.get("s").push({PushInt{1}, "css"}).op(Action::GetVariable).push({"transform"}).op(Action::CallMethod);
    a.op(Action::SetVariable);
    tracePath(a, "t.color");
    tracePath(a, "t.size");
    a.push({"f"}).op(Action::GetVariable).push({"styleSheet"}).get("css").op(Action::SetMember);
    setPath(a, "f.htmlText", std::string("<h1>A</h1><span class='x'>b</span>c"));
    tracePath(a, "f.text");
    auto movie = playFields({{.input = true, .html = true}}, a);
    EXPECT_EQ(traceLines(*movie), (std::vector<std::string>{"true", "false", "p,.x,h1", "20px", "16711680", "20", "Abc"}));
    swf::DisplayObject& field = fieldAt(*movie, 1);
    const swf::FormattedText text = swf::fieldFormattedText(*movie, field);
    ASSERT_EQ(text.text, u"Abc");
    EXPECT_EQ(text.formats[0].color, 0xFF0000u);
    EXPECT_EQ(text.formats[0].size, 20.0);
    EXPECT_TRUE(text.formats[1].bold);
    EXPECT_FALSE(text.formats[2].bold);
    EXPECT_FALSE(swf::isInputField(field));  // styled text takes no typing
}

TEST(TextFieldObject, AStyleSheetSetAfterTheTextStylesItAgainAndSetsItsParagraphs) {
    Avm1Assembler a;
    const std::string source = "<h1>Title</h1>text<p class='note'>Note</p><span class='gone'>x</span>end";
    setPath(a, "f.htmlText", source);
    tracePath(a, "f.text");
    setNew(a, "css", "TextField.StyleSheet", {});
    callPath(a, "css.parseCSS", {std::string("h1 { display: block; text-align: center; color: #FF0000 }"
                                             ".note { margin-left: 10px; text-indent: 5px; letter-spacing: 2; leading: 3 }"
                                             ".gone { display: none }")}).op(Action::Pop);
    a.push({"f"}).op(Action::GetVariable).push({"styleSheet"}).get("css").op(Action::SetMember);
    tracePath(a, "f.text");
    tracePath(a, "f.htmlText");  // the HTML it was given
    setNew(a, "blue", "TextFormat", {});
    setPath(a, "blue.color", PushInt{0x0000FF});
    callWithVars(a, "f.setTextFormat", {"blue"}).op(Action::Pop);  // the sheet decides: not taken
    auto movie = playFields({{.width = 200, .html = true}}, a);
    EXPECT_EQ(traceLines(*movie), (std::vector<std::string>{"Titletext\rNote\rxend", "Title\rtext\rNote\rend", source}));
    swf::DisplayObject& field = fieldAt(*movie, 1);
    const swf::FormattedText text = swf::fieldFormattedText(*movie, field);
    ASSERT_EQ(text.text, u"Title\rtext\rNote\rend");
    EXPECT_EQ(text.formats[0].color, 0xFF0000u);
    EXPECT_EQ(text.formats[12].letterSpacing, 2.0);
    EXPECT_EQ(text.formats[17].color, 0u);
    ASSERT_EQ(text.paragraphs.size(), 4u);
    EXPECT_EQ(text.paragraphs[0].align, swf::EditTextCharacter::Align::Center);
    EXPECT_TRUE(text.paragraphs[1].empty());
    EXPECT_EQ(text.paragraphs[2].leftMargin, 10.0);
    EXPECT_EQ(text.paragraphs[2].indent, 5.0);
    EXPECT_EQ(text.paragraphs[2].leading, 3.0);
    EXPECT_TRUE(text.paragraphs[3].empty());

    // Without the sheet the text reads as it did before.
    Avm1Assembler unset;
    setPath(unset, "f.styleSheet", PushUndefined{});
    tracePath(unset, "f.text");
    movie->vm().runBlock(std::make_shared<const std::vector<uint8_t>>(unset.doActionBody()), movie->root());
    EXPECT_EQ(traceLines(*movie).back(), "Titletext\rNote\rxend");
    EXPECT_FALSE(field.textState->styled);
}

TEST(TextFieldObject, CreateTextFieldPlacesAFieldTheScriptCanRemove) {
    Avm1Assembler a;
    a.push({"t"});
    callPath(a, "_root.createTextField", {std::string("made"), PushInt{3}, PushInt{10}, PushInt{20}, PushInt{120},
                                          PushInt{30}});
    a.op(Action::SetVariable);
    setPath(a, "made.text", std::string("new"));
    tracePath(a, "t._name");
    traceCall(a, "made.getDepth", {});
    tracePath(a, "made._y");
    tracePath(a, "made._height");
    auto movie = playFields({}, a);
    EXPECT_EQ(traceLines(*movie), (std::vector<std::string>{"made", "3", "20", "30"}));
    const int32_t depth = 3 + swf::kScriptDepthOffset;
    ASSERT_TRUE(movie->root().displayList().count(depth));
    EXPECT_EQ(fieldAt(*movie, depth).text, "new");

    Avm1Assembler remove;
    callPath(remove, "made.removeTextField", {}).op(Action::Pop);
    callPath(remove, "f.removeTextField", {}).op(Action::Pop);  // the timeline's field stays
    tracePath(remove, "t.text");
    movie->vm().runBlock(std::make_shared<const std::vector<uint8_t>>(remove.doActionBody()), movie->root());
    EXPECT_FALSE(movie->root().displayList().count(depth));
    EXPECT_EQ(traceLines(*movie).back(), "undefined");
}

TEST(TextFieldObject, ScrollingFollowsTheLinesThatFit) {
    // A 40 px field holds two 12 pt lines of the five given.
    Avm1Assembler a;
    setTracer(a, "f", "onScroller", "scrolled to ", "scroll");
    for (const char* p : {"f.maxscroll", "f.bottomScroll"}) tracePath(a, std::string(p));
    setPath(a, "f.scroll", PushInt{99});
    for (const char* p : {"f.scroll", "f.bottomScroll"}) tracePath(a, std::string(p));
    setPath(a, "f.scroll", PushInt{4});  // where it is: no event
    setPath(a, "f.scroll", PushInt{0});
    tracePath(a, "f.scroll");
    auto movie = playFields({{.text = "1\r2\r3\r4\r5"}}, a);
    EXPECT_EQ(traceLines(*movie),
              (std::vector<std::string>{"4", "2", "scrolled to 4", "4", "5", "scrolled to 1", "1"}));
}

TEST(TextFieldObject, AutoSizeFitsTheBoxToTheText) {
    Avm1Assembler a;
    setPath(a, "f.autoSize", std::string("right"));
    tracePath(a, "f.autoSize");
    auto movie = playFields({{.width = 300, .text = "abcd"}}, a);
    const auto& s = settingsOf(fieldAt(*movie, 1));
    // Anchored on the right, the box shrinks to the text from the left.
    EXPECT_EQ(s.bounds.xMax, 6000);
    EXPECT_GT(s.bounds.xMin, 3000);
    EXPECT_LT(s.bounds.yMax, 800);
    EXPECT_EQ(traceLines(*movie), (std::vector<std::string>{"right"}));
}

TEST(TextFieldBinding, GoesBothWays) {
    Avm1Assembler a;
    setPath(a, "f.text", std::string("typed"));
    a.get("answer").trace();
    // Bound by script: a variable that is set gives the field its text, an unset one takes it.
    a.set("score", std::string("7"));
    setPath(a, "g.variable", std::string("score"));
    tracePath(a, "g.text");
    setPath(a, "h.variable", std::string("fresh"));
    a.get("fresh").trace();
    a.set("answer", std::string("from script"));
    auto movie = playFields({{.variable = "answer", .text = "start"},
                             {.name = "g", .depth = 2, .text = "x"},
                             {.name = "h", .depth = 3, .text = "mine"}},
                            a);
    EXPECT_EQ(traceLines(*movie), (std::vector<std::string>{"typed", "7", "mine"}));
    movie->tick();
    EXPECT_EQ(fieldAt(*movie, 1).text, "from script");
    EXPECT_EQ(fieldAt(*movie, 2).text, "7");
}

TEST(TextFieldEvents, UserEditsRunOnChangedAndTheListenersAndWriteTheVariable) {
    Avm1Assembler a;
    setTracer(a, "f", "onChanged", "field: ", "text");
    setNew(a, "l", "Object", {});
    setTracer(a, "l", "onChanged", "listener: ", "_name");
    callWithVars(a, "f.addListener", {"l"}).op(Action::Pop);
    auto movie = playFields({{.input = true, .variable = "answer", .text = "4"}}, a);
    swf::DisplayObject& field = fieldAt(*movie, 1);
    field.text = "42";
    movie->textEdited(field);
    EXPECT_EQ(traceLines(*movie), (std::vector<std::string>{"field: 42", "listener: f"}));
    EXPECT_EQ(movie->variableText(movie->root(), "answer"), "42");
}

TEST(TextFieldFocus, SelectionReachesFieldsAndTheirHandlers) {
    Avm1Assembler s;
    setTracer(s, "f", "onSetFocus", "f gets focus from ", "_name");
    setTracer(s, "f", "onKillFocus", "f loses focus to ", "_name");
    traceCall(s, "Selection.getBeginIndex", {});
    callPath(s, "Selection.setFocus", {std::string("_root.f")}).op(Action::Pop);
    traceCall(s, "Selection.getFocus", {});
    callPath(s, "Selection.setSelection", {PushInt{4}, PushInt{1}}).op(Action::Pop);
    traceCall(s, "Selection.getBeginIndex", {});
    traceCall(s, "Selection.getEndIndex", {});
    traceCall(s, "Selection.getCaretIndex", {});
    callPath(s, "Selection.setSelection", {PushInt{-5}, PushInt{99}}).op(Action::Pop);
    traceCall(s, "Selection.getEndIndex", {});
    callWithVars(s, "Selection.setFocus", {"g"}).op(Action::Pop);
    auto movie = playFields({{.input = true, .text = "hello"}, {.name = "g", .depth = 2, .input = true}}, s);
    EXPECT_EQ(traceLines(*movie),
              (std::vector<std::string>{"-1", "f gets focus from undefined", "_level0.f", "1", "4", "1", "5",
                                        "f loses focus to g"}));
    EXPECT_EQ(movie->focusedText(), &fieldAt(*movie, 2));
}

TEST(TextFieldFocus, TabMovesThroughInputFieldsThenByTabIndex) {
    auto movie = playFields({{.name = "a", .depth = 1, .input = true},
                             {.name = "label", .depth = 2},  // dynamic: not a tab stop
                             {.name = "b", .depth = 3, .input = true, .text = "abc"}},
                            Avm1Assembler{});
    swf::DisplayObject* a = &fieldAt(*movie, 1);
    swf::DisplayObject* b = &fieldAt(*movie, 3);
    EXPECT_EQ(movie->moveTabFocus(false), a);
    EXPECT_EQ(movie->moveTabFocus(false), b);
    EXPECT_EQ(b->textState->selectionEnd, 3);  // tabbing in selects the text
    EXPECT_EQ(movie->moveTabFocus(false), a);  // around again
    EXPECT_EQ(movie->moveTabFocus(true), b);

    // With tabIndex set, only those fields take part, in its order.
    Avm1Assembler order;
    setPath(order, "b.tabIndex", PushInt{1});
    setPath(order, "label.tabIndex", PushInt{2});
    movie->vm().runBlock(std::make_shared<const std::vector<uint8_t>>(order.doActionBody()), movie->root());
    EXPECT_EQ(movie->moveTabFocus(false), &fieldAt(*movie, 2));
    EXPECT_EQ(movie->moveTabFocus(false), b);
    EXPECT_EQ(movie->focusedText(), b);
}

}  // namespace
}  // namespace velmora::test
