#include <gtest/gtest.h>

#include <QFile>
#include <filesystem>
#include <fstream>

#include "render_test_support.h"
#include "support/required_fixtures.h"
#include "support/swf_writer.h"
#include "swf/format/bitmap.h"
#include "swf/format/button.h"
#include "swf/format/font.h"
#include "swf/format/movie_loader.h"
#include "swf/format/text.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/clip.h"

namespace velmora::swf {
namespace {

namespace fs = std::filesystem;

const fs::path kTags = fs::path(VELMORA_CORPUS_DIR) / "swf-tags";

std::vector<uint8_t> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A movie of the given cases' tag records (each case's input.bytes is one whole tag) and one
// frame. Empty when the corpus is absent.
std::shared_ptr<const Movie> movieOf(std::initializer_list<const char*> cases) {
    velmora::test::SwfWriter swf;
    swf.stageSizePixels(200, 200);
    for (const char* c : cases) {
        const fs::path path = kTags / c / "input.bytes";
        if (!fs::exists(path)) return nullptr;
        const auto bytes = readFile(path);
        swf.rawBytes(bytes);
    }
    swf.showFrame();
    return parseMovie(swf.bytes());
}

Rect boundsOf(const Character& c) {
    switch (c.kind) {
        case CharacterKind::Shape: return static_cast<const ShapeCharacter&>(c).bounds;
        case CharacterKind::MorphShape: {
            const auto& m = static_cast<const MorphShapeCharacter&>(c);
            return {std::min(m.startBounds.xMin, m.endBounds.xMin), std::max(m.startBounds.xMax, m.endBounds.xMax),
                    std::min(m.startBounds.yMin, m.endBounds.yMin), std::max(m.startBounds.yMax, m.endBounds.yMax)};
        }
        case CharacterKind::Text: return static_cast<const TextCharacter&>(c).bounds;
        case CharacterKind::EditText: return static_cast<const EditTextCharacter&>(c).bounds;
        default: return {-2000, 2000, -2000, 2000};
    }
}

// Draws one character scaled to fit a 200 x 200 pixel stage; returns the image and how many
// pixels are not the white background.
std::pair<QImage, int> renderFitted(const std::shared_ptr<const Movie>& movie, const Character& c, uint16_t ratio,
                                    RenderResources& resources) {
    const Rect b = boundsOf(c);
    const double w = static_cast<double>(std::max<int64_t>(1, b.width()));
    const double h = static_cast<double>(std::max<int64_t>(1, b.height()));
    const double s = std::min(3600.0 / w, 3600.0 / h);
    DisplayList list;
    auto o = std::make_unique<DisplayObject>();
    o->depth = 1;
    o->character = movie->sharedCharacter(c.id);
    o->matrix = Matrix{s, 0, 0, s, 2000 - s * (b.xMin + w / 2), 2000 - s * (b.yMin + h / 2)};
    o->ratio = ratio;
    list[1] = std::move(o);
    resources.setMovie(movie);
    StageRenderer renderer(resources);
    const QImage image = renderer.renderImage(list, movie->stage, {200, 200}, Qt::white);
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) ink += test::pixel(image, x, y) != qRgb(255, 255, 255);
    return {image, ink};
}

#define SKIP_WITHOUT_CORPUS(movie)                                                          \
    do {                                                                                    \
        if (!(movie)) {                                                                     \
            VELMORA_MISSING_FIXTURE("the corpus is not at " << kTags << ": nothing to render"); \
        }                                                                                   \
    } while (false)

TEST(CorpusRender, ShapesAndMorphShapesDrawInk) {
    for (const char* c : {"define-shape/shape1-squares", "define-shape/shape4-door",
                          "define-morph-shape/ms1-morph-rotating-square", "define-morph-shape/ms2-red-u"}) {
        auto movie = movieOf({c});
        SKIP_WITHOUT_CORPUS(movie);
        ASSERT_EQ(movie->dictionary.size(), 1u) << c;
        const Character& character = *movie->dictionary.begin()->second;
        for (uint16_t ratio : {uint16_t(0), uint16_t(32768), uint16_t(65535)}) {
            RenderResources resources;
            auto [image, ink] = renderFitted(movie, character, ratio, resources);
            EXPECT_GT(ink, 500) << c << " at ratio " << ratio;
            EXPECT_TRUE(resources.warnings.empty()) << c << ": " << resources.warnings.messages().front();
            const std::string name = fs::path(c).filename().string() + "-" + std::to_string(ratio);
            image.save(QString::fromStdString("/tmp/corpus-" + name + ".png"));
            if (character.kind == CharacterKind::Shape && ratio == 0) {
                EXPECT_EQ(test::compareWithExpected(image, "corpus_" + fs::path(c).filename().string()), "") << c;
            }
            if (character.kind == CharacterKind::Shape) break;
        }
    }
}

TEST(CorpusRender, FontsGiveGlyphOutlines) {
    for (const char* c : {"define-font/df2-alba", "define-font/df3-hello-world", "define-font/df3-system-font-verdana",
                          "define-glyph-font/comic-sans-ms"}) {
        auto movie = movieOf({c});
        SKIP_WITHOUT_CORPUS(movie);
        ASSERT_EQ(movie->dictionary.size(), 1u) << c;
        const auto& font = static_cast<const FontCharacter&>(*movie->dictionary.begin()->second);
        GlyphCache cache;
        size_t drawn = 0;
        for (size_t i = 0; i < font.glyphs.size(); ++i) {
            const QPainterPath* path = cache.glyph(font, i);
            ASSERT_NE(path, nullptr);
            drawn += !path->isEmpty();
            // Outlines stay inside a generous em box: no runaway coordinates.
            if (!path->isEmpty()) {
                EXPECT_LT(path->boundingRect().width(), font.emSquare * 4) << c << " glyph " << i;
            }
        }
        // The system font case embeds no outlines at all; the others embed one for nearly every glyph.
        if (font.glyphs.empty()) continue;
        EXPECT_GE(drawn * 10, font.glyphs.size() * 8) << c;
    }
}

TEST(CorpusRender, TextsDrawWithTheirFontOrWarnWithout) {
    // Alone, a text's font is missing: drawn as nothing, with a warning.
    for (const char* c : {"define-text/text1-hello-world", "define-text/text2-www-free-flash-animations-com"}) {
        auto movie = movieOf({c});
        SKIP_WITHOUT_CORPUS(movie);
        const Character& text = *movie->dictionary.begin()->second;
        RenderResources resources;
        renderFitted(movie, text, 0, resources);
        EXPECT_FALSE(resources.warnings.empty()) << c;
    }
    // With the font it was made with, "Hello World" shows.
    auto movie = movieOf({"define-font/df3-hello-world", "define-text/text1-hello-world"});
    SKIP_WITHOUT_CORPUS(movie);
    const Character* text = nullptr;
    for (const auto& [id, c] : movie->dictionary)
        if (c->kind == CharacterKind::Text) text = c.get();
    ASSERT_NE(text, nullptr);
    RenderResources resources;
    auto [image, ink] = renderFitted(movie, *text, 0, resources);
    image.save("/tmp/corpus-hello-world.png");
    EXPECT_GT(ink, 300);
    EXPECT_TRUE(resources.warnings.empty()) << resources.warnings.messages().front();
    EXPECT_EQ(test::compareWithExpected(image, "corpus_hello_world"), "");
}

TEST(CorpusRender, EditTextAndButtonsDrawWithoutFailing) {
    for (const char* c : {"define-dynamic-text/start", "define-button/button1-state-up-reduced-height-action-play",
                          "define-button/button2-state-up-reduced-height"}) {
        auto movie = movieOf({c});
        SKIP_WITHOUT_CORPUS(movie);
        ASSERT_FALSE(movie->dictionary.empty()) << c;
        RenderResources resources;
        renderFitted(movie, *movie->dictionary.begin()->second, 0, resources);
        // Buttons name shapes the case does not hold: each is reported, none is drawn.
        if (movie->dictionary.begin()->second->kind == CharacterKind::Button) {
            EXPECT_FALSE(resources.warnings.empty());
        }
    }
}

TEST(CorpusRender, BitmapsDecodeToTheirDeclaredSize) {
    for (const char* c : {"define-bitmap/swfll2-heart", "define-bitmap/swfll2-short-tag"}) {
        auto movie = movieOf({c});
        SKIP_WITHOUT_CORPUS(movie);
        ASSERT_EQ(movie->dictionary.size(), 1u) << c;
        const auto& bitmap = static_cast<const BitmapCharacter&>(*movie->dictionary.begin()->second);
        BitmapCache cache;
        RenderWarnings warnings;
        const QImage& image = cache.image(bitmap, warnings);
        ASSERT_FALSE(image.isNull()) << c << ": " << (warnings.empty() ? "" : warnings.messages().front());
        EXPECT_EQ(image.size(), QSize(bitmap.width, bitmap.height)) << c;
        image.scaled(image.size() * 8).save(QString::fromStdString("/tmp/corpus-" + fs::path(c).filename().string() + ".png"));
    }
}

}  // namespace
}  // namespace velmora::swf
