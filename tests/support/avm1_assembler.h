#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace velmora::test {

// The ActionScript 1/2 action codes, by the names the format gives them.
enum class Action : uint8_t {
    End = 0x00,
    NextFrame = 0x04, PrevFrame = 0x05, Play = 0x06, Stop = 0x07, ToggleQuality = 0x08, StopSounds = 0x09,
    Add = 0x0A, Subtract = 0x0B, Multiply = 0x0C, Divide = 0x0D, Equals = 0x0E, Less = 0x0F,
    And = 0x10, Or = 0x11, Not = 0x12, StringEquals = 0x13, StringLength = 0x14, StringExtract = 0x15,
    Pop = 0x17, ToInteger = 0x18, GetVariable = 0x1C, SetVariable = 0x1D,
    SetTarget2 = 0x20, StringAdd = 0x21, GetProperty = 0x22, SetProperty = 0x23, CloneSprite = 0x24,
    RemoveSprite = 0x25, Trace = 0x26, StartDrag = 0x27, EndDrag = 0x28, StringLess = 0x29,
    Throw = 0x2A, CastOp = 0x2B, ImplementsOp = 0x2C,
    RandomNumber = 0x30, MBStringLength = 0x31, CharToAscii = 0x32, AsciiToChar = 0x33, GetTime = 0x34,
    MBStringExtract = 0x35, MBCharToAscii = 0x36, MBAsciiToChar = 0x37,
    Delete = 0x3A, Delete2 = 0x3B, DefineLocal = 0x3C, CallFunction = 0x3D, Return = 0x3E, Modulo = 0x3F,
    NewObject = 0x40, DefineLocal2 = 0x41, InitArray = 0x42, InitObject = 0x43, TypeOf = 0x44,
    TargetPath = 0x45, Enumerate = 0x46, Add2 = 0x47, Less2 = 0x48, Equals2 = 0x49, ToNumber = 0x4A,
    ToString = 0x4B, PushDuplicate = 0x4C, StackSwap = 0x4D, GetMember = 0x4E, SetMember = 0x4F,
    Increment = 0x50, Decrement = 0x51, CallMethod = 0x52, NewMethod = 0x53, InstanceOf = 0x54,
    Enumerate2 = 0x55,
    BitAnd = 0x60, BitOr = 0x61, BitXor = 0x62, BitLShift = 0x63, BitRShift = 0x64, BitURShift = 0x65,
    StrictEquals = 0x66, Greater = 0x67, StringGreater = 0x68, Extends = 0x69,
    // Records with a payload; the assembler has a method for each.
    GotoFrame = 0x81, GetURL = 0x83, StoreRegister = 0x87, ConstantPool = 0x88, WaitForFrame = 0x8A,
    SetTarget = 0x8B, GoToLabel = 0x8C, WaitForFrame2 = 0x8D, DefineFunction2 = 0x8E, Try = 0x8F,
    With = 0x94, Push = 0x96, Jump = 0x99, GetURL2 = 0x9A, DefineFunction = 0x9B, If = 0x9D, Call = 0x9E,
    GotoFrame2 = 0x9F,
};

// The preload and suppress flags of DefineFunction2, as the record stores them.
enum Function2Flags : uint16_t {
    kPreloadThis = 0x0001,
    kSuppressThis = 0x0002,
    kPreloadArguments = 0x0004,
    kSuppressArguments = 0x0008,
    kPreloadSuper = 0x0010,
    kSuppressSuper = 0x0020,
    kPreloadRoot = 0x0040,
    kPreloadParent = 0x0080,
    kPreloadGlobal = 0x0100,
};

// One value of a Push record, in the record's own types.
struct PushFloat { float value; };         // type 1: a 32-bit float
struct PushNull {};                        // type 2
struct PushUndefined {};                   // type 3
struct PushRegister { uint8_t index; };    // type 4
struct PushInt { int32_t value; };         // type 7
// type 8 when index fits a byte, else type 9; wide forces type 9.
struct PushConstant { uint16_t index; bool wide = false; };
using PushItem = std::variant<std::string, PushFloat, PushNull, PushUndefined, PushRegister, bool, double,
                              PushInt, PushConstant>;

class Avm1Assembler;

// A DefineFunction2 parameter: register 0 keeps it in a local variable instead.
struct Function2Param {
    uint8_t reg = 0;
    std::string name;
};

// Assembles ActionScript 1/2 byte code for tests, one action per call, so that a test states its
// program readably:
//
//   Avm1Assembler a;
//   auto loop = a.label(), done = a.label();
//   a.push({"i", 0.0}).op(Action::SetVariable)
//    .bind(loop).push({"i"}).op(Action::GetVariable).push({3.0}).op(Action::Less2).op(Action::Not)
//    .branchIf(done)
//    ...
//    .jump(loop).bind(done);
//   swf.doAction(a.doActionBody());
//
// Branches go to labels, forward or backward, and are resolved when the bytes are taken. Function,
// with and try bodies are assemblers of their own, appended whole; a branch cannot leave its body.
// Every method returns *this, so calls chain. Misuse raises std::logic_error: a record too long
// for the format at once; a label never bound or bound twice, or a branch too far for its 16-bit
// offset, when the bytes are taken.
class Avm1Assembler {
public:
    using Label = size_t;

    // A new label; bind it where it should point.
    Label label();
    Avm1Assembler& bind(Label label);

    // An action without payload (codes below 0x80).
    Avm1Assembler& op(Action action) { return op(static_cast<uint8_t>(action)); }
    // Any byte, as it is: for codes the engine does not know.
    Avm1Assembler& op(uint8_t code);
    // Any record with its payload as given (a length field is written for codes from 0x80 on).
    Avm1Assembler& record(uint8_t code, std::span<const uint8_t> payload);
    Avm1Assembler& record(Action action, std::span<const uint8_t> payload) {
        return record(static_cast<uint8_t>(action), payload);
    }
    // Raw bytes with no record structure: for damaged code.
    Avm1Assembler& raw(std::span<const uint8_t> bytes);

    Avm1Assembler& push(std::initializer_list<PushItem> items);
    Avm1Assembler& push(const std::vector<PushItem>& items);
    Avm1Assembler& constantPool(const std::vector<std::string>& strings);

    Avm1Assembler& jump(Label target);
    Avm1Assembler& branchIf(Label target);
    // Branches by a raw byte offset from the end of the record (may point anywhere).
    Avm1Assembler& jumpBy(int16_t offset);
    Avm1Assembler& branchIfBy(int16_t offset);

    Avm1Assembler& defineFunction(const std::string& name, const std::vector<std::string>& params,
                                  const Avm1Assembler& body);
    Avm1Assembler& defineFunction2(const std::string& name, uint8_t registerCount, uint16_t flags,
                                   const std::vector<Function2Param>& params, const Avm1Assembler& body);

    // try { tryBody } catch (name or register) { catchBody } finally { finallyBody }. Without
    // a catch body the catch flag is clear; without a finally body the finally flag is.
    struct TryBlock {
        const Avm1Assembler* tryBody = nullptr;
        std::optional<std::string> catchName;   // catch into a variable...
        std::optional<uint8_t> catchRegister;   // ...or into a register
        const Avm1Assembler* catchBody = nullptr;
        const Avm1Assembler* finallyBody = nullptr;
    };
    Avm1Assembler& tryBlock(const TryBlock& block);
    Avm1Assembler& with(const Avm1Assembler& body);

    Avm1Assembler& storeRegister(uint8_t index);
    Avm1Assembler& gotoFrame(uint16_t frame);
    Avm1Assembler& gotoLabel(const std::string& label);
    Avm1Assembler& gotoFrame2(bool play, std::optional<uint16_t> sceneBias = {});
    Avm1Assembler& getUrl(const std::string& url, const std::string& target);
    Avm1Assembler& getUrl2(uint8_t flags);
    Avm1Assembler& setTarget(const std::string& target);
    Avm1Assembler& waitForFrame(uint16_t frame, uint8_t skip);
    Avm1Assembler& waitForFrame2(uint8_t skip);
    Avm1Assembler& call();

    // Shorthands the tests use most.
    Avm1Assembler& trace() { return op(Action::Trace); }
    // trace(value)
    Avm1Assembler& trace(const PushItem& value) { return push({value}).op(Action::Trace); }
    // name = value
    Avm1Assembler& set(const std::string& name, const PushItem& value) {
        return push({name, value}).op(Action::SetVariable);
    }
    Avm1Assembler& get(const std::string& name) { return push({name}).op(Action::GetVariable); }
    // name(args...): pushes the arguments in reverse, their count, the name; leaves the result.
    Avm1Assembler& callFunction(const std::string& name, const std::vector<PushItem>& args);

    // variable.method(args...): leaves the result.
    Avm1Assembler& callMethod(const std::string& variable, const std::string& method, const std::vector<PushItem>& args);
    // new name(args...): leaves the object.
    Avm1Assembler& newObject(const std::string& name, const std::vector<PushItem>& args);
    // [items...]: leaves the array.
    Avm1Assembler& initArray(const std::vector<PushItem>& items);

    // The code with branches resolved.
    std::vector<uint8_t> bytes() const;
    // The code followed by an End action: a DoAction body.
    std::vector<uint8_t> doActionBody() const;
    size_t size() const { return code_.size(); }

private:
    struct Branch {
        size_t field;  // where the 16-bit offset goes
        size_t next;   // the offset counts from here
        Label target;
    };
    Avm1Assembler& branch(Action action, Label target);

    std::vector<uint8_t> code_;
    std::vector<std::optional<size_t>> labels_;
    std::vector<Branch> branches_;
    std::vector<Label> doubleBound_;
};

}  // namespace velmora::test
