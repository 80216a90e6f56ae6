#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

namespace velmora::swf {

// What the renderer skipped or repaired while drawing a hostile or damaged movie ("bitmap 12 is
// 60000x60000, larger than 16384x16384: not drawn"). Each message is kept once and the list is
// bounded, so a movie that repeats one fault on every frame cannot grow it without end.
class RenderWarnings {
public:
    static constexpr size_t kMaxMessages = 200;

    void add(const std::string& message) {
        if (messages_.size() >= kMaxMessages || !seen_.insert(message).second) return;
        messages_.push_back(message);
    }
    const std::vector<std::string>& messages() const { return messages_; }
    bool empty() const { return messages_.empty(); }
    void clear() {
        messages_.clear();
        seen_.clear();
    }

private:
    std::vector<std::string> messages_;
    std::set<std::string> seen_;
};

}  // namespace velmora::swf
