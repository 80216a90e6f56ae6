#pragma once

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVariantAnimation>
#include <QWidget>

namespace velmora {

// A transient note drawn over the bottom of another widget (the movie area): it appears at once,
// stays a few seconds after the last report and then fades out. It is one widget for the whole
// run; a report that repeats the text on show only renews it and updates its "(×N)" count, so a
// failure repeating every 50 ms keeps one steady note. It never takes the focus or a click and
// never changes the layout of the window.
class FailureNotice : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHoldMilliseconds = 4000;
    static constexpr int kFadeMilliseconds = 1000;

    // Created as a sibling drawn above `anchor`, which it follows as it moves and resizes.
    // `anchor` must have a parent.
    explicit FailureNotice(QWidget& anchor);

    // Shows `text`, with "(×repeats)" after it when repeats > 1.
    void showText(const QString& text, int repeats);

    QString text() const { return shown_; }
    double opacity() const { return opacity_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void fitToAnchor();
    void startFade();

    QPointer<QWidget> anchor_;
    QString shown_;
    double opacity_ = 1.0;
    QTimer hold_;
    QVariantAnimation fade_;
};

}  // namespace velmora
