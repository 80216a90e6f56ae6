#include "swf/format/id3_tags.h"

#include <algorithm>
#include <array>
#include <optional>

#include "swf/format/text_encoding.h"

namespace velmora::swf {

namespace {

// The genres an ID3v1 tag numbers (and an ID3v2 genre may name as "(n)").
constexpr std::array<const char*, 80> kGenres = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal",
    "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop", "Vocal",
    "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game", "Sound Clip", "Gospel",
    "Noise", "AlternRock", "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop", "Instrumental Rock",
    "Ethnic", "Gothic", "Darkwave", "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream",
    "Southern Rock", "Comedy", "Cult", "Gangsta", "Top 40", "Christian Rap", "Pop/Funk", "Jungle",
    "Native American", "Cabaret", "New Wave", "Psychadelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal",
    "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock"};

// The fields scripts know: the ID3v2.3 frame id and its friendly name, with the v2.2 and v2.4
// ids that mean the same.
struct Field {
    const char* v23;
    const char* v22;
    const char* v24;
    const char* friendly;
};
constexpr std::array<Field, 7> kFields = {{{"TIT2", "TT2", "TIT2", "songname"},
                                           {"TPE1", "TP1", "TPE1", "artist"},
                                           {"TALB", "TAL", "TALB", "album"},
                                           {"TYER", "TYE", "TDRC", "year"},
                                           {"COMM", "COM", "COMM", "comment"},
                                           {"TRCK", "TRK", "TRCK", "track"},
                                           {"TCON", "TCO", "TCON", "genre"}}};

// A tag's fields may be at most this long; longer text is cut (a lesson needs a title, not a book).
constexpr size_t kMaxFieldBytes = 4096;

uint32_t synchsafe(const uint8_t* p) { return (uint32_t(p[0] & 0x7F) << 21) | (uint32_t(p[1] & 0x7F) << 14) | (uint32_t(p[2] & 0x7F) << 7) | (p[3] & 0x7F); }
uint32_t bigEndian(const uint8_t* p, size_t n) {
    uint32_t v = 0;
    for (size_t i = 0; i < n; ++i) v = (v << 8) | p[i];
    return v;
}

void appendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6)), out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12)), out += char(0x80 | ((c >> 6) & 0x3F)), out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18)), out += char(0x80 | ((c >> 12) & 0x3F)), out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

std::string fromUtf16(std::span<const uint8_t> b, bool bigEndianOrder) {
    if (b.size() >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF))) {
        bigEndianOrder = b[0] == 0xFE;
        b = b.subspan(2);
    }
    std::string out;
    for (size_t i = 0; i + 1 < b.size(); i += 2) {
        uint32_t u = bigEndianOrder ? (b[i] << 8 | b[i + 1]) : (b[i + 1] << 8 | b[i]);
        if (u == 0) break;
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < b.size()) {
            const uint32_t lo = bigEndianOrder ? (b[i + 2] << 8 | b[i + 3]) : (b[i + 3] << 8 | b[i + 2]);
            if (lo >= 0xDC00 && lo < 0xE000) {
                u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
                i += 2;
            } else {
                u = 0xFFFD;
            }
        } else if (u >= 0xD800 && u < 0xE000) {
            u = 0xFFFD;
        }
        appendUtf8(out, u);
    }
    return out;
}

// Single-byte text, up to its first NUL, trailing spaces dropped.
std::string fromBytes(std::span<const uint8_t> b) {
    size_t n = std::find(b.begin(), b.end(), uint8_t(0)) - b.begin();
    while (n > 0 && b[n - 1] == ' ') --n;
    return toUtf8(std::string(b.begin(), b.begin() + long(n)), 5);
}

// Text of the given ID3v2 encoding (0 Latin-1, 1 UTF-16 with a byte-order mark, 2 UTF-16BE, 3 UTF-8).
std::string decodeText(uint8_t encoding, std::span<const uint8_t> b) {
    if (b.size() > kMaxFieldBytes) b = b.first(kMaxFieldBytes);
    switch (encoding) {
    case 1: return fromUtf16(b, false);
    case 2: return fromUtf16(b, true);
    case 3: return toUtf8(std::string(b.begin(), std::find(b.begin(), b.end(), uint8_t(0))), 6);
    default: return fromBytes(b);
    }
}

// Where a text of the encoding ends (its terminator), from b's start: the offset just past it.
size_t pastTerminator(uint8_t encoding, std::span<const uint8_t> b) {
    if (encoding == 1 || encoding == 2) {
        for (size_t i = 0; i + 1 < b.size(); i += 2) {
            if (b[i] == 0 && b[i + 1] == 0) return i + 2;
        }
        return b.size();
    }
    const auto nul = std::find(b.begin(), b.end(), uint8_t(0));
    return nul == b.end() ? b.size() : size_t(nul - b.begin()) + 1;
}

// "(17)Rock", "(17)" or "17" name a numbered genre.
std::string genreName(const std::string& text) {
    std::string digits = text;
    if (!digits.empty() && digits.front() == '(') {
        const size_t close = digits.find(')');
        if (close == std::string::npos) return text;
        if (close + 1 < digits.size()) return digits.substr(close + 1);
        digits = digits.substr(1, close - 1);
    }
    if (digits.empty() || digits.size() > 3 || !std::all_of(digits.begin(), digits.end(), ::isdigit)) return text;
    const int n = std::stoi(digits);
    return n < int(kGenres.size()) ? kGenres[size_t(n)] : text;
}

void put(Id3Tags& tags, const Field& field, const std::string& text, bool override) {
    const std::string value = std::string(field.friendly) == "genre" ? genreName(text) : text;
    for (auto& [name, old] : tags.fields) {
        if (name == field.v23 || name == field.friendly) {
            if (override) old = value;
        }
    }
    if (std::none_of(tags.fields.begin(), tags.fields.end(), [&](const auto& f) { return f.first == field.v23; })) {
        tags.fields.emplace_back(field.v23, value);
        tags.fields.emplace_back(field.friendly, value);
    }
}

void readFrame(Id3Tags& tags, const std::string& id, std::span<const uint8_t> body) {
    if (body.empty()) return;
    for (const Field& field : kFields) {
        if (id != field.v23 && id != field.v22 && id != field.v24) continue;
        const uint8_t encoding = body[0];
        std::span<const uint8_t> text = body.subspan(1);
        if (id == "COMM" || id == "COM") {
            // Language (3 bytes), then a short description, then the comment.
            if (text.size() < 3) return;
            text = text.subspan(3);
            text = text.subspan(std::min(text.size(), pastTerminator(encoding, text)));
        }
        put(tags, field, decodeText(encoding, text), true);
        return;
    }
}

void readId3v2(Id3Tags& tags, std::span<const uint8_t> file) {
    const size_t length = id3v2Length(file);
    if (length == 0) return;
    const uint8_t major = file[3];
    const uint8_t flags = file[5];
    std::vector<uint8_t> body(file.begin() + 10, file.begin() + long(std::min(length, file.size())));
    if ((flags & 0x80) && major < 4) {
        // Unsynchronised: every 0xFF 0x00 stands for 0xFF.
        std::vector<uint8_t> plain;
        for (size_t i = 0; i < body.size(); ++i) {
            plain.push_back(body[i]);
            if (body[i] == 0xFF && i + 1 < body.size() && body[i + 1] == 0x00) ++i;
        }
        body.swap(plain);
    }
    size_t at = 0;
    if ((flags & 0x40) && major >= 3 && body.size() >= 4) {
        // An extended header: skipped.
        const uint32_t size = major == 4 ? synchsafe(body.data()) : bigEndian(body.data(), 4) + 4;
        at = size;
    }
    const size_t idBytes = major == 2 ? 3 : 4;
    const size_t headerBytes = major == 2 ? 6 : 10;
    while (at + headerBytes <= body.size()) {
        const uint8_t* h = body.data() + at;
        if (h[0] == 0) break;  // padding
        const std::string id(reinterpret_cast<const char*>(h), idBytes);
        const uint32_t size = major == 2 ? bigEndian(h + 3, 3) : major == 4 ? synchsafe(h + 4) : bigEndian(h + 4, 4);
        at += headerBytes;
        if (size > body.size() - at) break;
        // Compressed or encrypted frames (format flags) are left out.
        const bool plain = major == 2 || (major == 3 ? (h[9] & 0xC0) == 0 : (h[9] & 0x0C) == 0);
        if (plain) readFrame(tags, id, std::span<const uint8_t>(body).subspan(at, size));
        at += size;
    }
}

void readId3v1(Id3Tags& tags, std::span<const uint8_t> file) {
    if (!hasId3v1(file)) return;
    const auto t = file.subspan(file.size() - 128);
    put(tags, kFields[0], fromBytes(t.subspan(3, 30)), false);
    put(tags, kFields[1], fromBytes(t.subspan(33, 30)), false);
    put(tags, kFields[2], fromBytes(t.subspan(63, 30)), false);
    put(tags, kFields[3], fromBytes(t.subspan(93, 4)), false);
    // ID3v1.1: a zero before the comment's last byte makes that byte the track number.
    const bool hasTrack = t[125] == 0 && t[126] != 0;
    put(tags, kFields[4], fromBytes(t.subspan(97, hasTrack ? 28 : 30)), false);
    if (hasTrack) put(tags, kFields[5], std::to_string(t[126]), false);
    if (t[127] < kGenres.size()) put(tags, kFields[6], kGenres[t[127]], false);
    // Empty fields of a v1 tag say nothing.
    std::erase_if(tags.fields, [](const auto& f) { return f.second.empty(); });
}

}  // namespace

size_t id3v2Length(std::span<const uint8_t> file) {
    if (file.size() < 10 || file[0] != 'I' || file[1] != 'D' || file[2] != '3') return 0;
    if (file[3] < 2 || file[3] > 4 || file[3] == 0xFF || file[4] == 0xFF) return 0;
    if ((file[6] | file[7] | file[8] | file[9]) & 0x80) return 0;
    const bool footer = file[3] == 4 && (file[5] & 0x10);
    return 10 + size_t(synchsafe(file.data() + 6)) + (footer ? 10 : 0);
}

bool hasId3v1(std::span<const uint8_t> file) {
    return file.size() >= 128 && file[file.size() - 128] == 'T' && file[file.size() - 127] == 'A' &&
           file[file.size() - 126] == 'G';
}

Id3Tags readId3Tags(std::span<const uint8_t> file) {
    Id3Tags tags;
    readId3v2(tags, file);
    readId3v1(tags, file);
    return tags;
}

}  // namespace velmora::swf
