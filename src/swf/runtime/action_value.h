#pragma once

#include <memory>
#include <string>

#include "swf/runtime/clip_handle.h"

namespace velmora::swf {

struct ScriptFunction;

// A value on a script's stack or in a variable: ActionScript 1/2's primitive types and references
// to movie clips and script functions. Other objects come with a later tier of the interpreter.
class ActionValue {
public:
    enum class Kind { Undefined, Null, Boolean, Number, String, Clip, Function };

    ActionValue() = default;
    static ActionValue undefined() { return {}; }
    static ActionValue null();
    static ActionValue boolean(bool value);
    static ActionValue number(double value);
    static ActionValue string(std::string value);
    // A movie clip. It reads as its dot path ("_level0.a") while it lives, as undefined after.
    static ActionValue clip(ClipHandle clip);
    static ActionValue function(std::shared_ptr<const ScriptFunction> function);

    Kind kind() const { return kind_; }
    bool isUndefined() const { return kind_ == Kind::Undefined; }
    // The clip of a Clip value, nullptr for other values and for a clip that is gone.
    Clip* asClip() const { return kind_ == Kind::Clip ? clip_.get() : nullptr; }
    // The function of a Function value, nullptr for other values.
    const std::shared_ptr<const ScriptFunction>& asFunction() const { return function_; }

    // The conversions of the language. swfVersion matters where the format's players changed
    // their answers: before SWF 7, undefined reads as "" and as 0; from SWF 7 on, as "undefined"
    // and NaN.
    double toNumber(int swfVersion) const;
    std::string toString(int swfVersion) const;
    bool toBoolean(int swfVersion) const;

    // A number as ActionScript prints it: integers without a fraction, others with up to 15
    // significant digits, "NaN", "Infinity", "-Infinity".
    static std::string formatNumber(double value);
    // Text to number the way ActionScript reads it: decimal (leading and trailing blanks allowed),
    // "0x" hexadecimal; anything else is NaN. The empty text is NaN from SWF 7 on, 0 before.
    static double parseNumber(const std::string& text, int swfVersion);

private:
    Kind kind_ = Kind::Undefined;
    bool boolean_ = false;
    double number_ = 0.0;
    std::string string_;
    ClipHandle clip_;
    std::shared_ptr<const ScriptFunction> function_;
};

}  // namespace velmora::swf
