#include <QCheckBox>
#include <QLabel>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <sys/stat.h>
#include <climits>
#include <utility>

#include "CQelWinUtilFunc.h"
#include "QelCtlTypes.h"
#include "QelMainWindowFixture.h"

namespace {

using MainWindow = QelMainWindowFixture;

std::string LastPos(int left, int top, int right, int bottom) {
    return "{\"applastpos\": {\"left\": " + std::to_string(left) + ", \"top\": " + std::to_string(top) +
           ", \"right\": " + std::to_string(right) + ", \"bottom\": " + std::to_string(bottom) + "}}";
}

}  // namespace

TEST_F(MainWindow, FirstRunStartsEmptyAndExitWritesThreeEmptyArraysAndThePosition) {
    Open();
    const std::string version = CQelWinUtilFunc::GetInstance()->GetAppVersion().ToStdString();
    EXPECT_EQ(dialog->windowTitle().toStdString(), "QelTessary.Windows.Client (" + version + ")");
    EXPECT_TRUE(dialog->GetIncludeSubCheck()->isChecked());
    EXPECT_EQ(dialog->GetIncludeSubCheck()->text(), "Include SubPath");
    EXPECT_EQ(dialog->GetAfterSearchCheck()->text(), "After Search");
    // The job list and its buttons are usable only while "After Search" is checked.
    const std::vector<QWidget*> jobControls = {dialog->GetJobCombo(), dialog->findChild<QPushButton*>("jobNewButton"),
                                               dialog->findChild<QPushButton*>("jobModifyButton"),
                                               dialog->findChild<QPushButton*>("jobDeleteButton")};
    for (bool checked : {false, true, false}) {
        EXPECT_EQ(dialog->GetAfterSearchCheck()->isChecked(), checked);
        for (QWidget* w : jobControls) EXPECT_EQ(w->isEnabled(), checked) << w->objectName().toStdString();
        QTest::mouseClick(dialog->GetAfterSearchCheck(), Qt::LeftButton);
    }

    CQelLabel* status = dialog->GetStatusLabel();
    EXPECT_EQ(Status(), "Welcome Corvane Tessary");
    EXPECT_EQ(status->GetPropColor(u"bgcolor"), QelRGB(0x34, 0x3d, 0x45));
    EXPECT_EQ(status->GetPropColor(u"fgcolor"), QelRGB(0x4b, 0x9c, 0xd6));
    EXPECT_EQ(status->GetPropString(u"font").ToStdString(), "맑은 고딕,-12,700,0,0,0,129");
    EXPECT_TRUE(status->GetPropBool(u"elispisis"));
    const _tag_borderInfo border = status->GetPropBorder(u"border");
    EXPECT_TRUE(border.draw && border.width == 1 && border.corner == 0.0f);
    EXPECT_EQ(border.color, QelRGB(0x2f, 0x4f, 0x4f));

    EXPECT_EQ(dialog->GetFilterCombo()->count() + dialog->GetJobCombo()->count(), 0);
    const QRect frame = dialog->frameGeometry();  // the outer rectangle, frame included
    ASSERT_NE(frame.size(), dialog->size()) << "a platform without frames would not tell outer from inner";
    const Json::Value saved = SavedOnExit();
    EXPECT_FALSE(dialog->isVisible());
    for (const char* key : {"aftersearchjob", "searchfilter", "searchpathhistory"})
        EXPECT_EQ(saved[key], Json::Value(Json::arrayValue)) << key;
    const std::string stored =
        LastPos(frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height());
    EXPECT_EQ(saved["applastpos"], ParseJson(stored)["applastpos"]);
}

TEST_F(MainWindow, ConfigFiltersStayListedAfterAnUnchangedExit) {
    WriteTwoFilters();
    for (int run = 0; run < 2; ++run) {
        Open();
        EXPECT_EQ(ComboTexts(dialog->GetFilterCombo()), (Texts{"Text", "Empty"})) << "run " << run;
        EXPECT_EQ(dialog->GetFilterCombo()->currentIndex(), 0);
        EXPECT_TRUE(SavedOnExit()["searchfilter"].isNull());
    }
}

TEST_F(MainWindow, SavedOuterRectangleIsRestoredFittedToTheScreen) {
    Open();
    QCoreApplication::processEvents();
    const QRect standard = dialog->frameGeometry();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const std::vector<std::pair<std::string, QRect>> cases = {
        {LastPos(100, 50, 600, 350), QRect(100, 50, 500, 300)},
        {LastPos(0, 0, 0, 0), standard},
        {LastPos(5000, 5000, 5500, 5300), standard},
        {LastPos(-900, 10, -400, 300), standard},
        {LastPos(300, 300, 100, 100), standard},
        {LastPos(INT_MIN, INT_MIN, INT_MAX, INT_MAX), screen},
        {LastPos(0, 0, INT_MAX, INT_MAX), screen},
        {LastPos(screen.width() - 100, 10, screen.width() + 400, 310), QRect(screen.width() - 500, 10, 500, 300)}};
    for (const auto& [saved, place] : cases) {
        home.WriteUserEnv(saved);
        Open();
        QCoreApplication::processEvents();  // the frame is known once shown
        EXPECT_EQ(dialog->frameGeometry(), place) << saved;
    }
    // Stored as restored: the outer rectangle survives show and close cycles unchanged.
    home.WriteUserEnv(LastPos(100, 50, 600, 350));
    for (int run = 0; run < 4; ++run) {
        Open();
        QCoreApplication::processEvents();
        EXPECT_EQ(SavedOnExit()["applastpos"], ParseJson(LastPos(100, 50, 600, 350))["applastpos"]) << "run " << run;
    }
}

TEST_F(MainWindow, FailedSaveAsksBeforeExitingByButtonOrCloseBox) {
    home.WriteFile("user", "a file where the user folder belongs");
    Open();
    answers = {CQelMessageBox::Answer::No, CQelMessageBox::Answer::Yes};
    dialog->GetExitButton()->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, CQelMessageBox::Kind::Question);
    EXPECT_TRUE(boxes[0].text.contains(QString::fromStdString(home / "user/env.json")));
    EXPECT_TRUE(boxes[0].text.contains("could not be written"));
    EXPECT_TRUE(dialog->isVisible());

    EXPECT_TRUE(dialog->close());
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(MainWindow, BrokenUserFileIsKeptAsideBeforeExitRewritesIt) {
    WriteTwoFilters();
    const std::string broken = R"({"searchfilter": [{"name": "Mine", "filterfileext": ["c")";
    home.WriteUserEnv(broken);
    Open();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, CQelMessageBox::Kind::Warning);
    EXPECT_TRUE(boxes[0].text.contains(QString::fromStdString(home / "user/env.json")));
    EXPECT_TRUE(boxes[0].text.contains("could not be read!!"));

    std::vector<std::filesystem::path> kept;
    for (const auto& entry : std::filesystem::directory_iterator(home / "user"))
        if (entry.path().filename().string().rfind("env.json.broken-", 0) == 0) kept.push_back(entry.path());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains(QString::fromStdString(kept[0].string())));
    std::ifstream in(kept[0], std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), broken);

    // Exit writes the run's state; the kept copy stays as it was.
    EXPECT_TRUE(SavedOnExit().isObject());
    EXPECT_TRUE(std::filesystem::exists(kept[0]));
    EXPECT_EQ(std::filesystem::file_size(kept[0]), broken.size());

    // A file that reads well is never moved.
    boxes.clear();
    Open();
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(home.UserEnvExists());
}

TEST_F(MainWindow, EnterInThePathSearchesAndEscapeSavesAndExits) {
    WriteTwoFilters();
    Open();
    dialog->GetPathEdit()->setText(QString::fromStdString(MakeTree()));
    QTest::keyClick(dialog.get(), Qt::Key_Enter);  // elsewhere Enter does nothing
    EXPECT_EQ(dialog->GetResultSubWnd(), nullptr);
    dialog->GetPathEdit()->setFocus();
    QTest::keyClick(dialog->GetPathEdit(), Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_NE(dialog->GetResultSubWnd(), nullptr);
    EXPECT_EQ(Rows().size(), 5u);
    EXPECT_TRUE(boxes.empty());

    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(home.ReadUserEnv()["applastpos"].isObject());
}

TEST_F(MainWindow, ChoicesAreRememberedAndListChangesWrittenAtOnce) {
    home.WriteConfigEnv(R"({"searchfilter": [{"name": "Text", "filterfileext": ["txt"]}, {"name": "Md", "filterfileext": ["md"]},
                                             {"name": "Other", "filterfileext": ["x"]}],
                            "aftersearchjob": [{"name": "One", "list": []}, {"name": "Two", "list": []}]})");
    Open();
    const std::string tree = MakeTree();
    dialog->GetIncludeSubCheck()->setChecked(false);
    Search(tree, 1);
    // The history is in the file before any Exit, as is a deleted filter.
    EXPECT_EQ(home.ReadUserEnv()["searchpathhistory"].size(), 1u);
    dialog->GetFilterCombo()->setCurrentIndex(2);
    answers = {CQelMessageBox::Answer::Yes};
    dialog->findChild<QPushButton*>("filterDeleteButton")->click();
    EXPECT_EQ(home.ReadUserEnv()["searchfilter"].size(), 2u);
    dialog->GetFilterCombo()->setCurrentIndex(1);
    dialog->GetAfterSearchCheck()->setChecked(true);
    dialog->GetJobCombo()->setCurrentIndex(1);
    dialog->GetPathEdit()->setText("/somewhere/else");
    SavedOnExit();

    Open();
    EXPECT_EQ(dialog->GetPathEdit()->text(), "/somewhere/else");
    EXPECT_EQ(dialog->GetFilterCombo()->currentText(), "Md");
    EXPECT_TRUE(dialog->GetAfterSearchCheck()->isChecked());
    EXPECT_TRUE(dialog->GetJobCombo()->isEnabled());
    EXPECT_EQ(dialog->GetJobCombo()->currentText(), "Two");
}

TEST_F(MainWindow, UpdateCheckWithoutAConfiguredServerSaysSo) {
    Open();
    dialog->CheckAppVersion();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.startsWith("No update server is configured")) << boxes[0].text.toStdString();
    EXPECT_TRUE(dialog->findChild<QLabel*>("versionLink")->isEnabled());
}

TEST_F(MainWindow, UnreadableUserFileIsReportedAtStartAndNeverReplaced) {
    WriteTwoFilters();
    std::filesystem::create_directories(home / "user");
    ASSERT_EQ(::mkfifo((home / "user/env.json").c_str(), 0600), 0);  // would block a plain open for ever
    Open();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, CQelMessageBox::Kind::Warning);
    EXPECT_TRUE(boxes[0].text.contains(QString::fromStdString(home / "user/env.json")));
    EXPECT_TRUE(boxes[0].text.contains("not a regular file"));
    EXPECT_EQ(ComboTexts(dialog->GetFilterCombo()), (Texts{"Text", "Empty"}));  // the defaults still serve

    answers = {CQelMessageBox::Answer::No, CQelMessageBox::Answer::Yes};
    dialog->GetExitButton()->click();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].kind, CQelMessageBox::Kind::Question);
    EXPECT_TRUE(boxes[1].text.contains("could not be written"));
    EXPECT_TRUE(dialog->isVisible());
    dialog->GetExitButton()->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(std::filesystem::is_fifo(home / "user/env.json"));
}

TEST_F(MainWindow, ReadOnlyUserFileMakesExitAskAndStaysAsItIs) {
    const std::string mine = R"({"searchfilter": [{"name": "Mine", "filterfileext": ["c"]}]})";
    home.WriteUserEnv(mine);
    std::filesystem::permissions(home / "user/env.json", std::filesystem::perms::owner_read);
    Open();
    EXPECT_TRUE(boxes.empty());
    answers = {CQelMessageBox::Answer::Yes};
    dialog->GetExitButton()->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains("could not be written"));
    EXPECT_FALSE(dialog->isVisible());
    std::ifstream in(home / "user/env.json", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), mine);
}

TEST_F(MainWindow, SessionEndSavesAsExitDoesAndAFailedSaveHoldsNothing) {
    Open();
    dialog->SaveForSessionEnd();
    EXPECT_TRUE(home.ReadUserEnv()["applastpos"].isObject());
    EXPECT_TRUE(home.ReadUserEnv()["searchfilter"].isArray());
    EXPECT_TRUE(boxes.empty());

    std::filesystem::remove_all(home / "user");
    home.WriteFile("user", "a file where the user folder belongs");
    Open();
    dialog->SaveForSessionEnd();
    dialog->close();  // the session manager closing the window after its request
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(dialog->isVisible());
}

