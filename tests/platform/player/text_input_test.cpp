// Typing into a movie's text fields through Qt's own events on the real widget.
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMenu>
#include <QInputMethodEvent>
#include <QMouseEvent>
#include <QShortcut>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "platform/player/swf_player_widget.h"
#include "player_test_support.h"
#include "support/avm1_assembler.h"
#include "support/qt_application.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/vm.h"

namespace velmora::test {
namespace {

// DefineEditText: a field of width x height px with the device font at 12 px, text as given.
std::vector<uint8_t> editTextTag(uint16_t id, int widthPx, int heightPx, bool multiline, bool password,
                                 std::optional<uint16_t> maxLength, const std::string& text, bool readOnly = false,
                                 bool noSelect = false) {
    std::vector<uint8_t> out{uint8_t(id), uint8_t(id >> 8)};
    // RECT with 16-bit fields: 0, width, 0, height in twips.
    const int32_t values[] = {0, widthPx * 20, 0, heightPx * 20};
    const uint32_t bits = 16;  // nbits
    std::vector<bool> stream;
    for (int i = 4; i >= 0; --i) stream.push_back((bits >> i) & 1);
    for (int32_t v : values)
        for (int i = 15; i >= 0; --i) stream.push_back((uint32_t(v) >> i) & 1);
    const int used = int(stream.size());
    for (int i = 0; i < used; i += 8) {
        uint8_t byte = 0;
        for (int b = 0; b < 8; ++b) byte = uint8_t(byte << 1 | (i + b < used && stream[size_t(i + b)]));
        out.push_back(byte);
    }
    out.push_back(uint8_t(0x80 | (multiline ? 0x60 : 0) | (password ? 0x10 : 0) | (readOnly ? 0x08 : 0) |
                          (maxLength ? 0x02 : 0)));
    out.push_back(uint8_t(0x08 | (noSelect ? 0x10 : 0)));  // border
    if (maxLength) {
        out.push_back(uint8_t(*maxLength));
        out.push_back(uint8_t(*maxLength >> 8));
    }
    out.push_back(0);  // no variable
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
    return out;
}

// A 550 x 400 stage with field 1 (200 x 30 px at (50, 50)) and field 2 (200 x 40 px at (50, 150),
// multiline, two lines of text and more than it shows) and a Key listener tracing key codes.
struct TypingMovie {
    MovieFolder folder;
    SwfPlayerWidget player;

    explicit TypingMovie(std::optional<uint16_t> maxLength = {}, bool password = false) {
        SwfWriter swf;
        swf.rawTag(37, editTextTag(1, 200, 30, false, password, maxLength, ""));
        swf.rawTag(37, editTextTag(2, 200, 40, true, false, {}, "one\rtwo\rthree\rfour\rfive\rsix"));
        swf.placeObject2({.depth = 1, .characterId = 1, .matrix = WriterMatrix{.translateX = 1000, .translateY = 1000}, .name = "answer"});
        swf.placeObject2({.depth = 2, .characterId = 2, .matrix = WriterMatrix{.translateX = 1000, .translateY = 3000}, .name = "notes"});
        swf.showFrame();
        player.resize(550, 400);  // one pixel a pixel
        player.putMovie(folder.write("typing.swf", swf));
        QApplication::clipboard()->clear();
    }
    swf::DisplayObject& field(int depth) {
        return *player.movieInstance()->root().displayList().at(depth);
    }
    void click(QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(&player, Qt::LeftButton, modifiers, at);
    }
    // Runs script on the root timeline; what it traces is kept in traces.
    void run(const Avm1Assembler& script) {
        if (!tracing) {
            player.setTraceSink([this](const std::string& text) { traces.push_back(text); });
            tracing = true;
        }
        player.movieInstance()->vm().runBlock(std::make_shared<const std::vector<uint8_t>>(script.doActionBody()),
                                              player.movieInstance()->root());
    }
    std::vector<std::string> traces;
    bool tracing = false;
};

// field.handler = function() { trace(field.property); }
Avm1Assembler traceOn(const std::string& field, const std::string& handler, const std::string& property) {
    Avm1Assembler body;
    body.get(field).push({property}).op(Action::GetMember).trace();
    Avm1Assembler a;
    a.get(field).push({handler}).defineFunction("", {}, body).op(Action::SetMember);
    return a;
}

void key(QWidget& w, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(&w, k, m); }

// Whether the widget keeps the key from the window's shortcuts.
bool keptFromShortcuts(QWidget& w, Qt::Key k, Qt::KeyboardModifiers m, const QString& text) {
    QKeyEvent event(QEvent::ShortcutOverride, k, m, text);
    event.ignore();
    QApplication::sendEvent(&w, &event);
    return event.isAccepted();
}

TEST(TextInput, KeysTypeAndEditInTheFocusedFieldAndGoBackToTheWindowWithoutOne) {
    TypingMovie t;
    swf::MovieInstance& movie = *t.player.movieInstance();
    EXPECT_FALSE(keptFromShortcuts(t.player, Qt::Key_Space, Qt::NoModifier, " "));
    t.click({60, 60});
    ASSERT_EQ(movie.focusedText(), &t.field(1));
    QTest::keyClicks(&t.player, "Hi 5");
    EXPECT_EQ(t.field(1).text, "Hi 5");
    EXPECT_EQ(movie.keyboard().lastAscii, '5');  // the Key object heard it
    key(t.player, Qt::Key_Backspace);
    key(t.player, Qt::Key_Left, Qt::ControlModifier);
    QTest::keyClicks(&t.player, "Oh ");
    EXPECT_EQ(t.field(1).text, "Oh Hi ");
    // Enter belongs to the field even where it types nothing; the window's space and Enter
    // shortcuts wait, its Ctrl chords do not.
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(&t.player, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(t.field(1).text, "Oh Hi ");
    EXPECT_TRUE(keptFromShortcuts(t.player, Qt::Key_Space, Qt::NoModifier, " "));
    EXPECT_TRUE(keptFromShortcuts(t.player, Qt::Key_Return, Qt::NoModifier, "\r"));
    EXPECT_FALSE(keptFromShortcuts(t.player, Qt::Key_O, Qt::ControlModifier, "\x0f"));

    // In the multiline field Enter breaks the line where the caret is.
    t.click({60, 157});
    ASSERT_EQ(movie.focusedText(), &t.field(2));
    key(t.player, Qt::Key_End);
    key(t.player, Qt::Key_Return);
    QTest::keyClicks(&t.player, "x");
    key(t.player, Qt::Key_Down, Qt::ShiftModifier);
    key(t.player, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(t.field(2).text, "one\rx\rtwo\rthree\rfour\rfive\rsix");
    EXPECT_EQ(t.field(2).textState->selectionBegin, 5);  // "\rtwo" selected
    EXPECT_EQ(t.field(2).textState->selectionEnd, 9);

    // A click on the empty stage takes the focus away: keys are the window's again.
    t.click({400, 350});
    EXPECT_EQ(movie.focusedText(), nullptr);
    QKeyEvent z(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, "z");
    QApplication::sendEvent(&t.player, &z);
    EXPECT_FALSE(z.isAccepted());
    EXPECT_EQ(t.field(1).text, "Oh Hi ");
}

TEST(TextInput, TabWalksTheMoviesFieldsSelectingWhatItEnters) {
    TypingMovie t;
    swf::MovieInstance& movie = *t.player.movieInstance();
    t.click({60, 60});
    ASSERT_EQ(movie.focusedText(), &t.field(1));
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, "\t");
    QApplication::sendEvent(&t.player, &tab);
    ASSERT_EQ(movie.focusedText(), &t.field(2));
    EXPECT_EQ(t.field(2).textState->selectionBegin, 0);
    EXPECT_EQ(t.field(2).textState->selectionEnd, 27);  // "one\rtwo\r...six", so typing replaces it
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backtab, Qt::ShiftModifier, "");
    QApplication::sendEvent(&t.player, &back);
    EXPECT_EQ(movie.focusedText(), &t.field(1));
    QTest::keyClicks(&t.player, "a");
    EXPECT_EQ(t.field(1).text, "a");  // the Tab itself typed nothing
}

TEST(TextInput, TheClipboardCopiesCutsAndPastesButNeverAPassword) {
    {
        TypingMovie t(12);
        t.click({60, 60});
        QTest::keyClicks(&t.player, "hello world");
        key(t.player, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
        key(t.player, Qt::Key_X, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->text(), "world");
        EXPECT_EQ(t.field(1).text, "hello ");
        key(t.player, Qt::Key_V, Qt::ControlModifier);
        key(t.player, Qt::Key_V, Qt::ControlModifier);  // cut to the field's 12 characters
        EXPECT_EQ(t.field(1).text, "hello worldw");
        key(t.player, Qt::Key_A, Qt::ControlModifier);
        QApplication::clipboard()->setText(QString::fromUtf8("学\xF0\x9F\x98\x80\nok"));
        key(t.player, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(t.field(1).text, "学\xF0\x9F\x98\x80 ok");  // one line: the break became a space
        // A double click selects the word under the pointer.
        QTest::mouseDClick(&t.player, Qt::LeftButton, Qt::NoModifier, {53, 60});
        key(t.player, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->text(), "学");
    }
    TypingMovie secret({}, true);
    secret.click({60, 60});
    QTest::keyClicks(&secret.player, "pa55");
    QApplication::clipboard()->setText("kept");
    key(secret.player, Qt::Key_A, Qt::ControlModifier);
    key(secret.player, Qt::Key_C, Qt::ControlModifier);
    key(secret.player, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "kept");
    EXPECT_EQ(secret.field(1).text, "pa55");
}

TEST(TextInput, InputMethodsComposeAtTheCaretAndCommitChinese) {
    TypingMovie t;
    EXPECT_FALSE(t.player.testAttribute(Qt::WA_InputMethodEnabled));
    t.click({60, 60});
    EXPECT_TRUE(t.player.testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_TRUE(t.player.inputMethodQuery(Qt::ImEnabled).toBool());
    const QRect before = t.player.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_TRUE(QRect(50, 50, 200, 30).contains(before)) << before.x() << "," << before.y();

    QInputMethodEvent composing("zhong", {QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, 5, 1)});
    QApplication::sendEvent(&t.player, &composing);
    EXPECT_EQ(t.field(1).text, "");  // composing text is not typed yet
    t.player.grab();                 // and is drawn without harm
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("中文"));
    QApplication::sendEvent(&t.player, &commit);
    EXPECT_EQ(t.field(1).text, "中文");
    EXPECT_EQ(t.player.inputMethodQuery(Qt::ImCursorPosition).toInt(), 2);
    EXPECT_GT(t.player.inputMethodQuery(Qt::ImCursorRectangle).toRect().x(), before.x() + 10);
    // What the method commits is held to the field's restrict, as typing is.
    Avm1Assembler digits;
    digits.get("answer").push({"restrict", "0-9"}).op(Action::SetMember);
    t.run(digits);
    QInputMethodEvent mixed;
    mixed.setCommitString("4x2");
    QApplication::sendEvent(&t.player, &mixed);
    EXPECT_EQ(t.field(1).text, "中文42");

    t.click({400, 350});
    EXPECT_FALSE(t.player.testAttribute(Qt::WA_InputMethodEnabled));
}

TEST(TextInput, TheWheelScrollsAFieldWithMoreLinesThanItShows) {
    TypingMovie t;
    auto wheel = [&](QPoint at, int angle) {
        QWheelEvent e(QPointF(at), QPointF(t.player.mapToGlobal(at)), QPoint(), QPoint(0, angle), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&t.player, &e);
    };
    wheel({100, 170}, -120);
    ASSERT_TRUE(t.field(2).textState);
    EXPECT_EQ(t.field(2).textState->scroll, 4);  // three lines a notch
    wheel({100, 170}, -120 * 5);  // held where the last line shows at the bottom
    const int32_t most = t.field(2).textState->scroll;
    EXPECT_GE(most, 4);
    EXPECT_LE(most, 5);
    wheel({100, 170}, 120 * 5);
    EXPECT_EQ(t.field(2).textState->scroll, 1);
    wheel({100, 60}, -120);  // a field that shows all its text stays put
    EXPECT_TRUE(!t.field(1).textState || t.field(1).textState->scroll == 1);
}

TEST(TextInput, UndoAndRedoStepThroughTypingRunsPastesAndDeletions) {
    TypingMovie t;
    t.click({60, 60});
    t.run(traceOn("answer", "onChanged", "text"));
    auto text = [&] { return t.field(1).text; };
    QTest::keyClicks(&t.player, "hello world");  // one run of typing: one step
    key(t.player, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClicks(&t.player, "there");  // typed over a selection: a step of its own
    for (int i = 0; i < 3; ++i) key(t.player, Qt::Key_Backspace);  // a run of deletions: one step
    ASSERT_EQ(text(), "hello th");
    t.traces.clear();
    key(t.player, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), "hello there");
    key(t.player, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), "hello world");
    EXPECT_EQ(t.field(1).textState->selectionBegin, 6);  // what was typed over is selected again
    EXPECT_EQ(t.field(1).textState->selectionEnd, 11);
    EXPECT_EQ(t.traces, (std::vector<std::string>{"hello there", "hello world"}));  // onChanged heard each
    key(t.player, Qt::Key_Z, Qt::ControlModifier);
    key(t.player, Qt::Key_Z, Qt::ControlModifier);  // nothing left: nothing happens
    EXPECT_EQ(text(), "");
    EXPECT_TRUE(keptFromShortcuts(t.player, Qt::Key_Z, Qt::ControlModifier, "\x1a"));
    key(t.player, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(text(), "hello world");
    key(t.player, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(text(), "hello there");

    // A paste and a cut are steps; typing after an undo leaves nothing to redo.
    QApplication::clipboard()->setText("!!");
    key(t.player, Qt::Key_End);
    key(t.player, Qt::Key_V, Qt::ControlModifier);
    key(t.player, Qt::Key_Home, Qt::ShiftModifier);
    key(t.player, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(text(), "");
    key(t.player, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), "hello there!!");
    key(t.player, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), "hello there");
    QTest::keyClicks(&t.player, "x");
    key(t.player, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(text(), "hello therex");

    // The script's text is the new start: nothing before it can be undone.
    Avm1Assembler set;
    set.get("answer").push({"text", "set by script"}).op(Action::SetMember);
    t.run(set);
    key(t.player, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), "set by script");
    key(t.player, Qt::Key_End);
    QTest::keyClicks(&t.player, "!");
    key(t.player, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), "set by script");
}

TEST(TextInput, ASelectableFieldThatOnlyShowsTextCopiesWhatTheMouseSelects) {
    MovieFolder folder;
    SwfPlayerWidget player;
    SwfWriter swf;
    swf.rawTag(37, editTextTag(1, 200, 30, false, false, {}, "Paris is the answer", true));
    swf.rawTag(37, editTextTag(2, 200, 30, false, false, {}, "hidden words", true, true));
    swf.placeObject2({.depth = 1, .characterId = 1, .matrix = WriterMatrix{.translateX = 1000, .translateY = 1000}});
    swf.placeObject2({.depth = 2, .characterId = 2, .matrix = WriterMatrix{.translateX = 1000, .translateY = 3000}});
    swf.showFrame();
    player.resize(550, 400);
    player.putMovie(folder.write("reading.swf", swf));
    QApplication::clipboard()->setText("kept");
    swf::DisplayObject& shown = *player.movieInstance()->root().displayList().at(1);

    QTest::mouseDClick(&player, Qt::LeftButton, Qt::NoModifier, {56, 60});
    EXPECT_TRUE(keptFromShortcuts(player, Qt::Key_C, Qt::ControlModifier, "\x03"));
    EXPECT_FALSE(keptFromShortcuts(player, Qt::Key_V, Qt::ControlModifier, "\x16"));
    key(player, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "Paris");
    // A drag selects, Shift+click extends; typing and cutting change nothing.
    QTest::mousePress(&player, Qt::LeftButton, Qt::NoModifier, {53, 60});
    QMouseEvent drag(QEvent::MouseMove, QPointF(250, 60), QPointF(player.mapToGlobal(QPoint(250, 60))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&player, &drag);
    QTest::mouseRelease(&player, Qt::LeftButton, Qt::NoModifier, {250, 60});
    key(player, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClicks(&player, "z");
    key(player, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "Paris is the answer");
    EXPECT_EQ(shown.text, "Paris is the answer");
    QTest::mouseClick(&player, Qt::LeftButton, Qt::NoModifier, {53, 60});
    QTest::mouseClick(&player, Qt::LeftButton, Qt::ShiftModifier, {85, 60});
    key(player, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().left(3), "Par");

    // A field that is not selectable takes no focus and copies nothing.
    QApplication::clipboard()->setText("kept");
    QTest::mouseDClick(&player, Qt::LeftButton, Qt::NoModifier, {60, 160});
    EXPECT_EQ(player.movieInstance()->focusedText(), nullptr);
    key(player, Qt::Key_A, Qt::ControlModifier);
    key(player, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "kept");
}

TEST(TextInput, OnScrollerHearsTheUsersScrollsOncePerChange) {
    TypingMovie t;
    t.run(traceOn("notes", "onScroller", "scroll"));
    auto wheel = [&](int angle) {
        QWheelEvent e(QPointF(100, 170), QPointF(t.player.mapToGlobal(QPoint(100, 170))), QPoint(), QPoint(0, angle),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&t.player, &e);
    };
    wheel(-120);
    wheel(120);
    wheel(120);  // already at the top: no change, no call
    EXPECT_EQ(t.traces, (std::vector<std::string>{"4", "1"}));
    t.traces.clear();
    t.click({60, 157});
    key(t.player, Qt::Key_End, Qt::ControlModifier);  // the caret past the bottom edge scrolls the field
    ASSERT_EQ(t.traces.size(), 1u);
    EXPECT_GT(std::stoi(t.traces[0]), 1);
    key(t.player, Qt::Key_Left);  // moving inside what shows scrolls nothing
    EXPECT_EQ(t.traces.size(), 1u);
    key(t.player, Qt::Key_Home, Qt::ControlModifier);
    ASSERT_EQ(t.traces.size(), 2u);
    EXPECT_EQ(t.traces[1], "1");
    // Page Down and Page Up move the caret a field's height of lines, scrolling with it.
    key(t.player, Qt::Key_PageDown);
    key(t.player, Qt::Key_PageDown);
    EXPECT_GE(t.field(2).textState->caret, 8);  // past "one\rtwo\r"
    EXPECT_GT(t.traces.size(), 2u);
    key(t.player, Qt::Key_PageUp, Qt::ShiftModifier);
    key(t.player, Qt::Key_PageUp, Qt::ShiftModifier);
    EXPECT_EQ(t.field(2).textState->selectionBegin, 0);
    EXPECT_GE(t.field(2).textState->selectionEnd, 8);
    EXPECT_EQ(t.traces.back(), "1");
}

TEST(TextInput, TheRightButtonMenuOfAFieldEditsIt) {
    TypingMovie t;
    auto entry = [](QMenu& menu, const QString& caption) -> QAction* {
        for (QAction* a : menu.actions())
            if (a->text() == caption) return a;
        return nullptr;
    };
    EXPECT_EQ(entry(*t.player.makeContextMenu(QPointF(400, 350)), "Copy"), nullptr);  // not over a field
    t.click({60, 60});
    QTest::keyClicks(&t.player, "answer");
    key(t.player, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    {
        std::unique_ptr<QMenu> menu = t.player.makeContextMenu(QPointF(60, 60));
        ASSERT_NE(entry(*menu, "Cut"), nullptr);
        EXPECT_TRUE(entry(*menu, "Undo")->isEnabled());
        EXPECT_FALSE(entry(*menu, "Redo")->isEnabled());
        EXPECT_NE(entry(*menu, "Zoom In"), nullptr);  // the player's own entries follow
        entry(*menu, "Cut")->trigger();
    }
    EXPECT_EQ(QApplication::clipboard()->text(), "answer");
    EXPECT_EQ(t.field(1).text, "");
    {
        std::unique_ptr<QMenu> menu = t.player.makeContextMenu(QPointF(60, 60));
        EXPECT_FALSE(entry(*menu, "Copy")->isEnabled());  // nothing selected
        entry(*menu, "Paste")->trigger();
    }
    EXPECT_EQ(t.field(1).text, "answer");
    // The menu over the other field gives it the focus and edits it.
    {
        std::unique_ptr<QMenu> menu = t.player.makeContextMenu(QPointF(60, 160));
        EXPECT_EQ(t.player.movieInstance()->focusedText(), &t.field(2));
        EXPECT_FALSE(entry(*menu, "Delete")->isEnabled());
        entry(*menu, "Select All")->trigger();
    }
    entry(*t.player.makeContextMenu(QPointF(60, 160)), "Delete")->trigger();
    EXPECT_EQ(t.field(2).text, "");
    EXPECT_EQ(t.field(1).text, "answer");

    TypingMovie secret({}, true);
    secret.click({60, 60});
    QTest::keyClicks(&secret.player, "pa55");
    key(secret.player, Qt::Key_A, Qt::ControlModifier);
    std::unique_ptr<QMenu> menu = secret.player.makeContextMenu(QPointF(60, 60));
    EXPECT_FALSE(entry(*menu, "Copy")->isEnabled());
    EXPECT_FALSE(entry(*menu, "Cut")->isEnabled());
    EXPECT_TRUE(entry(*menu, "Delete")->isEnabled());
}

TEST(TextInput, TheCaretBlinksNoFasterThanTwiceASecondWhileTheFieldHasTheKeys) {
    TypingMovie t;
    t.player.show();
    t.player.activateWindow();
    t.player.setFocus();
    if (!QTest::qWaitForWindowActive(&t.player) || !t.player.hasFocus()) GTEST_SKIP() << "no window focus here";
    // The caret's column at the start of the empty field: dark while shown.
    auto caretShown = [&] {
        const QImage shot = t.player.grab().toImage();
        for (int x = 51; x <= 54; ++x)
            if (qGray(shot.pixel(x, 65)) < 128) return true;
        return false;
    };
    t.click({60, 60});
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(caretShown());
    while (caretShown() && clock.elapsed() < 3000) QTest::qWait(20);
    EXPECT_FALSE(caretShown());
    EXPECT_GE(clock.elapsed(), 450);
    key(t.player, Qt::Key_Home);  // a key shows it again at once
    EXPECT_TRUE(caretShown());
}

}  // namespace
}  // namespace velmora::test

namespace velmora::test {
namespace {

// The Key object hears each key by the code scripts test for: the numeric keypad apart from
// the digits and signs it types, the function keys, and letters held with Control.
TEST(KeyCodes, KeypadFunctionKeysAndControlChordsArriveByTheirOwnCodes) {
    TypingMovie t;
    swf::MovieInstance& movie = *t.player.movieInstance();
    struct Stroke {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* text;
        uint16_t code, ascii;
    };
    for (const Stroke& s : {Stroke{Qt::Key_5, Qt::KeypadModifier, "5", 101, '5'},
                            Stroke{Qt::Key_0, Qt::KeypadModifier, "0", 96, '0'},
                            Stroke{Qt::Key_Asterisk, Qt::KeypadModifier, "*", 106, '*'},
                            Stroke{Qt::Key_Period, Qt::KeypadModifier, ".", 110, '.'},
                            Stroke{Qt::Key_Enter, Qt::KeypadModifier, "\r", 13, 13},
                            Stroke{Qt::Key_5, Qt::NoModifier, "5", 53, '5'},
                            Stroke{Qt::Key_F5, Qt::NoModifier, "", 116, 0},
                            Stroke{Qt::Key_S, Qt::ControlModifier, "\x13", 83, 's'},
                            Stroke{Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier, "\x13", 83, 'S'}}) {
        QKeyEvent press(QEvent::KeyPress, s.key, s.modifiers, QString::fromLatin1(s.text));
        QApplication::sendEvent(&t.player, &press);
        EXPECT_EQ(movie.keyboard().lastCode, s.code) << s.key;
        EXPECT_EQ(movie.keyboard().lastAscii, s.ascii) << s.key;
        EXPECT_TRUE(movie.keyboard().down.test(s.code)) << s.key;
        QKeyEvent release(QEvent::KeyRelease, s.key, s.modifiers, QString::fromLatin1(s.text));
        QApplication::sendEvent(&t.player, &release);
        EXPECT_FALSE(movie.keyboard().down.test(s.code)) << s.key;
    }
}

}  // namespace
}  // namespace velmora::test
