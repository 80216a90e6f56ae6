#include "support/benchmark_movies.h"

#include <zlib.h>

#include <QBuffer>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <cmath>
#include <map>
#include <stdexcept>
#include <tuple>

#include "swf/format/bitmap.h"
#include "swf/format/font.h"
#include "swf/format/shape.h"
#include "swf/format/text.h"

namespace velmora::test {
namespace {

using namespace velmora::swf;

// A DefineShape3 body of `edges` short straight and curved edges, as traced artwork has: two
// fills (inside and outside) and an outline.
std::vector<uint8_t> tracedShape(uint16_t id, int edges) {
    BitWriter w;
    w.u16(id);
    w.rect(-2000, 2000, -2000, 2000);
    w.u8(2);
    w.u8(0x00), w.rgba({200, 30, 30, 255});
    w.u8(0x00), w.rgba({30, 30, 200, 255});
    w.u8(1);
    w.u16(20), w.rgba({0, 0, 0, 255});
    w.ub(2, 4), w.ub(1, 4);  // fill and line index bits
    // A style change that moves and sets both fills and the line: flags for new styles, line,
    // fill 1, fill 0, move.
    w.ub(0, 1), w.ub(0, 1), w.ub(1, 1), w.ub(1, 1), w.ub(1, 1), w.ub(1, 1);
    w.ub(12, 5), w.sb(-1000, 12), w.sb(-1000, 12);
    w.ub(1, 2), w.ub(2, 2), w.ub(1, 1);
    for (int i = 0; i < edges; ++i) {
        int d = (i % 7) * 3 - 9;
        if (i % 3 == 0) {
            w.ub(1, 1), w.ub(0, 1), w.ub(6, 4);  // curve, 8-bit deltas
            w.sb(d, 8), w.sb(5, 8), w.sb(-d, 8), w.sb(4, 8);
        } else {
            w.ub(1, 1), w.ub(1, 1), w.ub(6, 4), w.ub(1, 1);  // general line
            w.sb(d, 8), w.sb(-3, 8);
        }
    }
    w.ub(0, 6);
    return w.take();
}

std::vector<uint8_t> compress(const std::vector<uint8_t>& in) {
    uLongf size = compressBound(uLong(in.size()));
    std::vector<uint8_t> out(size);
    if (compress2(out.data(), &size, in.data(), uLong(in.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
        throw std::runtime_error("zlib compression failed");
    out.resize(size);
    return out;
}

// A DefineBitsLossless2 body: a 128x128 opaque picture of soft gradients and a little texture,
// which compresses about as well as a drawing does.
std::vector<uint8_t> losslessPicture(uint16_t id, int seed) {
    constexpr int kSide = 128;
    std::vector<uint8_t> argb;
    argb.reserve(kSide * kSide * 4);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            argb.push_back(255);
            argb.push_back(uint8_t(x * 2 + seed));
            argb.push_back(uint8_t(y * 2 + ((x * 7 + y * 13 + seed) % 5)));
            argb.push_back(uint8_t((x ^ y) + seed * 3));
        }
    BitWriter b;
    b.u16(id);
    b.u8(5), b.u16(kSide), b.u16(kSide);
    b.bytes(compress(argb));
    return b.take();
}

}  // namespace

SwfWriter smallFixture() {
    SwfTagList clip;
    for (int i = 0; i < 30; ++i) clip.showFrame();
    SwfWriter swf;
    for (uint16_t id = 1; id <= 20; ++id) swf.defineRectangle(id, 0, 0, 100 * id, 50, {255, 0, 0});
    swf.defineSprite(100, clip);
    swf.placeObject2({.depth = 1, .characterId = 100, .name = "mp3_mc"});
    for (int f = 0; f < 100; ++f)
        swf.placeObject2({.depth = 2, .characterId = static_cast<uint16_t>(1 + f % 20)}).showFrame();
    return swf;
}

SwfWriter largeLesson(size_t targetBytes) {
    SwfWriter swf(8);
    swf.setBackgroundColor({255, 255, 255});
    uint16_t nextId = 1;
    for (int i = 0; i < 1500; ++i) swf.rawTag(32, tracedShape(nextId++, 300));
    for (int i = 0; i < 24; ++i) {
        swf.rawTag(36, losslessPicture(nextId, i));
        ++nextId;
    }
    swf.soundStreamHead2({.format = 2, .rateCode = 2, .is16Bit = true, .stereo = false}, 1838);
    std::vector<uint8_t> block(600, 0x55);
    int frame = 0;
    while (swf.tagBytes().size() < targetBytes) {
        swf.placeObject2({.depth = static_cast<uint16_t>(1 + frame % 20),
                          .characterId = static_cast<uint16_t>(1 + frame % 1500),
                          .matrix = WriterMatrix{.translateX = frame * 20 % 11000, .translateY = 300}});
        for (int k = 0; k < 4; ++k) {
            swf.placeObject2({.depth = static_cast<uint16_t>(1 + (frame + k) % 20),
                              .move = true,
                              .matrix = WriterMatrix{.scaleX = 1.01, .scaleY = 0.99, .translateX = k * 100,
                                                     .translateY = frame % 8000}});
        }
        if (frame % 25 == 0) swf.frameLabel("scene" + std::to_string(frame / 25));
        swf.soundStreamBlock(block).showFrame();
        ++frame;
    }
    return swf;
}

BenchmarkScene::BenchmarkScene() {
    movie->stage = {0, 16000, 0, 12000};  // 800 x 600 px
    movie->version = 10;
}

void BenchmarkScene::add(std::shared_ptr<const Character> c) { movie->dictionary[c->id] = std::move(c); }

void BenchmarkScene::place(uint16_t depth, uint16_t id, Matrix m, std::string text) {
    auto o = std::make_unique<DisplayObject>();
    o->depth = depth;
    o->character = movie->sharedCharacter(id);
    o->matrix = m;
    o->text = std::move(text);
    list[depth] = std::move(o);
}

namespace {

// A blob of `edges` curved edges around a centre, outlined, as traced artwork has.
std::shared_ptr<ShapeCharacter> blob(uint16_t id, int edges, FillStyle fill) {
    auto shape = std::make_shared<ShapeCharacter>(id);
    shape->version = 3;
    shape->bounds = {-1000, 1000, -1000, 1000};
    shape->fillStyles = {fill};
    LineStyle line;
    line.width = 20;
    shape->lineStyles = {line};
    StyleChangeRecord start;
    start.moveTo = std::make_pair(1000, 0);
    start.fillStyle1 = 1;
    start.lineStyle = 1;
    shape->records.push_back(start);
    int32_t x = 1000, y = 0;
    for (int i = 1; i <= edges; ++i) {
        const double a = 2 * M_PI * i / edges;
        const double am = 2 * M_PI * (i - 0.5) / edges;
        const double r = 900 + 100 * std::sin(i * 1.7);
        const int32_t cx = int32_t(1050 * std::cos(am)), cy = int32_t(1050 * std::sin(am));
        const int32_t ax = int32_t(r * std::cos(a)), ay = int32_t(r * std::sin(a));
        shape->records.push_back(CurvedEdgeRecord{cx - x, cy - y, ax - cx, ay - cy});
        x = ax;
        y = ay;
    }
    shape->records.push_back(StraightEdgeRecord{1000 - x, -y});
    return shape;
}

FillStyle solid(uint8_t r, uint8_t g, uint8_t b) {
    FillStyle f;
    f.color = {r, g, b, 255};
    return f;
}

FillStyle gradient(FillStyle::Type type, int i) {
    FillStyle f;
    f.type = type;
    f.gradient.stops = {{0, {255, uint8_t(i * 40), 0, 255}}, {128, {255, 255, 255, 200}}, {255, {0, 0, 255, 255}}};
    f.gradient.interpolation = i % 2 ? Gradient::Interpolation::LinearRgb : Gradient::Interpolation::Rgb;
    const double s = 2000.0 / 32768.0;
    f.matrix = Matrix{s * std::cos(i), s * std::sin(i), -s * std::sin(i), s * std::cos(i), 0, 0};
    return f;
}

// 400 characters of the lessons' kind of Chinese: 20 lines of 20.
std::u32string chinesePage() {
    const std::u32string text =
        U"我们今天学习一些新的词语和句子请大家跟着老师一起读这是中国的首都北京那是一座很美丽的城市春天来了"
        U"花开了小鸟在树上唱歌孩子们在公园里放风筝爸爸妈妈坐在草地上看书喝茶天气很好阳光明媚大家都很高兴"
        U"学校的图书馆里有很多书同学们每天下午都去那里看书写作业老师说读书是一件快乐的事情我们要多读好书";
    std::u32string page;
    for (size_t i = 0; i < 400; ++i) page += text[(i * 7) % text.size()];
    return page;
}

// The outline of character c in font as glyph records in units of 20480 to the em, the y axis
// down: Qt's cubic curves each become the quadratic through the same ends.
std::vector<ShapeRecord> tracedGlyph(const QFont& font, char32_t c, double unitsPerPixel) {
    QPainterPath path;
    path.addText(0, 0, font, QString::fromUcs4(&c, 1));
    std::vector<ShapeRecord> records;
    int32_t x = 0, y = 0;
    auto at = [&](const QPointF& p) {
        return std::make_pair(int32_t(std::lround(p.x() * unitsPerPixel)), int32_t(std::lround(p.y() * unitsPerPixel)));
    };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            StyleChangeRecord move;
            move.moveTo = at(e);
            move.fillStyle1 = 1;
            std::tie(x, y) = *move.moveTo;
            records.push_back(move);
        } else if (e.isLineTo()) {
            const auto [nx, ny] = at(e);
            records.push_back(StraightEdgeRecord{nx - x, ny - y});
            x = nx, y = ny;
        } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
            const QPointF start = path.elementAt(i - 1);
            const QPointF c1 = e, c2 = path.elementAt(i + 1), end = path.elementAt(i + 2);
            const auto [cx, cy] = at((3.0 * (c1 + c2) - (start + end)) / 4.0);
            const auto [ax, ay] = at(end);
            records.push_back(CurvedEdgeRecord{cx - x, cy - y, ax - cx, ay - cy});
            x = ax, y = ay;
            i += 2;
        }
    }
    return records;
}

}  // namespace

BenchmarkScene textHeavyScene() {
    BenchmarkScene scene;
    for (int i = 0; i < 12; ++i) {
        auto field = std::make_shared<EditTextCharacter>(uint16_t(100 + i));
        field->bounds = {0, 15000, 0, 900};
        field->wordWrap = true;
        field->multiline = true;
        field->html = true;
        field->fontHeight = 440;
        field->textColor = Rgba{40, 30, 20, 255};
        scene.add(field);
        scene.place(uint16_t(i + 1), uint16_t(100 + i), Matrix{1, 0, 0, 1, 500, 600.0 + 950 * i},
                    "<font face=\"宋体\">第" + std::to_string(i + 1) +
                        "课：我很好，谢谢。你呢？</font> <b>wǒ hěn hǎo, xièxie</b> — I am fine, thank you.");
    }
    return scene;
}

BenchmarkScene chinesePageScene(bool embeddedFont) {
    BenchmarkScene scene;
    const std::u32string page = chinesePage();
    constexpr int kPixelSize = 24;
    constexpr int kLineTwips = 560;  // 28 px
    if (!embeddedFont) {
        auto field = std::make_shared<EditTextCharacter>(1);
        field->bounds = {0, 20 * kPixelSize * 20 + 800, 0, 11600};
        field->multiline = true;
        field->fontHeight = kPixelSize * 20;
        field->leading = -60;
        field->textColor = Rgba{20, 20, 60, 255};
        scene.add(field);
        std::string content;
        for (int line = 0; line < 20; ++line) {
            const std::u32string part = page.substr(size_t(line) * 20, 20);
            content += QString::fromUcs4(part.data(), qsizetype(part.size())).toStdString();
            if (line < 19) content += "\n";
        }
        field->initialText = content;
        scene.place(1, 1, Matrix{1, 0, 0, 1, 3000, 200});
        return scene;
    }
    // The font: each distinct character of the page traced at 1024 px, stored at 20480 units to
    // the em as a DefineFont3 stores it.
    QFont traced("WenQuanYi Micro Hei");
    traced.setPixelSize(1024);
    auto font = std::make_shared<FontCharacter>(1);
    font->version = 3;
    font->emSquare = 20480;
    font->name = "TracedHei";
    font->hasLayout = true;
    font->ascent = 17000;
    font->descent = 3480;
    std::map<char32_t, uint32_t> index;
    for (char32_t c : page) {
        if (index.count(c)) continue;
        index[c] = uint32_t(font->glyphs.size());
        Glyph glyph;
        glyph.code = uint16_t(c);
        glyph.advance = 20480;
        glyph.records = tracedGlyph(traced, c, 20.0);
        font->glyphs.push_back(std::move(glyph));
    }
    scene.add(font);
    auto text = std::make_shared<TextCharacter>(2);
    text->bounds = {0, 20 * kPixelSize * 20, 0, 20 * kLineTwips};
    for (int line = 0; line < 20; ++line) {
        TextRecord record;
        if (line == 0) {
            record.fontId = 1;
            record.height = kPixelSize * 20;
            record.color = Rgba{20, 20, 60, 255};
        }
        record.xOffset = 0;
        record.yOffset = int16_t(kPixelSize * 20 + line * kLineTwips);
        for (int i = 0; i < 20; ++i) record.glyphs.push_back({index[page[size_t(line) * 20 + size_t(i)]], kPixelSize * 20});
        text->records.push_back(std::move(record));
    }
    scene.add(text);
    scene.place(1, 2, Matrix{1, 0, 0, 1, 3000, 500});
    return scene;
}

BenchmarkScene gradientHeavyScene() {
    BenchmarkScene scene;
    const FillStyle::Type types[] = {FillStyle::Type::LinearGradient, FillStyle::Type::RadialGradient,
                                     FillStyle::Type::FocalGradient};
    for (int i = 0; i < 40; ++i) {
        scene.add(blob(uint16_t(i + 1), 24, gradient(types[i % 3], i)));
        const double s = 1.5 + (i % 5) * 0.5;
        scene.place(uint16_t(i + 1), uint16_t(i + 1),
                    Matrix{s, 0, 0, s, 1500.0 + (i % 8) * 1800, 1500.0 + (i / 8) * 2200});
    }
    return scene;
}

BenchmarkScene bitmapHeavyScene() {
    BenchmarkScene scene;
    QImage photo(400, 300, QImage::Format_RGB32);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) photo.setPixel(x, y, qRgb(x * 255 / 400, y * 255 / 300, (x ^ y) & 255));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    photo.save(&buffer, "JPG", 85);
    auto bitmap = std::make_shared<BitmapCharacter>(1);
    bitmap->encoding = BitmapCharacter::Encoding::Jpeg2;
    bitmap->data.assign(jpeg.begin(), jpeg.end());
    scene.add(bitmap);
    for (int i = 0; i < 8; ++i) {
        auto shape = std::make_shared<ShapeCharacter>(uint16_t(10 + i));
        FillStyle fill;
        fill.type = FillStyle::Type::ClippedBitmap;
        fill.bitmapId = 1;
        fill.matrix = Matrix{20, 0, 0, 20, 0, 0};
        shape->fillStyles = {fill};
        StyleChangeRecord start;
        start.moveTo = std::make_pair(0, 0);
        start.fillStyle1 = 1;
        shape->records = {start, StraightEdgeRecord{8000, 0}, StraightEdgeRecord{0, 6000},
                          StraightEdgeRecord{-8000, 0}, StraightEdgeRecord{0, -6000}};
        scene.add(shape);
        const double a = (i - 4) * 0.05;
        const double s = 0.9;
        scene.place(uint16_t(i + 1), uint16_t(10 + i),
                    Matrix{s * std::cos(a), s * std::sin(a), -s * std::sin(a), s * std::cos(a),
                           500.0 + (i % 2) * 7500, 300.0 + (i / 2) * 2800});
    }
    return scene;
}

BenchmarkScene shapeCountScene(int count) {
    BenchmarkScene scene;
    for (int i = 0; i < 16; ++i)
        scene.add(blob(uint16_t(i + 1), 16, solid(uint8_t(i * 16), 120, uint8_t(255 - i * 16))));
    for (int i = 0; i < count; ++i)
        scene.place(uint16_t(i + 1), uint16_t(i % 16 + 1),
                    Matrix{0.5, 0, 0, 0.5, 500.0 + (i * 733) % 15000, 500.0 + (i * 397) % 11000});
    return scene;
}

BenchmarkScene distinctPicturesScene(int count) {
    BenchmarkScene scene;
    for (int i = 0; i < 16; ++i)
        scene.add(blob(uint16_t(i + 1), 16, solid(uint8_t(i * 16), 120, uint8_t(255 - i * 16))));
    for (int i = 0; i < count; ++i) {
        const double scale = 0.45 + 0.1 * i / count;
        scene.place(uint16_t(i + 1), uint16_t(i % 16 + 1),
                    Matrix{scale, 0, 0, scale, 500.0 + (i * 733) % 15000, 500.0 + (i * 397) % 11000});
    }
    return scene;
}

}  // namespace velmora::test
