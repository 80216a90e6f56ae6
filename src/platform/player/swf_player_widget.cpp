#include "platform/player/swf_player_widget.h"

#include <QPainter>

#include "platform/core/failure.h"

namespace velmora {

// Placeholder until the engine is wired in: an empty player that answers as a player with no
// movie does.
struct SwfPlayerWidget::State {
    bool backgroundSet = false;
    int32_t background = 0xFFFFFF;
};

SwfPlayerWidget::SwfPlayerWidget(QWidget* parent) : QWidget(parent), state_(std::make_unique<State>()) {}
SwfPlayerWidget::~SwfPlayerWidget() = default;

void SwfPlayerWidget::setInitialBackgroundColor(int32_t rgb) { putBackgroundColor(rgb); }
void SwfPlayerWidget::putMovie(const std::string& path) { throw Failure("cannot open movie " + path); }
std::string SwfPlayerWidget::Movie() const { return {}; }
int32_t SwfPlayerWidget::TotalFrames() const { return 0; }
int32_t SwfPlayerWidget::FrameNum() const { return 0; }
void SwfPlayerWidget::Play() {}
void SwfPlayerWidget::StopPlay() {}
void SwfPlayerWidget::GotoFrame(int32_t) {}
void SwfPlayerWidget::Forward() {}
void SwfPlayerWidget::Back() {}
void SwfPlayerWidget::putBackgroundColor(int32_t rgb) {
    state_->backgroundSet = true;
    state_->background = rgb;
    update();
}
std::string SwfPlayerWidget::TGetProperty(const std::string& target, int32_t) { throw Failure("no movie clip " + target); }
int32_t SwfPlayerWidget::TCurrentFrame(const std::string& target) { throw Failure("no movie clip " + target); }
void SwfPlayerWidget::TGotoFrame(const std::string& target, int32_t) { throw Failure("no movie clip " + target); }
void SwfPlayerWidget::TPlay(const std::string& target) { throw Failure("no movie clip " + target); }
void SwfPlayerWidget::TStopPlay(const std::string& target) { throw Failure("no movie clip " + target); }

void SwfPlayerWidget::putWidth(float twips) { resize(qRound(twips * logicalDpiX() / 1440.0), height()); }
void SwfPlayerWidget::putHeight(float twips) { resize(width(), qRound(twips * logicalDpiY() / 1440.0)); }

void SwfPlayerWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int32_t c = state_->background;
    painter.fillRect(rect(), QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
}

}  // namespace velmora
