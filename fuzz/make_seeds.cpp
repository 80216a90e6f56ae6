// Writes seed movies for the fuzzer into the folder given as its argument.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "support/swf_writer.h"

namespace fs = std::filesystem;
using velmora::test::SwfTagList;
using velmora::test::SwfWriter;

namespace {

void save(const fs::path& dir, const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream out(dir / (name + ".swf"), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

SwfWriter lesson() {
    SwfTagList narration;
    narration.soundStreamHead2({.format = 2, .rateCode = 2, .is16Bit = true, .stereo = false}, 1152);
    const uint8_t block[] = {0x00, 0x00, 0xFF, 0xFB, 0x90, 0x00};
    for (int i = 0; i < 4; ++i) narration.soundStreamBlock(block).showFrame();
    narration.doAction({0x07, 0x00});  // stop
    SwfWriter swf(6);
    swf.setBackgroundColor({255, 255, 255});
    swf.defineRectangle(1, 0, 0, 400, 300, {0, 128, 255});
    swf.defineSprite(2, narration);
    swf.frameLabel("start");
    swf.placeObject2({.depth = 1, .characterId = 1});
    swf.placeObject2({.depth = 2, .characterId = 2, .name = "mp3_mc"});
    swf.showFrame();
    swf.placeObject2({.depth = 1, .move = true, .matrix = velmora::test::WriterMatrix{.translateX = 200}});
    swf.doAction({0x81, 0x02, 0x00, 0x00, 0x00, 0x06, 0x00});  // goto frame 0, play
    swf.showFrame();
    swf.removeObject2(1).showFrame();
    return swf;
}

// Seeds of the video fuzzer: a few frames of each codec ffmpeg encodes, in the fuzzer's framing
// (codec, width, height, then frames with a 16-bit length). Returns how many were written.
int writeVideoSeeds(const fs::path& dir) {
    fs::create_directories(dir);
    struct Codec {
        const char* encoder;
        uint8_t selector;  // the fuzzer's index of the codec
    };
    int written = 0;
    for (Codec codec : {Codec{"flv", 0}, Codec{"flashsv", 1}, Codec{"flashsv2", 2}}) {
        const fs::path flv = dir / (std::string(codec.encoder) + ".flv");
        const std::string command = "ffmpeg -y -hide_banner -loglevel error -f lavfi -i testsrc2=size=48x32:rate=25 "
                                    "-frames:v 6 -g 3 -c:v " + std::string(codec.encoder) + " " + flv.string();
        if (std::system(command.c_str()) != 0) continue;
        std::ifstream in(flv, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        fs::remove(flv);
        std::vector<uint8_t> seed = {codec.selector, 48, 32};
        auto be = [&](size_t at, int n) {
            uint32_t v = 0;
            for (int i = 0; i < n; ++i) v = v << 8 | bytes[at + size_t(i)];
            return v;
        };
        size_t at = bytes.size() >= 13 ? be(5, 4) + 4 : bytes.size();
        while (at + 11 <= bytes.size()) {
            const size_t size = be(at + 1, 3);
            if (at + 11 + size > bytes.size() || size > 0xFFFF) break;
            if (bytes[at] == 9 && size > 1) {
                seed.push_back(uint8_t((size - 1) >> 8));
                seed.push_back(uint8_t(size - 1));
                seed.insert(seed.end(), bytes.begin() + long(at + 12), bytes.begin() + long(at + 11 + size));
            }
            at += 11 + size + 4;
        }
        std::ofstream out(dir / (std::string(codec.encoder) + ".bin"), std::ios::binary);
        out.write(reinterpret_cast<const char*>(seed.data()), static_cast<std::streamsize>(seed.size()));
        ++written;
    }
    return written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::cerr << "usage: velmora_fuzz_seeds DIR [VIDEO_DIR]\n";
        return 1;
    }
    fs::path dir = argv[1];
    fs::create_directories(dir);
    auto swf = lesson();
    save(dir, "lesson_fws", swf.bytes());
    swf.compression(SwfWriter::Compression::Zlib);
    save(dir, "lesson_cws", swf.bytes());
    swf.compression(SwfWriter::Compression::Lzma);
    save(dir, "lesson_zws", swf.bytes());

    // Every case of the tag corpus, wrapped in a movie of its own.
    fs::path corpus = fs::path(VELMORA_CORPUS_DIR) / "swf-tags";
    int wrapped = 0;
    if (fs::is_directory(corpus)) {
        for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
            if (entry.path().filename() != "input.bytes") continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::vector<uint8_t> tag((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            SwfWriter movie(10);
            movie.rawBytes(tag).showFrame();
            std::string name = entry.path().parent_path().parent_path().filename().string() + "_" +
                               entry.path().parent_path().filename().string();
            save(dir, name, movie.bytes());
            ++wrapped;
        }
    }
    // The bundled sample lessons, when present.
    for (const char* sub : {"samples/swf", "samples/mp3"}) {
        fs::path samples = fs::path(VELMORA_SOURCE_DIR) / sub;
        if (!fs::is_directory(samples)) continue;
        for (const auto& entry : fs::directory_iterator(samples)) {
            if (entry.path().extension() == ".swf") fs::copy_file(entry.path(), dir / ("sample_" + entry.path().filename().string()), fs::copy_options::overwrite_existing);
        }
    }
    std::cout << "wrote 3 fixtures and " << wrapped << " corpus cases to " << dir << "\n";
    if (argc == 3) std::cout << "wrote " << writeVideoSeeds(argv[2]) << " video seeds to " << argv[2] << "\n";
    return 0;
}
