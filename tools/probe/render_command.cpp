// velmora-probe render: one frame of a movie as a PNG, drawn as the player draws it.

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

#include "probe_command.h"
#include "swf/format/movie_loader.h"
#include "swf/render/stage_renderer.h"
#include "swf/render/bitmap_data_painter.h"
#include "swf/render/field_text_measure.h"
#include "swf/runtime/movie_instance.h"

namespace velmora::probe {
namespace {

// Images larger than this on a side are refused: a typo in --width must not allocate gigabytes.
constexpr int kMaxSide = 8192;

struct RenderArgs {
    std::string file;
    long frame = -1;
    std::string out;
    int width = 0;
    int height = 0;
    std::optional<QColor> background;
};

long parseNumber(const std::string& text, const char* what, long low, long high) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < low || v > high)
        throw std::runtime_error(std::string(what) + " must be a whole number from " + std::to_string(low) + " to " +
                                 std::to_string(high) + ", not \"" + text + "\"");
    return v;
}

RenderArgs parseArgs(std::span<const std::string> args, const ProbeCommand& command) {
    RenderArgs r;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throwUsage(command);
            return args[++i];
        };
        if (a == "--frame") r.frame = parseNumber(value(), "--frame", 0, 1 << 20);
        else if (a == "--out") r.out = value();
        else if (a == "--width") r.width = int(parseNumber(value(), "--width", 1, kMaxSide));
        else if (a == "--height") r.height = int(parseNumber(value(), "--height", 1, kMaxSide));
        else if (a == "--background") {
            const std::string& hex = value();
            const QColor c(QString::fromStdString("#" + hex));
            if (hex.size() != 6 || !c.isValid()) throw std::runtime_error("--background takes RRGGBB, not \"" + hex + "\"");
            r.background = c;
        } else if (r.file.empty() && !a.starts_with("--")) r.file = a;
        else throwUsage(command);
    }
    if (r.file.empty() || r.frame < 0 || r.out.empty()) throwUsage(command);
    return r;
}

// Fonts and images need a QGuiApplication; the probe runs without a display.
void ensureGuiApplication() {
    if (QGuiApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "velmora-probe";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

const ProbeCommand& renderCommand() {
    for (const ProbeCommand& c : probeCommands())
        if (c.name == "render") return c;
    static const ProbeCommand fallback{"render", "FILE --frame N --out PNG [--width W --height H] [--background RRGGBB]",
                                       "", nullptr};
    return fallback;
}

}  // namespace

void runRenderCommand(std::span<const std::string> args, std::ostream& out) {
    const RenderArgs r = parseArgs(args, renderCommand());
    ensureGuiApplication();
    std::shared_ptr<const swf::Movie> movie = swf::loadMovieFile(r.file);

    // The frame is reached by playing from the start, so that sprites, scripts and removals
    // are where the player would have them.
    // Scripts' pictures (BitmapData) are decoded and drawn by a painter of their own.
    swf::BitmapDataPainter pictures(movie);
    swf::MovieInstance::Options options;
    options.pictures = &pictures;
    // Text fields' scripts measure their text with the layout that draws it.
    swf::FieldTextMeasure textMeasure(movie);
    options.textMeasure = &textMeasure;
    options.url = r.file;  // files the movie reads lie beside it
    swf::MovieInstance instance(movie, options);
    for (long i = 0; i < r.frame; ++i) instance.tick();

    const int width = r.width ? r.width : static_cast<int>(std::clamp<int64_t>(movie->stageWidthPixels(), 1, kMaxSide));
    const int height = r.height ? r.height : static_cast<int>(std::clamp<int64_t>(movie->stageHeightPixels(), 1, kMaxSide));
    const swf::Rgba bg = movie->backgroundColor;
    const QColor background = r.background.value_or(QColor(bg.r, bg.g, bg.b));

    swf::RenderResources resources;
    resources.setMovie(movie);
    swf::StageRenderer renderer(resources);
    const QImage image =
        renderer.renderImage(instance.root(), movie->stage, QSize(width, height), background);
    if (image.isNull() || !image.convertToFormat(QImage::Format_RGB32).save(QString::fromStdString(r.out), "PNG"))
        throw std::runtime_error("cannot write " + r.out);

    out << "frame " << instance.root().currentFrame() << " of " << instance.root().frameCount() << ", " << width << "x"
        << height << " -> " << r.out << "\n";
    printDiagnostics(instance.diagnostics());  // the file's warnings among them
    printDiagnostics(resources.warnings);
    printDiagnostics(pictures.warnings());
}

}  // namespace velmora::probe
