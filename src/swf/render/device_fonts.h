#pragma once

#include <QFont>
#include <QStringList>
#include <string>

namespace velmora::swf {

// The installed families that stand in for a font a movie names but does not embed: "_sans",
// "_serif" and "_typewriter", the usual Latin faces ("Arial", "Times New Roman", ...) and the
// Chinese system faces ("宋体", "黑体", "微软雅黑", ...), most suitable first. Every list ends with a
// CJK family, so that Chinese text never shows as empty boxes whatever the movie asked for.
// Needs a QGuiApplication.
QStringList deviceFontFamilies(const std::string& name);

// A font for the named face at a pixel size, bold and italic as asked, with the families above.
QFont deviceFont(const std::string& name, int pixelSize, bool bold, bool italic);

}  // namespace velmora::swf
