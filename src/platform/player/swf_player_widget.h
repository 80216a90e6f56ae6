#pragma once

#include <QColor>
#include <QPointF>
#include <QRegion>
#include <QTransform>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <optional>

class QMenu;
class QPainter;
class QInputMethodEvent;

#include "platform/core/controls.h"
#include "platform/core/movie_player.h"

namespace velmora {

class PlayerAudio;

namespace swf {
class MovieInstance;
class Clip;
struct DisplayObject;
struct TextGeometry;
}

// The movie player component: plays one SWF movie on our own engine and shows it in its widget
// area. One instance per movie, each with its own clock. Created with the settings the main
// window gives it (window mode "Window", quality "High", scale mode "ShowAll", running as soon as
// a movie is loaded, looping, full right-button menu).
//
// Frames count from 0 for FrameNum, TCurrentFrame, GotoFrame and TGotoFrame; TotalFrames and
// property 5 are counts. Gotos (GotoFrame, TGotoFrame, Forward, Back) move and stop there; the
// destination is clamped to the timeline. A player without a movie answers 0 and "", ignores the
// moves, and fails every T-operation, since it has no clips.
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

    // Whether the main timeline starts again after its last frame (the "Loop" menu entry).
    bool isLooping() const;
    void setLooping(bool loop);
    // Whether the main timeline is running.
    bool isPlaying() const;
    // The zoom of the view: 1 shows the whole stage ("Show All"); larger values magnify around
    // the centre of the area.
    double zoom() const;
    void setZoom(double zoom);

    // The right-button menu as it would open now: Zoom In, Zoom Out, Show All, Quality, Play,
    // Loop, Rewind, Forward, Back, with the entries that cannot apply disabled. The caller owns it.
    std::unique_ptr<QMenu> makeContextMenu();
    // The menu opened at a point of the widget: over a selectable text field its editing entries
    // first (see FieldCommand; the field takes the focus), then the movie's own entries (those of
    // the menu of the clip under the point, or of the root), then the player's, less those the
    // movie hides (ContextMenu.hideBuiltInItems, Stage.showMenu). Opening it runs the movie's
    // onSelect.
    std::unique_ptr<QMenu> makeContextMenu(std::optional<QPointF> at);

    // Where the movie's diagnostics go, one line each ("script: ...", "render: ..."): what its
    // file, scripts, drawing and sound could not do, each kind once per movie. Unset, they are
    // only kept by the movie. Not shown over the movie: a movie's own faults are not the user's.
    void setDiagnosticSink(std::function<void(const std::string& line)> sink);
    // Where the movie's trace() output goes, one text per call. Unset, it is dropped.
    void setTraceSink(std::function<void(const std::string& text)> sink);

    // Moves the movie's clock on by `seconds`, as the player's own timer does in real time. For
    // tests and tools that need exact steps; the timer keeps running alongside.
    void advanceClock(double seconds);
    // The playing movie, or nullptr while empty. Owned by the player; replaced by putMovie.
    swf::MovieInstance* movieInstance() const;
    // The sound the player plays through: by default the process's shared audio, taken with the
    // first movie. Tests give one with a virtual device. Unloads the current movie.
    void useAudio(std::shared_ptr<PlayerAudio> audio);

    // What the keys and the right-button menu of a focused text field do to it: all of them in
    // an input field, Copy and Select All in one that only shows selectable text. A password
    // field's text is never copied or cut.
    enum class FieldCommand { Undo, Redo, Cut, Copy, Paste, Delete, SelectAll };

    // What an input method asks of the focused input field: where its caret is on the widget
    // (for the candidate window), its text and selection, whether it is a password field.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // The movie hears of its new size (Stage.width, onResize).
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // The wheel reaches the movie's Mouse listeners (three lines a notch), and goes no further.
    void wheelEvent(QWheelEvent* event) override;
    // Keys go to the movie while the player has the focus; those it has no use for go on to the
    // window (so that Enter still reaches the window's default button).
    // While the movie's focused text field is an input field, the keys that type, move and edit
    // go to it (Enter included) and the window's shortcuts for them wait; other keys work as
    // without it. The Key object still hears every key.
    void keyPressEvent(QKeyEvent* event) override;
    // Tab and Shift+Tab walk the movie's own tab order while the movie has the focus.
    bool focusNextPrevChild(bool next) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // Input methods (Chinese with fcitx or ibus): enabled while an input field has the focus; the
    // composing text shows at the caret, the committed text is typed.
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void unload();
    void forwardDiagnostic(const std::string& line) const;
    // For the process's clock: when the movie's next frame is due, and the step to it.
    std::optional<double> secondsToNextFrame();
    void onClockTick();
    // Counts the movie's time afresh from now (a load, play, the end of a rest), with its first
    // frame in step with the clock's other players where it can be.
    void restartClock();
    // Asks the clock to look at this player again after an operation that may start it.
    void wakeClock();
    void settle();
    // Draws the current frame, scaled "ShowAll" (and zoomed) into an area of the given size.
    void drawFrame(QPainter& painter, QSize area, const QColor& background);
    // The stage's background: the one the window set, else the movie's own.
    QColor backgroundColour() const;
    // The size of the picture drawn at low quality: half the widget's.
    QSize halfSize() const;
    // Whether the kept picture no longer shows the movie as it is now.
    bool pictureOutdated() const;
    // Draws the current frame onto the kept picture; returns where the widget shows a change.
    QRegion drawPicture();
    // After the movie moved on: redraws the parts of the widget whose pixels changed, if any.
    // A widget nobody sees draws nothing until it is shown.
    void showChanges();
    // After something besides the movie changed how it looks: the whole widget is drawn afresh.
    void redrawAll();
    // Twips of the movie to widget pixels, as the frame is drawn now.
    QTransform viewTransform() const;
    // After pointer input: the cursor over buttons, and a repaint if the movie changed.
    void afterPointer();
    // The cursor the movie asks for: none while it hides the pointer, the hand over its buttons.
    void updateCursor();
    // The target's clip, or a Failure naming what is missing.
    swf::Clip& clipFor(const std::string& target) const;

    // Text input (player_text_input.cpp).
    // The focused text field when it is an input field, else nullptr.
    swf::DisplayObject* focusedInputField() const;
    // The field's text as laid out now (from the render cache).
    const swf::TextGeometry& fieldLayout(const swf::DisplayObject& field);
    // The focused text field when its text can be selected (an input field, or a selectable one).
    swf::DisplayObject* focusedSelectableField() const;
    // Whether the command applies to the focused field now; with run, carries it out.
    bool fieldCommand(FieldCommand command, bool run);
    // The selectable text field under a point of the widget, or nullptr.
    swf::DisplayObject* selectableFieldAt(QPointF widgetPoint);
    // The editing entries for the field under the point, at the top of its right-button menu;
    // the field takes the focus first.
    void addFieldEntries(QMenu& menu, QPointF at);
    // Shows the caret now and blinks it from here, at most twice a second, while an input field
    // has the keyboard focus; stops the blinking otherwise.
    void restartCaretBlink();
    void blinkCaret();
    // Whether the focused field takes this key rather than the window.
    bool fieldTakesKey(const QKeyEvent& event) const;
    // Types, moves or edits in the focused input field; false when the key is not the field's.
    bool editFocusedField(QKeyEvent* event);
    // Scrolls the focused field so that its caret shows.
    void revealFocusedCaret();
    // A press at a point of the widget: on a selectable field it takes the focus and places the
    // caret there (extending the selection with extend) and starts a drag selection; elsewhere
    // the focus leaves the field. Returns whether it hit a field.
    bool pressOnTextField(QPointF widgetPoint, bool extend);
    // Whether a selectable field lies under the point (the text cursor shows there).
    bool textFieldUnder(QPointF widgetPoint);
    // The drag selection follows the pointer.
    void dragSelect(QPointF widgetPoint);
    // Scrolls the field under the point by lines (positive: towards its start) when it has more
    // lines than it shows; false when there is none.
    bool scrollFieldUnder(QPointF widgetPoint, int lines);
    // Input methods on while an input field has the focus, and told where its caret is.
    void updateInputMethod();

    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace velmora
