#include "playlist/movie_paths.h"

namespace velmora {

std::string collapseDoubledSeparators(const std::string& path, char separator) {
    std::string result;
    result.reserve(path.size());
    for (size_t i = 0; i < path.size(); ++i) {
        result += path[i];
        if (path[i] == separator && i + 1 < path.size() && path[i + 1] == separator) ++i;
    }
    return result;
}

std::string startFolder(const std::string& appFolder, char separator, const std::string& subfolder) {
    return collapseDoubledSeparators(appFolder + separator + subfolder, separator);
}

std::string joinFolderAndName(const std::string& folder, const std::string& name, char separator) {
    if (!folder.empty() && folder.back() == separator) return folder + name;
    return folder + separator + name;
}

std::vector<std::string> splitAtNul(const std::string& selection) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t nul = selection.find('\0', start);
        if (nul == std::string::npos) {
            parts.push_back(selection.substr(start));
            return parts;
        }
        parts.push_back(selection.substr(start, nul - start));
        start = nul + 1;
    }
}

}  // namespace velmora
