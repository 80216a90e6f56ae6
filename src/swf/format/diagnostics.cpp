#include "swf/format/diagnostics.h"

#include <algorithm>

namespace velmora::swf {

std::string_view roomName(DiagnosticRoom room) {
    switch (room) {
        case DiagnosticRoom::File: return "file";
        case DiagnosticRoom::Movie: return "movie";
        case DiagnosticRoom::Script: return "script";
        case DiagnosticRoom::Render: return "render";
        case DiagnosticRoom::Sound: return "sound";
        case DiagnosticRoom::Video: return "video";
    }
    return "movie";
}

std::string Diagnostic::line() const {
    // Many reports already start with their room ("script: fscommand ...", "script error: ...");
    // they are not named twice.
    const std::string_view name = roomName(room);
    if (text.size() > name.size() && text.compare(0, name.size(), name) == 0 &&
        (text[name.size()] == ':' || text[name.size()] == ' ')) {
        return text;
    }
    std::string out(name);
    out += ": ";
    out += text;
    return out;
}

Diagnostics::Diagnostics(DiagnosticRoom defaultRoom, size_t capacity)
    : defaultRoom_(defaultRoom), capacity_(std::max<size_t>(capacity, 1)) {}

bool Diagnostics::report(DiagnosticRoom room, std::string text, std::string_view kind) {
    // The kind is keyed with its room: the same words from two rooms are two problems.
    std::string key(roomName(room));
    key += '\0';
    key += kind.empty() ? std::string_view(text) : kind;
    if (kinds_.count(key) != 0) return false;
    // One place is held back for the summary of what was dropped.
    if (entries_.size() + 1 >= capacity_) {
        ++dropped_;
        if (dropped_ == 1) keep({room, "further problems of this movie are not reported"});
        return false;
    }
    kinds_.insert(std::move(key));
    keep({room, std::move(text)});
    return true;
}

void Diagnostics::keep(Diagnostic diagnostic) {
    texts_.push_back(diagnostic.text);
    entries_.push_back(std::move(diagnostic));
    if (sink_) sink_(entries_.back());
}

void Diagnostics::setSink(Sink sink) {
    sink_ = std::move(sink);
    if (!sink_) return;
    for (const Diagnostic& d : entries_) sink_(d);
}

void Diagnostics::clear() {
    entries_.clear();
    texts_.clear();
    kinds_.clear();
    dropped_ = 0;
}

}  // namespace velmora::swf
