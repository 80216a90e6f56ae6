#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace velmora {

// How the main window looks when it is created, before Form_Load runs. Positions and sizes are
// twips; Left and Top count from the top-left corner of the client area. The toolkit builds the
// widgets from these values; only Form_Resize moves them afterwards.

inline constexpr std::string_view kForm1Title = "Velmora";
inline constexpr int kForm1ClientWidth = 7245;
inline constexpr int kForm1ClientHeight = 7110;

struct ControlPlacement {
    std::string_view name;
    int left;
    int top;
    int width;
    int height;
    std::string_view text;  // caption of a button, tooltip of the slider; empty otherwise
};

// In tab order: the keyboard focus moves through the controls in this order.
inline constexpr std::array<ControlPlacement, 9> kForm1Controls{{
    {"swf1", 120, 120, 7005, 5685, ""},
    {"swf2", 6000, 6720, 165, 165, ""},
    {"HSc1", 840, 6000, 6255, 255, ""},
    {"HSc2", 840, 6360, 6255, 255, ""},
    {"Com2", 120, 6360, 615, 255, "声音"},
    {"Com1", 120, 6000, 615, 255, "字幕"},
    {"ComP", 3000, 6720, 1095, 375, "播放"},
    {"ComColor", 6360, 6720, 735, 255, "底色"},
    {"Slider1", 120, 6720, 2775, 255, "字幕速度调节"},
}};

// ComP's caption while paused ("play") and while playing ("pause").
inline constexpr std::string_view kPlayCaption = "播放";
inline constexpr std::string_view kPauseCaption = "暂停";

// ComColor is in graphical style with this face colour (toolkit form 0x00BBGGRR: light yellow),
// the same colour that swf1 starts with as its stage background (movie form 0x00RRGGBB).
inline constexpr int32_t kComColorInitialBackColor = 0x00C0FFFF;
inline constexpr int32_t kSubtitleInitialBackground = 0x00FFFFC0;

// Scroll bars start at 0..32767, value 0, small and large step 1; timers start enabled with
// interval 0 (they never tick until an interval is set).
inline constexpr int16_t kScrollBarInitialMax = 32767;

}  // namespace velmora
