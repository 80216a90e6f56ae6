#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace velmora::swf {

// The words an MP3 file's tags give about it, as UTF-8: an ID3v2 tag at the start (versions 2.2
// to 2.4: title, artist, album, year, comment, track and genre frames) and an ID3v1 tag in the
// last 128 bytes. Where both have a field, the ID3v2 one wins. Text in a single-byte encoding is
// read as the movies' own strings are (UTF-8, then GBK, then Latin-1), since Chinese files often
// carry GBK there.
struct Id3Tags {
    // name -> text, with the names scripts know: the ID3v2.3 frame ids ("TIT2", "TPE1", "TALB",
    // "TYER", "COMM", "TRCK", "TCON") and the friendly ones ("songname", "artist", "album",
    // "year", "comment", "track", "genre").
    std::vector<std::pair<std::string, std::string>> fields;

    bool empty() const { return fields.empty(); }
};

// Reads the tags of a whole MP3 file. Damaged or cut-off tags give what could be read; never
// reads outside bytes.
Id3Tags readId3Tags(std::span<const uint8_t> file);

// The length of the ID3v2 tag at the start of file (header, footer included), 0 when there is none.
size_t id3v2Length(std::span<const uint8_t> file);
// Whether the file ends in an ID3v1 tag (its last 128 bytes).
bool hasId3v1(std::span<const uint8_t> file);

}  // namespace velmora::swf
