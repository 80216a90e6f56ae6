#include <QColorDialog>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/core/failure.h"
#include "platform/qt/dialog_runner.h"
#include "platform/qt/file_filter.h"
#include "platform/qt/qt_app_folder.h"
#include "platform/qt/qt_common_dialog.h"
#include "platform/qt/qt_dialog_runner.h"
#include "qt_test_environment.h"

namespace velmora {
namespace {

// Answers the dialogs in the user's place and keeps what they were asked to show.
class ScriptedDialogRunner : public DialogRunner {
public:
    std::optional<QStringList> openAnswer;
    std::optional<QColor> colorAnswer;
    std::vector<OpenDialogRequest> openRequests;
    std::vector<ColorDialogRequest> colorRequests;

    std::optional<QStringList> runOpen(const OpenDialogRequest& request) override {
        openRequests.push_back(request);
        return openAnswer;
    }
    std::optional<QColor> runColor(const ColorDialogRequest& request) override {
        colorRequests.push_back(request);
        return colorAnswer;
    }
};

// The dialog set up the way the open buttons set it up.
class OpenDialogTest : public ::testing::Test {
protected:
    OpenDialogTest() : dlg(runner) {
        dlg.onRefusedSelection([this](const std::string& text) { refused.push_back(text); });
        dlg.putFileName("");
        dlg.putFlags(524800);
        dlg.putFilter("Flash(*.swf)|*.swf");
        dlg.putInitDir("/opt/velmora/swf");
        dlg.putMaxFileSize(360);
    }

    std::string choose(QStringList paths) {
        runner.openAnswer = std::move(paths);
        dlg.ShowOpen();
        return dlg.FileName();
    }

    ScriptedDialogRunner runner;
    QtCommonDialog dlg;
    std::vector<std::string> refused;
};

TEST_F(OpenDialogTest, AsksForSeveralSwfFilesFromTheStartingFolder) {
    choose({"/a/x.swf"});
    ASSERT_EQ(runner.openRequests.size(), 1u);
    const OpenDialogRequest& request = runner.openRequests[0];
    EXPECT_TRUE(request.multiSelect);
    EXPECT_EQ(request.initialFolder, QStringLiteral("/opt/velmora/swf"));
    EXPECT_EQ(request.nameFilters, QStringList{QStringLiteral("Flash(*.swf) (*.swf)")});

    dlg.putFlags(0);
    choose({"/a/x.swf"});
    EXPECT_FALSE(runner.openRequests[1].multiSelect);
}

TEST_F(OpenDialogTest, OneFileIsItsFullPathAndSeveralAreTheFolderThenNamesJoinedByNul) {
    EXPECT_EQ(choose({"/lessons/x.swf"}), "/lessons/x.swf");
    const std::string nul(1, '\0');
    EXPECT_EQ(choose({"/lessons/x.swf", "/lessons/y.swf", "/lessons/第三课.swf"}),
              "/lessons" + nul + "x.swf" + nul + "y.swf" + nul + "第三课.swf");
    // At the root the folder keeps its one separator.
    EXPECT_EQ(choose({"/x.swf", "/y.swf"}), "/" + nul + "x.swf" + nul + "y.swf");
}

TEST_F(OpenDialogTest, CancelLeavesFileNameAsItWasSet) {
    dlg.putFileName("previous");
    runner.openAnswer.reset();
    EXPECT_NO_THROW(dlg.ShowOpen());
    EXPECT_EQ(dlg.FileName(), "previous");
}

TEST_F(OpenDialogTest, ResultLongerThanMaxFileSizeFailsAndSaysSoInsteadOfCutting) {
    // 360 characters exactly still fit; 361 do not.
    EXPECT_EQ(choose({"/l/" + QString(357, u'a')}).size(), 360u);
    dlg.putFileName("");
    runner.openAnswer = QStringList{"/l/" + QString(358, u'a')};
    EXPECT_THROW(dlg.ShowOpen(), Failure);
    refused.clear();

    QStringList many;
    for (int i = 0; i < 40; ++i) many << QStringLiteral("/lessons/lesson-number-%1.swf").arg(i, 2, 10, QChar(u'0'));
    dlg.putFileName("");
    runner.openAnswer = many;
    try {
        dlg.ShowOpen();
        FAIL() << "a result over 360 characters was accepted";
    } catch (const Failure& failure) {
        const std::string text = failure.what();
        EXPECT_NE(text.find("360"), std::string::npos) << text;
        EXPECT_NE(text.find("40 chosen files"), std::string::npos) << text;
    }
    EXPECT_EQ(dlg.FileName(), "");  // as set before the dialog, never a part of the list
    ASSERT_EQ(refused.size(), 1u);  // the user hears of it even when the caller goes on

    // Counted in characters, not in UTF-8 bytes.
    dlg.putMaxFileSize(12);
    EXPECT_EQ(choose({"/课/第一课.swf"}), "/课/第一课.swf");
}

TEST_F(OpenDialogTest, FilesFromDifferentFoldersAreRefused) {
    dlg.putFileName("");
    runner.openAnswer = QStringList{"/a/x.swf", "/b/y.swf"};
    EXPECT_THROW(dlg.ShowOpen(), Failure);
    EXPECT_EQ(dlg.FileName(), "");
}

TEST(FileFilter, EachTitleAndPatternPairBecomesOneQtNameFilter) {
    EXPECT_EQ(toQtNameFilters("Flash(*.swf)|*.swf"), QStringList{"Flash(*.swf) (*.swf)"});
    EXPECT_EQ(toQtNameFilters("Movies|*.swf;*.spl|All|*.*"),
              (QStringList{"Movies (*.swf *.spl)", "All (*.*)"}));
    EXPECT_TRUE(toQtNameFilters("").isEmpty());
    EXPECT_THROW(toQtNameFilters("Flash(*.swf)"), Failure);

    ScriptedDialogRunner runner;
    QtCommonDialog dlg(runner);
    dlg.putFilter("Flash(*.swf)|*.swf");
    EXPECT_THROW(dlg.putFilter("broken"), Failure);
    runner.openAnswer.reset();
    dlg.ShowOpen();
    EXPECT_EQ(runner.openRequests.at(0).nameFilters, QStringList{"Flash(*.swf) (*.swf)"});
}

TEST(QtDialogRunner, OpenDialogIsQtsOwnWithTheTitledFilterAndMultipleChoice) {
    const QString folder = QDir::tempPath();
    QFileDialog dialog;
    configureOpenDialog(dialog, {folder, {}, {"Flash(*.swf) (*.swf)"}, true});
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_TRUE(dialog.testOption(QFileDialog::HideNameFilterDetails));
    EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFiles);
    EXPECT_EQ(dialog.nameFilters(), QStringList{"Flash(*.swf) (*.swf)"});
    EXPECT_EQ(QDir(dialog.directory()).canonicalPath(), QDir(folder).canonicalPath());

    // A starting folder that is missing starts at its nearest existing parent.
    QFileDialog missing;
    configureOpenDialog(missing, {folder + "/velmora-no-such-folder/swf", {}, {}, false});
    EXPECT_EQ(missing.fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(QDir(missing.directory()).canonicalPath(), QDir(folder).canonicalPath());
}

TEST(ColorDialog, ColorIsBlackUntilConfirmedAndACancelKeepsTheLastConfirmed) {
    ScriptedDialogRunner runner;
    QtCommonDialog dlg(runner);
    dlg.putFlags(2);
    EXPECT_EQ(dlg.Color(), 0);

    runner.colorAnswer.reset();
    EXPECT_FALSE(dlg.ShowColor());
    EXPECT_EQ(dlg.Color(), 0);

    runner.colorAnswer = QColor(255, 0, 0);
    EXPECT_TRUE(dlg.ShowColor());
    EXPECT_EQ(dlg.Color(), 0x000000FF);  // red in the low byte
    runner.colorAnswer = QColor(255, 255, 192);
    EXPECT_TRUE(dlg.ShowColor());
    EXPECT_EQ(dlg.Color(), 0x00C0FFFF);

    runner.colorAnswer.reset();
    EXPECT_FALSE(dlg.ShowColor());
    EXPECT_EQ(dlg.Color(), 0x00C0FFFF);

    // Flags 2 opens the custom section and does not start from the current colour; flag 1 does.
    EXPECT_TRUE(runner.colorRequests.back().fullOpen);
    EXPECT_FALSE(runner.colorRequests.back().initial.has_value());
    dlg.putFlags(3);
    dlg.ShowColor();
    EXPECT_EQ(runner.colorRequests.back().initial, QColor(255, 255, 192));
}

TEST(AppFolder, IsThePlatformsPathWithoutATrailingSeparatorExceptAtTheRoot) {
    EXPECT_EQ(withoutTrailingSeparator("/opt/velmora/"), "/opt/velmora");
    EXPECT_EQ(withoutTrailingSeparator("/opt/velmora"), "/opt/velmora");
    EXPECT_EQ(withoutTrailingSeparator("/"), "/");
    QtAppFolder folder;
    EXPECT_EQ(folder.Separator(), QDir::separator().toLatin1());
    EXPECT_EQ(QString::fromStdString(folder.Path()), QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
}

}  // namespace
}  // namespace velmora
