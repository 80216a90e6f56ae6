#include "fake_movie_player.h"

#include "fake_controls.h"
#include "platform/core/failure.h"

namespace velmora::testing {

namespace {
constexpr const char* kClip = "mp3_mc";
}  // namespace

void FakeMoviePlayer::load(const std::string& path, const FakeMovieFile& file) {
    movie = path;
    totalFrames = file.totalFrames;
    clipFrames = file.clipFrames;
    frameNum = 0;
    clipFrame = 0;
    playing = true;
    clipPlaying = clipFrames.has_value();
}

void FakeMoviePlayer::putMovie(const std::string& path) {
    log_.write(name_ + ".Movie", path);
    const auto found = files.find(path);
    load(path, found != files.end() ? found->second : FakeMovieFile{});
}
std::string FakeMoviePlayer::Movie() const {
    log_.read(name_ + ".Movie");
    return movie;
}
int32_t FakeMoviePlayer::TotalFrames() const {
    log_.read(name_ + ".TotalFrames");
    return totalFrames;
}
int32_t FakeMoviePlayer::FrameNum() const {
    log_.read(name_ + ".FrameNum");
    return frameNum;
}
void FakeMoviePlayer::Play() {
    log_.call(name_ + ".Play");
    playing = true;
}
void FakeMoviePlayer::StopPlay() {
    log_.call(name_ + ".StopPlay");
    playing = false;
}
void FakeMoviePlayer::GotoFrame(int32_t frame) {
    log_.call(name_ + ".GotoFrame", std::to_string(frame));
    frameNum = frame;
    playing = false;
}
void FakeMoviePlayer::Forward() {
    log_.call(name_ + ".Forward");
    ++frameNum;
}
void FakeMoviePlayer::Back() {
    log_.call(name_ + ".Back");
    --frameNum;
}
void FakeMoviePlayer::putBackgroundColor(int32_t rgb) {
    log_.write(name_ + ".BackgroundColor", std::to_string(rgb));
    background = rgb;
}

void FakeMoviePlayer::requireClip(const std::string& target) const {
    if (target != kClip || !clipFrames) throw Failure("the movie has no clip named " + target);
}

std::string FakeMoviePlayer::TGetProperty(const std::string& target, int32_t index) {
    log_.call(name_ + ".TGetProperty", target + "," + std::to_string(index));
    requireClip(target);
    if (index != 5) throw Failure("the fake knows only the frame count property");
    return *clipFrames;
}
int32_t FakeMoviePlayer::TCurrentFrame(const std::string& target) {
    log_.call(name_ + ".TCurrentFrame", target);
    requireClip(target);
    return clipFrame;
}
void FakeMoviePlayer::TGotoFrame(const std::string& target, int32_t frame) {
    log_.call(name_ + ".TGotoFrame", target + "," + std::to_string(frame));
    requireClip(target);
    clipFrame = frame;
    clipPlaying = false;
}
void FakeMoviePlayer::TPlay(const std::string& target) {
    log_.call(name_ + ".TPlay", target);
    requireClip(target);
    clipPlaying = true;
}
void FakeMoviePlayer::TStopPlay(const std::string& target) {
    log_.call(name_ + ".TStopPlay", target);
    requireClip(target);
    clipPlaying = false;
}

void FakeMoviePlayer::putWidth(float twips) {
    log_.write(name_ + ".Width", twipsText(twips));
    width = twips;
}
void FakeMoviePlayer::putHeight(float twips) {
    log_.write(name_ + ".Height", twipsText(twips));
    height = twips;
}

}  // namespace velmora::testing
