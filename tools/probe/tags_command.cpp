#include <vector>

#include "probe_command.h"
#include "swf/format/movie_header.h"
#include "swf/format/movie_loader.h"
#include "swf/format/tag_code.h"
#include "swf/format/tag_reader.h"

namespace velmora::probe {

namespace {

constexpr unsigned kMaxDepth = 64;  // a hostile file cannot make the listing recurse without end

void listTags(std::span<const uint8_t> records, unsigned depth, std::ostream& out) {
    swf::TagReader reader(records);
    while (auto tag = reader.next()) {
        out << std::string(depth * 2, ' ') << depth << " " << tag->code << " " << swf::tagName(tag->code) << " "
            << tag->body.size() << "\n";
        if (tag->code == swf::kTagDefineSprite && tag->body.size() >= 4 && depth < kMaxDepth) {
            listTags(tag->body.subspan(4), depth + 1, out);
        }
        if (tag->code == swf::kTagEnd) break;
    }
    if (reader.cutOff()) out << std::string(depth * 2, ' ') << depth << " - cut off: the last record runs past the end\n";
}

}  // namespace

void runTagsCommand(std::span<const std::string> args, std::ostream& out) {
    if (args.size() != 1) throwUsage(probeCommands()[1]);
    const std::string& path = args[0];
    std::vector<uint8_t> bytes = swf::readMovieFile(path);
    swf::Movie header;
    swf::MovieBody body;
    try {
        body = swf::readMovieHeader(bytes, swf::ParseLimits{}, header);
    } catch (const swf::ParseError& e) {
        throw std::runtime_error(path + ": " + e.what());
    }
    listTags(body.records, 0, out);
    printDiagnostics(header.warnings);
}

}  // namespace velmora::probe
