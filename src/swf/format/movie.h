#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "swf/format/action_bytes.h"
#include "swf/format/character.h"
#include "swf/format/diagnostics.h"
#include "swf/format/geometry.h"
#include "swf/format/timeline.h"

namespace velmora::swf {

// A parsed SWF file: immutable once built, shared by everything that plays it.
struct Movie {
    // Header.
    char signature[3] = {'F', 'W', 'S'};  // FWS, CWS (zlib) or ZWS (LZMA)
    uint8_t version = 0;
    uint32_t declaredFileLength = 0;  // as the header says; real encoders write placeholders
    Rect stage;                       // twips
    double frameRate = 12.0;          // frames per second, from 8.8 fixed point; may be 0
    uint16_t declaredFrameCount = 0;  // as the header says; the timeline's real length rules

    Timeline root;
    std::map<uint16_t, std::shared_ptr<const Character>> dictionary;

    // First SetBackgroundColor of the main timeline, if any; white otherwise.
    Rgba backgroundColor{255, 255, 255, 255};

    // FileAttributes.
    bool useNetwork = false;
    bool actionScript3 = false;
    bool hasMetadata = false;
    bool useDirectBlit = false;
    bool useGpu = false;

    bool hasAbc = false;  // DoABC seen: its scripts are not run
    bool isProtected = false;
    std::string metadata;
    std::map<std::string, uint16_t> exports;       // ExportAssets: name -> character id
    std::map<uint16_t, std::vector<ActionBytes>> initActions;  // DoInitAction by sprite id
    // DefineSceneAndFrameLabelData: the main timeline's first frame of each scene, by name.
    std::map<std::string, uint32_t> scenes;
    // DefineScalingGrid: the grid of a sprite or button by character id, in its own twips.
    std::map<uint16_t, Rect> scalingGrids;
    uint16_t maxRecursionDepth = 256;  // ScriptLimits
    uint16_t scriptTimeoutSeconds = 15;
    // Things skipped or repaired while parsing, from the file room; at most 100 and a last entry
    // saying that more were left out.
    Diagnostics warnings{DiagnosticRoom::File, 101};

    // The character defined under id, or nullptr.
    const Character* character(uint16_t id) const {
        auto it = dictionary.find(id);
        return it == dictionary.end() ? nullptr : it->second.get();
    }
    std::shared_ptr<const Character> sharedCharacter(uint16_t id) const {
        auto it = dictionary.find(id);
        return it == dictionary.end() ? nullptr : it->second;
    }

    int64_t stageWidthPixels() const { return stage.width() / 20; }
    int64_t stageHeightPixels() const { return stage.height() / 20; }
};

}  // namespace velmora::swf
