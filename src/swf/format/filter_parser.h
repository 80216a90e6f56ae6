#pragma once

#include <vector>

#include "swf/format/bit_reader.h"
#include "swf/format/filter.h"

namespace velmora::swf {

// A FILTERLIST (count byte, then the filters) of PlaceObject3 and DefineButton2 records. Raises
// MalformedData for a cut-short list or an unknown filter type (whose length cannot be known).
std::vector<Filter> parseFilterList(BitReader& in);

}  // namespace velmora::swf
