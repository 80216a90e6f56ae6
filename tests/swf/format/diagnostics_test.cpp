// The diagnostics channel: what a hostile movie can make it hold, and what a sink hears.
#include "swf/format/diagnostics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora::swf {
namespace {

TEST(Diagnostics, EachKindIsKeptOncePerRoom) {
    Diagnostics d(DiagnosticRoom::Script);
    EXPECT_TRUE(d.add("unsupported action 0x8C"));
    EXPECT_FALSE(d.add("unsupported action 0x8C"));
    // A message that names a detail counts under the kind its caller gives.
    EXPECT_TRUE(d.report(DiagnosticRoom::Movie, "too many objects: depth 4", "too many objects"));
    EXPECT_FALSE(d.report(DiagnosticRoom::Movie, "too many objects: depth 5", "too many objects"));
    // The same words from another room are another problem.
    EXPECT_TRUE(d.report(DiagnosticRoom::Render, "unsupported action 0x8C"));
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d.entries()[0].line(), "script: unsupported action 0x8C");
    EXPECT_EQ(d.entries()[1].line(), "movie: too many objects: depth 4");
    EXPECT_EQ(d.entries()[2].line(), "render: unsupported action 0x8C");

    // A text that already starts with its room is not named twice; another room's word is no
    // such start.
    d.report(DiagnosticRoom::Script, "script: fscommand quit ");
    d.report(DiagnosticRoom::Script, "script error: action record cut short");
    d.report(DiagnosticRoom::Script, "scripts stopped");
    d.report(DiagnosticRoom::Sound, "script: unsupported Sound");
    EXPECT_EQ(d.entries()[3].line(), "script: fscommand quit ");
    EXPECT_EQ(d.entries()[4].line(), "script error: action record cut short");
    EXPECT_EQ(d.entries()[5].line(), "script: scripts stopped");
    EXPECT_EQ(d.entries()[6].line(), "sound: script: unsupported Sound");
}

TEST(Diagnostics, StaysWithinItsCapacityAndSaysOnceThatMoreWereLeftOut) {
    Diagnostics d(DiagnosticRoom::File, 5);
    for (int i = 0; i < 1000; ++i) d.add("tag at offset " + std::to_string(i) + " is damaged");
    ASSERT_EQ(d.size(), 5u);
    EXPECT_EQ(d[3], "tag at offset 3 is damaged");
    EXPECT_EQ(d.back(), "further problems of this movie are not reported");
    EXPECT_EQ(d.dropped(), 996u);
    // Once full, even a new kind is only counted.
    EXPECT_FALSE(d.report(DiagnosticRoom::Script, "something else"));
    EXPECT_EQ(d.size(), 5u);

    d.clear();
    EXPECT_TRUE(d.empty());
    EXPECT_TRUE(d.add("tag at offset 0 is damaged"));
}

TEST(Diagnostics, ASinkHearsWhatCameBeforeItAndEachNewEntryOnce) {
    Diagnostics d(DiagnosticRoom::Sound, 3);
    d.add("early");
    std::vector<std::string> heard;
    d.setSink([&](const Diagnostic& entry) { heard.push_back(entry.line()); });
    d.add("late");
    d.add("late");
    d.add("one too many");
    d.add("and another");
    EXPECT_EQ(heard, (std::vector<std::string>{"sound: early", "sound: late",
                                               "sound: further problems of this movie are not reported"}));
    d.setSink({});
    d.clear();
    d.add("unheard");
    EXPECT_EQ(heard.size(), 3u);
}

}  // namespace
}  // namespace velmora::swf
