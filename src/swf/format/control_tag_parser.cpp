#include "swf/format/control_tag_parser.h"

#include "swf/format/filter_parser.h"
#include "swf/format/sound_parser.h"

namespace velmora::swf {

namespace {

// Event flags are stored as a little-endian number, 2 bytes up to SWF 5 and 4 bytes after; read
// that way, every version puts each event on the same bit.
uint32_t readEventFlags(BitReader& in, uint8_t swfVersion) { return swfVersion <= 5 ? in.u16() : in.u32(); }

std::vector<ClipAction> readClipActions(BitReader& in, uint8_t swfVersion) {
    in.u16();                      // reserved
    readEventFlags(in, swfVersion);  // the union of all events: redundant
    std::vector<ClipAction> actions;
    for (;;) {
        // Some encoders end the list at the end of the tag instead of writing the zero flags.
        if (in.atEnd()) break;
        uint32_t events = readEventFlags(in, swfVersion);
        if (events == 0) break;
        uint32_t size = in.u32();
        ClipAction action;
        action.events = events;
        if (events & kClipEventKeyPress) {
            if (size == 0) throw MalformedData("a key press clip action has no key code");
            action.keyCode = in.u8();
            --size;
        }
        auto bytes = in.take(size);
        action.actions = std::make_shared<const std::vector<uint8_t>>(bytes.begin(), bytes.end());
        actions.push_back(std::move(action));
    }
    return actions;
}

}  // namespace

void parsePlaceObject(BitReader& in, int version, uint8_t swfVersion, PlaceObject& place) {
    place.version = version;
    if (version == 1) {
        place.characterId = in.u16();
        place.depth = in.u16();
        place.matrix = in.matrix();
        if (!in.atEnd()) place.colorTransform = in.colorTransform(false);
        return;
    }

    bool hasClipActions = in.flag();
    bool hasClipDepth = in.flag();
    bool hasName = in.flag();
    bool hasRatio = in.flag();
    bool hasColorTransform = in.flag();
    bool hasMatrix = in.flag();
    bool hasCharacter = in.flag();
    place.move = in.flag();
    bool hasBackground = false, hasVisible = false, hasClassName = false, hasCache = false, hasBlend = false,
         hasFilters = false;
    if (version == 3) {
        in.ub(1);
        hasBackground = in.flag();
        hasVisible = in.flag();
        in.ub(1);  // HasImage: only says the class is a bitmap's; the class name flag tells whether one follows
        hasClassName = in.flag();
        hasCache = in.flag();
        hasBlend = in.flag();
        hasFilters = in.flag();
    }
    place.depth = in.u16();
    if (hasClassName) place.className = in.cString();
    if (hasCharacter) place.characterId = in.u16();
    if (hasMatrix) place.matrix = in.matrix();
    if (hasColorTransform) place.colorTransform = in.colorTransform(true);
    if (hasRatio) place.ratio = in.u16();
    if (hasName) place.name = in.cString();
    if (hasClipDepth) place.clipDepth = in.u16();
    if (hasFilters) place.filters = parseFilterList(in);
    if (hasBlend) {
        uint8_t mode = in.u8();
        place.blendMode = (mode == 0 || mode > 14) ? BlendMode::Normal : static_cast<BlendMode>(mode);
    }
    if (hasCache) place.cacheAsBitmap = in.atEnd() ? true : in.u8() != 0;  // some encoders omit the byte
    if (hasVisible) place.visible = in.u8() != 0;
    if (hasBackground) place.backgroundColor = in.rgba();
    if (hasClipActions) place.clipActions = readClipActions(in, swfVersion);
}

RemoveObject parseRemoveObject(BitReader& in, int version) {
    RemoveObject remove;
    if (version == 1) remove.characterId = in.u16();
    remove.depth = in.u16();
    return remove;
}

StartSound parseStartSound(BitReader& in, int version) {
    StartSound start;
    if (version == 1) {
        start.soundId = in.u16();
    } else {
        start.className = in.cString();
    }
    start.info = parseSoundInfo(in);
    return start;
}

VideoFrame parseVideoFrame(BitReader& in) {
    VideoFrame frame;
    frame.streamId = in.u16();
    frame.frameNum = in.u16();
    auto data = in.rest();
    frame.data = std::make_shared<const std::vector<uint8_t>>(data.begin(), data.end());
    return frame;
}

}  // namespace velmora::swf
