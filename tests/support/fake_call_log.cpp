#include "fake_call_log.h"

#include "platform/core/failure.h"

namespace velmora::testing {

void FakeCallLog::failOn(const std::string& key, int occurrence) { failures_.insert({key, FailureRule{occurrence}}); }

void FakeCallLog::record(const std::string& key, const std::string& call) {
    bool fail = false;
    auto [first, last] = failures_.equal_range(key);
    for (auto it = first; it != last; ++it) {
        FailureRule& rule = it->second;
        ++rule.seen;
        if (rule.occurrence == 0 || rule.occurrence == rule.seen) fail = true;
    }
    calls_.push_back(fail ? call + " !" : call);
    if (fail) throw Failure(call + " failed");
}

std::vector<std::string> FakeCallLog::callsStartingWith(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& call : calls_) {
        if (call.rfind(prefix, 0) == 0) found.push_back(call);
    }
    return found;
}

}  // namespace velmora::testing
