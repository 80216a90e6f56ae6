#include "playlist/movie_paths.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(MoviePaths, StartFolderHasOneSeparatorBeforeTheSubfolder) {
    EXPECT_EQ(startFolder("E:\\", '\\', "swf"), "E:\\swf");
    EXPECT_EQ(startFolder("E:\\lessons", '\\', "mp3"), "E:\\lessons\\mp3");
    EXPECT_EQ(startFolder("/", '/', "swf"), "/swf");
    EXPECT_EQ(startFolder("/opt/velmora", '/', "mp3"), "/opt/velmora/mp3");
}

TEST(MoviePaths, DoubledSeparatorsCollapseFromTheLeftWithoutOverlap) {
    EXPECT_EQ(collapseDoubledSeparators("a\\\\b", '\\'), "a\\b");
    EXPECT_EQ(collapseDoubledSeparators("a\\\\\\b", '\\'), "a\\\\b");
    EXPECT_EQ(collapseDoubledSeparators("a\\\\\\\\b", '\\'), "a\\\\b");
    EXPECT_EQ(collapseDoubledSeparators("a///b//", '/'), "a//b/");
    // Only the platform's own separator collapses.
    EXPECT_EQ(collapseDoubledSeparators("a//b", '\\'), "a//b");
}

TEST(MoviePaths, JoinAddsASeparatorOnlyWhenTheFolderLacksOne) {
    EXPECT_EQ(joinFolderAndName("D:\\a", "x.swf", '\\'), "D:\\a\\x.swf");
    EXPECT_EQ(joinFolderAndName("D:\\", "x.swf", '\\'), "D:\\x.swf");
    EXPECT_EQ(joinFolderAndName("/home/a", "x.swf", '/'), "/home/a/x.swf");
    EXPECT_EQ(joinFolderAndName("/", "x.swf", '/'), "/x.swf");
    EXPECT_EQ(joinFolderAndName("D:\\a", "", '\\'), "D:\\a\\");
}

TEST(MoviePaths, SplitKeepsEmptyParts) {
    using Parts = std::vector<std::string>;
    EXPECT_EQ(splitAtNul(std::string("D:\\a\0x\0y", 8)), (Parts{"D:\\a", "x", "y"}));
    EXPECT_EQ(splitAtNul(std::string("D:\\a\0x\0", 7)), (Parts{"D:\\a", "x", ""}));
    EXPECT_EQ(splitAtNul(std::string("\0\0", 2)), (Parts{"", "", ""}));
    EXPECT_EQ(splitAtNul("one"), (Parts{"one"}));
}

}  // namespace
}  // namespace velmora
