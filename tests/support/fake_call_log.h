#pragma once

#include <map>
#include <string>
#include <vector>

namespace velmora::testing {

// The calls that fakes receive, in order, in one log shared by every fake of a test, and the
// operations that are made to fail.
//
// A call is logged as "<control>.<operation>" for a read ("HSc1.Value"), "<control>.<property>=
// <value>" for a write ("HSc1.Max=120") and "<control>.<method>(<arguments>)" for a method
// ("swf2.TGotoFrame(mp3_mc,120)"). Its key, which failures are set on, is the text before the
// value or the arguments: "HSc1.Value", "HSc1.Max=", "swf2.TGotoFrame".
class FakeCallLog {
public:
    // Makes the operation `key` fail: on every call when `occurrence` is 0, otherwise only on its
    // occurrence-th call (1-based, counted from now on).
    void failOn(const std::string& key, int occurrence = 0);

    // Records the call and raises a Failure when it is set to fail. A failing call is logged too,
    // with " !" appended.
    void record(const std::string& key, const std::string& call);
    // The three kinds of call above, each keyed and written from one name: "HSc1.Value",
    // "HSc1.Max" with "120", "swf2.TGotoFrame" with "mp3_mc,120".
    void read(const std::string& property) { record(property, property); }
    void write(const std::string& property, const std::string& value) { record(property + "=", property + "=" + value); }
    void call(const std::string& method, const std::string& arguments = "") {
        record(method, method + "(" + arguments + ")");
    }

    const std::vector<std::string>& calls() const { return calls_; }
    // Only the calls whose text starts with `prefix` (for example "swf2." or "Timer").
    std::vector<std::string> callsStartingWith(const std::string& prefix) const;
    void clear() { calls_.clear(); }

private:
    struct FailureRule {
        int occurrence;
        int seen = 0;
    };
    std::vector<std::string> calls_;
    std::multimap<std::string, FailureRule> failures_;
};

}  // namespace velmora::testing
