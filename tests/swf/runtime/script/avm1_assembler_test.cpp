#include "support/avm1_assembler.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "swf/runtime/action_reader.h"

namespace velmora::test {
namespace {

using swf::ActionRecord;
using swf::PayloadReader;
using swf::readActionRecord;

// The records of code, in order, read with the engine's own reader.
std::vector<ActionRecord> records(const std::vector<uint8_t>& code) {
    std::vector<ActionRecord> out;
    for (size_t at = 0; at < code.size();) {
        out.push_back(readActionRecord(code, at));
        at = out.back().next;
    }
    return out;
}

size_t branchTarget(const ActionRecord& r) {
    PayloadReader p(r.payload);
    return static_cast<size_t>(static_cast<int64_t>(r.next) + p.s16());
}

TEST(Avm1AssemblerTest, BranchesLandOnTheirLabelsForwardAndBackward) {
    Avm1Assembler a;
    const auto top = a.label(), out = a.label();
    a.bind(top).push({true}).branchIf(out).trace(std::string("x")).jump(top).bind(out).op(Action::Stop);
    const auto code = a.bytes();
    const auto r = records(code);
    ASSERT_EQ(r.size(), 6u);
    EXPECT_EQ(branchTarget(r[1]), r[5].offset);  // If -> Stop
    EXPECT_EQ(branchTarget(r[4]), 0u);           // Jump -> top
    EXPECT_EQ(r[5].code, 0x07);
}

TEST(Avm1AssemblerTest, NestedBodiesFollowTheirRecordsWithTheirSizes) {
    Avm1Assembler body;
    const auto skip = body.label();
    body.jump(skip).trace(std::string("never")).bind(skip).op(Action::Return);
    Avm1Assembler a;
    a.defineFunction2("f", 3, kPreloadThis | kSuppressArguments | kPreloadGlobal, {{1, "x"}, {0, "y"}}, body)
        .op(Action::Pop);
    const auto code = a.bytes();
    const ActionRecord def = readActionRecord(code, 0);
    PayloadReader p(def.payload);
    EXPECT_EQ(p.string(), "f");
    EXPECT_EQ(p.u16(), 2);
    EXPECT_EQ(p.u8(), 3);
    EXPECT_EQ(p.u16(), 0x0109);
    EXPECT_EQ(p.u8(), 1);
    EXPECT_EQ(p.string(), "x");
    EXPECT_EQ(p.u8(), 0);
    EXPECT_EQ(p.string(), "y");
    const uint16_t bodySize = p.u16();
    EXPECT_TRUE(p.atEnd());
    EXPECT_EQ(bodySize, body.size());
    EXPECT_EQ(code[def.next + bodySize], 0x17);  // Pop comes right after the body
    // The body's own branch still resolves inside it.
    const std::vector<uint8_t> bodyCode(code.begin() + def.next, code.begin() + def.next + bodySize);
    const auto inner = records(bodyCode);
    EXPECT_EQ(branchTarget(inner[0]), inner[3].offset);
}

TEST(Avm1AssemblerTest, TryRecordsItsThreeSizesAndCatchTarget) {
    Avm1Assembler tryBody, catchBody, finallyBody;
    tryBody.push({1.0}).op(Action::Throw);
    catchBody.op(Action::Trace);
    finallyBody.trace(std::string("done"));
    Avm1Assembler a;
    a.tryBlock({.tryBody = &tryBody, .catchRegister = 2, .catchBody = &catchBody, .finallyBody = &finallyBody});
    const auto code = a.bytes();
    const ActionRecord t = readActionRecord(code, 0);
    PayloadReader p(t.payload);
    EXPECT_EQ(p.u8(), 7);  // catch in register, finally, catch
    EXPECT_EQ(p.u16(), tryBody.size());
    EXPECT_EQ(p.u16(), catchBody.size());
    EXPECT_EQ(p.u16(), finallyBody.size());
    EXPECT_EQ(p.u8(), 2);
    EXPECT_EQ(code.size(), t.next + tryBody.size() + catchBody.size() + finallyBody.size());
}

TEST(Avm1AssemblerTest, PushWritesEveryTypeAsTheEngineReadsIt) {
    Avm1Assembler a;
    a.push({std::string("s"), PushFloat{1.5f}, PushNull{}, PushUndefined{}, PushRegister{4}, false, 0.1,
            PushInt{-2}, PushConstant{7}, PushConstant{300}});
    const auto code = a.bytes();
    PayloadReader p(readActionRecord(code, 0).payload);
    EXPECT_EQ(p.u8(), 0); EXPECT_EQ(p.string(), "s");
    EXPECT_EQ(p.u8(), 1); EXPECT_EQ(p.f32(), 1.5f);
    EXPECT_EQ(p.u8(), 2);
    EXPECT_EQ(p.u8(), 3);
    EXPECT_EQ(p.u8(), 4); EXPECT_EQ(p.u8(), 4);
    EXPECT_EQ(p.u8(), 5); EXPECT_EQ(p.u8(), 0);
    EXPECT_EQ(p.u8(), 6); EXPECT_EQ(p.f64(), 0.1);
    EXPECT_EQ(p.u8(), 7); EXPECT_EQ(static_cast<int32_t>(p.u32()), -2);
    EXPECT_EQ(p.u8(), 8); EXPECT_EQ(p.u8(), 7);
    EXPECT_EQ(p.u8(), 9); EXPECT_EQ(p.u16(), 300);
    EXPECT_TRUE(p.atEnd());
}

TEST(Avm1AssemblerTest, MisuseIsRefused) {
    Avm1Assembler unbound;
    unbound.jump(unbound.label());
    EXPECT_THROW(unbound.bytes(), std::logic_error);

    Avm1Assembler far;
    const auto end = far.label();
    far.jump(end).raw(std::vector<uint8_t>(40000, 0x17)).bind(end);
    EXPECT_THROW(far.bytes(), std::logic_error);

    Avm1Assembler big;
    EXPECT_THROW(big.push({std::string(70000, 'a')}), std::logic_error);
}

}  // namespace
}  // namespace velmora::test
