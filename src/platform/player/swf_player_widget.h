#pragma once

#include <QWidget>
#include <memory>

#include "platform/core/controls.h"
#include "platform/core/movie_player.h"

namespace velmora {

// The movie player component: plays one SWF movie on our own engine and shows it in its widget
// area. One instance per movie, each with its own clock. Created with the settings the main
// window gives it (window mode "Window", quality "High", scale mode "ShowAll", running as soon as
// a movie is loaded, looping, full right-button menu).
class SwfPlayerWidget : public QWidget, public MoviePlayer, public MovieAreaControl {
    Q_OBJECT
public:
    explicit SwfPlayerWidget(QWidget* parent = nullptr);
    ~SwfPlayerWidget() override;

    // Creation setting: the stage background as 0x00RRGGBB. A player whose colour was never set
    // shows each movie's own background.
    void setInitialBackgroundColor(int32_t rgb);

    // MoviePlayer
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

    // MovieAreaControl: the window resizes the area in twips.
    void putWidth(float twips) override;
    void putHeight(float twips) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace velmora
