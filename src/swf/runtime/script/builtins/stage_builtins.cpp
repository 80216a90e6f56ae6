// Stage: the movie's view of the area it plays in. The scale mode, alignment and menu switch
// are kept on the movie instance, where the view reads them.
#include <string>

#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/host_classes.h"
#include "swf/runtime/script/stage_host.h"

namespace velmora::swf::script {

namespace {

using ScaleMode = StageSettings::ScaleMode;

constexpr const char* kModeNames[] = {"showAll", "noScale", "exactFit", "noBorder"};

StageSettings& settings(CallContext& cx) { return cx.vm.movie().stageSettings(); }

// Unscaled, the stage is the view's area; otherwise the movie's own size.
double stageSize(CallContext& cx, bool width) {
    const StageSettings& s = settings(cx);
    const int view = width ? s.viewWidth : s.viewHeight;
    if (s.scaleMode == ScaleMode::NoScale && view > 0) return view;
    const Rect& stage = cx.vm.movie().movie().stage;
    return double(width ? stage.width() : stage.height()) / kTwipsPerPixel;
}

Value getWidth(CallContext& cx, const Value&, std::span<const Value>) { return Value::number(stageSize(cx, true)); }
Value getHeight(CallContext& cx, const Value&, std::span<const Value>) { return Value::number(stageSize(cx, false)); }

Value getScaleMode(CallContext& cx, const Value&, std::span<const Value>) {
    return cx.stringValue(kModeNames[int(settings(cx).scaleMode)]);
}

// Names are taken without regard to case; others are ignored.
Value setScaleMode(CallContext& cx, const Value&, std::span<const Value> args) {
    std::string name = cx.toStdString(arg(args, 0));
    for (char& ch : name) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    for (int i = 0; i < 4; ++i) {
        std::string known = kModeNames[i];
        for (char& ch : known) ch = char(std::tolower(static_cast<unsigned char>(ch)));
        if (name == known && settings(cx).scaleMode != ScaleMode(i)) {
            settings(cx).scaleMode = ScaleMode(i);
            cx.vm.movie().noteChange();
        }
    }
    return Value();
}

Value getAlign(CallContext& cx, const Value&, std::span<const Value>) {
    const uint8_t a = settings(cx).align;
    std::string text;
    if (a & StageSettings::AlignTop) text += 'T';
    if (a & StageSettings::AlignBottom) text += 'B';
    if (a & StageSettings::AlignLeft) text += 'L';
    if (a & StageSettings::AlignRight) text += 'R';
    return cx.stringValue(text);
}

// Letters T, B, L, R in any order and case; a pair of opposites cancels to the centre.
Value setAlign(CallContext& cx, const Value&, std::span<const Value> args) {
    uint8_t a = 0;
    for (char ch : cx.toStdString(arg(args, 0))) {
        switch (std::toupper(static_cast<unsigned char>(ch))) {
            case 'T': a |= StageSettings::AlignTop; break;
            case 'B': a |= StageSettings::AlignBottom; break;
            case 'L': a |= StageSettings::AlignLeft; break;
            case 'R': a |= StageSettings::AlignRight; break;
            default: break;
        }
    }
    if ((a & 3) == 3) a &= uint8_t(~3);
    if ((a & 12) == 12) a &= uint8_t(~12);
    settings(cx).align = a;
    cx.vm.movie().noteChange();
    return Value();
}

Value getShowMenu(CallContext& cx, const Value&, std::span<const Value>) { return Value::boolean(settings(cx).showMenu); }

Value setShowMenu(CallContext& cx, const Value&, std::span<const Value> args) {
    settings(cx).showMenu = cx.toBoolean(arg(args, 0));
    return Value();
}

}  // namespace

void installStage(Vm& vm) {
    Object* stage = vm.newObject();
    vm.global()->put(vm.key("Stage"), vm.name("Stage"), Value::object(stage), kDontEnum);
    defineAccessor(vm, stage, "width", getWidth, nullptr);
    defineAccessor(vm, stage, "height", getHeight, nullptr);
    defineAccessor(vm, stage, "scaleMode", getScaleMode, setScaleMode);
    defineAccessor(vm, stage, "align", getAlign, setAlign);
    defineAccessor(vm, stage, "showMenu", getShowMenu, setShowMenu);
    // A broadcaster from the start, as AsBroadcaster.initialize would make it.
    const Value broadcaster = vm.getMember(Value::object(vm.global()), vm.key("AsBroadcaster"));
    for (const char* name : {"addListener", "removeListener", "broadcastMessage"}) {
        const Value method = broadcaster.isObject() ? vm.getMember(broadcaster, vm.key(name)) : Value();
        stage->put(vm.key(name), vm.name(name), method, kDontEnum);
    }
    stage->put(vm.key("_listeners"), vm.name("_listeners"), Value::object(vm.newArray()), kDontEnum);
}

void resizeStage(MovieInstance& movie, int width, int height) {
    StageSettings& s = movie.stageSettings();
    if (s.viewWidth == width && s.viewHeight == height) return;
    s.viewWidth = width;
    s.viewHeight = height;
    if (s.scaleMode != ScaleMode::NoScale || !movie.runsScripts()) return;
    Vm& vm = movie.vm();
    // Read as plain values: no script runs outside the handlers' own run.
    const auto plain = [&](Object* o, const char* name) {
        const Property* p = o ? vm.ownProperty(o, vm.key(name)) : nullptr;
        return p && !p->isAccessor() ? p->value : Value();
    };
    const Value stage = plain(vm.global(), "Stage");
    const Value broadcast = plain(stage.objectOrNull(), "broadcastMessage");
    if (!broadcast.isObject()) return;
    const Value event = Value::string(vm.name("onResize"));
    vm.callTopLevel(broadcast, stage, {&event, 1});
    movie.runPendingActions();
    movie.noteChange();
}

}  // namespace velmora::swf::script
