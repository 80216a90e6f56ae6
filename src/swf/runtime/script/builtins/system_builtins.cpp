// System: what the player is (capabilities), its security calls, the code page of loaded text,
// and the settings a browser plug-in had, which a desktop player answers without effect.
#include <cstdlib>
#include <string>

#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/library_classes.h"
#include "swf/runtime/script/url_escape.h"

namespace velmora::swf::script {

namespace {

Value nothing(CallContext&, const Value&, std::span<const Value>) { return Value(); }

// The user's language as the capabilities give it: "zh-CN" and "zh-TW" for Chinese, else the
// two-letter code ("en" when the environment does not say).
std::string language() {
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    for (const char* name : names) {
        const char* value = std::getenv(name);
        if (!value || *value == '\0') continue;
        const std::string v(value);
        // The C locale ("C", "C.UTF-8", "POSIX") names no language: the next setting may.
        const auto letter = [](char c) { return c >= 'a' && c <= 'z'; };
        if (v.size() < 2 || !letter(v[0]) || !letter(v[1])) continue;
        if (v.rfind("zh", 0) == 0) return v.find("TW") != std::string::npos || v.find("HK") != std::string::npos ? "zh-TW" : "zh-CN";
        return v.substr(0, 2);
    }
    return "en";
}

// setClipboard(text): the text replaces what the desktop's clipboard holds; true when it did.
Value setClipboard(CallContext& cx, const Value&, std::span<const Value> args) {
    const auto& sink = cx.vm.movie().clipboardSink();
    if (!sink || args.empty()) return Value::boolean(false);
    return Value::boolean(sink(cx.toStdString(args[0])));
}

Value capabilitiesVersion(CallContext& cx, const Value&, std::span<const Value>) {
    const Value getVersion = cx.vm.getMember(Value::object(cx.vm.global()), cx.vm.key("getVersion"));
    return cx.call(getVersion, Value::undefined(), {});
}

}  // namespace

void installSystem(Vm& vm) {
    Object* system = vm.newObject();
    vm.global()->put(vm.key("System"), vm.name("System"), Value::object(system), kDontEnum);
    defineValue(vm, system, "useCodepage", Value::boolean(false), 0);
    defineValue(vm, system, "exactSettings", Value::boolean(true), 0);
    defineMethods(vm, system, {{"setClipboard", setClipboard, 1}, {"showSettings", nothing, 1}});

    Object* security = vm.newObject();
    defineValue(vm, system, "security", Value::object(security));
    defineMethods(vm, security,
                  {{"allowDomain", nothing, 1}, {"allowInsecureDomain", nothing, 1}, {"loadPolicyFile", nothing, 1}});
    defineValue(vm, security, "sandboxType", Value::string(vm.name("localTrusted")));

    // A stand-alone player on a Linux desktop.
    Object* caps = vm.newObject();
    defineValue(vm, system, "capabilities", Value::object(caps));
    const std::string lang = language();
    const std::pair<const char*, Value> values[] = {
        {"os", Value::string(vm.name("Linux"))},
        {"manufacturer", Value::string(vm.name("Adobe Linux"))},
        {"playerType", Value::string(vm.name("StandAlone"))},
        {"language", Value::string(vm.name(lang))},
        {"screenResolutionX", Value::number(1920)},
        {"screenResolutionY", Value::number(1080)},
        {"screenDPI", Value::number(96)},
        {"screenColor", Value::string(vm.name("color"))},
        {"pixelAspectRatio", Value::number(1)},
        {"hasAudio", Value::boolean(true)},
        {"hasMP3", Value::boolean(true)},
        {"hasAudioEncoder", Value::boolean(false)},
        {"hasVideoEncoder", Value::boolean(false)},
        {"hasStreamingAudio", Value::boolean(true)},
        {"hasStreamingVideo", Value::boolean(true)},
        {"hasEmbeddedVideo", Value::boolean(true)},
        {"hasPrinting", Value::boolean(false)},
        {"hasScreenBroadcast", Value::boolean(false)},
        {"hasScreenPlayback", Value::boolean(false)},
        {"hasAccessibility", Value::boolean(false)},
        {"hasIME", Value::boolean(true)},
        {"hasTLS", Value::boolean(false)},
        {"isDebugger", Value::boolean(false)},
        {"localFileReadDisable", Value::boolean(false)},
        {"avHardwareDisable", Value::boolean(true)},
        {"windowlessDisable", Value::boolean(true)},
    };
    std::string serverString;
    for (const auto& [name, value] : values) {
        defineValue(vm, caps, name, value, 0);
        if (!serverString.empty()) serverString += '&';
        serverString += std::string(name) + "=" + escapeText(vm.toString(value)->text(), vm.version());
    }
    FunctionObject* getVersion = makeNative(vm, capabilitiesVersion);
    caps->put(vm.key("version"), vm.name("version"), Value::string(vm.toString(vm.call(Value::object(getVersion), Value(), {}))), 0);
    defineValue(vm, caps, "serverString", Value::string(vm.heap().string(serverString)), 0);
}

}  // namespace velmora::swf::script
