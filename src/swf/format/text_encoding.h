#pragma once

#include <cstdint>
#include <string>

namespace velmora::swf {

// Turns a string as stored in the file into UTF-8. From SWF 6 on strings are UTF-8 already.
// Earlier movies stored them in the authoring system's code page; we take valid UTF-8 as it is,
// then try GBK (the code page of the Chinese authoring systems lessons come from), then Latin-1.
std::string toUtf8(const std::string& stored, uint8_t swfVersion);

}  // namespace velmora::swf
