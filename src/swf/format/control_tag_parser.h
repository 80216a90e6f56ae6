#pragma once

#include <cstdint>

#include "swf/format/bit_reader.h"
#include "swf/format/control_tags.h"

namespace velmora::swf {

// Each reads one control tag body. They raise MalformedData when the body does not hold the tag;
// trailing bytes after the fields are ignored, as players always have.

// version is 1, 2 or 3 (PlaceObject, PlaceObject2, PlaceObject3). swfVersion decides the width of
// clip event flags (16 bits up to SWF 5, 32 bits after). Reads into place, which must be freshly
// made: placements are most of a timeline's tags, so they are read where they are kept instead of
// being built and moved. When MalformedData is raised, place holds part of the tag and is to be
// thrown away.
void parsePlaceObject(BitReader& in, int version, uint8_t swfVersion, PlaceObject& place);
// version 1 (RemoveObject, with a character id) or 2 (RemoveObject2).
RemoveObject parseRemoveObject(BitReader& in, int version);
// version 1 (StartSound, by id) or 2 (StartSound2, by class name).
StartSound parseStartSound(BitReader& in, int version);
VideoFrame parseVideoFrame(BitReader& in);

}  // namespace velmora::swf
