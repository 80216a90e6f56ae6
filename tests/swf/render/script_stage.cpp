#include "script_stage.h"

#include "swf/format/movie_loader.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/script/vm.h"

namespace velmora::swf::test {

using velmora::test::Action;
using velmora::test::PushInt;

namespace {

void pushArg(Avm1Assembler& a, const Arg& arg) {
    if (const auto* v = std::get_if<Var>(&arg)) a.get(v->name);
    else a.push({std::get<PushItem>(arg)});
}

// Leaves the object a dotted path names on the stack.
void pushPath(Avm1Assembler& a, const std::string& path) {
    size_t dot = path.find('.');
    a.get(path.substr(0, dot));
    while (dot != std::string::npos) {
        const size_t next = path.find('.', dot + 1);
        a.push({path.substr(dot + 1, next == std::string::npos ? std::string::npos : next - dot - 1)})
            .op(Action::GetMember);
        dot = next;
    }
}

void pushArgs(Avm1Assembler& a, const std::vector<Arg>& args) {
    for (auto it = args.rbegin(); it != args.rend(); ++it) pushArg(a, *it);
    a.push({PushInt{int32_t(args.size())}});
}

}  // namespace

Avm1Assembler& call(Avm1Assembler& a, const std::string& target, const std::string& method,
                    const std::vector<Arg>& args, const std::string& into) {
    if (!into.empty()) a.push({into});
    pushArgs(a, args);
    pushPath(a, target);
    a.push({method}).op(Action::CallMethod);
    return a.op(into.empty() ? Action::Pop : Action::SetVariable);
}

Avm1Assembler& traceCall(Avm1Assembler& a, const std::string& target, const std::string& method,
                         const std::vector<Arg>& args) {
    pushArgs(a, args);
    pushPath(a, target);
    return a.push({method}).op(Action::CallMethod).trace();
}

Avm1Assembler& newBitmapData(Avm1Assembler& a, const std::string& into, const std::vector<Arg>& args) {
    a.push({into});
    pushArgs(a, args);
    pushPath(a, "flash.display");
    return a.push({"BitmapData"}).op(Action::NewMethod).op(Action::SetVariable);
}

Avm1Assembler& setObject(Avm1Assembler& a, const std::string& into,
                         const std::vector<std::pair<std::string, PushItem>>& fields) {
    a.push({into});
    for (const auto& [key, value] : fields) a.push({key, value});
    return a.push({PushInt{int32_t(fields.size())}}).op(Action::InitObject).op(Action::SetVariable);
}

Avm1Assembler& setArray(Avm1Assembler& a, const std::string& into, const std::vector<PushItem>& items) {
    return a.push({into}).initArray(items).op(Action::SetVariable);
}

ScriptStage::ScriptStage(const Avm1Assembler& code, const std::function<void(velmora::test::SwfWriter&)>& setup,
                         MovieInstance::Options options) {
    velmora::test::SwfWriter swf(8);
    swf.stageSizePixels(100, 100);
    if (setup) setup(swf);
    swf.doAction(code.doActionBody()).showFrame();
    const auto bytes = swf.bytes();
    movie = parseMovie(bytes);
    pictures = std::make_unique<BitmapDataPainter>(movie);
    options.pictures = pictures.get();
    textMeasure = std::make_unique<FieldTextMeasure>(movie);
    options.textMeasure = textMeasure.get();
    instance = std::make_unique<MovieInstance>(movie, options);
    resources.setMovie(movie);
}

void ScriptStage::run(const Avm1Assembler& code) {
    instance->vm().runBlock(std::make_shared<const std::vector<uint8_t>>(code.doActionBody()), instance->root());
    instance->runPendingActions();
}

QImage ScriptStage::render() {
    StageRenderer renderer(resources);
    return renderer.renderImage(instance->root(), movie->stage, {100, 100}, Qt::white);
}

std::vector<std::string> ScriptStage::messages() const {
    return {instance->messages().begin(), instance->messages().end()};
}

std::vector<std::string> ScriptStage::traces() const {
    std::vector<std::string> out;
    for (const std::string& m : messages())
        if (m.rfind("trace: ", 0) == 0) out.push_back(m.substr(7));
    return out;
}

}  // namespace velmora::swf::test
