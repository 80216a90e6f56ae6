#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "fake_call_log.h"
#include "platform/core/controls.h"
#include "platform/core/movie_player.h"

namespace velmora::testing {

// What a movie file gives the fake player when it is loaded.
struct FakeMovieFile {
    int32_t totalFrames = 100;
    // The text that the frame-count query of the "mp3_mc" clip returns; no value: the movie has
    // no such clip, and every operation on it fails.
    std::optional<std::string> clipFrames;
};

// A movie player (and its placed area) that logs every call as "<name>.<operation>" to the shared
// FakeCallLog, which can make any single operation fail. Loading a path takes its FakeMovieFile
// from `files` (a default one for paths not listed); a newly loaded movie stands at frame 0 and
// runs. Its state is in public fields that tests set and inspect.
class FakeMoviePlayer : public MoviePlayer, public MovieAreaControl {
public:
    FakeMoviePlayer(FakeCallLog& log, std::string name) : log_(log), name_(std::move(name)) {}

    void putMovie(const std::string& path) override;
    std::string Movie() const override;
    int32_t TotalFrames() const override;
    int32_t FrameNum() const override;
    void Play() override;
    void StopPlay() override;
    void GotoFrame(int32_t frame) override;
    void Forward() override;
    void Back() override;
    void putBackgroundColor(int32_t rgb) override;
    std::string TGetProperty(const std::string& target, int32_t index) override;
    int32_t TCurrentFrame(const std::string& target) override;
    void TGotoFrame(const std::string& target, int32_t frame) override;
    void TPlay(const std::string& target) override;
    void TStopPlay(const std::string& target) override;

    void putWidth(float twips) override;
    void putHeight(float twips) override;

    // Loads `file` as if `path` had been opened, without logging.
    void load(const std::string& path, const FakeMovieFile& file);

    std::map<std::string, FakeMovieFile> files;

    std::string movie;
    int32_t totalFrames = 0;
    int32_t frameNum = 0;
    bool playing = false;
    std::optional<std::string> clipFrames;
    int32_t clipFrame = 0;
    bool clipPlaying = false;
    std::optional<int32_t> background;
    std::optional<float> width;
    std::optional<float> height;

private:
    // Raises the failure of an operation on a clip the movie does not have.
    void requireClip(const std::string& target) const;

    FakeCallLog& log_;
    std::string name_;
};

}  // namespace velmora::testing
