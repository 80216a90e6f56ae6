#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace velmora::test {

// Builds SWF files byte for byte, for test fixtures. It writes what it is told, including things
// a real encoder would not (wrong declared counts, cut-off files), so that tests can check how
// the engine copes. Lengths are in twips unless a name says pixels.
//
//   SwfWriter swf;                                  // SWF 10, 550x400 px, 24 fps, uncompressed
//   swf.defineRectangle(1, 0, 0, 100, 50, {255, 0, 0});
//   swf.placeObject2({.depth = 1, .characterId = 1});
//   swf.showFrame();
//   auto bytes = swf.bytes();
//
// Every method returns *this, so calls chain.

struct Color {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    uint8_t a = 255;
};

// A matrix as stored: scale and rotate-skew factors, translation in twips.
struct WriterMatrix {
    double scaleX = 1.0;
    double scaleY = 1.0;
    double rotateSkew0 = 0.0;
    double rotateSkew1 = 0.0;
    int32_t translateX = 0;
    int32_t translateY = 0;
};

// Multipliers in 8.8 fixed point (256 is 1.0), additions in channel units.
struct WriterColorTransform {
    int16_t rMult = 256, gMult = 256, bMult = 256, aMult = 256;
    int16_t rAdd = 0, gAdd = 0, bAdd = 0, aAdd = 0;
};

struct WriterClipAction {
    uint32_t events = 0;  // the 32-bit event flags (written as 16 bits for SWF 5 and older)
    uint8_t keyCode = 0;  // written when events has the key press bit (1 << 17)
    std::vector<uint8_t> actions;
};

// The fields of PlaceObject2 and PlaceObject3: each optional one is written when set.
struct WriterPlacement {
    uint16_t depth = 1;
    bool move = false;
    std::optional<uint16_t> characterId;
    std::optional<WriterMatrix> matrix;
    std::optional<WriterColorTransform> colorTransform;
    std::optional<uint16_t> ratio;
    std::optional<std::string> name;
    std::optional<uint16_t> clipDepth;
    std::vector<WriterClipAction> clipActions;
    bool shortEventFlags = false;  // SWF 5 and older store 16-bit event flags
    // PlaceObject3 only.
    std::optional<std::string> className;
    std::optional<std::vector<uint8_t>> rawFilterList;  // the FILTERLIST bytes, count included
    std::optional<uint8_t> blendMode;
    std::optional<bool> cacheAsBitmap;
    std::optional<bool> visible;
    std::optional<Color> backgroundColor;
};

struct WriterSoundInfo {
    bool syncStop = false;
    bool syncNoMultiple = false;
    std::optional<uint32_t> inPoint;
    std::optional<uint32_t> outPoint;
    std::optional<uint16_t> loops;
    struct EnvelopePoint {
        uint32_t position44 = 0;
        uint16_t left = 0;
        uint16_t right = 0;
    };
    std::vector<EnvelopePoint> envelope;
};

// The format bits of a sound: format code (0 PCM native, 1 ADPCM, 2 MP3, 3 PCM little-endian,
// 4-6 Nellymoser, 11 Speex), rate code (0 5.5 kHz, 1 11 kHz, 2 22 kHz, 3 44 kHz), size, channels.
struct WriterSoundFormat {
    uint8_t format = 3;
    uint8_t rateCode = 3;
    bool is16Bit = true;
    bool stereo = false;
};

// The tags of one timeline: the movie's, or a sprite's.
class SwfTagList {
public:
    // Any tag, body as given. The short header is used for bodies under 63 bytes unless
    // forceLongHeader is set.
    SwfTagList& rawTag(uint16_t code, std::span<const uint8_t> body, bool forceLongHeader = false);
    SwfTagList& rawTag(uint16_t code, std::initializer_list<uint8_t> body, bool forceLongHeader = false) {
        return rawTag(code, std::span<const uint8_t>(body.begin(), body.size()), forceLongHeader);
    }
    // Bytes appended as they are, with no tag header: for cut-off or garbage endings.
    SwfTagList& rawBytes(std::span<const uint8_t> bytes);

    SwfTagList& showFrame();
    SwfTagList& end();
    SwfTagList& frameLabel(const std::string& name, bool namedAnchor = false);
    SwfTagList& setBackgroundColor(Color color);

    // A DefineShape3 rectangle filled with color, from (x, y) to (x + width, y + height), twips.
    SwfTagList& defineRectangle(uint16_t id, int32_t x, int32_t y, int32_t width, int32_t height, Color color);
    // A DefineShape3 polygon filled with color through the points (twips, at least three), closed
    // back to the first; its bounds are the points' box.
    SwfTagList& definePolygon(uint16_t id, const std::vector<std::pair<int32_t, int32_t>>& points, Color color);
    // DefineSprite holding the tags of content; its declared frame count is content's ShowFrame
    // count unless declaredFrames says otherwise. An End tag is added when content has none.
    SwfTagList& defineSprite(uint16_t id, const SwfTagList& content, std::optional<uint16_t> declaredFrames = {});

    SwfTagList& placeObject(uint16_t characterId, uint16_t depth, const WriterMatrix& matrix = {});
    SwfTagList& placeObject2(const WriterPlacement& placement);
    SwfTagList& placeObject3(const WriterPlacement& placement);
    SwfTagList& removeObject(uint16_t characterId, uint16_t depth);
    SwfTagList& removeObject2(uint16_t depth);

    SwfTagList& doAction(std::span<const uint8_t> actions);
    SwfTagList& doAction(std::initializer_list<uint8_t> actions) {
        return doAction(std::span<const uint8_t>(actions.begin(), actions.size()));
    }
    SwfTagList& doInitAction(uint16_t spriteId, std::span<const uint8_t> actions);

    SwfTagList& defineSound(uint16_t id, const WriterSoundFormat& format, uint32_t sampleCount,
                            std::span<const uint8_t> data);
    SwfTagList& startSound(uint16_t soundId, const WriterSoundInfo& info = {});
    SwfTagList& startSound2(const std::string& className, const WriterSoundInfo& info = {});
    // SoundStreamHead2 (or SoundStreamHead with legacy set): playback format = stream format.
    // latencySeek is written for MP3 streams only.
    SwfTagList& soundStreamHead2(const WriterSoundFormat& format, uint16_t samplesPerBlock, int16_t latencySeek = 0,
                                 bool legacy = false);
    SwfTagList& soundStreamBlock(std::span<const uint8_t> data);

    SwfTagList& exportAssets(const std::vector<std::pair<uint16_t, std::string>>& assets);
    SwfTagList& fileAttributes(bool actionScript3, bool useNetwork = false, bool hasMetadata = false);

    // The tag records written so far.
    const std::vector<uint8_t>& tagBytes() const { return bytes_; }
    uint16_t frameCount() const { return frames_; }
    bool hasEnd() const { return ended_; }

private:
    std::vector<uint8_t> bytes_;
    uint16_t frames_ = 0;
    bool ended_ = false;
};

// A whole movie: header settings plus the main timeline's tags.
class SwfWriter : public SwfTagList {
public:
    enum class Compression { None, Zlib, Lzma };

    explicit SwfWriter(uint8_t version = 10) : version_(version) {}

    SwfWriter& version(uint8_t v) { version_ = v; return *this; }
    SwfWriter& compression(Compression c) { compression_ = c; return *this; }
    SwfWriter& stageSizePixels(int32_t width, int32_t height) { stageWidth_ = width * 20; stageHeight_ = height * 20; return *this; }
    // Frames per second, written as 8.8 fixed point.
    SwfWriter& frameRate(double fps) { frameRate_ = fps; return *this; }
    // The header's frame count and file length; by default the true ones.
    SwfWriter& declaredFrameCount(uint16_t n) { declaredFrames_ = n; return *this; }
    SwfWriter& declaredFileLength(uint32_t n) { declaredLength_ = n; return *this; }
    // LZMA data normally ends without an end marker, its size known from the header, as authoring
    // tools write it; some encoders add the marker.
    SwfWriter& lzmaEndMarker(bool on) { lzmaEndMarker_ = on; return *this; }

    // The file. An End tag is added when none was written (set omitEnd to leave it out).
    std::vector<uint8_t> bytes(bool omitEnd = false) const;
    // Writes bytes() to path; throws std::runtime_error when that fails.
    void writeFile(const std::string& path) const;

private:
    uint8_t version_;
    Compression compression_ = Compression::None;
    int32_t stageWidth_ = 550 * 20;
    int32_t stageHeight_ = 400 * 20;
    double frameRate_ = 24.0;
    std::optional<uint16_t> declaredFrames_;
    std::optional<uint32_t> declaredLength_;
    bool lzmaEndMarker_ = false;
};

// The body encodings the writer uses, for tests that build tags by hand.
class BitWriter {
public:
    void ub(uint32_t value, unsigned bits);
    void sb(int32_t value, unsigned bits);
    void flush();  // pads to a byte boundary
    void u8(uint8_t v);
    void u16(uint16_t v);
    void u32(uint32_t v);
    void bytes(std::span<const uint8_t> b);
    void cString(const std::string& s);
    void rect(int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax);
    void matrix(const WriterMatrix& m);
    void colorTransform(const WriterColorTransform& cx, bool withAlpha);
    void rgb(Color c);
    void rgba(Color c);
    // The fewest bits that hold every value as a signed field.
    static unsigned signedBits(std::initializer_list<int32_t> values);

    std::vector<uint8_t> take() { flush(); return std::move(out_); }
    const std::vector<uint8_t>& data() { flush(); return out_; }

private:
    std::vector<uint8_t> out_;
    uint8_t pending_ = 0;
    unsigned pendingBits_ = 0;
};

}  // namespace velmora::test
