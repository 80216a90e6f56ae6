#pragma once

#include <string>

#include "swf/format/movie_loader.h"

namespace velmora::swf {

// A structure that does not hold together: read past its end, an index out of range, a value the
// format does not allow. Raised inside the parser and caught where the damage can be contained
// (a character tag is skipped, a cut-off timeline ends early); it reaches the caller as the
// ParseError it derives from only when the file as a whole cannot be read.
//
// Limits are a different matter: they raise a plain ParseError, which nothing inside the parser
// catches, because a file that breaks one is refused whole.
class MalformedData : public ParseError {
public:
    explicit MalformedData(const std::string& what) : ParseError(what) {}
};

}  // namespace velmora::swf
