#include "swf_writer.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>

namespace velmora::test {

namespace {

int32_t toFixed16(double v) { return static_cast<int32_t>(std::lround(v * 65536.0)); }

constexpr uint16_t kShowFrame = 1, kEnd = 0, kPlaceObject = 4, kRemoveObject = 5, kSetBackgroundColor = 9,
                   kDoAction = 12, kDefineSound = 14, kStartSound = 15, kSoundStreamHead = 18,
                   kSoundStreamBlock = 19, kPlaceObject2 = 26, kRemoveObject2 = 28, kDefineShape3 = 32,
                   kDefineSprite = 39, kFrameLabel = 43, kSoundStreamHead2 = 45, kExportAssets = 56,
                   kDoInitAction = 59, kFileAttributes = 69, kPlaceObject3 = 70, kStartSound2 = 89;

void writeSoundInfo(BitWriter& w, const WriterSoundInfo& info) {
    w.ub(0, 2);
    w.ub(info.syncStop, 1);
    w.ub(info.syncNoMultiple, 1);
    w.ub(!info.envelope.empty(), 1);
    w.ub(info.loops.has_value(), 1);
    w.ub(info.outPoint.has_value(), 1);
    w.ub(info.inPoint.has_value(), 1);
    if (info.inPoint) w.u32(*info.inPoint);
    if (info.outPoint) w.u32(*info.outPoint);
    if (info.loops) w.u16(*info.loops);
    if (!info.envelope.empty()) {
        w.u8(static_cast<uint8_t>(info.envelope.size()));
        for (const auto& p : info.envelope) {
            w.u32(p.position44);
            w.u16(p.left);
            w.u16(p.right);
        }
    }
}

void writeSoundFormat(BitWriter& w, const WriterSoundFormat& f, bool withFormat) {
    if (withFormat) w.ub(f.format, 4);
    w.ub(f.rateCode, 2);
    w.ub(f.is16Bit, 1);
    w.ub(f.stereo, 1);
}

void writePlace(BitWriter& w, const WriterPlacement& s, bool third) {
    w.ub(!s.clipActions.empty(), 1);
    w.ub(s.clipDepth.has_value(), 1);
    w.ub(s.name.has_value(), 1);
    w.ub(s.ratio.has_value(), 1);
    w.ub(s.colorTransform.has_value(), 1);
    w.ub(s.matrix.has_value(), 1);
    w.ub(s.characterId.has_value(), 1);
    w.ub(s.move, 1);
    if (third) {
        w.ub(0, 1);
        w.ub(s.backgroundColor.has_value(), 1);
        w.ub(s.visible.has_value(), 1);
        w.ub(0, 1);
        w.ub(s.className.has_value(), 1);
        w.ub(s.cacheAsBitmap.has_value(), 1);
        w.ub(s.blendMode.has_value(), 1);
        w.ub(s.rawFilterList.has_value(), 1);
    }
    w.u16(s.depth);
    if (third && s.className) w.cString(*s.className);
    if (s.characterId) w.u16(*s.characterId);
    if (s.matrix) w.matrix(*s.matrix);
    if (s.colorTransform) w.colorTransform(*s.colorTransform, true);
    if (s.ratio) w.u16(*s.ratio);
    if (s.name) w.cString(*s.name);
    if (s.clipDepth) w.u16(*s.clipDepth);
    if (third) {
        if (s.rawFilterList) w.bytes(*s.rawFilterList);
        if (s.blendMode) w.u8(*s.blendMode);
        if (s.cacheAsBitmap) w.u8(*s.cacheAsBitmap);
        if (s.visible) w.u8(*s.visible);
        if (s.backgroundColor) w.rgba(*s.backgroundColor);
    }
    if (!s.clipActions.empty()) {
        auto flags = [&](uint32_t events) {
            if (s.shortEventFlags) w.u16(static_cast<uint16_t>(events));
            else w.u32(events);
        };
        uint32_t all = 0;
        for (const auto& a : s.clipActions) all |= a.events;
        w.u16(0);
        flags(all);
        for (const auto& a : s.clipActions) {
            flags(a.events);
            bool key = (a.events & (1u << 17)) != 0;
            w.u32(static_cast<uint32_t>(a.actions.size() + (key ? 1 : 0)));
            if (key) w.u8(a.keyCode);
            w.bytes(a.actions);
        }
        flags(0);
    }
}

std::vector<uint8_t> zlibCompress(const std::vector<uint8_t>& in) {
    uLongf size = compressBound(static_cast<uLong>(in.size()));
    std::vector<uint8_t> out(size);
    if (compress2(out.data(), &size, in.data(), static_cast<uLong>(in.size()), 6) != Z_OK) {
        throw std::runtime_error("zlib compression failed");
    }
    out.resize(size);
    return out;
}

// LZMA as a movie stores it: the 5 property bytes, then the data, with or without an end marker.
std::vector<uint8_t> lzmaCompress(const std::vector<uint8_t>& in, bool endMarker) {
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 6);
    options.ext_flags = endMarker ? LZMA_LZMA1EXT_ALLOW_EOPM : 0;
    options.ext_size_low = endMarker ? UINT32_MAX : static_cast<uint32_t>(in.size());
    options.ext_size_high = endMarker ? UINT32_MAX : static_cast<uint32_t>(uint64_t{in.size()} >> 32);
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1EXT, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    std::vector<uint8_t> out(5 + in.size() + in.size() / 2 + 1024);
    if (lzma_properties_encode(filters, out.data()) != LZMA_OK) throw std::runtime_error("lzma properties failed");
    lzma_stream z = LZMA_STREAM_INIT;
    if (lzma_raw_encoder(&z, filters) != LZMA_OK) throw std::runtime_error("lzma encoder failed");
    z.next_in = in.data();
    z.avail_in = in.size();
    z.next_out = out.data() + 5;
    z.avail_out = out.size() - 5;
    lzma_ret rc = lzma_code(&z, LZMA_FINISH);
    size_t written = out.size() - z.avail_out;
    lzma_end(&z);
    if (rc != LZMA_STREAM_END) throw std::runtime_error("lzma compression failed");
    out.resize(written);
    return out;
}

}  // namespace

// ---- BitWriter ----

void BitWriter::ub(uint32_t value, unsigned bits) {
    for (unsigned i = bits; i > 0; --i) {
        pending_ = static_cast<uint8_t>((pending_ << 1) | ((value >> (i - 1)) & 1));
        if (++pendingBits_ == 8) {
            out_.push_back(pending_);
            pending_ = 0;
            pendingBits_ = 0;
        }
    }
}

void BitWriter::sb(int32_t value, unsigned bits) { ub(static_cast<uint32_t>(value), bits); }

void BitWriter::flush() {
    if (pendingBits_ > 0) ub(0, 8 - pendingBits_);
}

void BitWriter::u8(uint8_t v) {
    flush();
    out_.push_back(v);
}
void BitWriter::u16(uint16_t v) {
    u8(static_cast<uint8_t>(v));
    u8(static_cast<uint8_t>(v >> 8));
}
void BitWriter::u32(uint32_t v) {
    u16(static_cast<uint16_t>(v));
    u16(static_cast<uint16_t>(v >> 16));
}
void BitWriter::bytes(std::span<const uint8_t> b) {
    flush();
    out_.insert(out_.end(), b.begin(), b.end());
}
void BitWriter::cString(const std::string& s) {
    bytes(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(s.data()), s.size()));
    u8(0);
}

unsigned BitWriter::signedBits(std::initializer_list<int32_t> values) {
    unsigned bits = 1;
    for (int32_t v : values) {
        unsigned n = 1;
        while (n < 32 && (v < -(int64_t{1} << (n - 1)) || v >= (int64_t{1} << (n - 1)))) ++n;
        if (n > bits) bits = n;
    }
    return bits;
}

void BitWriter::rect(int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax) {
    flush();
    unsigned n = signedBits({xMin, xMax, yMin, yMax});
    ub(n, 5);
    sb(xMin, n);
    sb(xMax, n);
    sb(yMin, n);
    sb(yMax, n);
    flush();
}

void BitWriter::matrix(const WriterMatrix& m) {
    flush();
    // The scale and the rotate-skew pairs: a flag, then the two 16.16 numbers unless both are the
    // identity's.
    auto fixedPair = [this](double first, double second, double identity) {
        const bool present = first != identity || second != identity;
        ub(present, 1);
        if (!present) return;
        const int32_t a = toFixed16(first), b = toFixed16(second);
        const unsigned n = signedBits({a, b});
        ub(n, 5);
        sb(a, n);
        sb(b, n);
    };
    fixedPair(m.scaleX, m.scaleY, 1.0);
    fixedPair(m.rotateSkew0, m.rotateSkew1, 0.0);
    unsigned n = (m.translateX == 0 && m.translateY == 0) ? 0 : signedBits({m.translateX, m.translateY});
    ub(n, 5);
    sb(m.translateX, n);
    sb(m.translateY, n);
    flush();
}

void BitWriter::colorTransform(const WriterColorTransform& cx, bool withAlpha) {
    flush();
    bool hasMult = cx.rMult != 256 || cx.gMult != 256 || cx.bMult != 256 || (withAlpha && cx.aMult != 256);
    bool hasAdd = cx.rAdd != 0 || cx.gAdd != 0 || cx.bAdd != 0 || (withAlpha && cx.aAdd != 0);
    unsigned n = signedBits({cx.rMult, cx.gMult, cx.bMult, cx.aMult, cx.rAdd, cx.gAdd, cx.bAdd, cx.aAdd});
    if (n > 15) n = 15;
    ub(hasAdd, 1);
    ub(hasMult, 1);
    ub(n, 4);
    if (hasMult) {
        sb(cx.rMult, n);
        sb(cx.gMult, n);
        sb(cx.bMult, n);
        if (withAlpha) sb(cx.aMult, n);
    }
    if (hasAdd) {
        sb(cx.rAdd, n);
        sb(cx.gAdd, n);
        sb(cx.bAdd, n);
        if (withAlpha) sb(cx.aAdd, n);
    }
    flush();
}

void BitWriter::rgb(Color c) {
    u8(c.r);
    u8(c.g);
    u8(c.b);
}
void BitWriter::rgba(Color c) {
    rgb(c);
    u8(c.a);
}

// ---- SwfTagList ----

SwfTagList& SwfTagList::rawTag(uint16_t code, std::span<const uint8_t> body, bool forceLongHeader) {
    if (body.size() < 0x3F && !forceLongHeader) {
        uint16_t header = static_cast<uint16_t>((code << 6) | body.size());
        bytes_.push_back(static_cast<uint8_t>(header));
        bytes_.push_back(static_cast<uint8_t>(header >> 8));
    } else {
        uint16_t header = static_cast<uint16_t>((code << 6) | 0x3F);
        bytes_.push_back(static_cast<uint8_t>(header));
        bytes_.push_back(static_cast<uint8_t>(header >> 8));
        uint32_t length = static_cast<uint32_t>(body.size());
        for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(length >> (8 * i)));
    }
    bytes_.insert(bytes_.end(), body.begin(), body.end());
    if (code == kShowFrame) ++frames_;
    if (code == kEnd) ended_ = true;
    return *this;
}

SwfTagList& SwfTagList::rawBytes(std::span<const uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

SwfTagList& SwfTagList::showFrame() { return rawTag(kShowFrame, {}); }
SwfTagList& SwfTagList::end() { return rawTag(kEnd, {}); }

SwfTagList& SwfTagList::frameLabel(const std::string& name, bool namedAnchor) {
    BitWriter w;
    w.cString(name);
    if (namedAnchor) w.u8(1);
    return rawTag(kFrameLabel, w.take());
}

SwfTagList& SwfTagList::setBackgroundColor(Color color) {
    BitWriter w;
    w.rgb(color);
    return rawTag(kSetBackgroundColor, w.take());
}

SwfTagList& SwfTagList::defineRectangle(uint16_t id, int32_t x, int32_t y, int32_t width, int32_t height,
                                        Color color) {
    BitWriter w;
    w.u16(id);
    w.rect(x, x + width, y, y + height);
    w.u8(1);  // one fill style
    w.u8(0x00);
    w.rgba(color);
    w.u8(0);  // no line styles
    w.ub(1, 4);  // fill bits
    w.ub(0, 4);  // line bits
    // Style change: move to (x, y), fill style 0 = 1.
    w.ub(0, 1);
    w.ub(0, 1);  // new styles
    w.ub(0, 1);  // line
    w.ub(0, 1);  // fill 1
    w.ub(1, 1);  // fill 0
    w.ub(1, 1);  // move
    unsigned n = BitWriter::signedBits({x, y});
    w.ub(n, 5);
    w.sb(x, n);
    w.sb(y, n);
    w.ub(1, 1);
    // Four straight edges, each general lines for simplicity.
    const int32_t edges[4][2] = {{width, 0}, {0, height}, {-width, 0}, {0, -height}};
    for (const auto& e : edges) {
        unsigned bits = BitWriter::signedBits({e[0], e[1]});
        if (bits < 2) bits = 2;
        w.ub(1, 1);  // edge
        w.ub(1, 1);  // straight
        w.ub(bits - 2, 4);
        w.ub(1, 1);  // general line
        w.sb(e[0], bits);
        w.sb(e[1], bits);
    }
    w.ub(0, 6);  // end of shape
    return rawTag(kDefineShape3, w.take());
}

SwfTagList& SwfTagList::definePolygon(uint16_t id, const std::vector<std::pair<int32_t, int32_t>>& points,
                                      Color color) {
    int32_t xMin = points.at(0).first, xMax = xMin, yMin = points[0].second, yMax = yMin;
    for (const auto& [x, y] : points) {
        xMin = std::min(xMin, x);
        xMax = std::max(xMax, x);
        yMin = std::min(yMin, y);
        yMax = std::max(yMax, y);
    }
    BitWriter w;
    w.u16(id);
    w.rect(xMin, xMax, yMin, yMax);
    w.u8(1);  // one fill style
    w.u8(0x00);
    w.rgba(color);
    w.u8(0);  // no line styles
    w.ub(1, 4);  // fill bits
    w.ub(0, 4);  // line bits
    // Style change: move to the first point, fill style 0 = 1.
    w.ub(0b000011, 6);
    const auto [x0, y0] = points[0];
    const unsigned n = BitWriter::signedBits({x0, y0});
    w.ub(n, 5);
    w.sb(x0, n);
    w.sb(y0, n);
    w.ub(1, 1);
    for (size_t i = 1; i <= points.size(); ++i) {
        const auto& from = points[i - 1];
        const auto& to = points[i % points.size()];
        const int32_t dx = to.first - from.first, dy = to.second - from.second;
        const unsigned bits = std::max(2u, BitWriter::signedBits({dx, dy}));
        w.ub(1, 1);  // edge
        w.ub(1, 1);  // straight
        w.ub(bits - 2, 4);
        w.ub(1, 1);  // general line
        w.sb(dx, bits);
        w.sb(dy, bits);
    }
    w.ub(0, 6);  // end of shape
    return rawTag(kDefineShape3, w.take());
}

SwfTagList& SwfTagList::defineSprite(uint16_t id, const SwfTagList& content, std::optional<uint16_t> declaredFrames) {
    BitWriter w;
    w.u16(id);
    w.u16(declaredFrames.value_or(content.frameCount()));
    w.bytes(content.tagBytes());
    if (!content.hasEnd()) w.u16(0);
    return rawTag(kDefineSprite, w.take());
}

SwfTagList& SwfTagList::placeObject(uint16_t characterId, uint16_t depth, const WriterMatrix& matrix) {
    BitWriter w;
    w.u16(characterId);
    w.u16(depth);
    w.matrix(matrix);
    return rawTag(kPlaceObject, w.take());
}

SwfTagList& SwfTagList::placeObject2(const WriterPlacement& placement) {
    BitWriter w;
    writePlace(w, placement, false);
    return rawTag(kPlaceObject2, w.take());
}

SwfTagList& SwfTagList::placeObject3(const WriterPlacement& placement) {
    BitWriter w;
    writePlace(w, placement, true);
    return rawTag(kPlaceObject3, w.take());
}

SwfTagList& SwfTagList::removeObject(uint16_t characterId, uint16_t depth) {
    BitWriter w;
    w.u16(characterId);
    w.u16(depth);
    return rawTag(kRemoveObject, w.take());
}

SwfTagList& SwfTagList::removeObject2(uint16_t depth) {
    BitWriter w;
    w.u16(depth);
    return rawTag(kRemoveObject2, w.take());
}

SwfTagList& SwfTagList::doAction(std::span<const uint8_t> actions) { return rawTag(kDoAction, actions); }

SwfTagList& SwfTagList::doInitAction(uint16_t spriteId, std::span<const uint8_t> actions) {
    BitWriter w;
    w.u16(spriteId);
    w.bytes(actions);
    return rawTag(kDoInitAction, w.take());
}

SwfTagList& SwfTagList::defineSound(uint16_t id, const WriterSoundFormat& format, uint32_t sampleCount,
                                    std::span<const uint8_t> data) {
    BitWriter w;
    w.u16(id);
    writeSoundFormat(w, format, true);
    w.u32(sampleCount);
    w.bytes(data);
    return rawTag(kDefineSound, w.take());
}

SwfTagList& SwfTagList::startSound(uint16_t soundId, const WriterSoundInfo& info) {
    BitWriter w;
    w.u16(soundId);
    writeSoundInfo(w, info);
    return rawTag(kStartSound, w.take());
}

SwfTagList& SwfTagList::startSound2(const std::string& className, const WriterSoundInfo& info) {
    BitWriter w;
    w.cString(className);
    writeSoundInfo(w, info);
    return rawTag(kStartSound2, w.take());
}

SwfTagList& SwfTagList::soundStreamHead2(const WriterSoundFormat& format, uint16_t samplesPerBlock,
                                         int16_t latencySeek, bool legacy) {
    BitWriter w;
    w.ub(0, 4);
    writeSoundFormat(w, format, false);
    writeSoundFormat(w, format, true);
    w.u16(samplesPerBlock);
    if (format.format == 2) w.u16(static_cast<uint16_t>(latencySeek));
    return rawTag(legacy ? kSoundStreamHead : kSoundStreamHead2, w.take());
}

SwfTagList& SwfTagList::soundStreamBlock(std::span<const uint8_t> data) { return rawTag(kSoundStreamBlock, data); }

SwfTagList& SwfTagList::exportAssets(const std::vector<std::pair<uint16_t, std::string>>& assets) {
    BitWriter w;
    w.u16(static_cast<uint16_t>(assets.size()));
    for (const auto& [id, name] : assets) {
        w.u16(id);
        w.cString(name);
    }
    return rawTag(kExportAssets, w.take());
}

SwfTagList& SwfTagList::fileAttributes(bool actionScript3, bool useNetwork, bool hasMetadata) {
    BitWriter w;
    w.u8(static_cast<uint8_t>((hasMetadata ? 0x10 : 0) | (actionScript3 ? 0x08 : 0) | (useNetwork ? 0x01 : 0)));
    w.u8(0);
    w.u8(0);
    w.u8(0);
    return rawTag(kFileAttributes, w.take());
}

// ---- SwfWriter ----

std::vector<uint8_t> SwfWriter::bytes(bool omitEnd) const {
    BitWriter body;
    body.rect(0, stageWidth_, 0, stageHeight_);
    body.u16(static_cast<uint16_t>(std::lround(frameRate_ * 256.0)));
    body.u16(declaredFrames_.value_or(frameCount()));
    body.bytes(tagBytes());
    if (!hasEnd() && !omitEnd) body.u16(0);
    std::vector<uint8_t> plain = body.take();

    uint32_t length = declaredLength_.value_or(static_cast<uint32_t>(plain.size() + 8));
    BitWriter file;
    const char* signature = compression_ == Compression::None ? "FWS" : compression_ == Compression::Zlib ? "CWS" : "ZWS";
    file.u8(static_cast<uint8_t>(signature[0]));
    file.u8('W');
    file.u8('S');
    file.u8(version_);
    file.u32(length);
    if (compression_ == Compression::None) {
        file.bytes(plain);
    } else if (compression_ == Compression::Zlib) {
        file.bytes(zlibCompress(plain));
    } else {
        std::vector<uint8_t> packed = lzmaCompress(plain, lzmaEndMarker_);
        file.u32(static_cast<uint32_t>(packed.size() - 5));  // the data's length, properties not counted
        file.bytes(packed);
    }
    return file.take();
}

void SwfWriter::writeFile(const std::string& path) const {
    auto data = bytes();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace velmora::test
