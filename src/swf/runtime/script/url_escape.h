#pragma once

#include <string>
#include <string_view>

namespace velmora::swf::script {

// The global escape: every character but the ASCII letters and digits becomes %XX (uppercase
// hexadecimal). From SWF 6 on text is Unicode and each byte of its UTF-8 form is escaped; before,
// a character up to U+00FF is one byte of the movie's single-byte code page and escapes as that
// byte (others still go as their UTF-8 bytes: we no longer know the code page they came from).
std::string escapeText(std::string_view utf8, int swfVersion);

// The global unescape: %XX sequences become bytes (an invalid one is kept as written), and
// %uXXXX the character XXXX. The bytes are read as the movie's text is read when it loads: UTF-8
// when they form it, else the Chinese code page, else Latin-1; so unescape(escape(s)) is s.
std::string unescapeText(std::string_view text, int swfVersion);

}  // namespace velmora::swf::script
