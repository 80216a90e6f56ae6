#include "app/main_window.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <gtest/gtest.h>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>
#include <vector>

#include "platform/qt/dialog_runner.h"
#include "platform/qt/failure_notice.h"
#include "platform/qt/twips.h"
#include "platform/qt/qt_test_environment.h"
#include "support/swf_writer.h"
#include "support/temp_path.h"
#include "window/form1_creation.h"

namespace velmora {
namespace {

// Answers every dialog with a cancel, or with the files it is given, and records the requests.
class ScriptedDialogs : public DialogRunner {
public:
    struct Log {
        std::vector<OpenDialogRequest> opens;
        int colours = 0;
        std::optional<QStringList> openAnswer;
    };
    explicit ScriptedDialogs(Log& log) : log_(log) {}
    std::optional<QStringList> runOpen(const OpenDialogRequest& request) override {
        log_.opens.push_back(request);
        return log_.openAnswer;
    }
    std::optional<QColor> runColor(const ColorDialogRequest&) override {
        ++log_.colours;
        return std::nullopt;
    }

private:
    Log& log_;
};

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() : main(std::make_unique<ScriptedDialogs>(dialogs)) {}

    QWidget& control(const char* name) {
        QWidget* widget = main.window().findChild<QWidget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return *widget;
    }
    QPushButton& button(const char* name) { return static_cast<QPushButton&>(control(name)); }
    int px(double twips) { return twipsToPixels(twips, main.window().logicalDpiX(), "test"); }

    ScriptedDialogs::Log dialogs;
    MainWindow main;
};

TEST_F(MainWindowTest, CreatedWithTheTitleSizeControlsAndTabOrderOfTheLesson) {
    EXPECT_EQ(main.window().windowTitle(), QStringLiteral("Velmora"));
    EXPECT_EQ(main.window().size(), QSize(px(7245), px(7110)));
    EXPECT_FALSE(main.window().windowIcon().isNull());

    for (const ControlPlacement& p : kForm1Controls) {
        const QString name = QString::fromUtf8(p.name.data(), static_cast<qsizetype>(p.name.size()));
        const QWidget& widget = control(name.toLatin1().constData());
        EXPECT_EQ(widget.geometry(), QRect(px(p.left), px(p.top), px(p.width), px(p.height))) << p.name;
    }
    EXPECT_EQ(button("Com1").text(), QStringLiteral("字幕"));
    EXPECT_EQ(button("Com2").text(), QStringLiteral("声音"));
    EXPECT_EQ(button("ComP").text(), QStringLiteral("播放"));
    EXPECT_EQ(button("ComColor").text(), QStringLiteral("底色"));
    EXPECT_EQ(control("Slider1").toolTip(), QStringLiteral("字幕速度调节"));
    EXPECT_TRUE(button("ComP").isDefault());

    // Following the focus chain from swf1 meets the nine controls in table order.
    std::vector<QString> order;
    QWidget* w = &control("swf1");
    for (int i = 0; i < 40 && order.size() < kForm1Controls.size(); ++i, w = w->nextInFocusChain()) {
        for (const ControlPlacement& p : kForm1Controls) {
            if (w->objectName() == QString::fromUtf8(p.name.data(), static_cast<qsizetype>(p.name.size()))) {
                order.push_back(w->objectName());
            }
        }
    }
    EXPECT_EQ(order, (std::vector<QString>{"swf1", "swf2", "HSc1", "HSc2", "Com2", "Com1", "ComP", "ComColor",
                                           "Slider1"}));
}

TEST_F(MainWindowTest, StartRunsLoadThenLaysOutAndEveryButtonReachesItsHandler) {
    main.start();
    const auto& slider = static_cast<QSlider&>(control("Slider1"));
    EXPECT_EQ(slider.minimum(), -80);  // Form_Load ran
    EXPECT_EQ(slider.maximum(), 100);
    EXPECT_TRUE(main.window().isVisible());
    // The first resize laid the controls out from the outer size (client area + fixed frame).
    const double W = pixelsToTwips(main.window().width(), main.window().logicalDpiX()) + 120;
    EXPECT_EQ(control("swf1").width(), px(W - 350));
    EXPECT_EQ(control("ComColor").x(), px(W - 1000));

    button("Com1").click();
    button("Com2").click();
    ASSERT_EQ(dialogs.opens.size(), 2u);
    EXPECT_TRUE(dialogs.opens[0].initialFolder.endsWith(QStringLiteral("swf")));
    EXPECT_TRUE(dialogs.opens[1].initialFolder.endsWith(QStringLiteral("mp3")));
    button("ComColor").click();
    EXPECT_EQ(dialogs.colours, 1);

    button("ComP").click();
    EXPECT_EQ(button("ComP").text(), QStringLiteral("暂停"));
    // Enter from a control that does not take it plays and pauses.
    testing::keyClick(control("HSc1"), Qt::Key_Return);
    EXPECT_TRUE(testing::processEventsUntil([&] { return button("ComP").text() == QStringLiteral("播放"); }, 2000));
}

TEST_F(MainWindowTest, AFailingHandlerShowsANoteAndTheWindowCarriesOn) {
    main.start();
    dialogs.openAnswer = QStringList{QStringLiteral("/nonexistent/velmora-test/lesson.swf")};
    button("Com1").click();
    const auto notes = main.window().findChildren<FailureNotice*>();
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(notes[0]->isVisible());
    EXPECT_TRUE(notes[0]->text().contains(QStringLiteral("lesson.swf"))) << notes[0]->text().toStdString();

    button("ComP").click();
    EXPECT_EQ(button("ComP").text(), QStringLiteral("暂停"));
}

// Standard error captured for the life of the object.
class CapturedStderr {
public:
    CapturedStderr() : saved_(std::cerr.rdbuf(text_.rdbuf())) {}
    ~CapturedStderr() { std::cerr.rdbuf(saved_); }
    std::string text() const { return text_.str(); }

private:
    std::ostringstream text_;
    std::streambuf* saved_;
};

TEST_F(MainWindowTest, ASoundMovieThatCannotBeLoadedIsNotedThoughTheHandlerGoesOn) {
    CapturedStderr err;
    main.start();
    dialogs.openAnswer = QStringList{QStringLiteral("/nonexistent/velmora-test/narration.swf")};
    button("Com2").click();
    const auto notes = main.window().findChildren<FailureNotice*>();
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(notes[0]->isVisible());
    EXPECT_TRUE(notes[0]->text().startsWith(QStringLiteral("the sound movie could not be loaded"))) << notes[0]->text().toStdString();
    EXPECT_TRUE(notes[0]->text().contains(QStringLiteral("narration.swf")));
    EXPECT_NE(err.text().find("velmora: Com2_Click failed: the sound movie"), std::string::npos) << err.text();
}

// A movie whose first frame traces "hello from the movie" and asks for a web page, which the
// player refuses: one trace line and one diagnostic.
std::string tracingMovie() {
    const std::vector<uint8_t> actions = {
        0x96, 0x16, 0x00, 0x00, 'h', 'e', 'l', 'l', 'o', ' ', 'f', 'r', 'o', 'm', ' ', 't', 'h', 'e', ' ',
        'm',  'o',  'v',  'i',  'e', 0x00,                    // Push "hello from the movie"
        0x26,                                                 // Trace
        0x83, 0x0B, 0x00, 'h', 't', 't', 'p', ':', '/', '/', 'x', 0x00, '_', 0x00,  // GetURL
        0x00};
    test::SwfWriter swf;
    swf.doAction(actions).showFrame().showFrame();
    const std::string path = test::uniqueTempPath("tracing.swf");
    swf.writeFile(path);
    return path;
}

TEST_F(MainWindowTest, AMoviesDiagnosticsGoToStandardErrorOnlyAndItsTraceIsDropped) {
    CapturedStderr err;
    main.start();
    dialogs.openAnswer = QStringList{QString::fromStdString(tracingMovie())};
    button("Com1").click();
    const std::string log = err.text();
    EXPECT_NE(log.find("velmora: swf1: script: refused to open \"http://x\""), std::string::npos) << log;
    EXPECT_EQ(log.find("hello from the movie"), std::string::npos) << log;
    for (const FailureNotice* note : main.window().findChildren<FailureNotice*>()) {
        EXPECT_FALSE(note->isVisible()) << note->text().toStdString();
    }
}

TEST(MainWindowTrace, TraceOutputGoesToStandardErrorWhenAskedFor) {
    setenv("VELMORA_TRACE", "1", 1);
    CapturedStderr err;
    ScriptedDialogs::Log dialogs;
    {
        MainWindow main(std::make_unique<ScriptedDialogs>(dialogs));
        unsetenv("VELMORA_TRACE");
        main.start();
        dialogs.openAnswer = QStringList{QString::fromStdString(tracingMovie())};
        main.window().findChild<QPushButton*>(QStringLiteral("Com1"))->click();
    }
    EXPECT_NE(err.text().find("velmora: swf1: trace: hello from the movie"), std::string::npos) << err.text();
}

}  // namespace
}  // namespace velmora
