#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "platform/player/frame_picture.h"
#include "platform/player/player_audio.h"
#include "platform/player/player_clock.h"
#include "platform/player/swf_player_widget.h"
#include "swf/render/bitmap_data_painter.h"
#include "swf/render/field_text_measure.h"
#include "swf/render/render_resources.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/pointer_input.h"
#include "swf/video/flv_media.h"
#include "swf/sound/sound_channel.h"

namespace velmora {

// The insides of a player, shared by the files that make up the widget.
struct SwfPlayerWidget::State {
    std::string path;  // as given to putMovie; empty while no movie is loaded
    // Declared before the instance, whose clips draw on them and call into them: destroyed
    // after it. The channel goes before the shared audio whose mixer it plays through.
    swf::RenderResources renderResources;
    std::unique_ptr<swf::StageRenderer> renderer;
    std::shared_ptr<PlayerAudio> audio;  // taken with the first movie
    std::unique_ptr<swf::SoundChannel> sound;  // the current movie's sounds
    std::unique_ptr<swf::BitmapDataPainter> pictures;  // the current movie's scripts draw pictures with it
    std::unique_ptr<swf::FlvMediaOpener> media;  // opens the videos the current movie's scripts play
    std::unique_ptr<swf::FieldTextMeasure> textMeasure;  // the current movie's text fields measured for its scripts
    std::unique_ptr<swf::MovieInstance> instance;
    std::unique_ptr<swf::PointerInput> pointer;  // the instance's mouse; goes before it
    // Text input: the field a drag selects in, and the text an input method is composing (shown
    // at the caret, not yet typed) with its own caret.
    swf::TextFieldHandle selecting;
    std::u16string preedit;
    int32_t preeditCursor = 0;
    QTimer caretBlink;  // runs while an input field has the keyboard focus
    bool caretHidden = false;  // the blinking caret is in its dark half
    bool overTextField = false;  // the pointer is over a selectable field: the text cursor
    int wheelAngle = 0;  // wheel turns not yet a whole line (fine-grained wheels, touch pads)
    bool backgroundSet = false;
    int32_t background = 0xFFFFFF;  // 0x00RRGGBB
    bool loop = true;
    double zoom = 1.0;
    // The process's clock steps the player through this.
    struct ClockClient final : PlayerClock::Client {
        explicit ClockClient(SwfPlayerWidget& player) : player(player) {}
        std::optional<double> secondsToNextFrame() override { return player.secondsToNextFrame(); }
        void onClockTick() override { player.onClockTick(); }
        SwfPlayerWidget& player;
    };
    std::shared_ptr<PlayerClock> clock;
    std::unique_ptr<ClockClient> clockClient;
    QElapsedTimer sinceLastTick;
    // Seconds added to the time since the last tick: the first frame after a start is moved by up
    // to half a frame, to fall in step with the other players (see restartClock).
    double clockShift = 0.0;
    std::function<void(const std::string&)> diagnosticSink;
    std::function<void(const std::string&)> traceSink;
    bool idle = true;  // the movie needed no ticks when last asked
    // The frame shown, and the movie's change count when it was drawn.
    FramePicture picture;
    uint64_t paintedChange = 0;
    // Something besides the movie changed how the frame looks (the view's zoom, the background,
    // the quality): the picture is drawn afresh and shown whole at the next redraw.
    bool pictureStale = true;
};

}  // namespace velmora
