#include "swf/format/character_parsers.h"
#include "swf/format/filter_parser.h"
#include "swf/format/sound_parser.h"

namespace velmora::swf {

namespace {

constexpr uint16_t kReleaseCondition = 1u << 3;  // OverDownToOverUp: a click

ActionBytes actionBytes(std::span<const uint8_t> bytes) {
    return std::make_shared<const std::vector<uint8_t>>(bytes.begin(), bytes.end());
}

// Records until the zero byte that ends the list.
void readRecords(BitReader& in, int version, std::vector<ButtonRecord>& records, ParseContext& ctx) {
    for (;;) {
        ctx.charge(sizeof(ButtonRecord));
        if (in.atEnd()) throw MalformedData("a button's record list has no end");
        uint8_t flags = in.u8();
        if (flags == 0) return;
        ButtonRecord record;
        bool hasBlendMode = flags & 0x20;
        bool hasFilters = flags & 0x10;
        record.hitTest = flags & 0x08;
        record.down = flags & 0x04;
        record.over = flags & 0x02;
        record.up = flags & 0x01;
        record.characterId = in.u16();
        record.depth = in.u16();
        record.matrix = in.matrix();
        if (version == 2) {
            record.colorTransform = in.colorTransform(true);
            if (hasFilters) {
                record.filters = parseFilterList(in);
                ctx.charge(record.filters.size() * sizeof(Filter));
            }
            if (hasBlendMode) {
                uint8_t mode = in.u8();
                record.blendMode = (mode == 0 || mode > 14) ? BlendMode::Normal : static_cast<BlendMode>(mode);
            }
        }
        records.push_back(std::move(record));
    }
}

}  // namespace

std::shared_ptr<ButtonCharacter> parseDefineButton(BitReader& in, int version, ParseContext& ctx) {
    auto button = std::make_shared<ButtonCharacter>(in.u16());
    button->version = version;
    if (version == 1) {
        readRecords(in, 1, button->records, ctx);
        button->actions.push_back({kReleaseCondition, actionBytes(in.rest())});
        return button;
    }
    button->trackAsMenu = in.u8() & 0x01;
    size_t offsetField = in.position();
    uint16_t actionOffset = in.u16();
    if (actionOffset != 0 && offsetField + actionOffset > in.bytes().size()) {
        throw MalformedData("a button's action offset points outside the tag");
    }
    readRecords(in, 2, button->records, ctx);
    if (actionOffset == 0) return button;
    BitReader actions(in.bytes());
    actions.skip(offsetField + actionOffset);
    for (;;) {
        size_t start = actions.position();
        uint16_t size = actions.u16();
        uint16_t conditions = actions.u16();
        std::span<const uint8_t> bytes;
        if (size == 0) {
            bytes = actions.rest();  // the last one runs to the end of the tag
        } else {
            if (size < 4 || start + size > actions.bytes().size()) {
                throw MalformedData("a button action's size points outside the tag");
            }
            bytes = actions.take(size - 4);
        }
        ctx.charge(sizeof(ButtonCondAction) + 64 + bytes.size());
        button->actions.push_back({conditions, actionBytes(bytes)});
        if (size == 0) break;
    }
    return button;
}

void parseDefineButtonSound(BitReader& in, ParseContext& ctx) {
    uint16_t buttonId = in.u16();
    ButtonCharacter* button = ctx.button(buttonId);
    if (button == nullptr) {
        ctx.warn("DefineButtonSound names button " + std::to_string(buttonId) + ", which is not defined");
        return;
    }
    std::array<std::optional<ButtonCharacter::Sound>, 4> sounds;
    for (auto& sound : sounds) {
        // Some encoders stop after the last transition that has a sound.
        if (in.atEnd()) break;
        uint16_t soundId = in.u16();
        if (soundId == 0) continue;
        sound = ButtonCharacter::Sound{soundId, parseSoundInfo(in)};
    }
    button->sounds = std::move(sounds);
}

void parseDefineButtonCxform(BitReader& in, ParseContext& ctx) {
    uint16_t buttonId = in.u16();
    ButtonCharacter* button = ctx.button(buttonId);
    if (button == nullptr) {
        ctx.warn("DefineButtonCxform names button " + std::to_string(buttonId) + ", which is not defined");
        return;
    }
    ColorTransform cx = in.colorTransform(false);
    for (auto& record : button->records) record.colorTransform = cx;
}

std::shared_ptr<VideoStreamCharacter> parseDefineVideoStream(BitReader& in) {
    auto video = std::make_shared<VideoStreamCharacter>(in.u16());
    video->frameCount = in.u16();
    video->width = in.u16();
    video->height = in.u16();
    in.ub(4);
    uint32_t deblocking = in.ub(3);
    video->smoothing = in.flag();
    uint8_t codec = in.u8();
    if (deblocking > 5) throw MalformedData("a video stream has an unknown deblocking setting");
    if (codec == 1 || codec > 6) throw MalformedData("a video stream has an unknown codec " + std::to_string(codec));
    video->deblocking = static_cast<uint8_t>(deblocking);
    video->codec = static_cast<VideoStreamCharacter::Codec>(codec);
    return video;
}

}  // namespace velmora::swf
