#include <gtest/gtest.h>

#include "swf/format/text_encoding.h"

namespace velmora::swf {
namespace {

TEST(TextEncoding, Utf8IsKeptCodePagesAreConverted) {
    EXPECT_EQ(toUtf8("plain ascii", 5), "plain ascii");
    EXPECT_EQ(toUtf8("\xE5\xAD\x97\xE5\xB9\x95", 8), "\xE5\xAD\x97\xE5\xB9\x95");  // 字幕 in UTF-8
    EXPECT_EQ(toUtf8("\xD7\xD6\xC4\xBB", 5), "\xE5\xAD\x97\xE5\xB9\x95");          // 字幕 in GBK
    // Neither UTF-8 nor GBK (0xFF cannot start a GBK character): Latin-1.
    EXPECT_EQ(toUtf8("caf\xE9\xFF", 5), "caf\xC3\xA9\xC3\xBF");
    // Overlong and surrogate encodings are not valid UTF-8.
    EXPECT_NE(toUtf8("\xC0\xAF", 6), "\xC0\xAF");
    EXPECT_NE(toUtf8("\xED\xA0\x80", 6), "\xED\xA0\x80");
    EXPECT_EQ(toUtf8("", 6), "");
}

}  // namespace
}  // namespace velmora::swf
