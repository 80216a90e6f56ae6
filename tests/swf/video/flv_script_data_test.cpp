// The values of an FLV's script data tags, read by our own reader: what encoders write, and what a
// damaged or hostile file may claim.

#include <gtest/gtest.h>

#include <bit>

#include "swf/video/flv_script_data.h"

namespace velmora::swf {
namespace {

using Bytes = std::vector<uint8_t>;
using Kind = MediaValue::Kind;

void text(Bytes& b, const std::string& s) {
    b.insert(b.end(), {uint8_t(s.size() >> 8), uint8_t(s.size())});
    b.insert(b.end(), s.begin(), s.end());
}
void number(Bytes& b, double d) {
    b.push_back(0);
    const auto bits = std::bit_cast<uint64_t>(d);
    for (int i = 7; i >= 0; --i) b.push_back(uint8_t(bits >> (i * 8)));
}

TEST(FlvScriptData, ReadsWhatEncodersWriteAndRefusesWhatNoFileCanHold) {
    // {name: "a", list: [1.5, true, null], when: <date>, back: <reference>} as an associative array.
    Bytes b{8, 0, 0, 0, 9};  // the count is wrong, as some writers have it: the end marker counts
    text(b, "name");
    b.push_back(2);
    text(b, "a");
    text(b, "list");
    b.insert(b.end(), {10, 0, 0, 0, 3});
    number(b, 1.5);
    b.insert(b.end(), {1, 1, 5});
    text(b, "when");
    b.push_back(11);
    number(b, 86400000);
    b.erase(b.end() - 9);  // the date's marker replaces the number's
    b.insert(b.end(), {0, 0});
    text(b, "back");
    b.insert(b.end(), {7, 0, 1});
    b.insert(b.end(), {0, 0, 9});
    const auto value = readScriptValue(b);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->kind, Kind::Array);
    ASSERT_EQ(value->members.size(), 4u);
    EXPECT_EQ(value->member("name")->text, "a");
    const MediaValue* list = value->member("list");
    ASSERT_EQ(list->members.size(), 3u);
    EXPECT_EQ(list->members[0].value.number, 1.5);
    EXPECT_EQ(list->members[1].value.kind, Kind::Boolean);
    EXPECT_EQ(list->members[2].value.kind, Kind::Null);
    EXPECT_EQ(value->member("when")->number, 86400000);
    EXPECT_EQ(value->member("back")->kind, Kind::Undefined);

    // Every value cut short is refused, never read past its end.
    for (size_t n = 0; n < b.size(); ++n) EXPECT_FALSE(readScriptValue(Bytes(b.begin(), b.begin() + long(n)))) << n;
    // A list claiming more elements than there are bytes, unknown markers, nesting past the bound.
    EXPECT_FALSE(readScriptValue(Bytes{10, 0xFF, 0xFF, 0xFF, 0xFF, 5, 5}));
    EXPECT_FALSE(readScriptValue(Bytes{0x11}));
    Bytes deep;
    for (int i = 0; i < 100; ++i) deep.insert(deep.end(), {10, 0, 0, 0, 1});
    deep.push_back(5);
    EXPECT_FALSE(readScriptValue(deep));
    // Many small values stop at the file's budget instead of filling the memory.
    Bytes many{10, 0, 4, 0, 0};
    many.resize(many.size() + 0x40000, 5);
    EXPECT_FALSE(readScriptValue(many));
}

}  // namespace
}  // namespace velmora::swf
