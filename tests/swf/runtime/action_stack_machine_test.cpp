// The SWF 4/5 stack machine as far as it goes: values, variables, branches, gotos by value.
#include <gtest/gtest.h>

#include "runtime_fixtures.h"

namespace velmora::test {
namespace {

std::vector<std::string> tracesOf(const Asm& code, uint8_t version = 10, int frames = 1) {
    SwfWriter swf(version);
    swf.doAction(code).showFrame();
    for (int i = 1; i < frames; ++i) swf.showFrame();
    auto movie = play(swf);
    return traces(*movie);
}

TEST(ActionStackMachine, ArithmeticAndTextFollowTheLanguagesRules) {
    EXPECT_EQ(tracesOf(Asm().pushInt(7).pushNumber(2.5).op(0x0A).trace()), std::vector<std::string>{"9.5"});
    EXPECT_EQ(tracesOf(Asm().pushString("1").pushInt(2).op(0x47).trace()), std::vector<std::string>{"12"});
    EXPECT_EQ(tracesOf(Asm().pushInt(1).pushInt(2).op(0x47).trace()), std::vector<std::string>{"3"});
    EXPECT_EQ(tracesOf(Asm().pushInt(1).pushInt(0).op(0x0D).trace()), std::vector<std::string>{"Infinity"});
    EXPECT_EQ(tracesOf(Asm().pushInt(1).pushInt(0).op(0x0D).trace(), 4), std::vector<std::string>{"#ERROR#"});
    EXPECT_EQ(tracesOf(Asm().pushInt(3).pushInt(5).op(0x0F).trace(), 4), std::vector<std::string>{"1"});
    EXPECT_EQ(tracesOf(Asm().pushInt(3).pushInt(5).op(0x0F).trace()), std::vector<std::string>{"true"});
    EXPECT_EQ(tracesOf(Asm().pushString("abc").pushString("def").op(0x21).op(0x14).trace()),
              std::vector<std::string>{"6"});
    EXPECT_EQ(tracesOf(Asm().pushString("lesson").pushInt(2).pushInt(3).op(0x15).trace()),
              std::vector<std::string>{"ess"});
    EXPECT_EQ(tracesOf(Asm().op(0x17).op(0x17).trace()), std::vector<std::string>{"undefined"});  // empty stack
}

TEST(ActionStackMachine, VariablesLiveOnTheirClip) {
    SwfWriter swf;
    swf.defineSprite(10, framesOnly(1));
    swf.placeObject2({.depth = 1, .characterId = 10, .name = "a"});
    swf.doAction(Asm()
                     .set("greeting", "hello")
                     .set("a:inside", "deep")
                     .pushString("greeting").getVariable().trace()
                     .pushString("/a:inside").getVariable().trace()
                     .pushString("a.inside").getVariable().trace()
                     .pushString("missing").getVariable().trace()
                     .pushString("a._name").getVariable().trace())
        .showFrame();
    auto movie = play(swf);
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"hello", "deep", "deep", "undefined", "a"}));
    EXPECT_TRUE(movie->variableText(*movie->root().childAt(1), "inside").has_value());
}

TEST(ActionStackMachine, BranchesCountFromTheEndOfTheirRecord) {
    // if (true) skip the "no" trace
    Asm noTrace;
    noTrace.pushString("no").trace();
    Asm code;
    code.pushBool(true).branchIf(static_cast<int16_t>(noTrace.bytes().size())).pushString("no").trace()
        .pushString("yes").trace();
    EXPECT_EQ(tracesOf(code), std::vector<std::string>{"yes"});
}

TEST(ActionStackMachine, ACountedLoopRunsToItsEnd) {
    // i = 0; do { i = i + 1 } while (i < 5); trace(i)
    Asm body;
    body.pushString("i").pushString("i").getVariable().pushInt(1).op(0x47).setVariable()
        .pushString("i").getVariable().pushInt(5).op(0x48);
    Asm code;
    code.pushString("i").pushInt(0).setVariable();
    for (uint8_t b : body.bytes()) code.op(b);
    code.branchIf(static_cast<int16_t>(-(static_cast<int>(body.bytes().size()) + 5)));
    code.pushString("i").getVariable().trace();
    EXPECT_EQ(tracesOf(code), std::vector<std::string>{"5"});
}

TEST(ActionStackMachine, GotoFrame2TakesFrameNumbersFromOneAndLabels) {
    SwfWriter swf;
    swf.defineSprite(10, framesOnly(4));
    SwfTagList labelled;
    labelled.showFrame().frameLabel("here").showFrame();
    swf.defineSprite(11, labelled);
    swf.placeObject2({.depth = 1, .characterId = 10, .name = "a"});
    swf.placeObject2({.depth = 2, .characterId = 11, .name = "b"});
    swf.doAction(Asm()
                     .pushString("a").op(0x20).pushInt(3).gotoFrame2(false)
                     .pushString("").op(0x20).pushString("b:here").gotoFrame2(true)
                     .pushString("a").pushInt(5).op(0x22).trace())  // GetProperty a._totalframes
        .showFrame();
    swf.showFrame();
    auto movie = play(swf);
    EXPECT_EQ(movie->root().childAt(1)->currentFrame(), 2u);
    EXPECT_FALSE(movie->root().childAt(1)->isPlaying());
    EXPECT_EQ(movie->root().childAt(2)->currentFrame(), 1u);
    EXPECT_EQ(traces(*movie), std::vector<std::string>{"4"});
}

TEST(ActionStackMachine, ConstantPoolAndRegisters) {
    Asm code;
    code.record(0x88, {2, 0, 'o', 'n', 'e', 0, 't', 'w', 'o', 0});
    code.record(0x96, {8, 1}).trace();                  // constant 1
    code.pushInt(42).record(0x87, {0}).op(0x17);       // store in register 0, pop
    code.record(0x96, {4, 0}).trace();                  // register 0
    code.record(0x96, {8, 9}).trace();                  // a constant that does not exist
    EXPECT_EQ(tracesOf(code), (std::vector<std::string>{"two", "42", "undefined"}));
}

TEST(ActionStackMachine, FunctionBodiesAreSkippedAndUnknownActionsEndTheScript) {
    // The stack effect of an unknown action is unknown: nothing after it can be trusted.
    for (const std::vector<uint8_t>& unknown : {std::vector<uint8_t>{0xC0, 3, 0, 1, 2, 3}, std::vector<uint8_t>{0x5F}}) {
        Asm code;
        code.record(0x9B, {'f', 0, 0, 0, 2, 0});  // function f() with a 2-byte body
        code.op(0x07).op(0x07);                   // the body: never run here
        code.pushString("before").trace();
        for (uint8_t b : unknown) code.op(b);
        code.pushString("after").trace();
        SwfWriter swf;
        swf.doAction(code).showFrame();
        swf.doAction(Asm().pushString("next frame").trace()).showFrame();
        auto movie = play(swf);
        movie->tick();
        EXPECT_EQ(traces(*movie), (std::vector<std::string>{"before", "next frame"}));
        EXPECT_TRUE(hasMessageContaining(*movie, "script: unsupported action 0x"));
        EXPECT_TRUE(movie->root().isPlaying());
    }
}

TEST(ActionStackMachine, TextThatDoublesForeverIsStopped) {
    // s = "xx..."; loop: s = s + s
    Asm loop;
    loop.pushString("s").pushString("s").getVariable().pushString("s").getVariable().op(0x21).setVariable();
    Asm code;
    code.set("s", "xxxxxxxx");
    for (uint8_t b : loop.bytes()) code.op(b);
    code.jump(static_cast<int16_t>(-(static_cast<int>(loop.bytes().size()) + 5)));
    SwfWriter swf;
    swf.doAction(code).showFrame();
    auto movie = play(swf);
    bool stopped = false;
    for (const auto& m : movie->messages()) stopped |= m.find("too long") != std::string::npos;
    EXPECT_TRUE(stopped);
}

TEST(ActionStackMachine, ClipsAsValuesWithTheirMembersAndMethods) {
    SwfWriter swf;
    swf.defineSprite(10, framesOnly(8));
    swf.placeObject2({.depth = 1, .characterId = 10, .name = "mp3_mc"});
    Asm code;
    // _root.mp3_mc.gotoAndStop(5)
    code.pushInt(5).pushInt(1).pushString("_root").getVariable().pushString("mp3_mc").op(0x4E)
        .pushString("gotoAndStop").op(0x52).op(0x17);
    // trace(mp3_mc._totalframes); trace(mp3_mc); trace(typeof mp3_mc)
    code.pushString("mp3_mc").getVariable().pushString("_totalframes").op(0x4E).trace();
    code.pushString("mp3_mc").getVariable().trace();
    code.pushString("mp3_mc").getVariable().op(0x44).trace();
    // mp3_mc.volume = "loud"; trace(mp3_mc.volume)
    code.pushString("mp3_mc").getVariable().pushString("volume").pushString("loud").op(0x4F);
    code.pushString("mp3_mc").getVariable().pushString("volume").op(0x4E).trace();
    // mp3_mc.someMethodWeLack(); trace(it) answers undefined
    code.pushInt(0).pushString("mp3_mc").getVariable().pushString("attachSound").op(0x52).trace();
    swf.doAction(code).showFrame();
    auto movie = play(swf);
    swf::Clip* clip = movie->root().childAt(1);
    EXPECT_EQ(clip->currentFrame(), 4u);
    EXPECT_FALSE(clip->isPlaying());
    EXPECT_EQ(traces(*movie),
              (std::vector<std::string>{"8", "_level0.mp3_mc", "movieclip", "loud", "undefined"}));
}

void append(Asm& code, const Asm& more) {
    for (uint8_t b : more.bytes()) code.op(b);
}

// DefineFunction name(params) { body }
void defineFunction(Asm& code, const std::string& name, const std::vector<std::string>& params, const Asm& body) {
    std::vector<uint8_t> p(name.begin(), name.end());
    p.push_back(0);
    p.push_back(uint8_t(params.size()));
    p.push_back(0);
    for (const auto& param : params) {
        p.insert(p.end(), param.begin(), param.end());
        p.push_back(0);
    }
    p.push_back(uint8_t(body.bytes().size()));
    p.push_back(uint8_t(body.bytes().size() >> 8));
    code.record(0x9B, p);
    append(code, body);
}

TEST(ActionStackMachine, FunctionsTakeArgumentsAndReturnValues) {
    Asm body;
    body.pushString("a").getVariable().pushString("b").getVariable().op(0x47).op(0x3E);
    Asm code;
    defineFunction(code, "add", {"a", "b"}, body);
    code.pushInt(3).pushInt(2).pushInt(2).pushString("add").op(0x3D).trace();  // add(2, 3)
    code.pushString("a").getVariable().trace();                                 // parameters stay local
    EXPECT_EQ(tracesOf(code), (std::vector<std::string>{"5", "undefined"}));
}

TEST(ActionStackMachine, Function2UsesRegistersAndThisAsAMethodOfAClip) {
    SwfWriter swf;
    swf.defineSprite(10, framesOnly(2));
    swf.placeObject2({.depth = 1, .characterId = 10, .name = "a"});
    Asm body;
    body.record(0x96, {4, 1}).pushString("_name").op(0x4E).trace();  // trace(this._name)
    body.record(0x96, {4, 2, 4, 3}).op(0x0C).op(0x3E);               // return x * y
    // a.mul = function(x, y) {...}: registers 2 and 3, `this` preloaded in register 1
    std::vector<uint8_t> header{0, 2, 0, 4, 0x01, 0x00, 2, 'x', 0, 3, 'y', 0};
    header.push_back(uint8_t(body.bytes().size()));
    header.push_back(0);
    Asm code;
    code.pushString("a").getVariable().pushString("mul").record(0x8E, header);
    append(code, body);
    code.op(0x4F);
    code.pushInt(4).pushInt(3).pushInt(2).pushString("a").getVariable().pushString("mul").op(0x52).trace();
    swf.doAction(code).showFrame();
    auto movie = play(swf);
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"a", "12"}));
}

TEST(ActionStackMachine, OnEnterFrameRunsOnEveryTick) {
    SwfWriter swf;
    swf.defineSprite(10, framesOnly(2));
    swf.placeObject2({.depth = 1, .characterId = 10, .name = "a"});
    Asm handler;
    handler.pushString("this").getVariable().pushString("_currentframe").op(0x4E).trace();
    Asm code;
    code.pushString("a").getVariable().pushString("onEnterFrame");
    defineFunction(code, "", {}, handler);
    code.op(0x4F);
    swf.doAction(code).showFrame();
    auto movie = play(swf);
    movie->tick();
    movie->tick();
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"2", "1"}));
}

TEST(ActionStackMachine, AFunctionThatCallsItselfForeverStops) {
    Asm body;
    body.pushInt(0).pushString("f").op(0x3D);
    Asm code;
    defineFunction(code, "f", {}, body);
    code.pushInt(0).pushString("f").op(0x3D).op(0x17).pushString("after").trace();
    SwfWriter swf;
    swf.doAction(code).showFrame();
    auto movie = play(swf);
    bool stopped = false;
    for (const auto& m : movie->messages()) stopped |= m.find("nested too deeply") != std::string::npos;
    EXPECT_TRUE(stopped);
}

}  // namespace
}  // namespace velmora::test
