#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// What the system asks of a movie player: one instance per movie (swf1 shows the subtitle movie,
// swf2 plays the sound movie). The operations carry the names the system knows them by. Every
// operation may raise a Failure; each caller decides whether it goes on past it.
//
// Frames count from 0 for FrameNum, TCurrentFrame, GotoFrame and TGotoFrame; TotalFrames and
// property 5 are counts. Texts are UTF-8.
class MoviePlayer {
public:
    virtual ~MoviePlayer() = default;

    // Movie put: loads the SWF file at path, replacing the current movie. With the creation
    // settings the new movie starts running at once and loops. A missing or corrupt file raises a
    // Failure naming the file and the reason, and leaves the player empty.
    virtual void putMovie(const std::string& path) = 0;
    // Movie get: the loaded movie's path; the empty text while no movie has been loaded.
    virtual std::string Movie() const = 0;

    // Frame count of the main timeline (0 with no movie).
    virtual int32_t TotalFrames() const = 0;
    // Current frame of the main timeline (0 with no movie).
    virtual int32_t FrameNum() const = 0;

    virtual void Play() = 0;
    virtual void StopPlay() = 0;
    // Moves the main timeline to frame and stops there; past the last frame means the last
    // frame, below 0 means frame 0.
    virtual void GotoFrame(int32_t frame) = 0;
    virtual void Forward() = 0;
    virtual void Back() = 0;

    // The stage background, 0x00RRGGBB, for the current movie and every movie loaded later.
    virtual void putBackgroundColor(int32_t rgb) = 0;

    // Property `index` of the clip named by target, as text (index 5: its frame count).
    // A target that does not exist raises a Failure.
    virtual std::string TGetProperty(const std::string& target, int32_t index) = 0;
    virtual int32_t TCurrentFrame(const std::string& target) = 0;
    virtual void TGotoFrame(const std::string& target, int32_t frame) = 0;
    virtual void TPlay(const std::string& target) = 0;
    virtual void TStopPlay(const std::string& target) = 0;
};

}  // namespace velmora
