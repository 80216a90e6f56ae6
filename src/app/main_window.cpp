#include "app/main_window.h"

#include <QIcon>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>

#include "platform/player/swf_player_widget.h"
#include "platform/qt/default_button_key.h"
#include "platform/qt/failure_notice.h"
#include "platform/qt/twips.h"
#include "window/form1.h"
#include "window/form1_creation.h"

namespace velmora {

namespace {

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) icon.addFile(QStringLiteral(":/icons/velmora-%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace

MainWindow::MainWindow(std::unique_ptr<DialogRunner> dialogs)
    : window_(std::make_unique<QWidget>(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                                     Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)),
      reporter_(std::cerr),
      dispatcher_(reporter_),
      form_(*window_),
      // Created in tab order, so that the focus chain and the stacking follow the table.
      swf1_(new SwfPlayerWidget(window_.get())),
      swf2_(new SwfPlayerWidget(window_.get())),
      hsc1_(window_.get()),
      hsc2_(window_.get()),
      com2_(window_.get(), QtButton::Style::Standard),
      com1_(window_.get(), QtButton::Style::Standard),
      comP_(window_.get(), QtButton::Style::Standard),
      comColor_(window_.get(), QtButton::Style::Graphical),
      slider1_(window_.get()),
      dialogRunner_(dialogs ? std::move(dialogs) : std::make_unique<QtDialogRunner>(window_.get())),
      dlg_(*dialogRunner_),
      notice_(nullptr) {
    window_->setWindowTitle(QString::fromUtf8(kForm1Title.data(), static_cast<qsizetype>(kForm1Title.size())));
    window_->setWindowIcon(applicationIcon());
    window_->resize(twipsToPixels(kForm1ClientWidth, horizontalDpi(*window_), "window width"),
                    twipsToPixels(kForm1ClientHeight, verticalDpi(*window_), "window height"));

    swf1_->setInitialBackgroundColor(kSubtitleInitialBackground);
    // Only the sound of swf2 matters; where its small square lies under the subtitle movie, the
    // subtitle movie is drawn over it.
    swf2_->lower();
    swf1_->setFocusPolicy(Qt::StrongFocus);
    swf2_->setFocusPolicy(Qt::StrongFocus);

    comColor_.putBackColor(kComColorInitialBackColor);
    // Enter plays and pauses wherever the focus is, unless a focused button takes it.
    comP_.widget().setDefault(true);
    enterPlays_ = std::make_unique<DefaultButtonKey>(*window_, comP_.widget());

    placeControls();

    notice_ = new FailureNotice(*swf1_);
    reporter_.setNotice([this](const std::string& text, int repeats) {
        notice_->showText(QString::fromStdString(text), repeats);
    });
    // Shown straight on the note, not through the reporter: Com1_Click passes the same failure on
    // and it would count twice, while Com2_Click goes on past it and would leave no trace.
    dlg_.onRefusedSelection([this](const std::string& text) { notice_->showText(QString::fromStdString(text), 1); });

    form1_ = std::make_unique<Form1>(Form1Controls{
        form_, *swf1_, *swf1_, *swf2_, hsc1_, hsc2_, com1_, com2_, comP_, comColor_, slider1_, timer1_, timer2_,
        timer3_, dlg_, appFolder_, reporter_});
    wireNotifications();
    wireMovieOutput();
}

MainWindow::~MainWindow() = default;

void MainWindow::placeControls() {
    const std::map<std::string_view, QWidget*> widgets{
        {"swf1", swf1_},          {"swf2", swf2_},          {"HSc1", &hsc1_.widget()},
        {"HSc2", &hsc2_.widget()}, {"Com2", &com2_.widget()}, {"Com1", &com1_.widget()},
        {"ComP", &comP_.widget()}, {"ComColor", &comColor_.widget()}, {"Slider1", &slider1_.widget()},
    };
    QWidget* previous = nullptr;
    for (const ControlPlacement& placement : kForm1Controls) {
        QWidget* widget = widgets.at(placement.name);
        // Named after the control, for accessibility tools, Qt's inspectors and tests.
        widget->setObjectName(QString::fromUtf8(placement.name.data(), static_cast<qsizetype>(placement.name.size())));
        placeInTwips(*widget, placement.left, placement.top, placement.width, placement.height);
        const QString text = QString::fromUtf8(placement.text.data(), static_cast<qsizetype>(placement.text.size()));
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            button->setText(text);
        } else if (!text.isEmpty()) {
            widget->setToolTip(text);
        }
        if (previous) QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

void MainWindow::wireNotifications() {
    const auto wire = [this](const char* name, void (Form1::*handler)()) {
        return [this, name, handler] { dispatcher_.dispatch(name, [this, handler] { (form1_.get()->*handler)(); }); };
    };
    form_.onResize(wire("Form_Resize", &Form1::Form_Resize));
    com1_.onClick(wire("Com1_Click", &Form1::Com1_Click));
    com2_.onClick(wire("Com2_Click", &Form1::Com2_Click));
    comP_.onClick(wire("ComP_Click", &Form1::ComP_Click));
    comColor_.onClick(wire("ComColor_Click", &Form1::ComColor_Click));
    hsc1_.onScroll(wire("HSc1_Scroll", &Form1::HSc1_Scroll));
    hsc2_.onScroll(wire("HSc2_Scroll", &Form1::HSc2_Scroll));
    slider1_.onScroll(wire("Slider1_Scroll", &Form1::Slider1_Scroll));
    timer1_.onTimer(wire("Timer1_Timer", &Form1::Timer1_Timer));
    timer2_.onTimer(wire("Timer2_Timer", &Form1::Timer2_Timer));
    timer3_.onTimer(wire("Timer3_Timer", &Form1::Timer3_Timer));
}

void MainWindow::wireMovieOutput() {
    // What a movie says about itself goes to the log only: its faults are not the learner's. Its
    // trace() output is for whoever debugs a lesson, and is written only when asked for.
    const char* trace = std::getenv("VELMORA_TRACE");
    const bool traceWanted = trace != nullptr && std::string_view(trace) == "1";
    for (auto [name, player] : {std::pair{"swf1", swf1_}, std::pair{"swf2", swf2_}}) {
        player->setDiagnosticSink([this, name](const std::string& line) { reporter_.note(name, line); });
        if (traceWanted) {
            player->setTraceSink([name](const std::string& text) {
                std::cerr << "velmora: " << name << ": trace: " << text << '\n' << std::flush;
            });
        }
    }
}

void MainWindow::start() {
    dispatcher_.dispatch("Form_Load", [this] { form1_->Form_Load(); });
    window_->show();
}

}  // namespace velmora
