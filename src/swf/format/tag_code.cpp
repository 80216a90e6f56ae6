#include "swf/format/tag_code.h"

namespace velmora::swf {

std::string_view tagName(uint16_t code) {
    switch (code) {
        case kTagEnd: return "End";
        case kTagShowFrame: return "ShowFrame";
        case kTagDefineShape: return "DefineShape";
        case kTagPlaceObject: return "PlaceObject";
        case kTagRemoveObject: return "RemoveObject";
        case kTagDefineBits: return "DefineBits";
        case kTagDefineButton: return "DefineButton";
        case kTagJpegTables: return "JPEGTables";
        case kTagSetBackgroundColor: return "SetBackgroundColor";
        case kTagDefineFont: return "DefineFont";
        case kTagDefineText: return "DefineText";
        case kTagDoAction: return "DoAction";
        case kTagDefineFontInfo: return "DefineFontInfo";
        case kTagDefineSound: return "DefineSound";
        case kTagStartSound: return "StartSound";
        case kTagDefineButtonSound: return "DefineButtonSound";
        case kTagSoundStreamHead: return "SoundStreamHead";
        case kTagSoundStreamBlock: return "SoundStreamBlock";
        case kTagDefineBitsLossless: return "DefineBitsLossless";
        case kTagDefineBitsJpeg2: return "DefineBitsJPEG2";
        case kTagDefineShape2: return "DefineShape2";
        case kTagDefineButtonCxform: return "DefineButtonCxform";
        case kTagProtect: return "Protect";
        case kTagPlaceObject2: return "PlaceObject2";
        case kTagRemoveObject2: return "RemoveObject2";
        case kTagDefineShape3: return "DefineShape3";
        case kTagDefineText2: return "DefineText2";
        case kTagDefineButton2: return "DefineButton2";
        case kTagDefineBitsJpeg3: return "DefineBitsJPEG3";
        case kTagDefineBitsLossless2: return "DefineBitsLossless2";
        case kTagDefineEditText: return "DefineEditText";
        case kTagDefineSprite: return "DefineSprite";
        case kTagProductInfo: return "ProductInfo";
        case kTagFrameLabel: return "FrameLabel";
        case kTagSoundStreamHead2: return "SoundStreamHead2";
        case kTagDefineMorphShape: return "DefineMorphShape";
        case kTagDefineFont2: return "DefineFont2";
        case kTagExportAssets: return "ExportAssets";
        case kTagImportAssets: return "ImportAssets";
        case kTagEnableDebugger: return "EnableDebugger";
        case kTagDoInitAction: return "DoInitAction";
        case kTagDefineVideoStream: return "DefineVideoStream";
        case kTagVideoFrame: return "VideoFrame";
        case kTagDefineFontInfo2: return "DefineFontInfo2";
        case kTagDebugId: return "DebugID";
        case kTagEnableDebugger2: return "EnableDebugger2";
        case kTagScriptLimits: return "ScriptLimits";
        case kTagSetTabIndex: return "SetTabIndex";
        case kTagFileAttributes: return "FileAttributes";
        case kTagPlaceObject3: return "PlaceObject3";
        case kTagImportAssets2: return "ImportAssets2";
        case kTagDoAbcDefine: return "DoABCDefine";
        case kTagDefineFontAlignZones: return "DefineFontAlignZones";
        case kTagCsmTextSettings: return "CSMTextSettings";
        case kTagDefineFont3: return "DefineFont3";
        case kTagSymbolClass: return "SymbolClass";
        case kTagMetadata: return "Metadata";
        case kTagDefineScalingGrid: return "DefineScalingGrid";
        case kTagDoAbc: return "DoABC";
        case kTagDefineShape4: return "DefineShape4";
        case kTagDefineMorphShape2: return "DefineMorphShape2";
        case kTagDefineSceneAndFrameLabelData: return "DefineSceneAndFrameLabelData";
        case kTagDefineBinaryData: return "DefineBinaryData";
        case kTagDefineFontName: return "DefineFontName";
        case kTagStartSound2: return "StartSound2";
        case kTagDefineBitsJpeg4: return "DefineBitsJPEG4";
        case kTagDefineFont4: return "DefineFont4";
        case kTagEnableTelemetry: return "EnableTelemetry";
        default: return "Unknown";
    }
}

}  // namespace velmora::swf
