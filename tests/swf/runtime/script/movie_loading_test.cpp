// Movies loaded into clips and levels from the chosen movie's folder, and MovieClipLoader.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "support/avm1_assembler.h"
#include "support/swf_writer.h"
#include "support/temp_path.h"
#include "swf/format/movie_loader.h"
#include "swf/runtime/movie_instance.h"

namespace velmora::test {
namespace {

using Lines = std::vector<std::string>;

// trace(prefix + path), path a variable or a dotted chain of members ("holder._x").
Avm1Assembler& traceOf(Avm1Assembler& a, const std::string& prefix, const std::string& path) {
    a.push({prefix});
    size_t dot = path.find('.');
    a.get(path.substr(0, dot));
    while (dot != std::string::npos) {
        const size_t next = path.find('.', dot + 1);
        a.push({path.substr(dot + 1, next == std::string::npos ? std::string::npos : next - dot - 1)})
            .op(Action::GetMember);
        dot = next;
    }
    return a.op(Action::Add2).trace();
}

Avm1Assembler& newClip(Avm1Assembler& a, const std::string& name, int depth) {
    return a.callMethod("_root", "createEmptyMovieClip", {name, PushInt{depth}}).op(Action::Pop);
}

// A movie in a folder of its own, with the movies it loads beside it.
class MovieLoadingTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = uniqueTempPath("movies");
        std::filesystem::remove_all(root_);
        folder_ = root_ + "/lesson";
        std::filesystem::create_directories(folder_ + "/sub");
        std::ofstream(root_ + "/outside.swf", std::ios::binary) << "FWS";
        std::ofstream(folder_ + "/notes.txt", std::ios::binary) << "not a movie";
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    // A one-frame SWF 6 movie with a 25 x 10 px rectangle as character 1, whose frame script
    // traces where it runs and its _root before and after locking it, sets `mark` and an
    // onUnload function.
    static SwfWriter child() {
        Avm1Assembler a;
        a.push({"child runs in "}).push({"this"}).op(Action::GetVariable).push({"_name"}).op(Action::GetMember);
        a.op(Action::Add2).trace();
        a.push({"root "}).get("_root").op(Action::Add2).trace();
        a.push({"this"}).op(Action::GetVariable).push({"_lockroot", true}).op(Action::SetMember);
        a.push({"locked root "}).get("_root").op(Action::Add2).trace();
        a.push({"this"}).op(Action::GetVariable).push({"mark", "set by child"}).op(Action::SetMember);
        Avm1Assembler bye;
        bye.trace(std::string("child unloaded"));
        a.push({"this"}).op(Action::GetVariable).push({"onUnload"}).defineFunction("", {}, bye).op(Action::SetMember);
        SwfWriter swf(6);
        swf.defineRectangle(1, 0, 0, 500, 200, Color{0, 128, 0});
        swf.placeObject(1, 1);
        swf.doAction(a.doActionBody()).showFrame();
        return swf;
    }

    // Plays frames of code (one frame each, the last one stopping) from folder_/name.
    std::unique_ptr<swf::MovieInstance> play(const std::vector<Avm1Assembler>& frames, const std::string& name = "main.swf",
                                             const std::function<void(SwfWriter&)>& setup = {}) {
        SwfWriter swf(8);
        if (setup) setup(swf);
        for (size_t i = 0; i < frames.size(); ++i) {
            Avm1Assembler code = frames[i];
            if (i + 1 == frames.size()) code.op(Action::Stop);
            swf.doAction(code.doActionBody()).showFrame();
        }
        swf.writeFile(folder_ + "/" + name);
        swf::MovieInstance::Options options;
        options.url = folder_ + "/" + name;
        options.virtualClock = true;
        options.traceSink = [this](const std::string& t) { traces_.push_back(t); };
        return std::make_unique<swf::MovieInstance>(swf::parseMovie(swf.bytes()), options);
    }

    std::string root_;
    std::string folder_;
    Lines traces_;
};

TEST_F(MovieLoadingTest, ALoadedMovieTakesTheClipsPlaceWithItsOwnDictionaryAndVersion) {
    child().writeFile(folder_ + "/sub/child.swf");
    const auto size = std::filesystem::file_size(folder_ + "/sub/child.swf");
    Avm1Assembler load;
    newClip(load, "holder", 1);
    load.get("holder").push({"_x", PushInt{30}}).op(Action::SetMember);
    load.get("holder").push({"note", "old"}).op(Action::SetMember);
    load.callMethod("holder", "loadMovie", {"Sub\\child.swf"}).op(Action::Pop);
    load.trace(std::string("asked"));
    Avm1Assembler check;
    for (const char* p : {"holder._x", "holder._name", "holder.note", "holder.mark", "holder._width"}) {
        traceOf(check, std::string(p) + " ", p);
    }
    check.push({"version "}).callMethod("holder", "getSWFVersion", {}).op(Action::Add2).trace();
    check.push({"bytes "}).callMethod("holder", "getBytesTotal", {}).op(Action::Add2).trace();
    traceOf(check, "url ", "holder._url");
    check.callMethod("holder", "unloadMovie", {}).op(Action::Pop);
    Avm1Assembler after;
    traceOf(after, "emptied ", "holder._width");
    traceOf(after, "still at ", "holder._x");
    // Character 1 of the loading movie is a different, 40 px wide rectangle.
    auto movie = play({load, {}, check, {}, after}, "main.swf",
                      [](SwfWriter& swf) { swf.defineRectangle(1, 0, 0, 800, 800, Color{255, 0, 0}); });
    for (int i = 0; i < 4; ++i) movie->tick();
    EXPECT_EQ(traces_, (Lines{"asked", "child runs in holder", "root _level0", "locked root _level0.holder", "holder._x 30", "holder._name holder",
                              "holder.note undefined", "holder.mark set by child", "holder._width 25", "version 6",
                              "bytes " + std::to_string(size), "url " + folder_ + "/Sub/child.swf", "child unloaded",
                              "emptied 0", "still at 30"}));
}

// A device font as DefineFont2: no glyphs, only its name.
void defineDeviceFont(SwfTagList& swf, uint16_t id, const std::string& name) {
    BitWriter w;
    w.u16(id);
    w.u8(0);  // no flags
    w.u8(0);  // no language
    w.u8(static_cast<uint8_t>(name.size()));
    for (char c : name) w.u8(static_cast<uint8_t>(c));
    w.u16(0);  // no glyphs
    w.u16(0);  // and so no code table
    const std::vector<uint8_t> body = w.take();
    swf.rawTag(48, body);
}

// A loaded movie's character ids are its own: its field's font is named from its dictionary, not
// from that of the lesson that loaded it, where the same id is another font.
TEST_F(MovieLoadingTest, ALoadedMoviesFieldsNameTheirFontFromItsOwnDictionary) {
    SwfWriter loaded(8);
    defineDeviceFont(loaded, 1, "Child Face");
    BitWriter w;  // DefineEditText 2: 100 x 20 px, read-only, in font 1 at 12 px, text "x"
    w.u16(2);
    w.rect(0, 2000, 0, 400);
    w.flush();
    w.u8(0x80 | 0x08 | 0x01);
    w.u8(0x00);
    w.u16(1);
    w.u16(240);
    w.cString("");
    w.cString("x");
    const std::vector<uint8_t> field = w.take();
    loaded.rawTag(37, field);
    loaded.placeObject2({.depth = 1, .characterId = 2, .name = "t"});
    loaded.showFrame();
    loaded.writeFile(folder_ + "/loaded.swf");
    Avm1Assembler load;
    newClip(load, "holder", 1);
    load.callMethod("holder", "loadMovie", {"loaded.swf"}).op(Action::Pop);
    Avm1Assembler check;
    check.callMethod("holder.t", "getTextFormat", {}).push({"font"}).op(Action::GetMember).trace();
    auto movie = play({load, {}, check}, "main.swf", [](SwfWriter& swf) { defineDeviceFont(swf, 1, "Parent Face"); });
    for (int i = 0; i < 2; ++i) movie->tick();
    EXPECT_EQ(traces_, (Lines{"Child Face"}));
}

TEST_F(MovieLoadingTest, LevelsAreAddressedFromLevelZeroAndUnloadedWithTheirHandlers) {
    Avm1Assembler levelScript;
    levelScript.set("v", std::string("from level 1"));
    levelScript.push({"root is level 1: "}).get("_root").get("_level1").op(Action::Equals2).op(Action::Add2).trace();
    Avm1Assembler bye;
    bye.trace(std::string("level 1 unloaded"));
    levelScript.push({"this"}).op(Action::GetVariable).push({"onUnload"}).defineFunction("", {}, bye).op(Action::SetMember);
    SwfWriter level(8);
    level.doAction(levelScript.doActionBody()).showFrame();
    level.writeFile(folder_ + "/level.swf");

    Avm1Assembler load;
    load.getUrl("level.swf", "_level1");
    Avm1Assembler check;
    traceOf(check, "", "_level1.v");
    check.get("_level1").trace();
    check.push({"", "_level1"}).getUrl2(0);  // unloadMovieNum(1)
    Avm1Assembler after;
    after.push({"after: "}).get("_level1").op(Action::TypeOf).op(Action::Add2).trace();
    auto movie = play({load, {}, check, {}, after});
    for (int i = 0; i < 4; ++i) movie->tick();
    EXPECT_EQ(traces_, (Lines{"root is level 1: true", "from level 1", "_level1", "level 1 unloaded",
                              "after: undefined"}));
    EXPECT_EQ(movie->upperLevels().size(), 0u);
}

// l.<event> = function (t, x) { trace(event + " " + t._name + " " + x); }
void listen(Avm1Assembler& a, const std::string& event) {
    Avm1Assembler body;
    body.push({event + " "}).get("t").push({"_name"}).op(Action::GetMember).op(Action::Add2);
    body.push({" "}).op(Action::Add2).get("x").op(Action::Add2).trace();
    a.get("l").push({event}).defineFunction("", {"t", "x"}, body).op(Action::SetMember);
}

TEST_F(MovieLoadingTest, MovieClipLoaderTellsItsListenersInOrderAndRefusesWhatLiesOutside) {
    child().writeFile(folder_ + "/child.swf");
    const auto size = std::filesystem::file_size(folder_ + "/child.swf");
    Avm1Assembler a;
    a.push({"l"}).newObject("Object", {}).op(Action::SetVariable);
    for (const char* e : {"onLoadStart", "onLoadProgress", "onLoadComplete", "onLoadInit", "onLoadError"}) listen(a, e);
    a.push({"m"}).newObject("MovieClipLoader", {}).op(Action::SetVariable);
    a.get("l").push({PushInt{1}, "m"}).op(Action::GetVariable).push({"addListener"}).op(Action::CallMethod).op(Action::Pop);
    const std::vector<std::pair<std::string, std::string>> loads = {
        {"a", "child.swf"}, {"b", "../outside.swf"}, {"c", "notes.txt"}, {"d", "http://example.com/x.swf"},
        {"e", root_ + "/outside.swf"}, {"f", "missing.swf"}};
    int depth = 1;
    for (const auto& [clip, url] : loads) {
        newClip(a, clip, depth++);
        a.get(clip).push({url, PushInt{2}, "m"}).op(Action::GetVariable).push({"loadClip"}).op(Action::CallMethod)
            .op(Action::Pop);
    }
    auto movie = play({a, {}});
    movie->tick();
    movie->tick();
    const std::string bytes = std::to_string(size);
    // The file found starts at once and arrives on the next tick; the others fail at once.
    EXPECT_EQ(traces_, (Lines{"onLoadStart a undefined", "onLoadError b URLNotFound",
                              "onLoadStart c undefined", "onLoadError c LoadNeverCompleted",
                              "onLoadError d URLNotFound", "onLoadError e URLNotFound", "onLoadError f URLNotFound",
                              "onLoadProgress a " + bytes, "onLoadComplete a 0", "child runs in a", "root _level0",
                              "locked root _level0.a", "onLoadInit a undefined"}));
    // Each refusal names the file.
    const Lines messages(movie->messages().begin(), movie->messages().end());
    for (const std::string name : {"../outside.swf", "notes.txt", "http://example.com/x.swf", "missing.swf"}) {
        EXPECT_TRUE(std::any_of(messages.begin(), messages.end(),
                                [&](const std::string& m) { return m.find(name) != std::string::npos; }))
            << name;
    }
}

TEST_F(MovieLoadingTest, AMovieLoadingItselfIntoItselfStopsAtTheNestingLimit) {
    // this.createEmptyMovieClip("h", 1); this.h.loadMovie("loop.swf")
    Avm1Assembler a;
    a.push({PushInt{1}, "h", PushInt{2}, "this"}).op(Action::GetVariable).push({"createEmptyMovieClip"})
        .op(Action::CallMethod).op(Action::Pop);
    a.push({"loop.swf", PushInt{1}, "this"}).op(Action::GetVariable).push({"h"}).op(Action::GetMember)
        .push({"loadMovie"}).op(Action::CallMethod).op(Action::Pop);
    auto movie = play({a}, "loop.swf");
    for (int i = 0; i < 100; ++i) movie->tick();
    const Lines messages(movie->messages().begin(), movie->messages().end());
    EXPECT_TRUE(std::any_of(messages.begin(), messages.end(),
                            [](const std::string& m) { return m.find("nested too deeply") != std::string::npos; }))
        << testing::PrintToString(messages);
    EXPECT_FALSE(movie->needsTicks());
}

TEST_F(MovieLoadingTest, ABigFileArrivesInStepsThatGetProgressAndGetBytesLoadedFollow) {
    SwfWriter big(6);
    const std::vector<uint8_t> padding(200000, 0);  // 4 steps of the file's arrival
    big.rawTag(87, padding, true).showFrame();
    big.writeFile(folder_ + "/big.swf");
    const std::string total = std::to_string(std::filesystem::file_size(folder_ + "/big.swf"));
    Avm1Assembler a;
    a.push({"l"}).newObject("Object", {}).op(Action::SetVariable);
    // l.onLoadProgress = function (t, x, n) { trace(x + "/" + n + " " + m.getProgress(t).bytesLoaded + " " +
    //                                               t.getBytesLoaded() + "/" + t.getBytesTotal()); }
    Avm1Assembler body;
    body.get("x").push({"/"}).op(Action::Add2).get("n").op(Action::Add2).push({" "}).op(Action::Add2);
    body.get("t").push({PushInt{1}, "m"}).op(Action::GetVariable).push({"getProgress"}).op(Action::CallMethod);
    body.push({"bytesLoaded"}).op(Action::GetMember).op(Action::Add2).push({" "}).op(Action::Add2);
    body.push({PushInt{0}}).get("t").push({"getBytesLoaded"}).op(Action::CallMethod).op(Action::Add2);
    body.push({"/"}).op(Action::Add2).push({PushInt{0}}).get("t").push({"getBytesTotal"}).op(Action::CallMethod);
    body.op(Action::Add2).trace();
    a.get("l").push({"onLoadProgress"}).defineFunction("", {"t", "x", "n"}, body).op(Action::SetMember);
    for (const char* e : {"onLoadStart", "onLoadComplete", "onLoadInit"}) listen(a, e);
    a.push({"m"}).newObject("MovieClipLoader", {}).op(Action::SetVariable);
    a.get("l").push({PushInt{1}, "m"}).op(Action::GetVariable).push({"addListener"}).op(Action::CallMethod).op(Action::Pop);
    newClip(a, "h", 1);
    a.get("h").push({"big.swf", PushInt{2}, "m"}).op(Action::GetVariable).push({"loadClip"}).op(Action::CallMethod)
        .op(Action::Pop);
    auto movie = play({a, {}});
    for (int i = 0; i < 6; ++i) {
        movie->tick();
        traces_.push_back("--");
    }
    auto part = [&](int quarters) { return std::to_string(std::stoull(total) * quarters / 4); };
    const std::string quarter = part(1) + "/" + total + " " + part(1) + " " + part(1) + "/" + total;
    EXPECT_EQ(traces_, (Lines{"onLoadStart h undefined", "--",
                              quarter, "--",
                              part(2) + "/" + total + " " + part(2) + " " + part(2) + "/" + total, "--",
                              part(3) + "/" + total + " " + part(3) + " " + part(3) + "/" + total, "--",
                              total + "/" + total + " " + total + " " + total + "/" + total,
                              "onLoadComplete h 0", "onLoadInit h undefined", "--", "--"}));
}

// Traces, tagged, what a movie's version decides: undefined as text and as a number, an empty
// text as a number, and with `names` a variable read in another case than it was set.
Avm1Assembler versionProbe(const std::string& tag, bool names) {
    Avm1Assembler a;
    a.push({tag + " text ["}).get("nothing").op(Action::Add2).push({"]"}).op(Action::Add2).trace();
    a.push({tag + " number "}).get("nothing").push({PushInt{1}}).op(Action::Multiply).op(Action::Add2).trace();
    a.push({tag + " empty "}).callFunction("Number", {""}).op(Action::Add2).trace();
    if (names) {
        a.set("Abc", PushInt{1});
        a.push({tag + " case "}).get("abc").op(Action::Add2).trace();
    }
    return a;
}

TEST_F(MovieLoadingTest, ALoadedMovieRunsItsScriptsAndFunctionsByItsOwnVersion) {
    for (const auto& [parentVersion, childVersion] : {std::pair{6, 7}, std::pair{7, 6}}) {
        SCOPED_TRACE(std::to_string(parentVersion) + " loads " + std::to_string(childVersion));
        traces_.clear();
        Avm1Assembler childCode = versionProbe("child", true);
        Avm1Assembler probe;
        probe.push({"["}).get("nothing").op(Action::Add2).push({"]"}).op(Action::Add2).op(Action::Return);
        childCode.push({"this"}).op(Action::GetVariable).push({"probe"}).defineFunction("", {}, probe)
            .op(Action::SetMember);
        SwfWriter child(static_cast<uint8_t>(childVersion));
        child.doAction(childCode.doActionBody()).showFrame();
        child.writeFile(folder_ + "/child.swf");

        Avm1Assembler load = versionProbe("parent", true);
        newClip(load, "holder", 1);
        load.callMethod("holder", "loadMovie", {"child.swf"}).op(Action::Pop);
        Avm1Assembler check;
        check.push({"child's function "}).callMethod("holder", "probe", {}).op(Action::Add2).trace();
        auto movie = play({load, {}, check}, "main.swf",
                          [&](SwfWriter& swf) { swf.version(static_cast<uint8_t>(parentVersion)); });
        for (int i = 0; i < 3; ++i) movie->tick();
        const Lines six = {"text []", "number 0", "empty 0"};
        const Lines seven = {"text [undefined]", "number NaN", "empty NaN"};
        Lines expected;
        for (const std::string& line : parentVersion == 6 ? six : seven) expected.push_back("parent " + line);
        expected.push_back("parent case " + std::string(parentVersion == 6 ? "1" : "undefined"));
        for (const std::string& line : childVersion == 6 ? six : seven) expected.push_back("child " + line);
        expected.push_back("child case " + std::string(childVersion == 6 ? "1" : "undefined"));
        expected.push_back(std::string("child's function ") + (childVersion == 6 ? "[]" : "[undefined]"));
        EXPECT_EQ(traces_, expected);
    }
}

TEST_F(MovieLoadingTest, EachMovieLooksNamesUpByItsOwnVersionsRuleOfCase) {
    for (const auto& [parentVersion, childVersion] : {std::pair{6, 7}, std::pair{7, 6}}) {
        SCOPED_TRACE(std::to_string(parentVersion) + " loads " + std::to_string(childVersion));
        traces_.clear();
        const bool childFolds = childVersion == 6;
        auto either = [](bool folds, const std::string& found) { return folds ? found : std::string("undefined"); };

        Avm1Assembler c;
        // What the lesson left on an object both movies share.
        traceOf(c, "shared ", "Shared.mixed");
        // Two spellings of one name: two properties from SWF 7 on, one before.
        c.push({"o"}).newObject("Object", {}).op(Action::SetVariable);
        c.get("o").push({"Name", "upper"}).op(Action::SetMember);
        c.get("o").push({"name", "lower"}).op(Action::SetMember);
        c.push({"names "}).get("o").push({"Name"}).op(Action::GetMember).op(Action::Add2).push({" "}).op(Action::Add2);
        c.get("o").push({"name"}).op(Action::GetMember).op(Action::Add2).trace();
        // A clip by another case, as a member, in a path and with a built-in property.
        c.callMethod("this", "createEmptyMovieClip", {"Inner", PushInt{1}}).op(Action::Pop);
        c.get("Inner").push({"_x", PushInt{3}}).op(Action::SetMember);
        traceOf(c, "member ", "inner._name");
        c.push({"path "}).get("inner._x").op(Action::Add2).trace();
        traceOf(c, "builtin ", "Inner._X");
        c.push({"method "}).callMethod("Math", "MAX", {PushInt{1}, PushInt{2}}).op(Action::Add2).trace();
        c.get("Shared").push({"FromChild", PushInt{1}}).op(Action::SetMember);
        SwfWriter child(static_cast<uint8_t>(childVersion));
        child.doAction(c.doActionBody()).showFrame();
        child.writeFile(folder_ + "/child.swf");

        Avm1Assembler load;
        load.get("_global").push({"Shared"}).newObject("Object", {}).op(Action::SetMember);
        load.get("_global").push({"Shared"}).op(Action::GetMember).push({"Mixed", "lesson's"}).op(Action::SetMember);
        newClip(load, "holder", 1);
        load.callMethod("holder", "loadMovie", {"child.swf"}).op(Action::Pop);
        Avm1Assembler check;
        traceOf(check, "lesson reads ", "shared.fromchild");
        auto movie = play({load, {}, check}, "main.swf",
                          [&](SwfWriter& swf) { swf.version(static_cast<uint8_t>(parentVersion)); });
        for (int i = 0; i < 3; ++i) movie->tick();
        EXPECT_EQ(traces_, (Lines{"shared " + either(childFolds, "lesson's"),
                                  std::string("names ") + (childFolds ? "lower lower" : "upper lower"),
                                  "member " + either(childFolds, "Inner"), "path " + either(childFolds, "3"),
                                  "builtin " + either(childFolds, "3"), "method " + either(childFolds, "2"),
                                  "lesson reads " + either(parentVersion == 6, "1")}));
    }
}

TEST_F(MovieLoadingTest, UpperLevelsNameThemselvesInTargetsAndPathsLeadThere) {
    // Level 1 makes a clip `a` holding `b`.
    Avm1Assembler levelScript;
    levelScript.callMethod("_root", "createEmptyMovieClip", {"a", PushInt{1}}).op(Action::Pop);
    levelScript.callMethod("a", "createEmptyMovieClip", {"b", PushInt{1}}).op(Action::Pop);
    SwfWriter level(8);
    level.doAction(levelScript.doActionBody()).showFrame();
    level.writeFile(folder_ + "/level.swf");

    Avm1Assembler load;
    newClip(load, "x", 1);
    load.getUrl("level.swf", "_level1");
    Avm1Assembler check;
    for (const char* p : {"_target", "x._target", "_level1._target", "_level1.a._target", "_level1.a.b._target"}) {
        traceOf(check, std::string(p) + " ", p);
    }
    check.get("_level1").push({"a"}).op(Action::GetMember).push({"b"}).op(Action::GetMember).op(Action::TargetPath)
        .trace();
    check.push({"eval "}).get("_level1/a").op(Action::Add2).trace();
    check.push({"parent "}).get("_level1/a/b").push({"_parent"}).op(Action::GetMember).op(Action::Add2).trace();
    check.setTarget("_level1/a/b");
    check.push({"told "}).push({"", PushInt{11}}).op(Action::GetProperty).op(Action::Add2).trace();
    check.setTarget("");
    auto movie = play({load, {}, check});
    for (int i = 0; i < 3; ++i) movie->tick();
    EXPECT_EQ(traces_, (Lines{"_target /", "x._target /x", "_level1._target _level1", "_level1.a._target _level1/a",
                              "_level1.a.b._target _level1/a/b", "_level1.a.b", "eval _level1.a",
                              "parent _level1.a", "told _level1/a/b"}));
}

}  // namespace
}  // namespace velmora::test
