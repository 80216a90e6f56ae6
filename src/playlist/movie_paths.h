#pragma once

#include <string>
#include <vector>

namespace velmora {

// Path texts as the file dialog and the playlists use them, with the platform's own separator
// ('\\' on Windows, '/' elsewhere).

// Replaces each pair of consecutive separators by one, scanning from the left without overlap:
// "a\\\\\\b" (three separators) becomes "a\\\\b" (two).
std::string collapseDoubledSeparators(const std::string& path, char separator);

// The dialog's starting folder: the application folder, a separator and the subfolder, with
// doubled separators collapsed (a folder at a drive root already ends in one).
std::string startFolder(const std::string& appFolder, char separator, const std::string& subfolder);

// The folder of a multiple choice joined with one chosen name: one separator between them, none
// added when the folder already ends in one.
std::string joinFolderAndName(const std::string& folder, const std::string& name, char separator);

// Splits the dialog's result at every NUL character, keeping empty parts: a result that ends in
// NUL gives an empty last part.
std::vector<std::string> splitAtNul(const std::string& selection);

}  // namespace velmora
