// The language as scripts use it, where the sample corpus does not reach: closures, exceptions
// across calls, classes with super, getters and setters, enumeration order, version-dependent
// conversions.
#include <gtest/gtest.h>

#include "../runtime_fixtures.h"
#include "support/avm1_assembler.h"

namespace velmora::test {
namespace {

using A = Avm1Assembler;

std::vector<std::string> tracesOf(const A& code, uint8_t version = 10) {
    SwfWriter swf(version);
    swf.doAction(code.doActionBody()).showFrame();
    return traces(*play(swf));
}

// function name(params) { body }
A& function(A& a, const std::string& name, const std::vector<std::string>& params, const A& body) {
    return a.defineFunction(name, params, body);
}

TEST(ScriptClosures, AnInnerFunctionKeepsItsOuterLocalsAfterTheOuterReturns) {
    // function counter() { var n = 0; return function() { n = n + 1; return n; }; }
    A inner;
    inner.push({"n"}).get("n").push({PushInt{1}}).op(Action::Add2).op(Action::SetVariable).get("n").op(Action::Return);
    A outer;
    outer.push({"n", PushInt{0}}).op(Action::DefineLocal);
    outer.defineFunction("", {}, inner).op(Action::Return);
    A code;
    function(code, "counter", {}, outer);
    code.push({"c"}).callFunction("counter", {}).op(Action::SetVariable);
    code.push({"d"}).callFunction("counter", {}).op(Action::SetVariable);
    code.callFunction("c", {}).op(Action::Pop).callFunction("c", {}).trace();
    code.callFunction("d", {}).trace();  // a second closure has its own n
    code.get("n").trace();               // and n never leaked to the timeline
    EXPECT_EQ(tracesOf(code), (std::vector<std::string>{"2", "1", "undefined"}));
}

TEST(ScriptScopes, WithLendsItsObjectToItsBodyOnly) {
    A body;
    body.get("x").trace();
    auto loop = body.label(), done = body.label();  // a loop inside keeps the object
    body.set("n", PushInt{0}).bind(loop).get("n").push({PushInt{2}}).op(Action::Less2).op(Action::Not).branchIf(done);
    body.push({"n"}).get("n").op(Action::Increment).op(Action::SetVariable).get("x").trace().jump(loop).bind(done);
    A code;
    code.set("x", "outer");
    code.push({"o"}).newObject("Object", {}).op(Action::SetVariable);
    code.get("o").push({"x", "inner"}).op(Action::SetMember);
    code.get("o").with(body);
    code.get("x").trace();
    EXPECT_EQ(tracesOf(code), (std::vector<std::string>{"inner", "inner", "inner", "outer"}));
}

TEST(ScriptExceptions, AThrowCrossesCallsToTheNearestCatchAndFinallyAlwaysRuns) {
    A thrower;
    thrower.push({"deep"}).op(Action::Throw);
    A middle;
    A tryBody, finallyBody;
    tryBody.callFunction("thrower", {}).op(Action::Pop).trace("not reached");
    finallyBody.trace("middle finally");
    middle.tryBlock({.tryBody = &tryBody, .finallyBody = &finallyBody});
    A code;
    function(code, "thrower", {}, thrower);
    function(code, "middle", {}, middle);
    A outerTry, outerCatch, registerTry, registerCatch;
    outerTry.callFunction("middle", {}).op(Action::Pop);
    outerCatch.push({"caught "}).get("e").op(Action::Add2).trace();
    code.tryBlock({.tryBody = &outerTry, .catchName = "e", .catchBody = &outerCatch});
    // into a register, leaving variables alone
    registerTry.push({PushInt{7}}).op(Action::Throw);
    registerCatch.push({PushRegister{2}}).trace();
    code.tryBlock({.tryBody = &registerTry, .catchRegister = 2, .catchBody = &registerCatch});
    EXPECT_EQ(tracesOf(code), (std::vector<std::string>{"middle finally", "caught deep", "7"}));
}

// function g() { try { try { return "ok"; } finally { throw "x"; } } catch (e) {} trace("after"); }
TEST(ScriptExceptions, AThrowFromAFinallyAbandonsTheReturnThatRanIt) {
    A innerTry, innerFinally, outerTry, outerCatch, body;
    innerTry.push({"ok"}).op(Action::Return);
    innerFinally.push({"x"}).op(Action::Throw);
    outerTry.tryBlock({.tryBody = &innerTry, .finallyBody = &innerFinally});
    body.tryBlock({.tryBody = &outerTry, .catchName = "e", .catchBody = &outerCatch});
    body.trace("after");
    A code;
    function(code, "g", {}, body);
    code.callFunction("g", {}).trace();
    EXPECT_EQ(tracesOf(code), (std::vector<std::string>{"after", "undefined"}));
}

TEST(ScriptExceptions, AnUncaughtThrowEndsOnlyItsScript) {
    SwfWriter swf;
    swf.doAction(A().trace("one").push({"boom"}).op(Action::Throw).trace("never").doActionBody());
    swf.doAction(A().trace("two").doActionBody()).showFrame();
    std::vector<std::string> warnings;
    swf::MovieInstance::Options options;
    options.warningSink = [&](const std::string& line) { warnings.push_back(line); };
    EXPECT_EQ(traces(*play(swf, options)), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(warnings, std::vector<std::string>{"Warning: Uncaught exception, boom"});
}

// class Base { function Base(x) { this.x = x; } function who() { return "base " + this.x; } }
// class Kid extends Base { function Kid() { super(5); } function who() { return "kid/" + super.who(); } }
A classes() {
    A baseCtor;
    baseCtor.push({"this"}).op(Action::GetVariable).push({"x"}).get("x").op(Action::SetMember);
    A baseWho;
    baseWho.push({"base "}).push({"this"}).op(Action::GetVariable).push({"x"}).op(Action::GetMember)
        .op(Action::Add2).op(Action::Return);
    A kidCtor;
    kidCtor.push({PushInt{5}, PushInt{1}, "super"}).op(Action::GetVariable).push({PushUndefined{}})
        .op(Action::CallMethod).op(Action::Pop);
    A kidWho;
    kidWho.push({"kid/", PushInt{0}, "super"}).op(Action::GetVariable).push({"who"}).op(Action::CallMethod)
        .op(Action::Add2).op(Action::Return);
    A code;
    code.push({"Base"}).defineFunction("", {"x"}, baseCtor).op(Action::SetVariable);
    code.get("Base").push({"prototype"}).op(Action::GetMember).push({"who"}).defineFunction("", {}, baseWho)
        .op(Action::SetMember);
    code.push({"Kid"}).defineFunction("", {}, kidCtor).op(Action::SetVariable);
    code.get("Kid").get("Base").op(Action::Extends);
    code.get("Kid").push({"prototype"}).op(Action::GetMember).push({"who"}).defineFunction("", {}, kidWho)
        .op(Action::SetMember);
    return code;
}

TEST(ScriptObjects, ClassesInheritAndReachTheirSuperclassThroughSuper) {
    A code = classes();
    code.push({"k"}).newObject("Kid", {}).op(Action::SetVariable);
    code.callMethod("k", "who", {}).trace();
    code.get("k").get("Base").op(Action::InstanceOf).trace();
    code.get("Base").get("k").op(Action::CastOp).op(Action::TypeOf).trace();
    code.get("Kid").push({"b"}).newObject("Base", {PushInt{1}}).op(Action::SetVariable).get("b").op(Action::CastOp).trace();
    EXPECT_EQ(tracesOf(code), (std::vector<std::string>{"kid/base 5", "true", "object", "null"}));
}

TEST(ScriptObjects, GettersSettersAndWatchesStandBetweenAScriptAndAProperty) {
    A getter;
    getter.push({"got"}).op(Action::Return);
    A setter;
    setter.push({"set "}).get("v").op(Action::Add2).op(Action::Trace);
    A watcher;  // (name, old, new): doubles what is assigned
    watcher.get("nv").push({PushInt{2}}).op(Action::Multiply).op(Action::Return);
    A code;
    code.push({"o"}).newObject("Object", {}).op(Action::SetVariable);
    code.defineFunction("", {"v"}, setter).defineFunction("", {}, getter).push({"p", PushInt{3}});
    code.get("o").push({"addProperty"}).op(Action::CallMethod).op(Action::Pop);
    code.get("o").push({"p"}).op(Action::GetMember).trace();
    code.get("o").push({"p", PushInt{9}}).op(Action::SetMember);
    code.push({PushUndefined{}}).defineFunction("", {"n", "ov", "nv"}, watcher).push({"w", PushInt{3}});
    code.get("o").push({"watch"}).op(Action::CallMethod).op(Action::Pop);
    code.get("o").push({"w", PushInt{21}}).op(Action::SetMember);
    code.get("o").push({"w"}).op(Action::GetMember).trace();
    EXPECT_EQ(tracesOf(code), (std::vector<std::string>{"got", "set 9", "42"}));
}

TEST(ScriptObjects, ForInVisitsTheNewestFirstAndSkipsHiddenAndDeletedOnes) {
    A code;
    code.push({"o"}).newObject("Object", {}).op(Action::SetVariable);
    for (const char* name : {"a", "b", "c", "d"}) code.get("o").push({name, PushInt{1}}).op(Action::SetMember);
    // ASSetPropFlags(o, "c", 1): hidden from for..in
    code.push({PushInt{1}, "c"}).get("o").push({PushInt{3}, "ASSetPropFlags"}).op(Action::CallFunction).op(Action::Pop);
    code.get("o").push({"a"}).op(Action::Delete).op(Action::Pop);
    auto loop = code.label(), done = code.label();
    code.get("o").op(Action::Enumerate2);
    code.bind(loop).storeRegister(1).push({PushNull{}}).op(Action::Equals2).branchIf(done);
    code.push({PushRegister{1}}).trace().jump(loop);
    code.bind(done);
    EXPECT_EQ(tracesOf(code), (std::vector<std::string>{"d", "b"}));
}

TEST(ScriptConversions, UndefinedNamesAndNumbersFollowTheMoviesVersion) {
    A code;
    code.push({"Name", PushInt{1}}).op(Action::SetVariable);
    code.get("name").trace();                                     // case matters from SWF 7 on
    code.push({PushUndefined{}, "x"}).op(Action::Add2).trace();   // undefined as text
    code.push({PushUndefined{}, PushInt{1}}).op(Action::Add2).trace();  // undefined as a number
    code.push({1e-7}).trace().push({1.5e21}).trace().push({0.1 + 0.2}).trace().push({-0.0}).trace();
    code.push({" 0x1F "}).op(Action::ToNumber).trace();
    code.push({""}).op(Action::ToNumber).trace();
    EXPECT_EQ(tracesOf(code, 6), (std::vector<std::string>{"1", "x", "1", "1e-7", "1.5e+21", "0.3", "0", "31", "0"}));
    EXPECT_EQ(tracesOf(code, 7),
              (std::vector<std::string>{"undefined", "undefinedx", "NaN", "1e-7", "1.5e+21", "0.3", "0", "31", "NaN"}));
}

}  // namespace
}  // namespace velmora::test
