// XML, LoadVars, files read from beside the movie, Key, System and the services a desktop player
// keeps to itself.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "library_fixture.h"
#include "support/swf_writer.h"
#include "support/temp_path.h"
#include "swf/format/movie_loader.h"
#include "swf/runtime/key_input.h"
#include "swf/runtime/lock_keys.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/file_loads.h"

namespace velmora::test {
namespace {

using Lines = std::vector<std::string>;

// Leaves the value of a dotted path ("x.firstChild.nodeName") on the stack.
Avm1Assembler& read(Avm1Assembler& a, const std::string& path) {
    size_t dot = path.find('.');
    a.get(path.substr(0, dot));
    while (dot != std::string::npos) {
        const size_t next = path.find('.', dot + 1);
        a.push({path.substr(dot + 1, next == std::string::npos ? std::string::npos : next - dot - 1)}).op(Action::GetMember);
        dot = next;
    }
    return a;
}

Avm1Assembler& traceAll(Avm1Assembler& a, std::initializer_list<std::string> paths) {
    for (const std::string& p : paths) read(a, p).trace();
    return a;
}

// x = new XML(text); trace(x.status); trace(x)
Avm1Assembler& parse(Avm1Assembler& a, const std::string& text) {
    a.push({"x"}).newObject("XML", {text}).op(Action::SetVariable);
    return traceAll(a, {"x.status", "x"});
}

TEST(XmlTest, ParsesWhatLessonsWriteAndSerialisesItBack) {
    Avm1Assembler a;
    parse(a, "<?xml version=\"1.0\"?><!DOCTYPE quiz><!-- hidden --><quiz n=\"1\" t='a&amp;b'>"
             "<q>x &lt; y &#x4E2D;</q><![CDATA[<raw> & ]]><e/></quiz>");
    traceAll(a, {"x.xmlDecl", "x.docTypeDecl", "x.firstChild.attributes.t", "x.firstChild.childNodes.length",
                 "x.firstChild.firstChild.firstChild.nodeValue", "x.firstChild.firstChild.nextSibling.nodeValue",
                 "x.firstChild.firstChild.nextSibling.nodeType", "x.firstChild.lastChild.nodeName",
                 "x.firstChild.firstChild.previousSibling", "x.firstChild.parentNode.nodeName"});
    EXPECT_EQ(runScript(a),
              (Lines{"0",
                     "<?xml version=\"1.0\"?><!DOCTYPE quiz><quiz n=\"1\" t=\"a&amp;b\"><q>x &lt; y \xE4\xB8\xAD</q>"
                     "&lt;raw&gt; &amp; <e /></quiz>",
                     "<?xml version=\"1.0\"?>", "<!DOCTYPE quiz>", "a&b", "3", "x < y \xE4\xB8\xAD", "<raw> & ", "3", "e",
                     "null", "null"}));
}

TEST(XmlTest, MalformedTextGivesItsStatusAndKeepsWhatCameBefore) {
    Avm1Assembler a;
    for (const char* text : {"<a>", "</a>", "<a><b></a>", "<a x=\"1></a>", "<!-- x", "<![CDATA[x", "<?xml", "<a",
                             "<a x></a>"}) {
        a.push({"x"}).newObject("XML", {std::string(text)}).op(Action::SetVariable);
        read(a, "x.status").trace();
    }
    a.push({"x"}).newObject("XML", {std::string("<a><b/>")}).op(Action::SetVariable);
    read(a, "x.firstChild.firstChild.nodeName").trace();
    // Nesting deeper than data ever goes is refused, not followed down the C++ stack.
    std::string deep;
    for (int i = 0; i < 300; ++i) deep += "<d>";
    a.push({"x"}).newObject("XML", {deep}).op(Action::SetVariable);
    read(a, "x.status").trace();
    EXPECT_EQ(runScript(a), (Lines{"-9", "-10", "-9", "-8", "-5", "-2", "-3", "-6", "-6", "b", "-6"}));
}

TEST(XmlTest, IgnoreWhiteDropsOnlyBlankTextNodes) {
    Avm1Assembler a;
    a.push({"XML"}).op(Action::GetVariable).push({"prototype"}).op(Action::GetMember).push({"ignoreWhite", true})
        .op(Action::SetMember);
    parse(a, "<a>\n  <b> keep me </b>\n</a>");
    read(a, "x.firstChild.childNodes.length").trace();
    EXPECT_EQ(runScript(a), (Lines{"0", "<a><b> keep me </b></a>", "1"}));
}

TEST(XmlTest, EditingKeepsTheTreeATree) {
    Avm1Assembler a;
    a.push({"x"}).newObject("XML", {}).op(Action::SetVariable);
    a.push({"r"}).push({"root", PushInt{1}, "x"}).op(Action::GetVariable).push({"createElement"}).op(Action::CallMethod)
        .op(Action::SetVariable);
    a.push({"t"}).push({"1 < 2", PushInt{1}, "x"}).op(Action::GetVariable).push({"createTextNode"})
        .op(Action::CallMethod).op(Action::SetVariable);
    a.push({"c"}).push({"c", PushInt{1}, "x"}).op(Action::GetVariable).push({"createElement"}).op(Action::CallMethod)
        .op(Action::SetVariable);
    a.callMethod("x", "appendChild", {}).op(Action::Pop);  // nothing to append
    a.get("r").push({PushInt{1}, "x"}).op(Action::GetVariable).push({"appendChild"}).op(Action::CallMethod).op(Action::Pop);
    a.get("t").push({PushInt{1}, "r"}).op(Action::GetVariable).push({"appendChild"}).op(Action::CallMethod).op(Action::Pop);
    a.get("t").get("c").push({PushInt{2}, "r"}).op(Action::GetVariable).push({"insertBefore"}).op(Action::CallMethod)
        .op(Action::Pop);
    read(a, "r.attributes").push({"id", "7"}).op(Action::SetMember);
    a.get("x").trace();
    // A node cannot go inside itself or its own child: the tree would loop.
    a.get("r").push({PushInt{1}, "c"}).op(Action::GetVariable).push({"appendChild"}).op(Action::CallMethod).op(Action::Pop);
    a.get("r").push({PushInt{1}, "r"}).op(Action::GetVariable).push({"appendChild"}).op(Action::CallMethod).op(Action::Pop);
    a.get("x").trace();
    a.push({"k"}).push({true, PushInt{1}, "r"}).op(Action::GetVariable).push({"cloneNode"}).op(Action::CallMethod)
        .op(Action::SetVariable);
    a.callMethod("c", "removeNode", {}).op(Action::Pop);
    a.get("x").trace();
    a.get("k").trace();
    read(a, "k.parentNode").trace();
    a.callMethod("r", "hasChildNodes", {}).trace();
    EXPECT_EQ(runScript(a), (Lines{"<root id=\"7\"><c />1 &lt; 2</root>", "<root id=\"7\"><c />1 &lt; 2</root>",
                                   "<root id=\"7\">1 &lt; 2</root>", "<root id=\"7\"><c />1 &lt; 2</root>", "null",
                                   "true"}));
}

TEST(LoadVarsTest, DecodesAndEncodesPairs) {
    Avm1Assembler a;
    a.push({"v"}).newObject("LoadVars", {}).op(Action::SetVariable);
    a.callMethod("v", "decode", {std::string("name=Li+Lei&score=9%25&&flag")}).op(Action::Pop);
    traceAll(a, {"v.name", "v.score", "v.flag"});
    a.push({"w"}).newObject("LoadVars", {}).op(Action::SetVariable);
    a.get("w").push({"a", "x y&z"}).op(Action::SetMember);
    a.get("w").push({"b", PushInt{2}}).op(Action::SetMember);
    a.callMethod("w", "toString", {}).trace();
    EXPECT_EQ(runScript(a), (Lines{"Li Lei", "9%", "", "b=2&a=x%20y%26z"}));
}

TEST(SystemTest, AnswersAsADesktopPlayerThatKeepsToItself) {
    Avm1Assembler a;
    traceAll(a, {"System.capabilities.os", "System.capabilities.playerType", "System.useCodepage",
                 "flash.external.ExternalInterface.available"});
    read(a, "System.capabilities.version").callFunction("getVersion", {}).op(Action::Equals2).trace();
    a.push({"s"}).push({"prefs", PushInt{1}, "SharedObject"}).op(Action::GetVariable).push({"getLocal"})
        .op(Action::CallMethod).op(Action::SetVariable);
    read(a, "s.data").push({"seen", PushInt{3}}).op(Action::SetMember);
    a.callMethod("s", "flush", {}).trace();
    a.callMethod("s", "getSize", {}).push({PushInt{0}}).op(Action::Greater).trace();
    a.push({"prefs", PushInt{1}, "SharedObject"}).op(Action::GetVariable).push({"getLocal"}).op(Action::CallMethod)
        .push({"data"}).op(Action::GetMember).push({"seen"}).op(Action::GetMember).trace();
    a.push({"bad name", PushInt{1}, "SharedObject"}).op(Action::GetVariable).push({"getLocal"}).op(Action::CallMethod)
        .trace();
    // A store with nothing in it is empty, as a first run's.
    a.push({PushInt{0}, "fresh", PushInt{1}, "SharedObject"}).op(Action::GetVariable).push({"getLocal"})
        .op(Action::CallMethod).push({"getSize"}).op(Action::CallMethod).trace();
    a.callMethod("s", "clear", {}).op(Action::Pop);
    a.callMethod("s", "getSize", {}).trace();
    a.push({"lc"}).newObject("LocalConnection", {}).op(Action::SetVariable);
    a.callMethod("lc", "connect", {std::string("chan")}).trace();
    a.push({"pj"}).newObject("PrintJob", {}).op(Action::SetVariable);
    a.callMethod("pj", "start", {}).trace();
    a.push({"*", PushInt{1}});
    read(a, "System.security").push({"allowDomain"}).op(Action::CallMethod).op(Action::Pop);
    a.getUrl("FSCommand:fullscreen", "true");
    const Lines messages = runScriptMessages(a);
    EXPECT_EQ(messages, (Lines{"trace: Linux", "trace: StandAlone", "trace: false", "trace: false", "trace: true",
                               "trace: true", "trace: true", "trace: 3", "trace: null", "trace: 0", "trace: 0",
                               "trace: false", "trace: false",
                               "script: fscommand fullscreen true"}));
}

TEST(SystemTest, TheLanguageIsTheLocalesAndTheCLocaleNamesNone) {
    const auto languageWith = [](const char* all, const char* lang) {
        setenv("LC_ALL", all, 1);
        setenv("LANG", lang, 1);
        Avm1Assembler a;
        traceAll(a, {"System.capabilities.language"});
        return runScript(a);
    };
    const char* savedAll = std::getenv("LC_ALL");
    const char* savedLang = std::getenv("LANG");
    const std::string all = savedAll ? savedAll : "", lang = savedLang ? savedLang : "";
    EXPECT_EQ(languageWith("C.UTF-8", "de_DE.UTF-8"), Lines{"de"});
    EXPECT_EQ(languageWith("POSIX", "zh_TW.UTF-8"), Lines{"zh-TW"});
    EXPECT_EQ(languageWith("C.UTF-8", "C"), Lines{"en"});
    savedAll ? setenv("LC_ALL", all.c_str(), 1) : unsetenv("LC_ALL");
    savedLang ? setenv("LANG", lang.c_str(), 1) : unsetenv("LANG");
}

TEST(SystemTest, SetClipboardHandsTheTextToTheDesktopAndSaysWhetherItCould) {
    Avm1Assembler a;
    a.callMethod("System", "setClipboard", {std::string("Beijing \xE5\x8C\x97\xE4\xBA\xAC")}).trace();
    SwfWriter swf(8);
    swf.doAction(a.doActionBody()).showFrame();
    std::vector<std::string> clipboard;
    swf::MovieInstance::Options options;
    options.clipboardSink = [&](const std::string& text) {
        clipboard.push_back(text);
        return true;
    };
    swf::MovieInstance withClipboard(swf::parseMovie(swf.bytes()), options);
    EXPECT_EQ(clipboard, Lines{"Beijing \xE5\x8C\x97\xE4\xBA\xAC"});
    EXPECT_EQ(Lines(withClipboard.messages().begin(), withClipboard.messages().end()), Lines{"trace: true"});
    EXPECT_EQ(runScript(a), Lines{"false"});  // a movie played without a clipboard
}

// Selection's listeners hear each move of the focus once, from where to where, whether a script
// or the user moved it; setting the focus where it already is tells nobody.
TEST(SelectionTest, ListenersHearEachMoveOfTheFocusOnce) {
    Avm1Assembler onSet;  // trace("focus " + o._name + " -> " + n._name)
    onSet.push({"focus "}).get("o").push({"_name"}).op(Action::GetMember).op(Action::Add2).push({" -> "})
        .op(Action::Add2).get("n").push({"_name"}).op(Action::GetMember).op(Action::Add2).trace();
    Avm1Assembler a;
    a.push({"l"}).newObject("Object", {}).op(Action::SetVariable);
    a.get("l").push({"onSetFocus"}).defineFunction("", {"o", "n"}, onSet).op(Action::SetMember);
    a.get("l").push({PushInt{1}, "Selection"}).op(Action::GetVariable).push({"addListener"}).op(Action::CallMethod).op(Action::Pop);
    a.push({PushInt{20}, PushInt{100}, PushInt{0}, PushInt{0}, PushInt{1}, "f", PushInt{6}, "_root"}).op(Action::GetVariable).push({"createTextField"}).op(Action::CallMethod).op(Action::Pop);
    a.get("f").push({"type", "input"}).op(Action::SetMember);
    a.get("f").push({"text", "hello"}).op(Action::SetMember);
    a.push({"f", PushInt{1}, "Selection"}).op(Action::GetVariable).push({"setFocus"}).op(Action::CallMethod).trace();
    a.push({PushInt{0}, "Selection"}).op(Action::GetVariable).push({"getFocus"}).op(Action::CallMethod).trace();
    a.push({PushInt{3}, PushInt{1}, PushInt{2}, "Selection"}).op(Action::GetVariable).push({"setSelection"})
        .op(Action::CallMethod).op(Action::Pop);
    for (const char* m : {"getBeginIndex", "getEndIndex", "getCaretIndex"}) {
        a.push({PushInt{0}, "Selection"}).op(Action::GetVariable).push({m}).op(Action::CallMethod).trace();
    }
    a.push({PushInt{2}, "c", PushInt{2}, "_root"}).op(Action::GetVariable).push({"createEmptyMovieClip"})
        .op(Action::CallMethod).op(Action::Pop);
    a.get("c").push({"focusEnabled", true}).op(Action::SetMember);
    for (int i = 0; i < 2; ++i) {
        a.get("c").push({PushInt{1}, "Selection"}).op(Action::GetVariable).push({"setFocus"}).op(Action::CallMethod).op(Action::Pop);
    }
    a.push({PushNull{}, PushInt{1}, "Selection"}).op(Action::GetVariable).push({"setFocus"}).op(Action::CallMethod).op(Action::Pop);
    a.push({PushInt{0}, "Selection"}).op(Action::GetVariable).push({"getFocus"}).op(Action::CallMethod).trace();
    a.push({PushInt{0}, "Selection"}).op(Action::GetVariable).push({"getBeginIndex"}).op(Action::CallMethod).trace();
    a.get("l").push({PushInt{1}, "Selection"}).op(Action::GetVariable).push({"removeListener"}).op(Action::CallMethod).op(Action::Pop);
    a.push({"f", PushInt{1}, "Selection"}).op(Action::GetVariable).push({"setFocus"}).op(Action::CallMethod).op(Action::Pop);
    EXPECT_EQ(runScript(a), (Lines{"focus undefined -> f", "true", "_level0.f", "1", "3", "3", "focus f -> c",
                                   "focus c -> undefined", "null", "-1"}));
}

TEST(KeyTest, ScriptsSeeKeysAndListenersHearThem) {
    Avm1Assembler onDown;  // trace("down " + Key.getCode() + " " + Key.getAscii() + " " + Key.isDown(65))
    onDown.push({"down "}).push({PushInt{0}, "Key"}).op(Action::GetVariable).push({"getCode"}).op(Action::CallMethod)
        .op(Action::Add2).push({" "}).op(Action::Add2).push({PushInt{0}, "Key"}).op(Action::GetVariable)
        .push({"getAscii"}).op(Action::CallMethod).op(Action::Add2).push({" "}).op(Action::Add2)
        .push({PushInt{65}, PushInt{1}, "Key"}).op(Action::GetVariable).push({"isDown"}).op(Action::CallMethod)
        .op(Action::Add2).trace();
    Avm1Assembler onUp;
    onUp.push({"up "}).push({PushInt{65}, PushInt{1}, "Key"}).op(Action::GetVariable).push({"isDown"})
        .op(Action::CallMethod).op(Action::Add2).trace();
    Avm1Assembler a;
    a.push({"l"}).newObject("Object", {}).op(Action::SetVariable);
    a.get("l").push({"onKeyDown"}).defineFunction("", {}, onDown).op(Action::SetMember);
    a.get("l").push({"onKeyUp"}).defineFunction("", {}, onUp).op(Action::SetMember);
    a.get("l").push({PushInt{1}, "Key"}).op(Action::GetVariable).push({"addListener"}).op(Action::CallMethod).op(Action::Pop);
    read(a, "Key.LEFT").trace();
    SwfWriter swf(8);
    swf.doAction(a.doActionBody()).showFrame();
    Lines traces;
    swf::MovieInstance::Options options;
    options.traceSink = [&](const std::string& t) { traces.push_back(t); };
    swf::MovieInstance movie(swf::parseMovie(swf.bytes()), options);
    swf::pressKey(movie, 'a');
    swf::releaseKey(movie, swf::strokeOf('a'));
    swf::pressKey(movie, swf::kSwfKeyLeft);
    swf::releaseKey(movie);
    EXPECT_EQ(traces, (Lines{"37", "down 65 97 true", "up false", "down 37 0 false", "up false"}));
}

// A desktop whose Caps Lock follows desktopCaps and whose Num Lock is off.
bool desktopCaps = false;
bool fakeDesktop(int code, bool& on) {
    on = code == 20 && desktopCaps;
    return true;
}
bool desktopThatCannotTell(int, bool&) { return false; }

TEST(KeyTest, LockKeysAreTheDesktopsWhenItTellsAndThePressesHeardOtherwise) {
    struct Restore {
        ~Restore() { swf::setLockKeyReader(nullptr); }
    } restore;
    Avm1Assembler locks;  // trace(Key.isToggled(20) + " " + Key.isToggled(144))
    locks.push({PushInt{20}, PushInt{1}, "Key"}).op(Action::GetVariable).push({"isToggled"}).op(Action::CallMethod)
        .push({" "}).op(Action::Add2).push({PushInt{144}, PushInt{1}, "Key"}).op(Action::GetVariable)
        .push({"isToggled"}).op(Action::CallMethod).op(Action::Add2).trace();
    Avm1Assembler a = locks;
    a.push({"l"}).newObject("Object", {}).op(Action::SetVariable);
    a.get("l").push({"onKeyDown"}).defineFunction("", {}, locks).op(Action::SetMember);
    a.get("l").push({PushInt{1}, "Key"}).op(Action::GetVariable).push({"addListener"}).op(Action::CallMethod).op(Action::Pop);
    SwfWriter swf(8);
    swf.doAction(a.doActionBody()).showFrame();
    Lines traces;
    swf::MovieInstance::Options options;
    options.traceSink = [&](const std::string& t) { traces.push_back(t); };

    // Caps Lock was on before the movie started.
    desktopCaps = true;
    swf::setLockKeyReader(fakeDesktop);
    swf::MovieInstance movie(swf::parseMovie(swf.bytes()), options);
    // Turned off: the desktop's word counts over the movie's count of presses.
    desktopCaps = false;
    swf::pressKey(movie, 0, {20, 0});
    // Where the desktop cannot tell, the presses heard: Caps Lock once, now Num Lock once.
    swf::setLockKeyReader(desktopThatCannotTell);
    swf::pressKey(movie, 0, {144, 0});
    swf::setLockKeyReader(nullptr);
    swf::pressKey(movie, 0, {144, 0});
    EXPECT_EQ(traces, (Lines{"true false", "false false", "true true", "true false"}));
}

TEST(LoadedTextTest, CodePageDecidesOnlyWhereTheBytesAllowBoth) {
    const auto bytes = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
    const std::string gbk = "\xD6\xD0\xCE\xC4";                // "Chinese" in the Chinese code page
    const std::string utf8 = "\xE4\xB8\xAD\xE6\x96\x87";     // the same in UTF-8
    EXPECT_EQ(swf::script::FileLoads::decodeText(bytes(gbk), true), utf8);
    EXPECT_EQ(swf::script::FileLoads::decodeText(bytes(gbk), false), utf8);  // not UTF-8: read as the code page still
    EXPECT_EQ(swf::script::FileLoads::decodeText(bytes(utf8), false), utf8);
    EXPECT_EQ(swf::script::FileLoads::decodeText(bytes("\xEF\xBB\xBF" + utf8), true), utf8);
    EXPECT_EQ(swf::script::FileLoads::decodeText(bytes(""), true), "");
}

// A movie in a folder of its own, with files beside it and a link and a file outside it.
class FileLoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = uniqueTempPath("files");
        std::filesystem::remove_all(root_);
        folder_ = root_ + "/lesson";
        std::filesystem::create_directories(folder_ + "/Data");
        write(folder_ + "/Data/Questions.XML", "<q><a>one</a></q>");
        write(folder_ + "/vars.txt", "score=5&name=%E4%B8%AD");
        write(root_ + "/secret.txt", "pin=1234");
        std::filesystem::create_symlink(root_ + "/secret.txt", folder_ + "/link.txt");
        std::filesystem::create_directory_symlink(root_, folder_ + "/outside");
        std::filesystem::create_directories(folder_ + "/sub");
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    static void write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

    // Runs code as the movie's first frame, then `ticks` frames; returns its messages.
    Lines run(const Avm1Assembler& code, int ticks = 2) {
        SwfWriter swf(8);
        swf.doAction(code.doActionBody()).showFrame().showFrame();
        swf::MovieInstance::Options options;
        options.url = folder_ + "/main.swf";
        options.virtualClock = true;
        options.loop = false;
        swf::MovieInstance movie(swf::parseMovie(swf.bytes()), options);
        for (int i = 0; i < ticks; ++i) movie.tick();
        return {movie.messages().begin(), movie.messages().end()};
    }

    std::string root_;
    std::string folder_;
};

// name = new cls(); name.onLoad = function (ok) { trace(name + " " + ok + " " + this.<shown>); }; name.load(file)
Avm1Assembler& loadInto(Avm1Assembler& a, const std::string& name, const std::string& cls, const std::string& file,
                        const std::string& shown) {
    Avm1Assembler onLoad;
    onLoad.push({name + " "}).get("ok").op(Action::Add2).push({" "}).op(Action::Add2);
    onLoad.push({"this"}).op(Action::GetVariable);
    size_t dot = 0;
    while (dot != std::string::npos) {
        const size_t next = shown.find('.', dot);
        onLoad.push({shown.substr(dot, next == std::string::npos ? std::string::npos : next - dot)}).op(Action::GetMember);
        dot = next == std::string::npos ? next : next + 1;
    }
    onLoad.op(Action::Add2).trace();
    a.push({name}).newObject(cls, {}).op(Action::SetVariable);
    a.get(name).push({"onLoad"}).defineFunction("", {"ok"}, onLoad).op(Action::SetMember);
    return a.callMethod(name, "load", {file}).op(Action::Pop);
}

TEST_F(FileLoadTest, FilesBesideTheMovieArriveBetweenFrames) {
    Avm1Assembler a;
    loadInto(a, "x", "XML", "data\\questions.xml?nocache=1", "firstChild.firstChild.firstChild.nodeValue");
    loadInto(a, "v", "LoadVars", "./sub/../vars.txt", "name");
    a.trace(std::string("asked"));
    const Lines messages = run(a);
    EXPECT_EQ(messages, (Lines{"trace: asked", "trace: x true one", "trace: v true \xE4\xB8\xAD"}));
}

TEST_F(FileLoadTest, StyleSheetsLoadTheirCssBesideTheMovie) {
    write(folder_ + "/Data/Lesson.css", "h1 { color: #FF0000 }\n.note { font-size: 10px }");
    write(folder_ + "/broken.css", "h1 { color: red");
    Avm1Assembler a;
    for (const auto& [name, file] : {std::pair<std::string, std::string>{"css", "data\\LESSON.CSS"},
                                     {"bad", "broken.css"}, {"gone", "../secret.txt"}}) {
        // name.onLoad = function (ok) { trace(name + " " + ok + " " + this.getStyleNames()); }
        Avm1Assembler onLoad;
        onLoad.push({name + " "}).get("ok").op(Action::Add2).push({" "}).op(Action::Add2);
        onLoad.callMethod("this", "getStyleNames", {}).op(Action::Add2).trace();
        a.push({name, PushInt{0}}).get("TextField").push({"StyleSheet"}).op(Action::NewMethod).op(Action::SetVariable);
        a.get(name).push({"onLoad"}).defineFunction("", {"ok"}, onLoad).op(Action::SetMember);
        a.callMethod(name, "load", {file}).op(Action::Pop);
    }
    a.callMethod("css", "getStyleNames", {}).trace();  // nothing until the file comes
    const Lines messages = run(a);
    ASSERT_EQ(messages.size(), 5u) << testing::PrintToString(messages);
    EXPECT_EQ(messages[0], "trace: ");
    EXPECT_EQ(messages[1], "trace: css true .note,h1");
    EXPECT_EQ(messages[2], "trace: bad false ");
    EXPECT_EQ(messages[3].rfind("script: refused to load ", 0), 0u) << messages[3];
    EXPECT_EQ(messages[4], "trace: gone false ");
}

TEST_F(FileLoadTest, LoadedVariablesReachTheRootTimeline) {
    Avm1Assembler a;
    a.push({"vars.txt", "_level0"}).getUrl2(0x80);
    // Checked on the next frame, once the file has come.
    Avm1Assembler check;
    check.get("score").trace();
    SwfWriter swf(8);
    swf.doAction(a.doActionBody()).showFrame().showFrame().doAction(check.doActionBody()).showFrame();
    swf::MovieInstance::Options options;
    options.url = folder_ + "/main.swf";
    options.virtualClock = true;
    options.loop = false;
    swf::MovieInstance movie(swf::parseMovie(swf.bytes()), options);
    movie.tick();
    movie.tick();
    EXPECT_EQ(Lines(movie.messages().begin(), movie.messages().end()), (Lines{"trace: 5"}));
}

TEST_F(FileLoadTest, EverythingOutsideTheFolderIsRefusedWithTheFailureCallback) {
    for (const std::string name : {"../secret.txt", "link.txt", "sub", "missing.txt", "/etc/passwd",
                                    "http://example.com/q.xml", "file:///etc/passwd", "C:\\q.xml", "\\\\server\\q.xml",
                                    "sub/../../secret.txt", "", "outside/secret.txt", "LINK.TXT",
                                    "Sub\\..\\..\\secret.txt", "outside/lesson/../secret.txt"}) {
        Avm1Assembler a;
        loadInto(a, "v", "LoadVars", name, "pin");
        const Lines messages = run(a);
        ASSERT_EQ(messages.size(), 2u) << name;
        EXPECT_EQ(messages[0].rfind("script: refused to load ", 0), 0u) << name << ": " << messages[0];
        EXPECT_EQ(messages[1], "trace: v false undefined") << name;
    }
    // Sending goes nowhere; the target hears of the failure.
    Avm1Assembler a;
    loadInto(a, "v", "LoadVars", "vars.txt", "name");
    a.get("v").push({"http://example.com/", PushInt{2}, "v"}).op(Action::GetVariable).push({"sendAndLoad"})
        .op(Action::CallMethod).op(Action::Pop);
    const Lines messages = run(a);
    ASSERT_EQ(messages.size(), 2u) << testing::PrintToString(messages);
    EXPECT_NE(messages[0].find("sendAndLoad"), std::string::npos);
    EXPECT_EQ(messages[1], "trace: v false undefined");
}

}  // namespace
}  // namespace velmora::test
