#include "swf/runtime/target_path.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"

namespace velmora::swf {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// caseSensitive: the rule of the movie the path is read for.
Clip* childNamed(const Clip& parent, std::string_view name, bool caseSensitive) {
    for (const auto& [depth, object] : parent.displayList()) {
        if (object->clip && object->name == name) return object->clip.get();
    }
    if (caseSensitive) return nullptr;
    for (const auto& [depth, object] : parent.displayList()) {
        if (object->clip && equalsIgnoringCase(object->name, name)) return object->clip.get();
    }
    return nullptr;
}

}  // namespace

int levelNumber(std::string_view word) {
    if (word.size() <= 6 || word.size() > 10 || !equalsIgnoringCase(word.substr(0, 6), "_level")) return -1;
    int n = 0;
    for (const char c : word.substr(6)) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n <= MovieInstance::kMaxLevel ? n : -1;
}

namespace {

// Splits on '/', then each piece on '.', except that ".." stays whole (it means the parent).
std::vector<std::string_view> segments(std::string_view path) {
    std::vector<std::string_view> out;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t slash = std::min(path.find('/', start), path.size());
        const std::string_view piece = path.substr(start, slash - start);
        if (piece == "..") {
            out.push_back(piece);
        } else {
            size_t s = 0;
            while (s <= piece.size()) {
                const size_t dot = std::min(piece.find('.', s), piece.size());
                if (dot > s) out.push_back(piece.substr(s, dot - s));
                s = dot + 1;
            }
        }
        start = slash + 1;
    }
    return out;
}

}  // namespace

Clip& levelRoot(Clip& clip) {
    Clip* at = &clip;
    while (at->parent()) at = at->parent();
    return *at;
}

Clip* resolveTarget(Clip& from, std::string_view path) {
    // A loaded movie names its clips by its own version's rules.
    const bool caseSensitive = from.definitions().version >= 7;
    Clip* at = &from;
    if (!path.empty() && path.front() == '/') at = &levelRoot(from);
    const auto parts = segments(path);
    auto is = [&](std::string_view part, std::string_view word) {
        return caseSensitive ? part == word : equalsIgnoringCase(part, word);
    };
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string_view part = parts[i];
        if (part == ".." || is(part, "_parent")) {
            at = at->parent();
        } else if (is(part, "this")) {
            // stays
        } else if (i == 0 && is(part, "_root")) {
            at = &levelRoot(from);
        } else if (i == 0 && part.size() > 6 && is(part.substr(0, 6), "_level")) {
            const int n = levelNumber(part);
            at = n < 0 ? nullptr : from.movie().level(n);
        } else {
            at = childNamed(*at, part, caseSensitive);
        }
        if (!at) return nullptr;
    }
    // A lone "." splits into nothing and names the clip itself.
    return at;
}

std::string slashPath(const Clip& clip) {
    std::vector<const Clip*> chain;
    const Clip* top = &clip;
    for (const Clip* c = &clip; c && !c->isRoot(); c = c->parent()) {
        chain.push_back(c);
        top = c->parent();
    }
    // Level 0 is the plain "/"; an upper level names itself: "_level1", "_level1/a".
    const int level = top ? clip.movie().levelOf(*top) : 0;
    std::string path = level > 0 ? "_level" + std::to_string(level) : std::string();
    if (chain.empty()) return path.empty() ? "/" : path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) path += "/" + (*it)->name();
    return path;
}

std::string dotPath(const Clip& clip) {
    std::vector<const Clip*> chain;
    const Clip* top = &clip;
    for (const Clip* c = &clip; c && !c->isRoot(); c = c->parent()) {
        chain.push_back(c);
        top = c->parent();
    }
    const int level = top ? clip.movie().levelOf(*top) : 0;
    std::string path = "_level" + std::to_string(std::max(level, 0));
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) path += "." + (*it)->name();
    return path;
}

}  // namespace velmora::swf
