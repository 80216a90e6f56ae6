#pragma once

#include <QStringList>
#include <string>

namespace velmora {

// The dialog's FileName after a choice of `paths` (full paths, in the dialog's order, at least
// one): the one path itself, or, for several, their folder followed by each file name, every item
// separated from the next by one NUL character and none at the end. Separators are the
// platform's own; texts are UTF-8.
//
// Raises a Failure that says so when the result would be longer than `maxCharacters` characters
// (Unicode code points): a playlist cut short would silently lose lessons. Raises a Failure when
// the paths do not all lie in one folder, which the joined form cannot express.
std::string joinOpenSelection(const QStringList& paths, int maxCharacters);

}  // namespace velmora
