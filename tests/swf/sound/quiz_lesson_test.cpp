// The bundled quiz lesson played as a learner would: its questions come from the XML file beside
// it, a wrong choice says so, a right one sounds the chime, the next button moves on, and the
// check button takes the typed answer from the field's variable.
#include <gtest/gtest.h>

#include <algorithm>

#include "audio_fixtures.h"
#include "swf/format/movie_loader.h"
#include "swf/runtime/pointer_input.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/heap.h"
#include "swf/runtime/script/vm.h"
#include "swf/sound/virtual_playback.h"

namespace velmora::test {
namespace {

TEST(QuizLesson, ChoicesAndTheTypedAnswerAreMarkedAndARightOneChimes) {
    const std::string path = std::string(VELMORA_SOURCE_DIR) + "/samples/swf/lesson4.swf";
    swf::MovieInstance::Options options;
    options.url = path;
    swf::VirtualPlayback playback(swf::loadMovieFile(path), options);
    swf::MovieInstance& movie = playback.instance();
    std::vector<int16_t> pcm;
    playback.run(44100 / 5, &pcm);  // the questions arrive between the first frames

    swf::PointerInput pointer(movie);
    const auto click = [&](double x, double y) {
        pointer.move(x, y);
        pointer.press();
        pointer.release();
        movie.runPendingActions();
    };
    const auto traced = [&](const std::string& line) {
        return std::count(movie.messages().begin(), movie.messages().end(), "trace: " + line);
    };
    EXPECT_EQ(traced("question: 哪个是水果？ Which one is a fruit?"), 1);

    click(2300, 3100);  // the first choice
    EXPECT_EQ(traced("wrong: 桌子"), 1);
    const size_t before = pcm.size();
    click(6000, 3100);  // the second: the fruit
    EXPECT_EQ(traced("right: 苹果"), 1);
    playback.run(44100 / 5, &pcm);
    EXPECT_LT(rms(pcm, 0, before / 2), 1.0);               // silent until then
    EXPECT_GT(rms(pcm, before / 2, pcm.size() / 2), 1000.0);  // the chime

    click(6000, 6840);  // next
    EXPECT_EQ(traced("question: 一加二是几？ What is one plus two?"), 1);

    // What typing into the answer field leaves in its variable, then the check button.
    swf::script::Vm& vm = movie.vm();
    vm.clipObject(movie.root())->put(vm.key("answer"), vm.name("answer"), swf::script::Value::string(vm.heap().string("三")));
    click(8300, 4600);
    EXPECT_EQ(traced("right: 三"), 1);

    for (const std::string& m : movie.messages()) EXPECT_EQ(m.find("unsupported"), std::string::npos) << m;
}

}  // namespace
}  // namespace velmora::test
