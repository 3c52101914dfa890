// The main window's own life: what it shows at first, what Exit, Escape and
// the session's end write to env.json, and what happens when they cannot.
#include <QLabel>
#include <QTest>
#include <sys/stat.h>
#include <functional>

#include "QelMainWindowFixture.h"

namespace {

using MainWindow = QelMainWindowFixture;

std::string LastPos(int left, int top, int right, int bottom) {
    return "{\"applastpos\": {\"left\": " + std::to_string(left) + ", \"top\": " + std::to_string(top) +
           ", \"right\": " + std::to_string(right) + ", \"bottom\": " + std::to_string(bottom) + "}}";
}

}  // namespace

TEST_F(MainWindow, FirstRunStartsEmptyAndExitWritesThreeEmptyArraysAndTheOuterRectangle) {
    Open();
    EXPECT_TRUE(dialog->GetIncludeSubCheck()->isChecked());
    EXPECT_EQ(Status(), "Welcome Corvane Tessary");
    // The job list and its buttons are usable only while "After Search" is checked.
    const std::vector<QWidget*> jobControls = {dialog->GetJobCombo(), dialog->findChild<QPushButton*>("jobNewButton"),
                                               dialog->findChild<QPushButton*>("jobModifyButton"),
                                               dialog->findChild<QPushButton*>("jobDeleteButton")};
    for (bool checked : {false, true, false}) {
        for (QWidget* w : jobControls) EXPECT_EQ(w->isEnabled(), checked) << w->objectName().toStdString();
        QTest::mouseClick(dialog->GetAfterSearchCheck(), Qt::LeftButton);
    }
    EXPECT_EQ(dialog->GetFilterCombo()->count() + dialog->GetJobCombo()->count(), 0);
    dialog->GetExitButton()->setFocus();  // outside the path Enter does nothing, even on Exit
    QTest::keyClick(dialog->GetExitButton(), Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());
    const QRect frame = dialog->frameGeometry();
    ASSERT_NE(frame.size(), dialog->size()) << "a platform without frames would not tell outer from inner";
    const Json::Value saved = SavedOnExit();
    EXPECT_FALSE(dialog->isVisible());
    for (const char* key : {"aftersearchjob", "searchfilter", "searchpathhistory"})
        EXPECT_EQ(saved[key], Json::Value(Json::arrayValue)) << key;
    EXPECT_EQ(saved["applastpos"],
              ParseJson(LastPos(frame.left(), frame.top(), frame.right() + 1, frame.bottom() + 1))["applastpos"]);
}

// The fitting itself is the screen-fit helper's; here: it is applied, and what was restored is stored again.
TEST_F(MainWindow, SavedOuterRectangleIsRestoredFittedToTheScreenAndStoredAsRestored) {
    Open();
    QCoreApplication::processEvents();
    const QRect standard = dialog->frameGeometry();
    for (const auto& [saved, place] : {std::pair{LastPos(100, 50, 600, 350), QRect(100, 50, 500, 300)},
                                       {LastPos(5000, 5000, 5500, 5300), standard}}) {
        home.WriteUserEnv(saved);
        Open();
        QCoreApplication::processEvents();  // the frame is known once shown
        EXPECT_EQ(dialog->frameGeometry(), place) << saved;
        EXPECT_EQ(SavedOnExit()["applastpos"]["left"].asInt(), place.left());
    }
    EXPECT_EQ(home.ReadUserEnv()["applastpos"]["right"].asInt(), standard.right() + 1);
}

// A user file the program cannot replace: Exit and the close box ask, No
// keeps the window, and the file stays exactly as it was.
TEST_F(MainWindow, AnUnwritableUserFileMakesExitAskAndIsNeverReplaced) {
    const std::string mine = R"({"searchfilter": [{"name": "Mine", "filterfileext": ["c"]}]})";
    const struct Case {
        const char* name;
        std::function<void(const QelAppTestHome&)> make;
        std::string startWarning;
    } cases[] = {
        {"a file where the folder belongs", [](auto& h) { h.WriteFile("user", "not a folder"); }, ""},
        {"read-only", [&](auto& h) {
             h.WriteUserEnv(mine);
             std::filesystem::permissions(h / "user/env.json", std::filesystem::perms::owner_read);
         }, ""},
        {"a fifo", [](auto& h) {
             std::filesystem::create_directories(h / "user");
             ::mkfifo((h / "user/env.json").c_str(), 0600);  // would block a plain open for ever
         }, "not a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(home / "user");
        WriteTwoFilters();
        c.make(home);
        const auto before = std::filesystem::status(home / "user/env.json").type();
        boxes.clear();
        Open();
        EXPECT_EQ(BoxTexts().size(), c.startWarning.empty() ? 0u : 1u);
        if (!c.startWarning.empty()) {
            EXPECT_TRUE(boxes[0].text.contains(QString::fromStdString(home / "user/env.json")));
            EXPECT_TRUE(boxes[0].text.contains(QString::fromStdString(c.startWarning)));
            EXPECT_EQ(ComboTexts(dialog->GetFilterCombo()), (Texts{"Text", "Empty"}));  // the defaults still serve
        }
        boxes.clear();
        answers = {CQelMessageBox::Answer::No, CQelMessageBox::Answer::Yes};
        dialog->GetExitButton()->click();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].kind, CQelMessageBox::Kind::Question);
        EXPECT_TRUE(boxes[0].text.contains("could not be written"));
        EXPECT_TRUE(boxes[0].text.contains(QString::fromStdString(home / "user/env.json")));
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(dialog->close());
        EXPECT_EQ(boxes.size(), 2u);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(std::filesystem::status(home / "user/env.json").type(), before);
        if (c.name[0] == 'r') { EXPECT_EQ(home.ReadFile("user/env.json"), mine); }
        // The session's end asks nothing: its save fails quietly.
        Open();
        boxes.clear();
        dialog->SaveForSessionEnd();
        dialog->close();
        EXPECT_TRUE(boxes.empty());
    }
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
    std::vector<std::string> kept;
    for (const auto& entry : std::filesystem::directory_iterator(home / "user"))
        if (entry.path().filename().string().starts_with("env.json.broken-")) kept.push_back(entry.path().filename());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains(QString::fromStdString(home / ("user/" + kept[0]))));
    EXPECT_EQ(home.ReadFile("user/" + kept[0]), broken);
    EXPECT_EQ(ComboTexts(dialog->GetFilterCombo()), (Texts{"Text", "Empty"}));
    EXPECT_TRUE(SavedOnExit().isObject());
    EXPECT_EQ(home.ReadFile("user/" + kept[0]), broken);
}

TEST_F(MainWindow, ChoicesAreRememberedAndListChangesWrittenAtOnce) {
    home.WriteConfigEnv(R"({"searchfilter": [{"name": "Text", "filterfileext": ["txt"]}, {"name": "Md", "filterfileext": ["md"]},
                                             {"name": "Other", "filterfileext": ["x"]}],
                            "aftersearchjob": [{"name": "One", "list": []}, {"name": "Two", "list": []}]})");
    Open();
    EXPECT_TRUE(SavedOnExit()["searchfilter"].isNull()) << "an unchanged exit copies no config list";
    Open();
    dialog->GetIncludeSubCheck()->setChecked(false);
    Search(MakeTree(), 1);
    EXPECT_EQ(home.ReadUserEnv()["searchpathhistory"].size(), 1u);  // in the file before any Exit
    dialog->GetFilterCombo()->setCurrentIndex(2);
    answers = {CQelMessageBox::Answer::Yes};
    Click("filterDeleteButton");
    EXPECT_EQ(home.ReadUserEnv()["searchfilter"].size(), 2u);
    dialog->GetFilterCombo()->setCurrentIndex(1);
    dialog->GetAfterSearchCheck()->setChecked(true);
    dialog->GetJobCombo()->setCurrentIndex(1);
    dialog->GetPathEdit()->setText("/somewhere/else");
    dialog->GetPathEdit()->setFocus();
    QTest::keyClick(dialog.get(), Qt::Key_Escape);  // Escape saves and exits as Exit does
    EXPECT_FALSE(dialog->isVisible());

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
