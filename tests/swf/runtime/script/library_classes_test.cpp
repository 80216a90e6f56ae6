// The built-in classes where they are easy to get wrong: sort flags, splice, Date overflow,
// conversions by version, text cut by characters.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <optional>

#include "support/time_zone.h"
#include "library_fixture.h"

namespace velmora::test {
namespace {

using Lines = std::vector<std::string>;

// name = [items...]
Avm1Assembler& setArray(Avm1Assembler& a, const std::string& name, const std::vector<PushItem>& items) {
    return a.push({name}).initArray(items).op(Action::SetVariable);
}

// Leaves {key1: v1, key2: v2} on the stack.
Avm1Assembler& pushRecord(Avm1Assembler& a, const std::string& key1, const PushItem& v1, const std::string& key2,
                          const PushItem& v2) {
    return a.push({key1, v1, key2, v2, PushInt{2}}).op(Action::InitObject);
}

TEST(ArrayLibraryTest, SortFlagsOrderAsTheyShould) {
    Avm1Assembler a;
    setArray(a, "n", {10.0, 9.0, 100.0, 1.0});
    a.callMethod("n", "sort", {}).trace();                    // as text
    a.callMethod("n", "sort", {PushInt{16}}).trace();         // NUMERIC
    a.callMethod("n", "sort", {PushInt{16 | 2}}).trace();     // NUMERIC | DESCENDING
    setArray(a, "w", {std::string("b"), std::string("C"), std::string("a")});
    a.callMethod("w", "sort", {}).trace();
    a.callMethod("w", "sort", {PushInt{1}}).trace();          // CASEINSENSITIVE
    a.callMethod("w", "sort", {PushInt{8 | 2}}).trace();      // RETURNINDEXEDARRAY leaves w alone
    a.get("w").trace();
    setArray(a, "d", {2.0, 1.0, 2.0});
    a.callMethod("d", "sort", {PushInt{4}}).trace();          // UNIQUESORT refuses: 0, unchanged
    a.get("d").trace();
    EXPECT_EQ(runScript(a), (Lines{"1,10,100,9", "1,9,10,100", "100,10,9,1", "C,a,b", "a,b,C", "1,0,2", "a,b,C",
                                   "0", "2,1,2"}));
}

TEST(ArrayLibraryTest, CompareFunctionsAndSortOnFieldsAreStable) {
    Avm1Assembler cmp;  // function (x, y) { return y - x; }
    cmp.get("y").get("x").op(Action::Subtract).op(Action::Return);
    Avm1Assembler a;
    a.defineFunction("byDescending", {"x", "y"}, cmp);
    setArray(a, "n", {3.0, 1.0, 2.0});
    a.push({"byDescending"}).op(Action::GetVariable).push({PushInt{1}, "n"}).op(Action::GetVariable)
        .push({"sort"}).op(Action::CallMethod).trace();
    // People sorted by age, then by name; equal keys keep their order. InitArray takes its first
    // element from the top of the stack: the array is Al, Cy, al, Bo.
    a.push({"p"});
    pushRecord(a, "name", std::string("Bo"), "age", 30.0);
    pushRecord(a, "name", std::string("al"), "age", 25.0);
    pushRecord(a, "name", std::string("Cy"), "age", 30.0);
    pushRecord(a, "name", std::string("Al"), "age", 25.0);
    a.push({PushInt{4}}).op(Action::InitArray).op(Action::SetVariable);
    a.callMethod("p", "sortOn", {std::string("age"), PushInt{16}}).op(Action::Pop);
    // trace(p[0].name + p[1].name + p[2].name + p[3].name)
    for (int i = 0; i < 4; ++i) {
        a.get("p").push({PushInt{i}}).op(Action::GetMember).push({"name"}).op(Action::GetMember);
        if (i > 0) a.op(Action::Add2);
    }
    a.trace();
    // By name without case: ties of "al"/"Al" stay in their order.
    a.callMethod("p", "sortOn", {std::string("name"), PushInt{1}}).op(Action::Pop);
    for (int i = 0; i < 4; ++i) {
        a.get("p").push({PushInt{i}}).op(Action::GetMember).push({"name"}).op(Action::GetMember);
        if (i > 0) a.op(Action::Add2);
    }
    a.trace();
    EXPECT_EQ(runScript(a), (Lines{"3,2,1", "AlalCyBo", "AlalBoCy"}));
}

TEST(ArrayLibraryTest, AnInconsistentCompareFunctionLosesNoElements) {
    // function () { return random(3) - 1; }: answers that contradict each other.
    Avm1Assembler coin;
    coin.callFunction("random", {3.0}).push({1.0}).op(Action::Subtract).op(Action::Return);
    Avm1Assembler a;
    a.defineFunction("coin", {}, coin);
    std::vector<PushItem> items;
    std::string expected;
    for (int i = 0; i < 300; ++i) {
        items.emplace_back(static_cast<double>(i));
        expected += (i ? "," : "") + std::to_string(i);
    }
    setArray(a, "n", items);
    a.push({"coin"}).op(Action::GetVariable).push({PushInt{1}, "n"}).op(Action::GetVariable)
        .push({"sort"}).op(Action::CallMethod).op(Action::Pop);
    a.callMethod("n", "sort", {PushInt{16}}).trace();
    EXPECT_EQ(runScript(a), (Lines{expected}));
}

TEST(ArrayLibraryTest, SpliceSliceAndConcatAtTheirEdges) {
    Avm1Assembler a;
    setArray(a, "a", {0.0, 1.0, 2.0, 3.0, 4.0});
    a.callMethod("a", "splice", {-2.0}).trace();                                // removes the rest from -2
    a.get("a").trace();
    a.callMethod("a", "splice", {1.0, 0.0, std::string("x"), std::string("y")}).trace();  // inserts only
    a.get("a").trace();
    a.callMethod("a", "splice", {1.0, 99.0}).trace();                           // count past the end
    a.callMethod("a", "slice", {-1.0}).trace();
    setArray(a, "b", {1.0});
    // b.concat([2, 3], 4): an array argument adds its elements.
    a.push({4.0}).initArray({2.0, 3.0}).push({PushInt{2}, "b"}).op(Action::GetVariable).push({"concat"})
        .op(Action::CallMethod).trace();
    a.callMethod("b", "unshift", {std::string("z")}).trace();                   // the new length
    a.get("b").push({"length", 4.0}).op(Action::SetMember);                      // grows...
    a.get("b").trace();
    a.get("b").push({"length", 1.0}).op(Action::SetMember);                      // ...and cuts
    a.get("b").trace();
    EXPECT_EQ(runScript(a, 6), (Lines{"3,4", "0,1,2", "", "0,x,y,1,2", "x,y,1,2", "0", "1,2,3,4", "2", "z,1,,", "z"}));
}

TEST(ArrayLibraryTest, UndefinedElementsPrintByVersion) {
    Avm1Assembler a;
    setArray(a, "a", {1.0, PushUndefined{}, PushNull{}});
    a.get("a").trace();
    EXPECT_EQ(runScript(a, 6), (Lines{"1,,null"}));
    EXPECT_EQ(runScript(a, 7), (Lines{"1,undefined,null"}));
}

TEST(ArrayLibraryTest, LengthsPastTheLimitStopTheScriptWithAReport) {
    for (const char* grow : {"constructor", "join"}) {
        Avm1Assembler a;
        const std::string what = grow;
        if (what == "constructor") {
            a.newObject("Array", {1e9}).op(Action::Pop);
        } else {
            // [s, s, s, s].join() with s of 5 MB: past the 16 MB a text may hold
            a.set("s", std::string(40000, 'x'));
            for (int i = 0; i < 7; ++i) a.push({"s"}).get("s").get("s").op(Action::StringAdd).op(Action::SetVariable);
            a.push({"a"}).get("s").get("s").get("s").get("s").push({PushInt{4}}).op(Action::InitArray)
                .op(Action::SetVariable);
            a.callMethod("a", "join", {}).op(Action::Pop);
        }
        a.trace(std::string("not reached"));
        const auto messages = runScriptMessages(a);
        EXPECT_TRUE(std::none_of(messages.begin(), messages.end(),
                                 [](const std::string& m) { return m == "trace: not reached"; }))
            << what;
        EXPECT_TRUE(std::any_of(messages.begin(), messages.end(),
                                [](const std::string& m) { return m.find("longer than") != std::string::npos ||
                                                                  m.find("grew past") != std::string::npos; }))
            << what << ": " << (messages.empty() ? "" : messages.back());
    }
}

TEST(StringLibraryTest, MethodsCountCharactersNotBytes) {
    Avm1Assembler a;
    a.set("s", std::string("中文课程"));
    a.callMethod("s", "charAt", {1.0}).trace();
    a.callMethod("s", "charCodeAt", {0.0}).trace();
    a.callMethod("s", "indexOf", {std::string("课")}).trace();
    a.callMethod("s", "substr", {-2.0}).trace();
    a.callMethod("s", "slice", {1.0, -1.0}).trace();
    a.callMethod("s", "substring", {3.0, 1.0}).trace();  // swapped
    a.callMethod("s", "split", {std::string("")}).trace();
    a.get("s").push({"length"}).op(Action::GetMember).trace();
    EXPECT_EQ(runScript(a), (Lines{"文", "20013", "2", "课程", "文课", "文课", "中,文,课,程", "4"}));
}

TEST(StringLibraryTest, LessCommonArgumentsAndCase) {
    Avm1Assembler a;
    a.set("s", std::string("a,b,,c"));
    a.callMethod("s", "split", {std::string(","), 2.0}).trace();
    a.callMethod("s", "split", {}).push({"length"}).op(Action::GetMember).trace();
    a.callMethod("s", "lastIndexOf", {std::string(","), 2.0}).trace();
    a.callMethod("s", "substr", {1.0, -1.0}).trace();
    a.callMethod("s", "charCodeAt", {10.0}).trace();
    a.set("t", std::string("Straße École"));
    a.callMethod("t", "toUpperCase", {}).trace();
    a.callMethod("t", "toLowerCase", {}).trace();
    a.push({0x4E2D * 1.0, 65.0, PushInt{2}, "String"}).op(Action::GetVariable).push({"fromCharCode"})
        .op(Action::CallMethod).trace();
    a.newObject("String", {std::string("héllo")}).push({"length"}).op(Action::GetMember).trace();
    EXPECT_EQ(runScript(a), (Lines{"a,b", "1", "1", "", "NaN", "STRAßE ÉCOLE", "straße école", "A中", "5"}));
}

TEST(NumberLibraryTest, RadixConstantsAndWrappers) {
    Avm1Assembler a;
    a.set("n", 255.0);
    a.callMethod("n", "toString", {16.0}).trace();
    a.callMethod("n", "toString", {2.0}).trace();
    a.callMethod("n", "toString", {99.0}).trace();  // out of range: decimal
    a.push({"Number"}).op(Action::GetVariable).push({"MAX_VALUE"}).op(Action::GetMember).trace();
    a.push({"Number"}).op(Action::GetVariable).push({"MIN_VALUE"}).op(Action::GetMember).trace();
    a.newObject("Number", {7.0}).push({3.0}).op(Action::Add2).trace();  // valueOf
    a.newObject("Boolean", {0.0}).op(Action::TypeOf).trace();
    a.callFunction("Boolean", {std::string("0")}).trace();
    EXPECT_EQ(runScript(a), (Lines{"ff", "11111111", "255", "1.79769313486232e+308", "4.94065645841247e-324", "10",
                                   "object", "true"}));
}

TEST(MathLibraryTest, EdgeValuesFollowTheLanguage) {
    Avm1Assembler a;
    a.callMethod("Math", "round", {-2.5}).trace();
    a.callMethod("Math", "round", {2.5}).trace();
    a.callMethod("Math", "max", {}).trace();
    a.callMethod("Math", "min", {1.0, std::string("x")}).trace();
    a.callMethod("Math", "pow", {1.0, std::nan("")}).trace();
    a.callMethod("Math", "atan2", {1.0, 1.0}).trace();
    a.callMethod("Math", "abs", {}).trace();
    a.push({"Math"}).op(Action::GetVariable).push({"PI"}).op(Action::GetMember).trace();
    // Math.PI is read-only.
    a.push({"Math"}).op(Action::GetVariable).push({"PI", 3.0}).op(Action::SetMember);
    a.push({"Math"}).op(Action::GetVariable).push({"PI"}).op(Action::GetMember).trace();
    a.callMethod("Math", "random", {}).push({1.0}).op(Action::Less2).trace();
    EXPECT_EQ(runScript(a), (Lines{"-2", "3", "-Infinity", "NaN", "NaN", "0.785398163397448", "NaN",
                                   "3.14159265358979", "3.14159265358979", "true"}));
}


TEST(DateLibraryTest, FieldsOverflowAndPrintInLocalTime) {
    TimeZone berlin("Europe/Berlin");
    Avm1Assembler a;
    a.push({"d"}).newObject("Date", {2024.0, 0.0, 31.0, 10.0, 30.0}).op(Action::SetVariable);
    a.get("d").trace();
    a.callMethod("d", "setDate", {32.0}).op(Action::Pop);  // 1 February
    a.callMethod("d", "getMonth", {}).trace();
    a.callMethod("d", "getDate", {}).trace();
    a.callMethod("d", "setMonth", {13.0}).op(Action::Pop);  // 1 February of the next year
    a.callMethod("d", "getFullYear", {}).trace();
    a.callMethod("d", "setHours", {-1.0}).op(Action::Pop);  // 31 January, 23:30
    a.callMethod("d", "getDate", {}).trace();
    a.callMethod("d", "getHours", {}).trace();
    a.callMethod("d", "getUTCHours", {}).trace();
    a.callMethod("d", "getTimezoneOffset", {}).trace();
    a.push({"d"}).newObject("Date", {2024.0, 6.0, 1.0}).op(Action::SetVariable);
    a.callMethod("d", "getTimezoneOffset", {}).trace();  // summer time
    a.callMethod("Date", "UTC", {99.0, 0.0}).trace();    // two-digit years are 19xx
    a.push({"d"}).newObject("Date", {std::nan("")}).op(Action::SetVariable);
    a.get("d").trace();
    a.callMethod("d", "setMinutes", {5.0}).trace();
    a.callMethod("d", "setFullYear", {2000.0}).op(Action::Pop);  // a year makes an invalid date valid
    a.callMethod("d", "getMonth", {}).trace();
    EXPECT_EQ(runScript(a), (Lines{"Wed Jan 31 10:30:00 GMT+0100 2024", "1", "1", "2025", "31", "23", "22", "-60",
                                   "-120", "915148800000", "Invalid Date", "NaN", "0"}));
}

TEST(ErrorLibraryTest, ThrownErrorsCarryNameAndMessage) {
    Avm1Assembler tryBody, catchBody;
    tryBody.newObject("Error", {std::string("bad input")}).op(Action::Throw);
    catchBody.get("e").trace();
    catchBody.get("e").push({"name"}).op(Action::GetMember).trace();
    catchBody.get("e").push({"message"}).op(Action::GetMember).trace();
    Avm1Assembler a;
    a.tryBlock({.tryBody = &tryBody, .catchName = "e", .catchBody = &catchBody});
    a.newObject("Error", {}).push({"message"}).op(Action::GetMember).trace();
    EXPECT_EQ(runScript(a), (Lines{"bad input", "Error", "bad input", "Error"}));
}

TEST(GlobalFunctionsTest, ConversionsDependOnTheMoviesVersion) {
    Avm1Assembler a;
    a.callFunction("parseInt", {std::string("0x1A")}).trace();
    a.callFunction("parseInt", {std::string("017")}).trace();
    a.callFunction("parseInt", {std::string("ff"), 16.0}).trace();
    a.callFunction("parseFloat", {std::string("3.5e2m")}).trace();
    a.callFunction("isNaN", {std::string("")}).trace();
    a.callFunction("isFinite", {std::string("1e400")}).trace();
    a.callFunction("int", {-3.7}).trace();
    a.callFunction("Number", {std::string(" 0x10 ")}).trace();
    a.callFunction("escape", {std::string("é &")}).trace();
    a.callFunction("unescape", {std::string("%C3%A9%20%26")}).trace();
    EXPECT_EQ(runScript(a, 6), (Lines{"26", "15", "255", "350", "false", "false", "-3", "16", "%C3%A9%20%26", "é &"}));
    EXPECT_EQ(runScript(a, 7), (Lines{"26", "15", "255", "350", "true", "false", "-3", "16", "%C3%A9%20%26", "é &"}));
    EXPECT_EQ(runScript(a, 5)[8], "%E9%20%26");
}

TEST(GlobalFunctionsTest, MultiByteFunctionsCountCharacters) {
    Avm1Assembler a;
    a.set("s", std::string("汉语abc"));
    a.callFunction("mblength", {std::string("汉语abc")}).trace();
    a.callFunction("length", {std::string("汉语abc")}).trace();
    a.callFunction("mbsubstring", {std::string("汉语abc"), 2.0, 2.0}).trace();
    a.callFunction("mbord", {std::string("语")}).trace();
    a.callFunction("mbchr", {0x8BED * 1.0}).trace();
    a.callFunction("ord", {std::string("A")}).trace();
    a.callFunction("chr", {233.0}).trace();
    a.callFunction("substring", {std::string("lesson"), 2.0, -1.0}).trace();
    a.callFunction("getVersion", {}).trace();
    EXPECT_EQ(runScript(a, 5), (Lines{"5", "9", "语a", "35821", "语", "65", "é", "esson", "LNX 10,0,0,0"}));
}

}  // namespace
}  // namespace velmora::test
