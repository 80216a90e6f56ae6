#include "swf/format/timeline_parser.h"

#include <algorithm>

#include "swf/format/bit_reader.h"
#include "swf/format/control_tag_parser.h"
#include "swf/format/definition_tags.h"
#include "swf/format/sound_parser.h"
#include "swf/format/tag_code.h"

namespace velmora::swf {

namespace {

class TimelineBuilder {
public:
    TimelineBuilder(ParseContext& ctx, Timeline& timeline) : ctx_(ctx), timeline_(timeline) {}

    // Returns false at End.
    bool add(const TagRecord& tag) {
        BitReader in(tag.body);
        switch (tag.code) {
            case kTagEnd: return false;
            case kTagShowFrame: showFrame(); return true;
            case kTagPlaceObject: place(in, 1); return true;
            case kTagPlaceObject2: place(in, 2); return true;
            case kTagPlaceObject3: place(in, 3); return true;
            case kTagRemoveObject: control(parseRemoveObject(in, 1)); return true;
            case kTagRemoveObject2: control(parseRemoveObject(in, 2)); return true;
            case kTagDoAction: control(DoAction{actionBytes(in.rest())}); return true;
            case kTagStartSound: control(parseStartSound(in, 1)); return true;
            case kTagStartSound2: control(parseStartSound(in, 2)); return true;
            case kTagSoundStreamBlock: {
                auto data = in.rest();
                control(SoundStreamBlock{std::make_shared<const std::vector<uint8_t>>(data.begin(), data.end())});
                return true;
            }
            case kTagVideoFrame: control(parseVideoFrame(in)); return true;
            case kTagSetBackgroundColor: {
                SetBackgroundColor set{in.rgb()};
                if (ctx_.nesting == 0 && !backgroundSeen_) {
                    ctx_.movie.backgroundColor = set.color;
                    backgroundSeen_ = true;
                }
                control(set);
                return true;
            }
            case kTagFrameLabel: {
                // An optional byte 1 after the name marks a named anchor: for playback it is a label
                // like any other.
                std::string label = in.cString();
                ctx_.charge(sizeof(std::string) + label.size());
                pending_.labels.push_back(std::move(label));
                return true;
            }
            case kTagSoundStreamHead:
            case kTagSoundStreamHead2:
                if (timeline_.streamHead) ctx_.warn("a timeline has a second sound stream head; the first is kept");
                else timeline_.streamHead = parseSoundStreamHead(in);
                return true;
            case kTagDoInitAction: {
                uint16_t spriteId = in.u16();
                ctx_.charge(128 + tag.body.size());
                ctx_.movie.initActions[spriteId].push_back(actionBytes(in.rest()));
                return true;
            }
            case kTagExportAssets:
                parseMovieAttributeTag(tag, ctx_);
                noteExports(tag);
                return true;
            default:
                if (parseDefinitionTag(tag, ctx_)) return true;
                if (parseMovieAttributeTag(tag, ctx_)) return true;
                return true;  // unknown tags are skipped: later versions add tags older players never knew
        }
    }

    // The ids an ExportAssets tag names, for the frame it belongs to; a damaged list gives those
    // read before the damage (the movie's parser has reported it).
    void noteExports(const TagRecord& tag) {
        BitReader in(tag.body);
        try {
            const uint16_t count = in.u16();
            for (uint16_t i = 0; i < count; ++i) {
                const uint16_t id = in.u16();
                in.cString();
                ctx_.charge(sizeof(uint16_t));
                pending_.exports.push_back(id);
            }
        } catch (const MalformedData&) {
        }
    }

    void finish(bool cutOff) {
        if (cutOff) {
            ctx_.warn(std::string(ctx_.nesting == 0 ? "the movie" : "a sprite") +
                      " is cut short after frame " + std::to_string(timeline_.frames.size()) +
                      "; it plays as far as it goes");
        }
    }

private:
    // What a control tag occupies in memory beyond its own slot: shared byte blocks, names, clip
    // actions and filters.
    static uint64_t payloadBytes(const ControlTag& tag) {
        constexpr uint64_t kBlockOverhead = 64;  // the shared_ptr's control block and the vector
        if (auto* place = std::get_if<PlaceObject>(&tag)) {
            uint64_t n = (place->name ? place->name->size() : 0) + (place->className ? place->className->size() : 0);
            if (place->filters) n += place->filters->size() * sizeof(Filter);
            for (const auto& a : place->clipActions) n += sizeof(ClipAction) + kBlockOverhead + (a.actions ? a.actions->size() : 0);
            return n;
        }
        if (auto* action = std::get_if<DoAction>(&tag)) return kBlockOverhead + action->actions->size();
        if (auto* block = std::get_if<SoundStreamBlock>(&tag)) return kBlockOverhead + block->data->size();
        if (auto* frame = std::get_if<VideoFrame>(&tag)) return kBlockOverhead + frame->data->size();
        if (auto* start = std::get_if<StartSound>(&tag)) {
            return start->className.size() + start->info.envelope.size() * sizeof(SoundEnvelopePoint);
        }
        return 0;
    }

    static ActionBytes actionBytes(std::span<const uint8_t> bytes) {
        return std::make_shared<const std::vector<uint8_t>>(bytes.begin(), bytes.end());
    }

    void roomForAnotherTag() const {
        if (pending_.tags.size() >= ctx_.limits.maxTagsPerFrame) {
            throw ParseError("more than " + std::to_string(ctx_.limits.maxTagsPerFrame) + " tags in one frame");
        }
    }

    template <class Tag>
    void control(Tag&& tag) {
        roomForAnotherTag();
        const ControlTag& added = pending_.tags.emplace_back(std::forward<Tag>(tag));
        ctx_.charge(sizeof(ControlTag) + payloadBytes(added));
    }

    // A placement is read straight into its slot in the frame's list: it is a large record, and
    // most of a timeline's tags are placements.
    void place(BitReader& in, int version) {
        roomForAnotherTag();
        ControlTag& added = pending_.tags.emplace_back(std::in_place_type<PlaceObject>);
        try {
            parsePlaceObject(in, version, ctx_.version(), std::get<PlaceObject>(added));
        } catch (...) {
            pending_.tags.pop_back();  // a damaged placement leaves nothing behind
            throw;
        }
        ctx_.charge(sizeof(ControlTag) + payloadBytes(added));
    }

    void showFrame() {
        if (timeline_.frames.size() >= ctx_.limits.maxFramesPerTimeline) {
            throw ParseError("more than " + std::to_string(ctx_.limits.maxFramesPerTimeline) + " frames in one timeline");
        }
        ctx_.charge(sizeof(Frame));
        const size_t tags = pending_.tags.size();
        timeline_.frames.push_back(std::move(pending_));
        pending_ = Frame{};
        // Frames of one timeline tend to carry as many tags as the one before: room for them up
        // front saves growing the list tag by tag. Held to a few, so that a frame of many tags
        // before an empty one leaves little room unused.
        pending_.tags.reserve(std::min<size_t>(tags, 16));
    }

    ParseContext& ctx_;
    Timeline& timeline_;
    Frame pending_;
    bool backgroundSeen_ = false;
};

}  // namespace

void parseTimeline(std::span<const uint8_t> records, ParseContext& ctx, Timeline& timeline) {
    TimelineBuilder builder(ctx, timeline);
    TagReader reader(records);
    while (auto tag = reader.next()) {
        bool goOn = true;
        try {
            goOn = builder.add(*tag);
        } catch (const MalformedData& e) {
            ctx.warn(std::string(tagName(tag->code)) + " at offset " + std::to_string(tag->offset) +
                     " is damaged and skipped: " + e.what());
        }
        if (!goOn) break;
    }
    builder.finish(reader.cutOff());
}

}  // namespace velmora::swf
