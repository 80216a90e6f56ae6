#pragma once

#include <cstdint>

#include "platform/core/movie_player.h"

namespace velmora {

// A sound movie carries its narration either on the timeline of a movie clip named "mp3_mc" or
// on its main timeline. Everything that reads, moves, starts or sizes the sound position decides
// which one first, afresh at every use: nothing is cached, since the movie may be replaced at any
// time.
inline constexpr const char* kSoundClip = "mp3_mc";
inline constexpr int32_t kFrameCountProperty = 5;

enum class SoundTimeline { Main, Clip };

// Asks swf2 for the clip's frame count: Clip when it is a non-zero number, Main when it is zero.
// Raises Failure when the query fails or its text is not a number.
SoundTimeline decideSoundTimeline(MoviePlayer& swf2);

// As decideSoundTimeline, but a failed or non-numeric query means Main: a sound movie without the
// clip is driven through its main timeline.
SoundTimeline soundTimelineOrMain(MoviePlayer& swf2);

// The frame count of that timeline as a progress-bar maximum: TotalFrames for Main; for Clip a
// second query of the clip's frame count, read directly as a 16-bit integer. Raises Failure when a
// call fails, the text is not a number, or the count does not fit 16 bits.
int16_t soundFrameCount(MoviePlayer& swf2, SoundTimeline timeline);

// The current frame of that timeline, narrowed to 16 bits (Failure above 32767).
int16_t soundCurrentFrame(MoviePlayer& swf2, SoundTimeline timeline);

// Moves that timeline to `frame`.
void soundGotoFrame(MoviePlayer& swf2, SoundTimeline timeline, int32_t frame);

// Lets that timeline run on after a seek.
void soundResume(MoviePlayer& swf2, SoundTimeline timeline);

}  // namespace velmora
