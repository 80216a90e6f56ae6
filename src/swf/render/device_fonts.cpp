#include "swf/render/device_fonts.h"

#include <QFontDatabase>
#include <QHash>

namespace velmora::swf {
namespace {

// The CJK families we know of, in order of preference; the first installed one closes every list.
const QStringList kCjkFamilies = {"Noto Sans CJK SC", "WenQuanYi Micro Hei", "WenQuanYi Zen Hei",
                                  "Noto Serif CJK SC", "AR PL UMing CN", "Droid Sans Fallback"};
const QStringList kSans = {"Arial", "Liberation Sans", "DejaVu Sans", "Helvetica", "sans-serif"};
const QStringList kSerif = {"Times New Roman", "Liberation Serif", "DejaVu Serif", "Times", "serif"};
const QStringList kMono = {"Courier New", "Liberation Mono", "DejaVu Sans Mono", "Courier", "monospace"};

// Chinese system faces map to a CJK family first; which Chinese face a lesson asks for changes
// the style, not whether its text can be read.
bool isChineseFace(const QString& face) {
    static const QStringList kChinese = {"宋体", "新宋体", "simsun", "nsimsun", "黑体", "simhei", "微软雅黑",
                                         "microsoft yahei", "楷体", "楷体_gb2312", "kaiti", "kaiti_gb2312", "仿宋",
                                         "仿宋_gb2312", "fangsong", "隶书", "lisu", "幼圆", "youyuan", "华文细黑",
                                         "华文宋体", "华文楷体", "stxihei", "stsong", "stkaiti", "方正舒体"};
    return kChinese.contains(face.toLower());
}

bool isSerifChineseFace(const QString& face) {
    const QString f = face.toLower();
    return f.contains("宋") || f.contains("song") || f.contains("楷") || f.contains("kai") || f.contains("仿") ||
           f.contains("fang");
}

QStringList installedOnly(const QStringList& wanted) {
    static const QStringList installed = QFontDatabase::families();
    QStringList result;
    for (const QString& family : wanted)
        if (installed.contains(family, Qt::CaseInsensitive) || family == "sans-serif" || family == "serif" ||
            family == "monospace")
            result.append(family);
    return result;
}

QStringList compute(const std::string& name) {
    const QString face = QString::fromUtf8(name.data(), qsizetype(name.size())).trimmed();
    const QString lower = face.toLower();
    QStringList wanted;
    if (lower == "_serif" || lower == "times new roman" || lower == "times" || lower == "georgia") {
        wanted = kSerif;
    } else if (lower == "_typewriter" || lower == "courier new" || lower == "courier" || lower == "consolas") {
        wanted = kMono;
    } else if (isChineseFace(face)) {
        wanted = isSerifChineseFace(face) ? QStringList{"Noto Serif CJK SC", "AR PL UMing CN"} : QStringList{};
    } else if (lower == "_sans" || lower.isEmpty() || lower == "arial" || lower == "helvetica" ||
               lower == "verdana" || lower == "tahoma") {
        wanted = kSans;
    } else {
        wanted = QStringList{face} + kSans;
    }
    QStringList families = installedOnly(wanted);
    const QStringList cjk = installedOnly(kCjkFamilies);
    if (!cjk.isEmpty() && !families.contains(cjk.front())) {
        // Chinese faces put the CJK family first so that Latin letters in them match the Chinese.
        if (isChineseFace(face)) families.prepend(cjk.front());
        else families.append(cjk.front());
    }
    if (families.isEmpty()) families.append("sans-serif");
    return families;
}

}  // namespace

QStringList deviceFontFamilies(const std::string& name) {
    static QHash<QString, QStringList> cache;
    const QString key = QString::fromUtf8(name.data(), qsizetype(name.size()));
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.insert(key, compute(name));
    return it.value();
}

QFont deviceFont(const std::string& name, int pixelSize, bool bold, bool italic) {
    QFont font;
    font.setFamilies(deviceFontFamilies(name));
    font.setPixelSize(std::max(1, pixelSize));
    font.setBold(bold);
    font.setItalic(italic);
    font.setKerning(true);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

}  // namespace velmora::swf
