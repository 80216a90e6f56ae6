#pragma once

#include <QStringList>
#include <string>

namespace velmora {

// Turns a dialog filter of the form "title|patterns|title|patterns..." (patterns separated by
// ';', e.g. "Flash(*.swf)|*.swf") into Qt name filters, one per pair, each titled by the text
// before its bar and listing its patterns: "Flash(*.swf) (*.swf)". The empty text gives no filter.
// Raises a Failure for a title without patterns.
QStringList toQtNameFilters(const std::string& filter);

}  // namespace velmora
