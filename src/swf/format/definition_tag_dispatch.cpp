#include "swf/format/bit_reader.h"
#include "swf/format/character_parsers.h"
#include "swf/format/definition_tags.h"
#include "swf/format/sound_parser.h"
#include "swf/format/sprite.h"
#include "swf/format/tag_code.h"
#include "swf/format/timeline_parser.h"

namespace velmora::swf {

namespace {

void defineSprite(BitReader& in, ParseContext& ctx) {
    auto sprite = std::make_shared<SpriteCharacter>(in.u16());
    in.u16();  // the declared frame count: the ShowFrame tags inside rule
    if (ctx.nesting >= ctx.limits.maxSpriteNesting) {
        throw ParseError("sprites nested more than " + std::to_string(ctx.limits.maxSpriteNesting) + " levels deep");
    }
    struct Level {
        uint32_t& n;
        explicit Level(uint32_t& n) : n(n) { ++n; }
        ~Level() { --n; }
    } level(ctx.nesting);
    parseTimeline(in.rest(), ctx, sprite->timeline);
    ctx.define(std::move(sprite));
}

// The id a definition tag starts with, when its body is long enough to hold one.
std::string characterLabel(const TagRecord& tag) {
    if (tag.body.size() < 2) return "";
    return " (character " + std::to_string(tag.body[0] | (tag.body[1] << 8)) + ")";
}

}  // namespace

bool parseDefinitionTag(const TagRecord& tag, ParseContext& ctx) {
    BitReader in(tag.body);
    try {
        switch (tag.code) {
            case kTagDefineSprite: defineSprite(in, ctx); return true;
            case kTagDefineSound:
                ctx.charge(tag.body.size());
                ctx.define(parseDefineSound(in));
                return true;
            case kTagDefineShape: ctx.define(parseDefineShape(in, 1, ctx)); return true;
            case kTagDefineShape2: ctx.define(parseDefineShape(in, 2, ctx)); return true;
            case kTagDefineShape3: ctx.define(parseDefineShape(in, 3, ctx)); return true;
            case kTagDefineShape4: ctx.define(parseDefineShape(in, 4, ctx)); return true;
            case kTagDefineMorphShape: ctx.define(parseDefineMorphShape(in, 1, ctx)); return true;
            case kTagDefineMorphShape2: ctx.define(parseDefineMorphShape(in, 2, ctx)); return true;
            case kTagDefineFont: ctx.define(parseDefineFont(in, 1, ctx)); return true;
            case kTagDefineFont2: ctx.define(parseDefineFont(in, 2, ctx)); return true;
            case kTagDefineFont3: ctx.define(parseDefineFont(in, 3, ctx)); return true;
            case kTagDefineFontInfo: parseDefineFontInfo(in, 1, ctx); return true;
            case kTagDefineFontInfo2: parseDefineFontInfo(in, 2, ctx); return true;
            case kTagDefineFontAlignZones: parseDefineFontAlignZones(in, ctx); return true;
            case kTagDefineFontName: parseDefineFontName(in, ctx); return true;
            case kTagDefineText: ctx.define(parseDefineText(in, 1, ctx)); return true;
            case kTagDefineText2: ctx.define(parseDefineText(in, 2, ctx)); return true;
            case kTagDefineEditText: ctx.define(parseDefineEditText(in, ctx)); return true;
            case kTagDefineBits:
            case kTagDefineBitsJpeg2:
            case kTagDefineBitsJpeg3:
            case kTagDefineBitsJpeg4:
            case kTagDefineBitsLossless:
            case kTagDefineBitsLossless2: ctx.define(parseDefineBitmap(in, tag.code, ctx)); return true;
            case kTagJpegTables:
                // Only the first counts: every DefineBits of a movie shares one set of tables.
                if (!ctx.jpegTables && !tag.body.empty()) {
                    ctx.jpegTables = std::make_shared<const std::vector<uint8_t>>(tag.body.begin(), tag.body.end());
                }
                return true;
            case kTagDefineButton: ctx.define(parseDefineButton(in, 1, ctx)); return true;
            case kTagDefineButton2: ctx.define(parseDefineButton(in, 2, ctx)); return true;
            case kTagDefineButtonSound: parseDefineButtonSound(in, ctx); return true;
            case kTagDefineButtonCxform: parseDefineButtonCxform(in, ctx); return true;
            case kTagDefineVideoStream: ctx.define(parseDefineVideoStream(in)); return true;
            default: return false;
        }
    } catch (const MalformedData& e) {
        ctx.warn(std::string(tagName(tag.code)) + characterLabel(tag) + " is damaged and skipped: " + e.what());
        return true;
    }
}

}  // namespace velmora::swf
