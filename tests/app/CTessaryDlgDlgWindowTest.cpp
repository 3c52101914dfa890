// The main window's own life: what it shows at first, what Exit, Escape and
// the session's end write to env.json and what happens when they cannot; the
// search path history under the path box.
#include <QApplication>
#include <QTableView>
#include <QTest>
#include <sys/stat.h>
#include <functional>

#include "CQelPopupWnd.h"
#include "QelMainWindowFixture.h"

namespace {

class MainWindow : public QelMainWindowFixture {
protected:
    static std::string LastPos(int left, int top, int right, int bottom) {
        return "{\"applastpos\": {\"left\": " + std::to_string(left) + ", \"top\": " + std::to_string(top) +
               ", \"right\": " + std::to_string(right) + ", \"bottom\": " + std::to_string(bottom) + "}}";
    }
    // The view file, the given entries, then /p0 .. /p<count-1> of 2023-01-0<i>, every third without sub-folders.
    void OpenWithHistory(int entries, std::string list = "") {
        std::filesystem::create_directories(home / "res/view");
        std::filesystem::copy_file(QEL_VIEW_DIR "/pathhistory-tippopup.json", home / "res/view/pathhistory-tippopup.json");
        for (int i = 0; i < entries; ++i)
            list += std::string(list.empty() ? "" : ",") + R"({"date":"2023010)" + std::to_string(i) +
                    R"(","includesub":)" + (i % 3 == 2 ? "false" : "true") + R"(,"path":"/p)" + std::to_string(i) + "\"}";
        home.WriteUserEnv(R"({"searchpathhistory":[)" + list + "]}");
        Open();
    }
    CQelPopupWnd* OpenPopup() {
        Click("historyButton");
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* popup = qobject_cast<CQelPopupWnd*>(w); popup && popup->isVisible() && !popup->IsClosed())
                return popup;
        return nullptr;
    }
    // Chooses the row in a fresh popup as the user does, by a double-click.
    void Pick(int row) {
        CQelPopupWnd* popup = OpenPopup();
        ASSERT_NE(popup, nullptr);
        const QPoint cell = popup->GetList()->visualRect(popup->GetList()->model()->index(row, 0)).center();
        QTest::mouseClick(popup->GetList()->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(popup->GetList()->viewport(), Qt::LeftButton, {}, cell);
        QCoreApplication::processEvents();
    }
    std::string Path() const { return dialog->GetPathEdit()->text().toStdString(); }
    Texts PathsSavedOnExit() {
        const Json::Value saved = SavedOnExit();
        Texts out;
        for (const Json::Value& entry : saved["searchpathhistory"]) out.push_back(entry["path"].asString());
        return out;
    }
};

}  // namespace

TEST_F(MainWindow, FirstRunStartsEmptyAndExitWritesThreeEmptyArraysAndTheOuterRectangle) {
    Open();
    EXPECT_TRUE(dialog->GetIncludeSubCheck()->isChecked());
    EXPECT_EQ(Status(), "Welcome Corvane Tessary");
    EXPECT_EQ(dialog->GetStatusLabel()->GetPropFont(u"font").lfWeight, 700);  // in bold
    EXPECT_FALSE(dialog->windowIcon().isNull());
    // The job list and its buttons are usable only while "After Search" is checked.
    for (bool checked : {false, true, false}) {
        for (const char* name : {"jobCombo", "jobNewButton", "jobModifyButton", "jobDeleteButton"})
            EXPECT_EQ(dialog->findChild<QWidget*>(name)->isEnabled(), checked) << name;
        QTest::mouseClick(dialog->GetAfterSearchCheck(), Qt::LeftButton);
    }
    // Every shown control has a place of its own.
    const QList<QWidget*> controls = dialog->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* a : controls)
        for (QWidget* b : controls)
            EXPECT_TRUE(a == b || !a->isVisible() || !b->isVisible() || !a->geometry().intersects(b->geometry()))
                << a->objectName().toStdString() << " " << b->objectName().toStdString();
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
        const Json::Value stored = SavedOnExit()["applastpos"];
        EXPECT_EQ(QRect(QPoint(stored["left"].asInt(), stored["top"].asInt()),
                        QPoint(stored["right"].asInt() - 1, stored["bottom"].asInt() - 1)), place);
    }
}

// A user file the program cannot replace or read: Exit and the close box ask,
// No keeps the window, the file stays exactly as it was, the session's end asks nothing.
TEST_F(MainWindow, AnUnwritableOrBrokenUserFileIsNeverLostAndExitAsks) {
    const std::string mine = R"({"searchfilter": [{"name": "Mine", "filterfileext": ["c"]}]})";
    const std::string broken = R"({"searchfilter": [{"name": "Mine", "filterfileext": ["c")";
    const struct Case {
        const char* name;
        std::function<void(const QelAppTestHome&)> make;
        std::string startWarning;  // besides the file's path
        bool asksOnExit;
    } cases[] = {
        {"a file where the folder belongs", [](auto& h) { h.WriteFile("user", "not a folder"); }, "", true},
        {"read-only", [&](auto& h) {
             h.WriteUserEnv(mine);
             std::filesystem::permissions(h / "user/env.json", std::filesystem::perms::owner_read);
         }, "", true},
        {"a fifo", [](auto& h) {
             std::filesystem::create_directories(h / "user");
             ::mkfifo((h / "user/env.json").c_str(), 0600);  // would block a plain open for ever
         }, "not a regular file", true},
        {"broken", [&](auto& h) { h.WriteUserEnv(broken); }, "could not be read!!", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(home / "user");
        WriteTwoFilters();
        c.make(home);
        const auto before = std::filesystem::status(home / "user/env.json").type();
        boxes.clear();
        Open();
        EXPECT_EQ(boxes.size(), c.startWarning.empty() ? 0u : 1u);
        if (!c.startWarning.empty()) {
            EXPECT_EQ(ComboTexts(dialog->GetFilterCombo()), (Texts{"Text", "Empty"}));  // the defaults still serve
            EXPECT_TRUE(boxes[0].text.contains(QString::fromStdString(home / "user/env.json")));
            EXPECT_TRUE(boxes[0].text.contains(QString::fromStdString(c.startWarning)));
        }
        if (!c.asksOnExit) {  // kept aside under a new name, which the warning gives, before Exit rewrites it
            Texts kept;
            for (const auto& entry : std::filesystem::directory_iterator(home / "user"))
                if (entry.path().filename().string().starts_with("env.json.broken-")) kept.push_back(entry.path());
            ASSERT_EQ(kept.size(), 1u);
            EXPECT_TRUE(boxes[0].text.contains(QString::fromStdString(kept[0])));
            EXPECT_TRUE(SavedOnExit().isObject());
            EXPECT_EQ(home.ReadFile("user/" + std::filesystem::path(kept[0]).filename().string()), broken);
            continue;
        }
        boxes.clear();
        answers = {Answer::No, Answer::Yes};
        dialog->GetExitButton()->click();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].kind, CQelMessageBox::Kind::Question);
        EXPECT_TRUE(boxes[0].text.contains("could not be written"));
        EXPECT_TRUE(boxes[0].text.contains(QString::fromStdString(home / "user/env.json")));
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(dialog->close());
        EXPECT_EQ(boxes.size(), 2u);
        EXPECT_EQ(std::filesystem::status(home / "user/env.json").type(), before);
        if (c.name[0] == 'r') { EXPECT_EQ(home.ReadFile("user/env.json"), mine); }
        Open();
        boxes.clear();
        dialog->SaveForSessionEnd();
        dialog->close();
        EXPECT_TRUE(boxes.empty());
    }
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
    answers = {Answer::Yes};
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
    EXPECT_EQ(Path(), "/somewhere/else");
    EXPECT_EQ(dialog->GetFilterCombo()->currentText(), "Md");
    EXPECT_TRUE(dialog->GetAfterSearchCheck()->isChecked() && dialog->GetJobCombo()->isEnabled());
    EXPECT_EQ(dialog->GetJobCombo()->currentText(), "Two");
}

TEST_F(MainWindow, HistorySearchUpdatesItsEntryInPlaceAndCaseMakesANewOne) {
    WriteTwoFilters();
    const std::string tree = MakeTree();
    std::filesystem::create_directories(home / "Tree");
    OpenWithHistory(1, R"({"date":"20000101","includesub":true,"path":")" + tree + "\"}");
    dialog->GetIncludeSubCheck()->setChecked(false);
    for (const std::string& path : {tree, home / "Tree"}) Search(path);
    EXPECT_EQ(PathsSavedOnExit(), (Texts{tree, "/p0", home / "Tree"}));
    EXPECT_EQ(home.ReadUserEnv()["searchpathhistory"][0],
              ParseJson(R"({"date":")" + Today() + R"(","includesub":false,"path":")" + tree + "\"}"));
}

TEST_F(MainWindow, HistoryPopupListsEveryLineAndDeleteRemovesTheChosenThenTheFirstEntry) {
    OpenWithHistory(8);
    Click("historyDeleteButton");
    EXPECT_EQ(BoxTexts(), Texts{"No items selected."});
    CQelPopupWnd* popup = OpenPopup();
    ASSERT_NE(popup, nullptr);
    const QLineEdit* box = dialog->GetPathEdit();
    EXPECT_EQ(popup->geometry(),
              QRect(box->mapToGlobal(QPoint(0, box->height())), QSize(box->width(), box->height() * 5)));
    EXPECT_EQ(popup->GetList()->columnWidth(0), box->width() - 10);
    ASSERT_EQ(popup->GetList()->model()->rowCount(), 8);
    EXPECT_EQ(popup->GetList()->model()->index(2, 0).data().toString(), "[2023/01/02] /p2(sub not check)");
    EXPECT_EQ(popup->GetList()->model()->index(7, 0).data().toString(), "[2023/01/07] /p7(sub check)");
    // Escape on a highlighted line chooses nothing: what the user typed stays.
    dialog->GetPathEdit()->setText("typed");
    popup->GetList()->selectRow(3);
    QTest::keyClick(popup->GetList(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_TRUE(popup->IsClosed());
    EXPECT_EQ(Path(), "typed");
    Pick(2);
    EXPECT_EQ(Path(), "/p2");
    EXPECT_FALSE(dialog->GetIncludeSubCheck()->isChecked());
    for (const char* next : {"/p0", "/p1"}) {
        Click("historyDeleteButton");
        EXPECT_EQ(Path(), next);
        EXPECT_TRUE(dialog->GetIncludeSubCheck()->isChecked());
    }
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(PathsSavedOnExit(), (Texts{"/p1", "/p3", "/p4", "/p5", "/p6", "/p7"}));
}

TEST_F(MainWindow, HistoryWithoutAViewFileOrAnEntryOpensNothing) {
    OpenWithHistory(1);
    for (const char* view : {"{\"width\": 300,", "[1, 2]", ""}) {
        home.WriteFile("res/view/pathhistory-tippopup.json", view);
        if (!*view) std::filesystem::remove(home / "res/view/pathhistory-tippopup.json");
        EXPECT_EQ(OpenPopup(), nullptr) << view;
    }
    std::filesystem::copy_file(QEL_VIEW_DIR "/pathhistory-tippopup.json", home / "res/view/pathhistory-tippopup.json");
    Pick(0);
    EXPECT_EQ(Path(), "/p0");
    Click("historyDeleteButton");
    EXPECT_EQ(Path(), "");
    EXPECT_FALSE(dialog->GetIncludeSubCheck()->isChecked());
    EXPECT_EQ(OpenPopup(), nullptr);
    EXPECT_EQ(PathsSavedOnExit(), Texts{});
}
