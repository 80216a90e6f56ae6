#include "swf/format/movie_folder.h"

#include <dirent.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <memory>

namespace velmora::swf {

namespace {

// Longer names than any file system takes are a movie's mistake or an attack.
constexpr size_t kMaxRequestBytes = 4096;

std::string realPath(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    return resolved ? std::string(resolved.get()) : std::string();
}

bool sameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// The entry of `folder` called `name`, or failing that the first (in byte order) whose name
// differs from it only in case; empty when there is neither.
std::string entryNamed(const std::string& folder, const std::string& name) {
    struct stat info {};
    if (::lstat((folder + "/" + name).c_str(), &info) == 0) return name;
    struct CloseDir {
        void operator()(DIR* d) const { ::closedir(d); }
    };
    std::unique_ptr<DIR, CloseDir> dir(::opendir(folder.c_str()));
    if (!dir) return {};
    std::string best;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view candidate = entry->d_name;
        if (candidate == "." || candidate == "..") continue;
        if (sameIgnoringAsciiCase(candidate, name) && (best.empty() || candidate < best)) best = candidate;
    }
    return best;
}

MovieFolder::Refused refuse(std::string_view request, std::string_view why) {
    return {"\"" + std::string(request.substr(0, 200)) + "\" " + std::string(why)};
}

}  // namespace

MovieFolder::MovieFolder(std::string_view moviePath) {
    std::string path(moviePath);
    if (path.rfind("file://", 0) == 0) path = path.substr(7);
    const size_t slash = path.rfind('/');
    if (path.empty() || path.find('\0') != std::string::npos) return;
    folder_ = realPath(slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : path.substr(0, slash));
    if (folder_ == "/") folder_.clear();  // a movie at the root of the file system may read nothing
}

std::variant<MovieFolder::Resolved, MovieFolder::Refused> MovieFolder::resolve(std::string_view request) const {
    std::string_view name = request.substr(0, request.find_first_of("?#"));
    if (folder_.empty()) return refuse(request, "cannot be read: the movie has no folder");
    if (name.empty()) return refuse(request, "names no file");
    if (name.size() > kMaxRequestBytes || name.find('\0') != std::string_view::npos) {
        return refuse(request, "is not a file name");
    }
    // A colon means a scheme (http:, file:, javascript:) or a drive (C:): never a file of ours.
    if (name.find(':') != std::string_view::npos) return refuse(request, "is a URL or a drive path, not a file beside the movie");
    if (name.front() == '/' || name.front() == '\\') return refuse(request, "is an absolute path");

    // Folders by name, ".." taken off lexically; a ".." past the top leads out.
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("/\\", start);
        if (end == std::string_view::npos) end = name.size();
        const std::string_view part = name.substr(start, end - start);
        if (part == "..") {
            if (parts.empty()) return refuse(request, "lies outside the movie's folder");
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.emplace_back(part);
        }
        start = end + 1;
    }
    if (parts.empty()) return refuse(request, "names the movie's folder, not a file");

    std::string path = folder_;
    for (const std::string& part : parts) {
        const std::string entry = entryNamed(path, part);
        if (entry.empty()) return refuse(request, "was not found beside the movie");
        path += "/" + entry;
    }
    // Links are followed here, and the result must still lie inside.
    const std::string real = realPath(path);
    if (real.empty()) return refuse(request, "was not found beside the movie");
    if (real.size() <= folder_.size() || real.compare(0, folder_.size(), folder_) != 0 || real[folder_.size()] != '/') {
        return refuse(request, "leads outside the movie's folder");
    }
    struct stat info {};
    if (::stat(real.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return refuse(request, "is not a regular file");
    return Resolved{real};
}

std::variant<std::vector<uint8_t>, MovieFolder::Refused> MovieFolder::read(std::string_view request,
                                                                            const ParseLimits& limits) const {
    auto where = resolve(request);
    if (auto* refused = std::get_if<Refused>(&where)) return *refused;
    try {
        return readMovieFile(std::get<Resolved>(where).path, limits);
    } catch (const ParseError& e) {
        return refuse(request, std::string("cannot be read: ") + e.what());
    }
}

}  // namespace velmora::swf
