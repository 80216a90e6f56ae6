#pragma once

#include <cstdint>
#include <string_view>

namespace velmora::swf {

// The record codes this engine knows by name. Codes not listed here are still read (and skipped).
enum TagCode : uint16_t {
    kTagEnd = 0,
    kTagShowFrame = 1,
    kTagDefineShape = 2,
    kTagPlaceObject = 4,
    kTagRemoveObject = 5,
    kTagDefineBits = 6,
    kTagDefineButton = 7,
    kTagJpegTables = 8,
    kTagSetBackgroundColor = 9,
    kTagDefineFont = 10,
    kTagDefineText = 11,
    kTagDoAction = 12,
    kTagDefineFontInfo = 13,
    kTagDefineSound = 14,
    kTagStartSound = 15,
    kTagDefineButtonSound = 17,
    kTagSoundStreamHead = 18,
    kTagSoundStreamBlock = 19,
    kTagDefineBitsLossless = 20,
    kTagDefineBitsJpeg2 = 21,
    kTagDefineShape2 = 22,
    kTagDefineButtonCxform = 23,
    kTagProtect = 24,
    kTagPlaceObject2 = 26,
    kTagRemoveObject2 = 28,
    kTagDefineShape3 = 32,
    kTagDefineText2 = 33,
    kTagDefineButton2 = 34,
    kTagDefineBitsJpeg3 = 35,
    kTagDefineBitsLossless2 = 36,
    kTagDefineEditText = 37,
    kTagDefineSprite = 39,
    kTagProductInfo = 41,
    kTagFrameLabel = 43,
    kTagSoundStreamHead2 = 45,
    kTagDefineMorphShape = 46,
    kTagDefineFont2 = 48,
    kTagExportAssets = 56,
    kTagImportAssets = 57,
    kTagEnableDebugger = 58,
    kTagDoInitAction = 59,
    kTagDefineVideoStream = 60,
    kTagVideoFrame = 61,
    kTagDefineFontInfo2 = 62,
    kTagDebugId = 63,
    kTagEnableDebugger2 = 64,
    kTagScriptLimits = 65,
    kTagSetTabIndex = 66,
    kTagFileAttributes = 69,
    kTagPlaceObject3 = 70,
    kTagImportAssets2 = 71,
    kTagDoAbcDefine = 72,
    kTagDefineFontAlignZones = 73,
    kTagCsmTextSettings = 74,
    kTagDefineFont3 = 75,
    kTagSymbolClass = 76,
    kTagMetadata = 77,
    kTagDefineScalingGrid = 78,
    kTagDoAbc = 82,
    kTagDefineShape4 = 83,
    kTagDefineMorphShape2 = 84,
    kTagDefineSceneAndFrameLabelData = 86,
    kTagDefineBinaryData = 87,
    kTagDefineFontName = 88,
    kTagStartSound2 = 89,
    kTagDefineBitsJpeg4 = 90,
    kTagDefineFont4 = 91,
    kTagEnableTelemetry = 93,
};

// The tag's name as the format calls it ("DefineShape3"), or "Unknown" for a code this engine does
// not know. The view points at static storage.
std::string_view tagName(uint16_t code);

}  // namespace velmora::swf
