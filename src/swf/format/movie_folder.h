#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "swf/format/movie_loader.h"

namespace velmora::swf {

// The folder of the movie the user chose, and the one rule by which a playing movie may read a
// file: only a regular file inside that folder (subfolders included), read-only.
//
// A request is a name as a movie writes it ("questions.xml", "data\\q1.txt", "sub/../a.txt?x=1").
// It is refused when it is empty, carries a scheme ("http:", "file:", "javascript:", "C:"), is
// absolute ("/etc/passwd", "\\\\server\\share"), or leads outside the folder, judged on the
// resolved path so that neither ".." nor a symbolic link gets out. A backslash separates folders
// as a slash does (courseware made on Windows); a query ("?x=1") or fragment ("#a") is dropped;
// when no entry has the exact name, one that differs only in ASCII case is taken (the first in
// byte order, if several do).
class MovieFolder {
public:
    // The folder of `moviePath` (a local path, or a "file://" URL as a movie's _url may hold). An
    // empty or folderless path gives a folder that refuses every request.
    explicit MovieFolder(std::string_view moviePath);

    // A request made good: the resolved path (no links, no "..").
    struct Resolved {
        std::string path;
    };
    // A refusal, in words for the movie's diagnostics ("\"../x\" lies outside the movie's folder").
    struct Refused {
        std::string why;
    };

    // Where the request leads, or why not. Does not read the file; checks that it is a regular
    // file at the time of the call.
    std::variant<Resolved, Refused> resolve(std::string_view request) const;

    // Resolves the request and reads the whole file, under the limits of a movie the user chose
    // (limits.maxUncompressedBytes). A refusal, a missing file or a read error gives Refused.
    std::variant<std::vector<uint8_t>, Refused> read(std::string_view request, const ParseLimits& limits = {}) const;

    // The folder's resolved path, empty when there is none.
    const std::string& path() const { return folder_; }

private:
    std::string folder_;
};

}  // namespace velmora::swf
