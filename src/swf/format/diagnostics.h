#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::swf {

// The part of the engine a diagnostic comes from. Its name starts the diagnostic's line
// ("script: unsupported action 0x8C"), so that a reader of the log sees at once where to look.
enum class DiagnosticRoom : uint8_t { File, Movie, Script, Render, Sound, Video };

// "file", "movie", "script", "render", "sound" or "video".
std::string_view roomName(DiagnosticRoom room);

// Something that went wrong without stopping the movie: a damaged tag skipped, a feature not
// supported, a script stopped at a limit.
struct Diagnostic {
    DiagnosticRoom room = DiagnosticRoom::Movie;
    std::string text;

    // The room's name, a colon and the text: the line the probe and the player write.
    std::string line() const;
};

// The one channel through which every room of the engine says what went wrong with a movie.
//
// Each kind of problem is kept once: a report whose kind (its text, unless the caller names a
// broader kind, such as "too many objects" for a message that also names a depth) was already
// seen is dropped, so a fault repeated on every frame yields one entry. The list is bounded:
// past capacity() entries, further reports are only counted (dropped()), and one last entry says
// that more were left out. Memory therefore stays bounded however hostile the movie.
//
// A sink, when set, hears each entry as it is kept, and on being set hears the entries kept so
// far, so that whoever attaches after a movie was built (the player, the probe) misses nothing.
// The sink runs on the reporting thread; it must not report into the same Diagnostics.
class Diagnostics {
public:
    using Sink = std::function<void(const Diagnostic&)>;
    static constexpr size_t kDefaultCapacity = 200;

    // `defaultRoom` is the room of add(); `capacity` is at least 1.
    explicit Diagnostics(DiagnosticRoom defaultRoom = DiagnosticRoom::Movie, size_t capacity = kDefaultCapacity);

    // Reports `text` from `room`, once per kind (see above). Returns whether it was kept as new.
    bool report(DiagnosticRoom room, std::string text, std::string_view kind = {});
    // The same from the default room.
    bool add(std::string text) { return report(defaultRoom_, std::move(text)); }

    const std::vector<Diagnostic>& entries() const { return entries_; }
    // The texts of the entries, oldest first (the summary of dropped reports included).
    const std::vector<std::string>& messages() const { return texts_; }
    size_t dropped() const { return dropped_; }
    size_t capacity() const { return capacity_; }
    DiagnosticRoom defaultRoom() const { return defaultRoom_; }

    // Read access in the manner of the plain list of texts this type replaced.
    bool empty() const { return texts_.empty(); }
    size_t size() const { return texts_.size(); }
    const std::string& operator[](size_t i) const { return texts_[i]; }
    const std::string& front() const { return texts_.front(); }
    const std::string& back() const { return texts_.back(); }
    std::vector<std::string>::const_iterator begin() const { return texts_.begin(); }
    std::vector<std::string>::const_iterator end() const { return texts_.end(); }

    // Sets (or, with an empty function, removes) the sink, then replays the entries kept so far.
    void setSink(Sink sink);
    // Forgets every entry and kind seen (for a player that loads another movie); keeps the sink.
    void clear();

private:
    void keep(Diagnostic diagnostic);

    DiagnosticRoom defaultRoom_;
    size_t capacity_;
    std::vector<Diagnostic> entries_;
    std::vector<std::string> texts_;
    std::set<std::string, std::less<>> kinds_;
    size_t dropped_ = 0;
    Sink sink_;
};

}  // namespace velmora::swf
