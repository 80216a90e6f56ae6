// The actions that move timelines by a computed frame: GotoFrame2, Call, WaitForFrame2.
#include <cmath>
#include <optional>
#include <variant>

#include "swf/runtime/action_reader.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/interpreter.h"
#include "swf/runtime/target_path.h"

namespace velmora::swf::script {

void Interpreter::gotoFrame2(Frame& f, std::span<const uint8_t> payload) {
    PayloadReader in(payload);
    const uint8_t flags = in.u8();
    const int bias = (flags & 0x02) ? in.u16() : 0;
    const bool play = flags & 0x01;
    const Value frame = pop(f);
    Clip* c = targetClip(f);
    std::string label;
    if (frame.isString()) {
        label = frame.asString()->text();
        // "path:frame" addresses another clip.
        if (const size_t colon = label.rfind(':'); colon != std::string::npos) {
            Clip* base = targetClip(f);
            c = base ? resolveTarget(*base, label.substr(0, colon)) : nullptr;
            label = label.substr(colon + 1);
        }
    }
    if (!c) return;
    double number = frame.isString() ? stringToNumber(label, f.version) : vm_.toNumber(frame);
    if (frame.isString() && label.empty()) number = std::nan("");
    bool moved = false;
    if (std::isfinite(number)) {
        // Scripts number frames from 1.
        number = std::trunc(number) + bias;
        if (number >= 1) {
            c->gotoFrame(static_cast<size_t>(std::min(number, 1e9)) - 1);
            moved = true;
        }
    } else if (!label.empty()) {
        moved = c->gotoLabel(label);
    }
    if (moved || std::isfinite(number)) {
        if (play) {
            c->play();
        } else {
            c->stop();
        }
    }
}

void Interpreter::callFrame(Frame& f, const Value& frame) {
    std::string text = vm_.toString(frame)->text();
    Clip* c = targetClip(f);
    if (const size_t colon = text.rfind(':'); colon != std::string::npos) {
        c = c ? resolveTarget(*c, text.substr(0, colon)) : nullptr;
        text = text.substr(colon + 1);
    }
    if (!c || c->frameCount() == 0) return;
    std::optional<size_t> index;
    const double n = stringToNumber(text, f.version);
    if (std::isfinite(n) && !text.empty()) {
        if (n >= 1 && n <= static_cast<double>(c->frameCount())) index = static_cast<size_t>(n) - 1;
    } else {
        index = c->frameOfLabel(text);
    }
    if (!index) return;
    // The frame's scripts run now, on that clip, as if they were a function of this one.
    for (const ControlTag& tag : c->timeline().frames[*index].tags) {
        const auto* action = std::get_if<DoAction>(&tag);
        if (!action || !action->actions || action->actions->empty()) continue;
        if (vm_.callDepth_ >= vm_.limits().maxCallDepth) {
            // That call is refused; the calling script goes on.
            vm_.diagnostic("script: frame calls nested too deeply (more than " +
                           std::to_string(vm_.limits().maxCallDepth) + ")");
            return;
        }
        ++vm_.callDepth_;
        Frame called;
        called.owner = action->actions;
        called.code = std::span<const uint8_t>(*action->actions);
        called.end = called.code.size();
        called.timeline = vm_.clipObject(*c);
        called.registers.resize(4);
        called.scope = vm_.heap().make<Scope>(vm_.heap().make<Scope>(nullptr, vm_.global()), called.timeline);
        try {
            run(called);
        } catch (...) {
            --vm_.callDepth_;
            throw;
        }
        --vm_.callDepth_;
    }
}

bool Interpreter::frameLoaded(Frame&, const Value&) {
    // The whole file is loaded before the movie plays, and the reference player then counts every
    // frame as loaded, even one past the last: WaitForFrame never skips.
    return true;
}

}  // namespace velmora::swf::script
