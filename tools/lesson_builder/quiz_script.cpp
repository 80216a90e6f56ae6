#include "quiz_script.h"

#include <string>

#include "support/avm1_assembler.h"

namespace velmora::lessons {

using test::Action;
using test::Avm1Assembler;

namespace {

// Pushes the value at a dotted path: the first part a variable, the rest members.
Avm1Assembler& path(Avm1Assembler& a, const std::string& dotted) {
    size_t start = 0;
    bool first = true;
    while (start <= dotted.size()) {
        size_t end = dotted.find('.', start);
        if (end == std::string::npos) end = dotted.size();
        const std::string part = dotted.substr(start, end - start);
        a.push({part}).op(first ? Action::GetVariable : Action::GetMember);
        first = false;
        start = end + 1;
    }
    return a;
}

// object.member = (the value `value` pushes)
template <typename F>
Avm1Assembler& assign(Avm1Assembler& a, const std::string& object, const std::string& member, F value) {
    path(a, object).push({member});
    value(a);
    return a.op(Action::SetMember);
}

// Calls object.method with the values `args` pushes (in reverse order, as the call takes them).
template <typename F>
Avm1Assembler& invoke(Avm1Assembler& a, const std::string& object, const std::string& method, int count, F args) {
    args(a);
    a.push({double(count)});
    path(a, object).push({method}).op(Action::CallMethod);
    return a;
}

Avm1Assembler& none(Avm1Assembler& a) { return a; }

// _global.Quiz.prototype[name] = function (params) { body }
void method(Avm1Assembler& a, const std::string& name, const std::vector<std::string>& params, const Avm1Assembler& body) {
    path(a, "_global.Quiz.prototype").push({name}).defineFunction("", params, body).op(Action::SetMember);
}

// host.field = text
void say(Avm1Assembler& a, const std::string& field, const std::string& text) {
    assign(a, "this.host", field, [&](Avm1Assembler& v) { v.push({text}); });
}

}  // namespace

std::vector<uint8_t> quizClassCode() {
    Avm1Assembler a;
    {
        Avm1Assembler ctor;
        assign(ctor, "this", "host", [](Avm1Assembler& v) { v.push({"host"}).op(Action::GetVariable); });
        path(a, "_global").push({"Quiz"}).defineFunction("", {"host"}, ctor).op(Action::SetMember);
    }
    {
        Avm1Assembler load;
        load.push({"doc"}).push({0.0, "XML"}).op(Action::NewObject).op(Action::DefineLocal);
        assign(load, "doc", "ignoreWhite", [](Avm1Assembler& v) { v.push({true}); });
        assign(load, "doc", "quiz", [](Avm1Assembler& v) { v.push({"this"}).op(Action::GetVariable); });
        Avm1Assembler onLoad;
        invoke(onLoad, "this.quiz", "loaded", 2, [](Avm1Assembler& v) {
            v.push({"this"}).op(Action::GetVariable).push({"ok"}).op(Action::GetVariable);
        }).op(Action::Pop);
        path(load, "doc").push({"onLoad"}).defineFunction("", {"ok"}, onLoad).op(Action::SetMember);
        invoke(load, "doc", "load", 1, [](Avm1Assembler& v) { v.push({"file"}).op(Action::GetVariable); }).op(Action::Pop);
        method(a, "load", {"file"}, load);
    }
    {
        Avm1Assembler loaded;
        auto fine = loaded.label();
        loaded.push({"ok"}).op(Action::GetVariable).branchIf(fine);
        say(loaded, "question", "题目读不到 The questions cannot be read");
        loaded.trace(std::string("quiz: no questions")).push({test::PushUndefined{}}).op(Action::Return);
        loaded.bind(fine);
        assign(loaded, "this", "first", [](Avm1Assembler& v) { path(v, "doc.firstChild.firstChild"); });
        invoke(loaded, "this", "show", 1, [](Avm1Assembler& v) { path(v, "this.first"); }).op(Action::Pop);
        method(a, "loaded", {"ok", "doc"}, loaded);
    }
    {
        Avm1Assembler show;
        assign(show, "this", "node", [](Avm1Assembler& v) { v.push({"item"}).op(Action::GetVariable); });
        show.push({"ask"});
        path(show, "item.firstChild").op(Action::DefineLocal);
        assign(show, "this.host", "question", [](Avm1Assembler& v) { path(v, "ask.firstChild.nodeValue"); });
        assign(show, "this.host", "choice0", [](Avm1Assembler& v) { path(v, "ask.nextSibling.firstChild.nodeValue"); });
        assign(show, "this.host", "choice1",
               [](Avm1Assembler& v) { path(v, "ask.nextSibling.nextSibling.firstChild.nodeValue"); });
        assign(show, "this.host", "choice2",
               [](Avm1Assembler& v) { path(v, "ask.nextSibling.nextSibling.nextSibling.firstChild.nodeValue"); });
        say(show, "feedback", "");
        say(show, "answer", "");
        show.push({"question: "});
        path(show, "this.host.question").op(Action::Add2).trace();
        method(a, "show", {"item"}, show);
    }
    {
        Avm1Assembler choose;
        invoke(choose, "this", "mark", 1, [](Avm1Assembler& v) {
            path(v, "this.host").push({"choice"}).push({"i"}).op(Action::GetVariable).op(Action::Add2).op(Action::GetMember);
        }).op(Action::Pop);
        method(a, "choose", {"i"}, choose);

        Avm1Assembler check;
        invoke(check, "this", "mark", 1, [](Avm1Assembler& v) { path(v, "this.host.answer"); }).op(Action::Pop);
        method(a, "check", {}, check);
    }
    {
        Avm1Assembler mark;
        auto right = mark.label(), done = mark.label();
        mark.push({"given"}).op(Action::GetVariable);
        path(mark, "this.node.attributes.answer").op(Action::Equals2).branchIf(right);
        say(mark, "feedback", "再想想 Try again");
        mark.push({"wrong: "}).push({"given"}).op(Action::GetVariable).op(Action::Add2).trace();
        mark.jump(done);
        mark.bind(right);
        say(mark, "feedback", "对了！ Right!");
        mark.push({"effect"});
        path(mark, "this.host").push({1.0, "Sound"}).op(Action::NewObject).op(Action::DefineLocal);
        invoke(mark, "effect", "attachSound", 1, [](Avm1Assembler& v) { v.push({"right"}); }).op(Action::Pop);
        invoke(mark, "effect", "start", 0, none).op(Action::Pop);
        mark.push({"right: "}).push({"given"}).op(Action::GetVariable).op(Action::Add2).trace();
        mark.bind(done);
        method(a, "mark", {"given"}, mark);
    }
    {
        Avm1Assembler next;
        auto found = next.label();
        next.push({"n"});
        path(next, "this.node.nextSibling").op(Action::DefineLocal);
        next.push({"n"}).op(Action::GetVariable).push({test::PushNull{}}).op(Action::Equals2).op(Action::Not).branchIf(found);
        next.push({"n"});
        path(next, "this.first").op(Action::SetVariable);
        next.bind(found);
        invoke(next, "this", "show", 1, [](Avm1Assembler& v) { v.push({"n"}).op(Action::GetVariable); }).op(Action::Pop);
        method(a, "next", {}, next);
    }
    return a.doActionBody();
}

std::vector<uint8_t> quizFrameCode(const char* xmlName) {
    Avm1Assembler a;
    a.push({"quiz"});
    a.push({"this"}).op(Action::GetVariable).push({1.0, "Quiz"}).op(Action::NewObject).op(Action::SetVariable);
    invoke(a, "quiz", "load", 1, [&](Avm1Assembler& v) { v.push({std::string(xmlName)}); }).op(Action::Pop);
    invoke(a, "Selection", "setFocus", 1, [](Avm1Assembler& v) { v.push({"answer_txt"}); }).op(Action::Pop);

    // String(100 + n).substr(1): two digits.
    const auto twoDigits = [](Avm1Assembler& v, const char* getter) {
        v.push({1.0, 1.0});
        v.push({100.0});
        invoke(v, "d", getter, 0, none).op(Action::Add2);
        v.push({1.0, "String"}).op(Action::CallFunction).push({"substr"}).op(Action::CallMethod);
    };
    Avm1Assembler tick;
    tick.push({"d"}).push({0.0, "Date"}).op(Action::NewObject).op(Action::DefineLocal);
    tick.push({"this"}).op(Action::GetVariable).push({"clock"});
    twoDigits(tick, "getHours");
    tick.push({":"}).op(Action::Add2);
    twoDigits(tick, "getMinutes");
    tick.op(Action::Add2).push({":"}).op(Action::Add2);
    twoDigits(tick, "getSeconds");
    tick.op(Action::Add2).op(Action::SetMember);
    a.push({"this"}).op(Action::GetVariable).push({"onEnterFrame"}).defineFunction("", {}, tick).op(Action::SetMember);
    return a.doActionBody();
}

std::vector<uint8_t> chooseCode(int choice) {
    Avm1Assembler a;
    invoke(a, "quiz", "choose", 1, [&](Avm1Assembler& v) { v.push({double(choice)}); }).op(Action::Pop);
    return a.doActionBody();
}

std::vector<uint8_t> checkCode() {
    Avm1Assembler a;
    invoke(a, "quiz", "check", 0, none).op(Action::Pop);
    return a.doActionBody();
}

std::vector<uint8_t> nextCode() {
    Avm1Assembler a;
    invoke(a, "quiz", "next", 0, none).op(Action::Pop);
    return a.doActionBody();
}

}  // namespace velmora::lessons
