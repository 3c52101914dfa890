// The main window's own life: what Exit, Escape and the session's end write to
// env.json and what happens when they cannot; the filter and job lists; the
// search path history under the path box; a search from the window: its checks,
// its rows and notices, Stop, and the chosen job run on the results (the walk,
// the rows' commands and the job runner are tested on their own).
#include <QDate>
#include <QTableView>
#include <sys/stat.h>

#include "CQelAFJSubWnd.h"
#include "CQelFileMng.h"
#include "CQelPopupWnd.h"
#include "CQelWinUtilFunc.h"
#include "QelAppFixture.h"

namespace {

class MainWindow : public QelMainWindowFixture {
protected:
    static Json::Value Rect(const QRect& r) {
        return Parse(QString::asprintf(R"({"left":%d,"top":%d,"right":%d,"bottom":%d})", r.left(), r.top(), r.right() + 1, r.bottom() + 1).toStdString());
    }
    // Clicks the button; in the modal editor it opens, gives the (filter's) name if any, adds a line of the
    // type (with the text, if any) and saves. False when no editor opened.
    bool EditAndSave(const char* button, const char* selector = "", int type = 0, const char* text = "", const char* name = "") {
        bool opened = false, ran = false;
        QTimer::singleShot(0, [&] {
            ran = true;
            auto* editor = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!(opened = editor != nullptr)) return;
            if (*name) editor->findChild<QLineEdit*>("filterNameEdit")->setText(name);
            editor->findChild<QComboBox*>(selector)->setCurrentIndex(type);
            if (*text) editor->findChild<QLineEdit*>("searchStringEdit")->setText(text);
            editor->findChild<QPushButton*>("addButton")->click();
            editor->findChild<QPushButton*>("saveButton")->click();
            if (editor->isVisible()) editor->reject();  // the save was refused
        });
        Click(button);
        while (!ran) QCoreApplication::processEvents();
        return opened;
    }
    void TearDown() override {
        CQelWinUtilFunc::SetPumpHook([] { QCoreApplication::processEvents(); });  // the program's own
        CQelFileMng::SetPumpInterval(CQelFileMng::kPumpInterval);
        QelMainWindowFixture::TearDown();
    }
    // Runs action once inside the walk, at the first pumping of events after a hit.
    void AtTheFirstPumpAfterAHit(std::function<void()> action) {
        CQelWinUtilFunc::SetPumpHook([this, action, done = false]() mutable {
            if (!done && dialog->GetFileResults().size() + dialog->GetFolderResults().size() > 0) done = true, action();
            QCoreApplication::processEvents();
        });
    }
    // "All" finds every file and folder; the job "Other" would copy, "Wipe" deletes; 4 folders of 50 files.
    std::string OpenOnAWideTree() {
        home.WriteFile("config/env.json", R"({"searchfilter": [{"name": "All", "filterfilename": [""], "filterdirname": ["d0", "d1", "d2", "d3"]}],
            "aftersearchjob": [{"name": "Other", "list": [{"cmd": "copy", "act": "/nowhere"}]},
                               {"name": "Wipe", "list": [{"cmd": "delete", "act": ""}]}]})");
        WriteWideTree();
        home.WriteFile("empty/");
        Open();
        dialog->GetJobCombo()->setCurrentIndex(1);
        return home / "wide";
    }
    void WriteWideTree() const {
        for (int f = 0; f < 200; ++f) home.WriteFile("wide/d" + std::to_string(f % 4) + "/f" + std::to_string(f));
    }
    long FilesLeft() const {
        const std::filesystem::recursive_directory_iterator all(home / "wide");
        return std::count_if(begin(all), end(all), [](const auto& entry) { return entry.is_regular_file(); });
    }
    CQelPopupWnd* HistoryPopup() {
        Click("historyButton");
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* open = qobject_cast<CQelPopupWnd*>(w); open && open->isVisible() && !open->IsClosed()) return open;
        return nullptr;
    }
};

}  // namespace

// The outer rectangle is stored; one on the screen comes back, one off it leaves the standard place.
// A manual that is not a regular file (a FIFO would hang the browser) is refused, not handed on.
TEST_F(MainWindow, ExitWritesEmptyListsAndTheOuterRectangleWhichTheNextStartRestores) {
    home.WriteFile("res/manual/");
    ::mkfifo((home / "res/manual/index.html").c_str(), 0600);
    Open();
    ClickLink("manualLink");
    QCoreApplication::processEvents();  // the frame is known once shown
    EXPECT_EQ(boxes, Texts{"The manual \"" + (home / "res/manual/index.html") + "\" could not be opened (not a regular file)!!"});
    const QRect standard = dialog->frameGeometry();
    ASSERT_NE(standard.size(), dialog->size()) << "a platform without frames would not tell outer from inner";
    Json::Value saved = SavedOnExit();
    EXPECT_EQ(saved, Parse(R"({"aftersearchjob": [], "searchfilter": [], "searchpathhistory": [], "lastworkpath": "",
        "lastsearchfilter": "", "lastaftersearchjob": "", "aftersearch": false, "applastpos": )" + Rect(standard).toStyledString() + "}"));
    for (const QRect& place : {QRect(100, 50, 500, 300), QRect(5000, 5000, 500, 300)}) {
        saved["applastpos"] = Rect(place);
        home.WriteFile("user/env.json", saved.toStyledString());
        Open();
        QCoreApplication::processEvents();  // the frame is known once shown
        const QRect restored = place.left() < 5000 ? place : standard;
        EXPECT_EQ(dialog->frameGeometry(), restored);
        EXPECT_EQ(SavedOnExit()["applastpos"], Rect(restored));
    }
}

// A user file the program cannot replace or read: Exit and the close box ask,
// No keeps the window, the file stays exactly as it was.
TEST_F(MainWindow, AnUnwritableOrBrokenUserFileIsNeverLostAndExitAsks) {
    const std::string broken = R"({"searchfilter": [{"name": "Mine", "filterfileext": ["c")", file = home / "user/env.json";
    const std::function<void()> cases[] = {
        [&] { home.WriteFile("user/env.json", broken + "]}]}"), ::chmod(file.c_str(), 0400); },
        [&] { home.WriteFile("user/"), ::mkfifo(file.c_str(), 0600); },  // would block a plain open
        [&] { home.WriteFile("user/env.json", broken); },
    };
    for (const auto& make : cases) {
        SCOPED_TRACE(&make - cases);
        std::filesystem::remove_all(home / "user");
        MakeTree();
        make();
        const std::string before = TreeText(home / "user");
        boxes.clear();
        Open();
        ASSERT_EQ(boxes.size(), &make == cases ? 0u : 1u);
        EXPECT_TRUE(&make == cases || (dialog->GetFilterCombo()->count() == 2 && boxes[0].find(file + "\" could not be read") != std::string::npos))
            << "the warning names the file and the defaults still serve";
        if (&make == cases + 2) {  // kept aside under a new name, which the warning gives, before Exit rewrites it
            EXPECT_TRUE(SavedOnExit().isObject());
            const std::size_t kept = boxes[0].find("kept as \"" + home / "user/") + 9;
            EXPECT_EQ(ReadBytes(boxes[0].substr(kept, boxes[0].find('"', kept) - kept)), broken) << boxes[0];
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home / "user"), {}), 2);
            continue;
        }
        boxes.clear();
        answers = {Answer::No, Answer::Yes};
        dialog->GetExitButton()->click();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(dialog->close());
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_NE(boxes[0].find(file + "\" could not be written"), std::string::npos);
        EXPECT_EQ(TreeText(home / "user"), before);
    }
}

// The lists skip records without a name; New, Modify and Delete act on the record of their entry, leave
// the others as they are and write at once; the choices of a run come back in the next.
TEST_F(MainWindow, ListChangesAreWrittenAtOnceAndChoicesRemembered) {
    const std::string tree = MakeTree(R"([{"name": "One", "list": []}, {"list": []}, {"name": "Two", "list": []}])");
    Open();
    EXPECT_TRUE(SavedOnExit()["searchfilter"].isNull()) << "an unchanged exit copies no config list";
    Open();
    EXPECT_TRUE(EditAndSave("filterNewButton", "typeSelector", 2, "md", "Md"));
    EXPECT_EQ(dialog->GetFilterCombo()->currentText(), "Md");
    Search(tree, 2);
    EXPECT_EQ(Rows(), Texts{tree + "/b.md"});
    answers = {Answer::No, Answer::Yes};
    for (int i = 0; i < 2; ++i) Click("filterDeleteButton");
    EXPECT_EQ(boxes.back(), "\"Md\" Are you sure you want to delete the selection?");
    dialog->GetFilterCombo()->setCurrentIndex(1);
    EditAndSave("filterModifyButton", "typeSelector", 1, "notes");
    EXPECT_EQ(home.ReadUserEnv()["searchfilter"], Parse(R"([{"name": "Text", "filterfileext": ["txt"], "filterdirname": ["sub"]},
        {"name": "Empty", "filterfilename": ["notes"], "filterfileext": [], "filterdirname": []}])"));
    dialog->GetAfterSearchCheck()->setChecked(true);
    dialog->GetJobCombo()->setCurrentIndex(1);
    EditAndSave("jobModifyButton", "commandSelector", 2);
    EXPECT_EQ(home.ReadUserEnv()["aftersearchjob"], Parse(R"([{"name": "One", "list": []}, {"list": []},
        {"name": "Two", "list": [{"cmd": "delete", "act": ""}]}])"));
    dialog->GetFilterCombo()->setCurrentIndex(1);
    dialog->GetPathEdit()->setText("/somewhere/else");
    dialog->GetPathEdit()->setFocus();
    QTest::keyClick(dialog.get(), Qt::Key_Escape);  // Escape saves and exits as Exit does
    EXPECT_FALSE(dialog->isVisible());
    Open();
    EXPECT_EQ(dialog->GetPathEdit()->text() + "|" + dialog->GetFilterCombo()->currentText() + "|" + dialog->GetJobCombo()->currentText(),
              "/somewhere/else|Empty|Two");
    EXPECT_TRUE(dialog->GetAfterSearchCheck()->isChecked() && dialog->GetJobCombo()->isEnabled());
    answers = {Answer::Yes, Answer::Yes, Answer::Yes, Answer::Yes};
    for (const char* button : {"jobDeleteButton", "jobDeleteButton", "filterDeleteButton", "filterDeleteButton"}) Click(button);
    // On empty lists Modify and Delete do nothing, the job list is off without "After Search", and a search stops before walking.
    const std::size_t asked = boxes.size();
    EXPECT_FALSE(EditAndSave("filterModifyButton") || EditAndSave("jobModifyButton"));
    Click("filterDeleteButton");
    dialog->GetAfterSearchCheck()->setChecked(false);
    EXPECT_FALSE(dialog->GetJobCombo()->isEnabled() || dialog->findChild<QWidget*>("jobNewButton")->isEnabled());
    Search(tree);
    EXPECT_EQ(boxes.back(), "There are no search filters.");
    EXPECT_EQ(boxes.size(), asked + 1);
    EXPECT_EQ(SavedOnExit()["aftersearchjob"], Parse(R"([{"list":[]}])"));
}

// Enter in the path box searches; a check that fails afterwards leaves the rows, status and history as they were.
TEST_F(MainWindow, RowsOfTheTreeStayWhenALaterCheckFails) {
    const std::string tree = MakeTree();
    Open();
    dialog->GetPathEdit()->setText(QString::fromStdString(tree));
    QTest::keyClick(dialog->GetPathEdit(), Qt::Key_Return);  // Enter in the path box searches
    EXPECT_EQ(Status(), "Find File:3, Folder:2, search took 0 seconds");
    EXPECT_EQ(Rows().size(), 5u);
    auto state = [&] { return std::tuple(Rows(), Status(), *dialog->GetEnvArrays().history, dialog->isEnabled(), dialog->IsSearching()); };
    const auto before = state();
    const std::tuple<std::string, int, bool, std::string> cases[] = {
        {"", 0, false, "The path is empty!!"},
        {tree + "/missing", 0, false, "The search path is invalid!!\n\"" + tree + "/missing\": No such file or directory"},
        {tree, 1, false, "There are no search criteria!!"},
        {tree, 0, true, "No post-retrieval processing action was specified.\t\t\t\t\t\t\t\n"
                        "If not specified, only results are output.\t\t\t\t\t\t\t\nWould you like to proceed?"},
    };
    for (const auto& [path, filter, afterSearch, message] : cases) {
        boxes.clear();
        dialog->GetAfterSearchCheck()->setChecked(afterSearch);
        Search(path, filter);  // the question is answered No
        EXPECT_EQ(boxes, Texts{message});
        EXPECT_TRUE(state() == before) << message;
    }
    // Yes to the question searches, here below the top level only.
    dialog->GetIncludeSubCheck()->setChecked(false);
    answers = {Answer::Yes};
    Search(tree + "/sub");
    EXPECT_EQ(Rows(), Texts{tree + "/sub/c.txt"});
    EXPECT_EQ(SavedOnExit()["searchpathhistory"].size(), 2u);
}

// Stop (the Search button) or Escape ends a walk with what was found shown (the first rows showing, busy,
// meanwhile) and runs no job on a part; during a result command or the chosen job it ends the work after
// the current item. Meanwhile the other controls wait.
TEST_F(MainWindow, StopEndsAWalkAResultCommandOrTheChosenJobAfterTheCurrentItem) {
    const std::string tree = OpenOnAWideTree();
    const auto othersEnabled = [&] { return dialog->GetPathEdit()->isEnabled() || dialog->GetExitButton()->isEnabled(); };
    const auto button = [&] { return dialog->GetSearchButton()->accessibleName().toStdString(); };
    for (const bool job : {false, true}) {
        SCOPED_TRACE(job ? "walk, job, Stop" : "walk, Escape");
        dialog->GetAfterSearchCheck()->setChecked(job);
        bool enabled = true, tickGoesOn = true, busy = false;
        std::size_t found = 0, shown = 0;
        std::string during;
        AtTheFirstPumpAfterAHit([&] {
            CQelFileMng::GetInstance()->GetEventDelegate()->OnSearchProgress(CTessaryDlgDlg::kFirstRows, 0);
            found = dialog->GetFileResults().size() + dialog->GetFolderResults().size();
            shown = job ? 0 : static_cast<std::size_t>(dialog->GetResultSubWnd()->GetListModel()->rowCount());
            busy = !job && dialog->GetResultSubWnd()->IsBusy();  // no command can act on a part of the results
            enabled = othersEnabled(), during = button();
            job ? dialog->GetSearchButton()->click() : QTest::keyClick(dialog.get(), Qt::Key_Escape);
            tickGoesOn = CQelFileMng::GetInstance()->GetEventDelegate()->OnSearchTick(1, 0, u"/x");
        });
        Search(tree);
        EXPECT_FALSE(enabled || tickGoesOn || during != "Stop");
        EXPECT_TRUE(job || (shown == found && busy)) << shown << " of " << found;
        const Texts rows = Rows();
        const auto files = std::count_if(rows.begin(), rows.end(), [](const std::string& r) { return r.find("/f") != r.npos; });
        EXPECT_TRUE(!rows.empty() && Status().starts_with("Search stopped: Find File:" + std::to_string(files) + ", Folder:" +
                                                          std::to_string(rows.size() - files) + ", search took ")) << Status();
        QTest::keyClick(dialog.get(), Qt::Key_Escape);  // a second Escape right after a stop belongs to it
        EXPECT_TRUE(dialog->isVisible() && dialog->GetPathEdit()->isEnabled() && button() == "Search");
        EXPECT_TRUE(FilesLeft() == 200 && !dialog->GetJobSubWnd());
    }
    dialog->GetAfterSearchCheck()->setChecked(false);
    Search(tree);
    EXPECT_EQ(Rows().size(), 204u) << "the next search is not stopped by the last one's Stop";
    EXPECT_FALSE(dialog->GetResultSubWnd()->IsBusy());
    CQelFileMng::SetPumpInterval(std::chrono::milliseconds(0));
    for (const bool job : {false, true}) {
        SCOPED_TRACE(job ? "job" : "Delete");
        if (job) {
            dialog->GetAfterSearchCheck()->setChecked(true);
            Search(home / "empty");  // makes the log window
            dialog->GetJobSubWnd()->SetPaintInterval(std::chrono::milliseconds(0));
        }
        bool enabled = true;
        std::string during;
        QTimer watch;  // fires whenever the running work lets events through
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (FilesLeft() == 200) return;
            enabled = othersEnabled(), during = button();
            dialog->GetSearchButton()->click();
            watch.stop();
        });
        watch.start(0);
        answers = {Answer::Alternative};  // "Delete Permanently"
        job ? Search(tree) : dialog->GetResultSubWnd()->GetCommandButton(CQelResultSubWnd::kDelete)->click();
        EXPECT_FALSE(enabled || during != "Stop");
        EXPECT_EQ(FilesLeft(), 199);
        EXPECT_TRUE(dialog->GetPathEdit()->isEnabled() && button() == "Search");
        EXPECT_EQ(dialog->GetResultSubWnd()->isVisible(), !job) << "one docked window at a time";
        WriteWideTree();
    }
}

// A search updates its entry in place (another case is another path); a pick in the popup loads its entry
// and Delete removes the chosen one, then the first.
TEST_F(MainWindow, HistoryEntriesAreUpdatedPickedAndDeleted) {
    const std::string tree = MakeTree();
    home.WriteFile("Tree/");
    home.WriteFile("res/view/pathhistory-tippopup.json", "[1, 2]");
    home.WriteFile("user/env.json", R"({"searchpathhistory":[{"date":"20000101","includesub":true,"path":")" + tree +
                                        R"("}, {"date":"20230101","includesub":true,"path":"/p1"}]})");
    Open();
    EXPECT_EQ(HistoryPopup(), nullptr) << "a broken view file opens nothing";
    std::filesystem::copy_file(QEL_VIEW_DIR "/pathhistory-tippopup.json", home / "res/view/pathhistory-tippopup.json",
                               std::filesystem::copy_options::overwrite_existing);
    Click("historyDeleteButton");
    EXPECT_EQ(boxes, Texts{"No items selected."});
    dialog->GetIncludeSubCheck()->setChecked(false);
    for (const std::string& path : {tree, home / "Tree"}) Search(path);
    const Json::Value history = home.ReadUserEnv()["searchpathhistory"];
    const std::string today = QDate::currentDate().toString("yyyyMMdd").toStdString();
    EXPECT_EQ(history, Parse(R"([{"date":")" + today + R"(","includesub":false,"path":")" + tree + R"("},
        {"date":"20230101","includesub":true,"path":"/p1"}, {"date":")" + today + R"(","includesub":false,"path":")" + (home / "Tree") + "\"}]"));
    CQelPopupWnd* popup = HistoryPopup();
    ASSERT_NE(popup, nullptr);
    const QPoint cell = popup->GetList()->visualRect(popup->GetList()->model()->index(1, 0)).center();
    QTest::mouseClick(popup->GetList()->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(popup->GetList()->viewport(), Qt::LeftButton, {}, cell);
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog->GetPathEdit()->text() == "/p1" && dialog->GetIncludeSubCheck()->isChecked());
    Click("historyDeleteButton");
    EXPECT_EQ(dialog->GetPathEdit()->text().toStdString(), tree);
    EXPECT_EQ(SavedOnExit()["searchpathhistory"], Parse("[" + history[0].toStyledString() + "," + history[2].toStyledString() + "]"));
    EXPECT_EQ(boxes.size(), 1u);
}
