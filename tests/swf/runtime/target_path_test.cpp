// Naming clips: every spelling of a target path the movies and the component use.
#include <gtest/gtest.h>

#include "runtime_fixtures.h"
#include "swf/runtime/target_path.h"

namespace velmora::test {
namespace {

using swf::Clip;
using swf::resolveTarget;

// root > mp3_mc (depth 1) > inner (depth 1);  root > other (depth 2)
SwfWriter nested(uint8_t version = 10) {
    SwfWriter swf(version);
    swf.defineSprite(12, framesOnly(2));
    SwfTagList mp3;
    mp3.placeObject2({.depth = 1, .characterId = 12, .name = "inner"}).showFrame().showFrame();
    swf.defineSprite(11, mp3);
    swf.defineSprite(13, framesOnly(1));
    swf.placeObject2({.depth = 1, .characterId = 11, .name = "mp3_mc"});
    swf.placeObject2({.depth = 2, .characterId = 13, .name = "other"});
    swf.showFrame();
    return swf;
}

TEST(TargetPath, EverySpellingOfAChildOfTheRoot) {
    auto movie = play(nested());
    Clip& root = movie->root();
    Clip* mp3 = root.childAt(1);
    ASSERT_NE(mp3, nullptr);
    for (const char* path : {"mp3_mc", "/mp3_mc", "_root.mp3_mc", "_level0.mp3_mc", "_root/mp3_mc", "mp3_mc/",
                             "this.mp3_mc"}) {
        EXPECT_EQ(resolveTarget(root, path), mp3) << path;
    }
}

TEST(TargetPath, NestedPathsAndTheWayUp) {
    auto movie = play(nested());
    Clip& root = movie->root();
    Clip* mp3 = root.childAt(1);
    Clip* inner = mp3->childAt(1);
    Clip* other = root.childAt(2);
    for (const char* path : {"mp3_mc/inner", "mp3_mc.inner", "/mp3_mc/inner", "_root.mp3_mc.inner"}) {
        EXPECT_EQ(resolveTarget(root, path), inner) << path;
    }
    EXPECT_EQ(resolveTarget(*inner, ".."), mp3);
    EXPECT_EQ(resolveTarget(*inner, "_parent"), mp3);
    EXPECT_EQ(resolveTarget(*inner, "../.."), &root);
    EXPECT_EQ(resolveTarget(*inner, "_parent._parent.other"), other);
    EXPECT_EQ(resolveTarget(*inner, "../../other"), other);
    EXPECT_EQ(resolveTarget(*inner, "/other"), other);
    EXPECT_EQ(resolveTarget(*inner, "_root"), &root);
    EXPECT_EQ(resolveTarget(*inner, ""), inner);
    EXPECT_EQ(resolveTarget(*inner, "/"), &root);
}

TEST(TargetPath, NamesThatLeadNowhere) {
    auto movie = play(nested());
    Clip& root = movie->root();
    for (const char* path : {"missing", "mp3_mc/missing", "_parent", "..", "_level1", "_level1.mp3_mc", "inner",
                             "MP3_MC"}) {
        EXPECT_EQ(resolveTarget(root, path), nullptr) << path;
    }
}

TEST(TargetPath, MoviesBeforeSwf7MatchNamesRegardlessOfCase) {
    auto movie = play(nested(6));
    EXPECT_EQ(resolveTarget(movie->root(), "MP3_MC/Inner"), movie->root().childAt(1)->childAt(1));
}

TEST(TargetPath, OnlySpriteInstancesAreTargets) {
    SwfWriter swf;
    swf.defineRectangle(1, 0, 0, 20, 20, {});
    swf.placeObject2({.depth = 1, .characterId = 1, .name = "box"}).showFrame();
    auto movie = play(swf);
    EXPECT_EQ(resolveTarget(movie->root(), "box"), nullptr);
}

// Scripts reach clips the file left unnamed by the names the player gives them, and a frame that
// moves such a clip, or a goto back that places it again, keeps its name.
TEST(TargetPath, UnnamedClipsAreNamedInTheOrderTheyArePlaced) {
    SwfWriter swf;
    swf.defineSprite(13, framesOnly(1));
    swf.placeObject2({.depth = 1, .characterId = 13});
    swf.placeObject2({.depth = 2, .characterId = 13, .name = "other"});
    swf.placeObject2({.depth = 3, .characterId = 13}).showFrame();
    swf.placeObject2({.depth = 1, .move = true, .matrix = WriterMatrix{.translateX = 200}}).showFrame();
    auto movie = play(swf);
    Clip& root = movie->root();
    Clip* first = root.childAt(1);
    Clip* third = root.childAt(3);
    ASSERT_TRUE(first && third);
    EXPECT_EQ(swf::dotPath(*first), "_level0.instance1");
    EXPECT_EQ(swf::slashPath(*third), "/instance2");
    EXPECT_EQ(swf::dotPath(*root.childAt(2)), "_level0.other");
    root.gotoFrame(1);
    root.gotoFrame(0);
    EXPECT_EQ(resolveTarget(root, "instance1"), root.childAt(1));
    EXPECT_EQ(resolveTarget(root, "_root.instance2"), root.childAt(3));
}

TEST(TargetPath, PathsOfAClip) {
    auto movie = play(nested());
    Clip* inner = movie->root().childAt(1)->childAt(1);
    EXPECT_EQ(swf::slashPath(movie->root()), "/");
    EXPECT_EQ(swf::slashPath(*inner), "/mp3_mc/inner");
    EXPECT_EQ(swf::dotPath(*inner), "_level0.mp3_mc.inner");
}

}  // namespace
}  // namespace velmora::test
