#include "swf/format/bit_reader.h"
#include "swf/format/definition_tags.h"
#include "swf/format/tag_code.h"

namespace velmora::swf {

namespace {

void fileAttributes(BitReader& in, Movie& movie) {
    uint8_t flags = in.u8();
    movie.useDirectBlit = flags & 0x40;
    movie.useGpu = flags & 0x20;
    movie.hasMetadata = flags & 0x10;
    movie.actionScript3 = flags & 0x08;
    movie.useNetwork = flags & 0x01;
}

void exportAssets(BitReader& in, ParseContext& ctx) {
    Movie& movie = ctx.movie;
    uint16_t count = in.u16();
    for (uint16_t i = 0; i < count; ++i) {
        uint16_t id = in.u16();
        std::string name = in.cString();
        ctx.charge(64 + name.size());
        movie.exports.emplace(std::move(name), id);  // the first export of a name wins
    }
}

// Another movie's characters would have to be fetched from a URL or a file the user never chose:
// we refuse that. The imported ids stay absent from the dictionary, so placing one shows nothing.
void importAssets(BitReader& in, ParseContext& ctx, bool second) {
    std::string url = in.cString();
    if (second) {
        in.u8();
        in.u8();
    }
    uint16_t count = in.u16();
    constexpr size_t kShownUrl = 200;  // the warning names the source, it does not store it whole
    if (url.size() > kShownUrl) url = url.substr(0, kShownUrl) + "...";
    ctx.warn("ImportAssets from \"" + url + "\" is not followed; " + std::to_string(count) +
             " imported characters are absent");
}

// Scenes are not played as such (the main timeline is one run of frames): their names are kept
// for gotos by scene, and their frame labels are labels like those of FrameLabel.
void sceneAndFrameLabels(BitReader& in, ParseContext& ctx) {
    uint32_t scenes = in.encodedU32();
    for (uint32_t i = 0; i < scenes; ++i) {
        const uint32_t offset = in.encodedU32();
        std::string name = in.cString();
        ctx.charge(64 + name.size());
        ctx.movie.scenes.emplace(std::move(name), offset);
    }
    uint32_t labels = in.encodedU32();
    for (uint32_t i = 0; i < labels; ++i) {
        uint32_t frame = in.encodedU32();
        std::string name = in.cString();
        ctx.charge(64 + name.size());
        ctx.sceneFrameLabels.emplace_back(frame, std::move(name));
    }
}

// Anti-aliasing settings for a text: nothing this renderer uses, but a malformed one says the
// file is damaged there.
void checkTextSettings(BitReader& in) {
    in.u16();
    uint32_t renderer = in.ub(2);
    uint32_t gridFit = in.ub(3);
    in.ub(3);
    if (renderer > 1) throw MalformedData("unknown text renderer " + std::to_string(renderer));
    if (gridFit > 2) throw MalformedData("unknown grid fitting " + std::to_string(gridFit));
    in.f32();
    in.f32();
}

// The nine-slice grid of a sprite or button defined before it. A grid for anything else, or a
// second grid for the same character, is kept out, with a warning.
void scalingGrid(BitReader& in, ParseContext& ctx) {
    const uint16_t id = in.u16();
    const Rect grid = in.rect();
    const Character* target = ctx.movie.character(id);
    if (!target || (target->kind != CharacterKind::Sprite && target->kind != CharacterKind::Button)) {
        ctx.warn("DefineScalingGrid names character " + std::to_string(id) + ", not a sprite or button: ignored");
        return;
    }
    if (grid.xMin > grid.xMax || grid.yMin > grid.yMax) throw MalformedData("the grid's edges are crossed");
    if (!ctx.movie.scalingGrids.emplace(id, grid).second)
        ctx.warn("character " + std::to_string(id) + " has a second scaling grid: the first is kept");
}

}  // namespace

bool parseMovieAttributeTag(const TagRecord& tag, ParseContext& ctx) {
    BitReader in(tag.body);
    Movie& movie = ctx.movie;
    try {
        switch (tag.code) {
            case kTagFileAttributes: fileAttributes(in, movie); return true;
            case kTagMetadata: {
                auto text = in.rest();
                // The XML normally ends in a zero; keep what precedes it.
                std::string xml(text.begin(), text.end());
                if (auto zero = xml.find('\0'); zero != std::string::npos) xml.resize(zero);
                movie.metadata = std::move(xml);
                return true;
            }
            case kTagProtect:
                // The optional password hash guards authoring import only; playback ignores it,
                // but a damaged one is still worth a warning.
                movie.isProtected = true;
                if (!in.atEnd()) in.cString();
                return true;
            case kTagCsmTextSettings: checkTextSettings(in); return true;
            case kTagDefineSceneAndFrameLabelData: sceneAndFrameLabels(in, ctx); return true;
            case kTagEnableDebugger:
            case kTagEnableDebugger2:
            case kTagDebugId:
            case kTagProductInfo:
            case kTagEnableTelemetry:
                // Debugger passwords, build ids and the authoring tool's product record: written by
                // publishing tools, meaningless to playback, and read by no other tag's reader.
                return true;
            case kTagSymbolClass: return true;  // nothing for playback
            case kTagDefineScalingGrid: scalingGrid(in, ctx); return true;
            case kTagScriptLimits:
                movie.maxRecursionDepth = in.u16();
                movie.scriptTimeoutSeconds = in.u16();
                return true;
            case kTagSetTabIndex:
                in.u16();
                in.u16();
                return true;
            case kTagExportAssets: exportAssets(in, ctx); return true;
            case kTagImportAssets: importAssets(in, ctx, false); return true;
            case kTagImportAssets2: importAssets(in, ctx, true); return true;
            case kTagDoAbc:
            case kTagDoAbcDefine:
                movie.hasAbc = true;
                return true;
            default: return false;
        }
    } catch (const MalformedData& e) {
        ctx.warn(std::string(tagName(tag.code)) + " is damaged and skipped: " + e.what());
        return true;
    }
}

}  // namespace velmora::swf
