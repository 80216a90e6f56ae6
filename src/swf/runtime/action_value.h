#pragma once

#include <string>

namespace velmora::swf {

// A primitive value as the clip property table gives and takes it (the script engine's own values
// are script::Value).
class ActionValue {
public:
    enum class Kind { Undefined, Null, Boolean, Number, String };

    ActionValue() = default;
    static ActionValue undefined() { return {}; }
    static ActionValue null();
    static ActionValue boolean(bool value);
    static ActionValue number(double value);
    static ActionValue string(std::string value);

    Kind kind() const { return kind_; }
    bool isUndefined() const { return kind_ == Kind::Undefined; }

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
};

}  // namespace velmora::swf
