#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::swf::script {

// The engine keeps text in UTF-8 (old movies' code pages are decoded as they are read). These
// count and cut it by characters, as the multi-byte actions and the String methods do.

// Characters (code points) in UTF-8 text; a stray byte counts as one.
size_t characterCount(std::string_view text);
// The byte offset of character `index` (the size of text when index is past the end).
size_t byteOffsetOfCharacter(std::string_view text, size_t index);
// The code point of the first character (0 for empty text).
uint32_t firstCodePoint(std::string_view text);
// A code point in UTF-8 (0 gives the empty text, as the player's chr(0) does).
std::string codePointToUtf8(uint32_t codePoint);
// Appends codePoint as UTF-8, 0 included (as a NUL byte).
void appendUtf8(std::string& out, uint32_t codePoint);
// StringExtract / MBStringExtract: count characters (or bytes) from the 1-based index. A
// non-finite index or count, or an index past the end, gives the empty text; a negative count
// takes the rest.
std::string extractText(std::string_view text, double index, double count, bool characters);
// Two lowercase hexadecimal digits.
std::string hexByte(uint8_t byte);

}  // namespace velmora::swf::script
