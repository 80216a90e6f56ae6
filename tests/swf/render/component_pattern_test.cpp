// The component-pattern movie (component_movie.h) played as the player plays it: what its class
// code builds, what its skins look like at two sizes, and the events the pointer brings about.
#include <gtest/gtest.h>

#include "component_movie.h"
#include "render_test_support.h"
#include "support/avm1_assembler.h"
#include "swf/format/movie_loader.h"
#include "swf/render/bitmap_data_painter.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/pointer_input.h"
#include "swf/runtime/script/vm.h"

namespace velmora::swf::test {
namespace {

using Lines = std::vector<std::string>;

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 160, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kGrey = qRgb(200, 200, 200);
const QRgb kWhite = qRgb(255, 255, 255);

struct ComponentStage {
    ComponentStage() : movie(parseMovie(componentMovie())), pictures(movie) {
        MovieInstance::Options options;
        options.pictures = &pictures;
        instance = std::make_unique<MovieInstance>(movie, options);
        resources.setMovie(movie);
    }

    QImage render() {
        StageRenderer renderer(resources);
        return renderer.renderImage(instance->root(), movie->stage, {200, 100}, Qt::white);
    }
    // The trace lines since the last call.
    Lines newTraces() {
        Lines out;
        const auto& all = instance->messages();
        for (; seen < all.size(); ++seen) {
            if (all[seen].rfind("trace: ", 0) == 0) out.push_back(all[seen].substr(7));
        }
        return out;
    }
    void run(const velmora::test::Avm1Assembler& code) {
        instance->vm().runBlock(std::make_shared<const std::vector<uint8_t>>(code.doActionBody()), instance->root());
        instance->runPendingActions();
    }
    const Clip* child(const Clip& parent, const std::string& name) {
        for (const auto& [depth, object] : parent.displayList())
            if (object->name == name) return object->clip.get();
        return nullptr;
    }

    std::shared_ptr<const Movie> movie;
    BitmapDataPainter pictures;
    std::unique_ptr<MovieInstance> instance;
    RenderResources resources;
    size_t seen = 0;
};

void expectColours(const QImage& image, std::initializer_list<std::tuple<int, int, QRgb>> points,
                   const std::string& what) {
    for (auto [x, y, colour] : points) EXPECT_EQ(pixel(image, x, y), colour) << what << " at " << x << "," << y;
}

TEST(ComponentPattern, ClassesFromInitClipsBuildTheFormAndDrawItOnTheNextFrame) {
    ComponentStage stage;
    // The class code ran before the form's script; registered classes made every instance, the
    // styles came from the component or the global declaration, and the scroll was clamped.
    EXPECT_EQ(stage.newTraces(), (Lines{"haloGreen", "true", "true", "false", "haloGreen haloBlue", "scroll list 2",
                                        "form ready"}));
    // Nothing is drawn until doLater's onEnterFrame runs, once per component however often it
    // was invalidated.
    stage.instance->tick();
    EXPECT_EQ(stage.newTraces(), (Lines{"ok draw 80x40", "check draw 20x20", "list draw c"}));
    stage.instance->tick();
    EXPECT_EQ(stage.newTraces(), Lines{});
    EXPECT_TRUE(stage.instance->messages().size() == stage.seen) << stage.instance->messages().back();

    const Clip& root = stage.instance->root();
    std::vector<std::pair<int32_t, std::string>> placed;
    for (const auto& [depth, object] : root.displayList()) placed.emplace_back(depth - kScriptDepthOffset, object->name);
    EXPECT_EQ(placed, (std::vector<std::pair<int32_t, std::string>>{{10, "ok"}, {11, "check"}, {12, "list"}}));
    const Clip* ok = stage.child(root, "ok");
    const Clip* list = stage.child(root, "list");
    ASSERT_TRUE(ok && list);
    ASSERT_TRUE(stage.child(*ok, "skin_mc"));
    EXPECT_EQ(stage.child(*ok, "skin_mc")->characterId(), 10);
    ASSERT_TRUE(stage.child(*list, "rows_mc") && stage.child(*list, "mask_mc"));

    // The button's skin at 80 x 40 from (10, 20): the 5-pixel frame keeps its width on every side
    // (plain scaling would make it 10), the grey centre takes the rest.
    const QImage first = stage.render();
    expectColours(first,
                  {{12, 22, kRed}, {16, 26, kGrey}, {50, 22, kRed}, {50, 27, kGrey}, {12, 40, kRed}, {17, 40, kGrey},
                   {87, 40, kRed}, {83, 40, kGrey}, {50, 57, kRed}, {50, 53, kGrey}, {50, 62, kWhite}},
                  "button at 80 x 40");
    // The check box's skin at its own size, its grid given by script; the list's third row on
    // top, the rows above it masked away.
    expectColours(first, {{152, 12, kBlue}, {160, 20, kGrey}, {171, 20, kWhite}}, "check box");
    expectColours(first, {{160, 45, kWhite}, {160, 55, kBlue}, {160, 65, qRgb(255, 255, 0)},
                          {160, 75, qRgb(255, 0, 255)}, {160, 82, kWhite}, {192, 55, kWhite}},
                  "list");

    // Resized to 120 x 30: three times as wide, half as tall again; the corners stay 5 pixels.
    velmora::test::Avm1Assembler resize;
    resize.callMethod("ok", "setSize", {velmora::test::PushInt{120}, velmora::test::PushInt{30}}).op(velmora::test::Action::Pop);
    stage.run(resize);
    stage.instance->tick();
    EXPECT_EQ(stage.newTraces(), Lines{"ok draw 120x30"});
    expectColours(stage.render(),
                  {{12, 22, kRed}, {17, 27, kGrey}, {70, 23, kRed}, {70, 26, kGrey}, {12, 35, kRed}, {17, 35, kGrey},
                   {127, 35, kRed}, {123, 35, kGrey}, {70, 48, kRed}, {70, 43, kGrey}, {70, 52, kWhite}},
                  "button at 120 x 30");
}

TEST(ComponentPattern, ThePointerMovesTheSkinsAndTheFocusAndSendsTheEventsInOrder) {
    ComponentStage stage;
    stage.instance->tick();
    stage.newTraces();
    PointerInput pointer(*stage.instance);
    auto twips = [](int px) { return px * 20.0; };

    pointer.move(twips(50), twips(40));
    EXPECT_EQ(stage.newTraces(), Lines{"rollOver ok"});
    EXPECT_EQ(pixel(stage.render(), 12, 22), kGreen);
    pointer.press();
    EXPECT_EQ(stage.newTraces(), (Lines{"focusIn ok", "press ok"}));
    EXPECT_EQ(pixel(stage.render(), 12, 22), kBlack);
    pointer.release();
    EXPECT_EQ(stage.newTraces(), Lines{"click ok"});
    EXPECT_EQ(pixel(stage.render(), 12, 22), kGreen);

    // Over the check box: the button rolls out first. A click selects it through its own
    // onRelease, whose super.onRelease() reaches Button's (not itself again: the handler is
    // inherited, and its super starts above the class that holds it).
    pointer.move(twips(160), twips(20));
    EXPECT_EQ(stage.newTraces(), (Lines{"rollOut ok", "rollOver check"}));
    pointer.press();
    pointer.release();
    EXPECT_EQ(stage.newTraces(), (Lines{"focusOut ok", "focusIn check", "press check", "click check"}));
    const QImage over = stage.render();
    EXPECT_EQ(pixel(over, 12, 22), kRed);
    EXPECT_EQ(pixel(over, 152, 12), kGreen);

    velmora::test::Avm1Assembler ask;
    ask.push({"check"}).op(velmora::test::Action::GetVariable).push({"selected"}).op(velmora::test::Action::GetMember).trace();
    ask.push({"Selection"}).op(velmora::test::Action::GetVariable).push({velmora::test::PushInt{0}}).op(velmora::test::Action::StackSwap);
    ask.push({"getFocus"}).op(velmora::test::Action::CallMethod).trace();
    ask.push({"ok"}).op(velmora::test::Action::GetVariable).push({"tabIndex"}).op(velmora::test::Action::GetMember).trace();
    stage.run(ask);
    EXPECT_EQ(stage.newTraces(), (Lines{"true", "_level0.check", "1"}));


    // Off every component: the check box rolls out; the list has no pointer handlers.
    pointer.move(twips(160), twips(60));
    EXPECT_EQ(stage.newTraces(), Lines{"rollOut check"});
    EXPECT_FALSE(pointer.overButton());
}

}  // namespace
}  // namespace velmora::swf::test
