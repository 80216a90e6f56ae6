#include "host_script.h"

#include "support/swf_writer.h"
#include "swf/format/movie_loader.h"

namespace velmora::test {

namespace {

std::vector<std::string> split(const std::string& path) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t dot; (dot = path.find('.', from)) != std::string::npos; from = dot + 1)
        parts.push_back(path.substr(from, dot - from));
    parts.push_back(path.substr(from));
    return parts;
}

// Pushes the object that holds the last part of path, and the last part's name.
Avm1Assembler& pushHolder(Avm1Assembler& a, const std::string& path) {
    const size_t dot = path.rfind('.');
    pushPath(a, path.substr(0, dot));
    return a.push({path.substr(dot + 1)});
}

void pushArgs(Avm1Assembler& a, const std::vector<PushItem>& args) {
    std::vector<PushItem> items(args.rbegin(), args.rend());
    items.emplace_back(PushInt{static_cast<int32_t>(args.size())});
    a.push(items);
}

}  // namespace

Avm1Assembler& pushPath(Avm1Assembler& a, const std::string& path) {
    const std::vector<std::string> parts = split(path);
    a.get(parts[0]);
    for (size_t i = 1; i < parts.size(); ++i) a.push({parts[i]}).op(Action::GetMember);
    return a;
}

Avm1Assembler& callPath(Avm1Assembler& a, const std::string& path, const std::vector<PushItem>& args) {
    pushArgs(a, args);
    if (path.find('.') == std::string::npos) return a.push({path}).op(Action::CallFunction);
    return pushHolder(a, path).op(Action::CallMethod);
}

Avm1Assembler& callWithVars(Avm1Assembler& a, const std::string& path, const std::vector<std::string>& variables) {
    for (auto it = variables.rbegin(); it != variables.rend(); ++it) a.get(*it);
    a.push({PushInt{static_cast<int32_t>(variables.size())}});
    return pushHolder(a, path).op(Action::CallMethod);
}

Avm1Assembler& setNew(Avm1Assembler& a, const std::string& variable, const std::string& classPath,
                      const std::vector<PushItem>& args) {
    a.push({variable});
    pushArgs(a, args);
    if (classPath.find('.') == std::string::npos) {
        a.push({classPath}).op(Action::NewObject);
    } else {
        pushHolder(a, classPath).op(Action::NewMethod);
    }
    return a.op(Action::SetVariable);
}

Avm1Assembler& setPath(Avm1Assembler& a, const std::string& path, const PushItem& value) {
    return pushHolder(a, path).push({value}).op(Action::SetMember);
}

Avm1Assembler& tracePath(Avm1Assembler& a, const std::string& path) { return pushPath(a, path).trace(); }

Avm1Assembler& traceCall(Avm1Assembler& a, const std::string& path, const std::vector<PushItem>& args) {
    return callPath(a, path, args).trace();
}

std::unique_ptr<swf::MovieInstance> playWithBox(const Avm1Assembler& script) {
    SwfTagList content;
    content.placeObject2({.depth = 1, .characterId = 1});
    content.showFrame();
    SwfWriter swf(10);
    swf.stageSizePixels(200, 100);
    swf.defineRectangle(1, 0, 0, 800, 800, {255, 0, 0});
    swf.defineSprite(2, content);
    swf.placeObject2({.depth = 1, .characterId = 2, .matrix = WriterMatrix{.translateX = 200, .translateY = 200}, .name = "box"});
    swf.doAction(script.doActionBody());
    swf.showFrame();
    const auto bytes = swf.bytes();
    return std::make_unique<swf::MovieInstance>(swf::parseMovie(bytes), swf::MovieInstance::Options{});
}

std::vector<std::string> traceLines(const swf::MovieInstance& movie) {
    std::vector<std::string> out;
    for (const std::string& m : movie.messages()) {
        if (m.rfind("trace: ", 0) == 0) out.push_back(m.substr(7));
    }
    return out;
}

}  // namespace velmora::test
