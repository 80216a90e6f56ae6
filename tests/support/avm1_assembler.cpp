#include "support/avm1_assembler.h"

#include <cstring>
#include <limits>
#include <stdexcept>

namespace velmora::test {

namespace {

void putU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void putU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

void putString(std::vector<uint8_t>& out, const std::string& s) {
    if (s.find('\0') != std::string::npos) throw std::logic_error("a string of the byte code holds a NUL");
    out.insert(out.end(), s.begin(), s.end());
    out.push_back(0);
}

uint16_t size16(size_t size, const char* what) {
    if (size > std::numeric_limits<uint16_t>::max()) throw std::logic_error(std::string(what) + " too long");
    return static_cast<uint16_t>(size);
}

// Writes one push value with its type byte.
void putPushItem(std::vector<uint8_t>& out, const PushItem& item) {
    struct Visitor {
        std::vector<uint8_t>& out;
        void operator()(const std::string& s) { out.push_back(0); putString(out, s); }
        void operator()(PushFloat f) {
            uint32_t bits;
            std::memcpy(&bits, &f.value, sizeof bits);
            out.push_back(1);
            putU32(out, bits);
        }
        void operator()(PushNull) { out.push_back(2); }
        void operator()(PushUndefined) { out.push_back(3); }
        void operator()(PushRegister r) { out.push_back(4); out.push_back(r.index); }
        void operator()(bool b) { out.push_back(5); out.push_back(b ? 1 : 0); }
        void operator()(double d) {
            // The format keeps a double as its two 32-bit halves, high half first.
            uint64_t bits;
            std::memcpy(&bits, &d, sizeof bits);
            out.push_back(6);
            putU32(out, uint32_t(bits >> 32));
            putU32(out, uint32_t(bits));
        }
        void operator()(PushInt i) { out.push_back(7); putU32(out, uint32_t(i.value)); }
        void operator()(PushConstant c) {
            if (c.index > 0xFF || c.wide) {
                out.push_back(9);
                putU16(out, c.index);
            } else {
                out.push_back(8);
                out.push_back(uint8_t(c.index));
            }
        }
    };
    std::visit(Visitor{out}, item);
}

}  // namespace

Avm1Assembler::Label Avm1Assembler::label() {
    labels_.emplace_back();
    return labels_.size() - 1;
}

Avm1Assembler& Avm1Assembler::bind(Label label) {
    if (labels_.at(label)) doubleBound_.push_back(label);
    labels_.at(label) = code_.size();
    return *this;
}

Avm1Assembler& Avm1Assembler::op(uint8_t code) {
    code_.push_back(code);
    return *this;
}

Avm1Assembler& Avm1Assembler::record(uint8_t code, std::span<const uint8_t> payload) {
    code_.push_back(code);
    if (code >= 0x80) putU16(code_, size16(payload.size(), "record"));
    code_.insert(code_.end(), payload.begin(), payload.end());
    return *this;
}

Avm1Assembler& Avm1Assembler::raw(std::span<const uint8_t> bytes) {
    code_.insert(code_.end(), bytes.begin(), bytes.end());
    return *this;
}

Avm1Assembler& Avm1Assembler::push(std::initializer_list<PushItem> items) {
    std::vector<uint8_t> payload;
    for (const PushItem& item : items) putPushItem(payload, item);
    return record(Action::Push, payload);
}

Avm1Assembler& Avm1Assembler::push(const std::vector<PushItem>& items) {
    std::vector<uint8_t> payload;
    for (const PushItem& item : items) putPushItem(payload, item);
    return record(Action::Push, payload);
}

Avm1Assembler& Avm1Assembler::constantPool(const std::vector<std::string>& strings) {
    std::vector<uint8_t> payload;
    putU16(payload, size16(strings.size(), "constant pool"));
    for (const std::string& s : strings) putString(payload, s);
    return record(Action::ConstantPool, payload);
}

Avm1Assembler& Avm1Assembler::branch(Action action, Label target) {
    if (target >= labels_.size()) throw std::logic_error("branch to a label of another assembler");
    record(action, std::vector<uint8_t>{0, 0});
    branches_.push_back({code_.size() - 2, code_.size(), target});
    return *this;
}

Avm1Assembler& Avm1Assembler::jump(Label target) { return branch(Action::Jump, target); }
Avm1Assembler& Avm1Assembler::branchIf(Label target) { return branch(Action::If, target); }

Avm1Assembler& Avm1Assembler::jumpBy(int16_t offset) {
    return record(Action::Jump, std::vector<uint8_t>{uint8_t(offset), uint8_t(uint16_t(offset) >> 8)});
}

Avm1Assembler& Avm1Assembler::branchIfBy(int16_t offset) {
    return record(Action::If, std::vector<uint8_t>{uint8_t(offset), uint8_t(uint16_t(offset) >> 8)});
}

Avm1Assembler& Avm1Assembler::defineFunction(const std::string& name, const std::vector<std::string>& params,
                                              const Avm1Assembler& body) {
    const std::vector<uint8_t> code = body.bytes();
    std::vector<uint8_t> payload;
    putString(payload, name);
    putU16(payload, size16(params.size(), "parameter list"));
    for (const std::string& p : params) putString(payload, p);
    putU16(payload, size16(code.size(), "function body"));
    record(Action::DefineFunction, payload);
    return raw(code);
}

Avm1Assembler& Avm1Assembler::defineFunction2(const std::string& name, uint8_t registerCount, uint16_t flags,
                                               const std::vector<Function2Param>& params,
                                               const Avm1Assembler& body) {
    const std::vector<uint8_t> code = body.bytes();
    std::vector<uint8_t> payload;
    putString(payload, name);
    putU16(payload, size16(params.size(), "parameter list"));
    payload.push_back(registerCount);
    putU16(payload, flags);
    for (const Function2Param& p : params) {
        payload.push_back(p.reg);
        putString(payload, p.name);
    }
    putU16(payload, size16(code.size(), "function body"));
    record(Action::DefineFunction2, payload);
    return raw(code);
}

Avm1Assembler& Avm1Assembler::tryBlock(const TryBlock& block) {
    if (block.catchName && block.catchRegister) throw std::logic_error("catch into a name and a register");
    const std::vector<uint8_t> tryCode = block.tryBody ? block.tryBody->bytes() : std::vector<uint8_t>{};
    const std::vector<uint8_t> catchCode = block.catchBody ? block.catchBody->bytes() : std::vector<uint8_t>{};
    const std::vector<uint8_t> finallyCode = block.finallyBody ? block.finallyBody->bytes() : std::vector<uint8_t>{};
    std::vector<uint8_t> payload;
    payload.push_back(uint8_t((block.catchRegister ? 4 : 0) | (block.finallyBody ? 2 : 0) | (block.catchBody ? 1 : 0)));
    putU16(payload, size16(tryCode.size(), "try body"));
    putU16(payload, size16(catchCode.size(), "catch body"));
    putU16(payload, size16(finallyCode.size(), "finally body"));
    if (block.catchRegister) payload.push_back(*block.catchRegister);
    else putString(payload, block.catchName.value_or(""));
    record(Action::Try, payload);
    raw(tryCode);
    raw(catchCode);
    return raw(finallyCode);
}

Avm1Assembler& Avm1Assembler::with(const Avm1Assembler& body) {
    const std::vector<uint8_t> code = body.bytes();
    std::vector<uint8_t> payload;
    putU16(payload, size16(code.size(), "with body"));
    record(Action::With, payload);
    return raw(code);
}

Avm1Assembler& Avm1Assembler::storeRegister(uint8_t index) {
    return record(Action::StoreRegister, std::vector<uint8_t>{index});
}

Avm1Assembler& Avm1Assembler::gotoFrame(uint16_t frame) {
    std::vector<uint8_t> payload;
    putU16(payload, frame);
    return record(Action::GotoFrame, payload);
}

Avm1Assembler& Avm1Assembler::gotoLabel(const std::string& label) {
    std::vector<uint8_t> payload;
    putString(payload, label);
    return record(Action::GoToLabel, payload);
}

Avm1Assembler& Avm1Assembler::gotoFrame2(bool play, std::optional<uint16_t> sceneBias) {
    std::vector<uint8_t> payload{uint8_t((sceneBias ? 2 : 0) | (play ? 1 : 0))};
    if (sceneBias) putU16(payload, *sceneBias);
    return record(Action::GotoFrame2, payload);
}

Avm1Assembler& Avm1Assembler::getUrl(const std::string& url, const std::string& target) {
    std::vector<uint8_t> payload;
    putString(payload, url);
    putString(payload, target);
    return record(Action::GetURL, payload);
}

Avm1Assembler& Avm1Assembler::getUrl2(uint8_t flags) { return record(Action::GetURL2, std::vector<uint8_t>{flags}); }

Avm1Assembler& Avm1Assembler::setTarget(const std::string& target) {
    std::vector<uint8_t> payload;
    putString(payload, target);
    return record(Action::SetTarget, payload);
}

Avm1Assembler& Avm1Assembler::waitForFrame(uint16_t frame, uint8_t skip) {
    std::vector<uint8_t> payload;
    putU16(payload, frame);
    payload.push_back(skip);
    return record(Action::WaitForFrame, payload);
}

Avm1Assembler& Avm1Assembler::waitForFrame2(uint8_t skip) {
    return record(Action::WaitForFrame2, std::vector<uint8_t>{skip});
}

Avm1Assembler& Avm1Assembler::call() { return record(Action::Call, std::span<const uint8_t>{}); }

Avm1Assembler& Avm1Assembler::callFunction(const std::string& name, const std::vector<PushItem>& args) {
    std::vector<PushItem> items(args.rbegin(), args.rend());
    items.emplace_back(PushInt{static_cast<int32_t>(args.size())});
    items.emplace_back(name);
    return push(items).op(Action::CallFunction);
}

Avm1Assembler& Avm1Assembler::callMethod(const std::string& variable, const std::string& method,
                                         const std::vector<PushItem>& args) {
    std::vector<PushItem> items(args.rbegin(), args.rend());
    items.emplace_back(PushInt{static_cast<int32_t>(args.size())});
    items.emplace_back(variable);
    push(items).op(Action::GetVariable);
    return push({method}).op(Action::CallMethod);
}

Avm1Assembler& Avm1Assembler::newObject(const std::string& name, const std::vector<PushItem>& args) {
    std::vector<PushItem> items(args.rbegin(), args.rend());
    items.emplace_back(PushInt{static_cast<int32_t>(args.size())});
    items.emplace_back(name);
    return push(items).op(Action::NewObject);
}

Avm1Assembler& Avm1Assembler::initArray(const std::vector<PushItem>& items) {
    std::vector<PushItem> reversed(items.rbegin(), items.rend());
    reversed.emplace_back(PushInt{static_cast<int32_t>(items.size())});
    return push(reversed).op(Action::InitArray);
}

std::vector<uint8_t> Avm1Assembler::bytes() const {
    if (!doubleBound_.empty()) throw std::logic_error("a label bound twice");
    std::vector<uint8_t> out = code_;
    for (const Branch& b : branches_) {
        const std::optional<size_t>& at = labels_[b.target];
        if (!at) throw std::logic_error("a branch to a label never bound");
        const auto offset = static_cast<int64_t>(*at) - static_cast<int64_t>(b.next);
        if (offset < std::numeric_limits<int16_t>::min() || offset > std::numeric_limits<int16_t>::max()) {
            throw std::logic_error("a branch too far for its offset");
        }
        const auto field = static_cast<uint16_t>(static_cast<int16_t>(offset));
        out[b.field] = uint8_t(field);
        out[b.field + 1] = uint8_t(field >> 8);
    }
    return out;
}

std::vector<uint8_t> Avm1Assembler::doActionBody() const {
    std::vector<uint8_t> out = bytes();
    out.push_back(0x00);
    return out;
}

}  // namespace velmora::test
