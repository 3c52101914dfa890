// A search from the main window: its checks, its rows, Stop, the filter and
// job lists' editors, and the job run on the results.
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <tuple>

#include "CQelAFJSubWnd.h"
#include "CQelFileMng.h"
#include "CQelImgMngr.h"
#include "CQelJobLogModel.h"
#include "CQelWinUtilFunc.h"
#include "QelMainWindowFixture.h"
#include "QelStatusColors.h"

namespace {

class SearchSession : public QelMainWindowFixture {
protected:
    // Clicks the button; the modal editor it opens goes to script and is
    // cancelled if left open. Returns whether an editor opened.
    bool Edit(const char* button, std::function<void(QDialog*)> script = [](QDialog*) {}) {
        bool opened = false, ran = false;
        QTimer::singleShot(0, [&] {
            auto* editor = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if ((opened = editor != nullptr)) script(editor);
            if (editor && editor->isVisible()) editor->reject();
            ran = true;
        });
        Click(button);
        while (!ran) QCoreApplication::processEvents();
        return opened;
    }
    // Adds a line of the given type (and text) in an editor, then saves when asked.
    static void Add(QDialog* editor, const char* selector, int type, const char* text, bool save = true) {
        editor->findChild<QComboBox*>(selector)->setCurrentIndex(type);
        if (text) editor->findChild<QLineEdit*>("searchStringEdit")->setText(text);
        editor->findChild<QPushButton*>("addButton")->click();
        if (save) editor->findChild<QPushButton*>("saveButton")->click();
    }
    // Runs once inside the walk, at the first pumping of events after a hit.
    void AtTheFirstPumpAfterAHit(std::function<void()> action) {
        CQelWinUtilFunc::SetPumpHook([this, action, done = false]() mutable {
            if (!done && !dialog->GetFileResults().empty()) {
                done = true;
                action();
            }
            QCoreApplication::processEvents();
        });
    }
    void TearDown() override {
        CQelWinUtilFunc::SetPumpHook([] { QCoreApplication::processEvents(); });  // the program's own
        CQelFileMng::SetPumpInterval(CQelFileMng::kPumpInterval);
        QelMainWindowFixture::TearDown();
    }
    // One filter "All" that finds every file, the job "Wipe", 4 folders of 50 files and the program's
    // pictures; returns the tree.
    void WriteWideTree() const {
        for (int f = 0; f < 200; ++f) home.WriteFile("wide/d" + std::to_string(f % 4) + "/f" + std::to_string(f), "");
    }
    std::string OpenOnAWideTree() {
        home.WriteConfigEnv(R"({"searchfilter": [{"name": "All", "filterfilename": [""]}],
                                "aftersearchjob": [{"name": "Wipe", "list": [{"cmd": "delete", "act": ""}]}]})");
        WriteWideTree();
        std::filesystem::create_directories(home / "res");
        std::filesystem::create_directory_symlink(QEL_VIEW_DIR "/../img", home / "res/img");  // the button pictures
        CQelImgMngr::DeleteInstance();  // forgets the pictures earlier tests had no file for
        Open();
        return home / "wide";
    }
};

}  // namespace

TEST_F(SearchSession, RowsOfTheTreeStayWhenALaterCheckFails) {
    WriteTwoFilters();
    const std::string tree = MakeTree();
    Open();
    dialog->move(60, 40);
    dialog->GetPathEdit()->setText(QString::fromStdString(tree));
    QTest::keyClick(dialog->GetPathEdit(), Qt::Key_Return);  // Enter in the path box searches
    EXPECT_EQ(Status(), "Find File:3, Folder:2, search took 0 seconds");
    EXPECT_EQ(dialog->GetStatusLabel()->GetPropColor(u"fgcolor"), qel::kStatusCountText);
    const QRect frame = dialog->frameGeometry();  // the results dock under the main window
    EXPECT_EQ(dialog->GetResultSubWnd()->frameGeometry(), QRect(frame.left(), frame.bottom() + 1, frame.width(), 400));
    Texts rows = Rows();  // files first (in walk order), then folders, a folder before what lies in it
    ASSERT_EQ(rows.size(), 5u);
    std::sort(rows.begin(), rows.begin() + 3);
    EXPECT_EQ(rows, (Texts{tree + "/a.txt", tree + "/notes/d.txt", tree + "/sub/c.txt", tree + "/sub",
                           tree + "/sub/deeper/sub"}));

    // The result window's notices: progress (shown at most once per pump interval), then the end with the last counts.
    using Notice = CQelResultSubWnd::OperationNotice;
    for (const auto& [notice, shown] : {std::pair{Notice{u"[1/3] Process", u" a"}, "[1/3] Process a"},
                                        {Notice{u"[2/3] Process", u" b"}, ""}, {Notice{u"Copy Finish", u""}, "Copy Finish b"}}) {
        dialog->GetResultSubWnd()->RunOperationWithDetail([&] { return notice; });
        if (*shown) { EXPECT_EQ(Status(), shown); }
    }
    auto state = [&] {
        return std::make_tuple(Rows(), Status(), *dialog->GetEnvArrays().history, dialog->isEnabled(),
                               dialog->IsSearching(), QApplication::overrideCursor());
    };
    const auto before = state();
    const std::vector<std::tuple<std::string, int, bool, std::string>> cases = {
        {"", 0, false, "The path is empty!!"},
        {tree + "/missing", 0, false,
         "The search path is invalid!!\n\"" + tree + "/missing\": No such file or directory"},
        {tree, 1, false, "There are no search criteria!!"},
        {tree, 0, true,
         "No post-retrieval processing action was specified.\t\t\t\t\t\t\t\n"
         "If not specified, only results are output.\t\t\t\t\t\t\t\nWould you like to proceed?"},
    };
    for (const auto& [path, filter, afterSearch, message] : cases) {
        boxes.clear();
        dialog->GetAfterSearchCheck()->setChecked(afterSearch);
        Search(path, filter);  // the question is answered No
        EXPECT_EQ(BoxTexts(), Texts{message});
        EXPECT_TRUE(state() == before) << message;
    }
    // Yes to the question searches below the top level only; a file as the path finds nothing.
    dialog->GetIncludeSubCheck()->setChecked(false);
    answers = {Answer::Yes};
    Search(tree + "/sub");
    EXPECT_EQ(Rows(), Texts{tree + "/sub/c.txt"});
    dialog->GetAfterSearchCheck()->setChecked(false);
    Search(tree + "/a.txt");
    EXPECT_EQ(Status(), "Find File:0, Folder:0, search took 0 seconds");
    const Json::Value history = SavedOnExit()["searchpathhistory"];
    ASSERT_EQ(history.size(), 3u);
    EXPECT_EQ(history[1], ParseJson(R"({"date":")" + Today() + R"(","includesub":false,"path":")" + tree + "/sub\"}"));
}

TEST_F(SearchSession, StopOrEscapeDuringAWalkShowsWhatWasFoundAndRunsNoJob) {
    const std::string tree = OpenOnAWideTree();
    dialog->GetAfterSearchCheck()->setChecked(true);
    const std::vector<std::function<void()>> stops = {[this] { dialog->GetSearchButton()->click(); },
                                                      [this] { QTest::keyClick(dialog.get(), Qt::Key_Escape); }};
    const auto picture = [this] { return dialog->GetSearchButton()->icon().pixmap(QSize(16, 16)).toImage(); };
    const QImage searchPicture = picture();
    for (const auto& stop : stops) {
        bool controlsEnabled = true, tickGoesOn = true;
        AtTheFirstPumpAfterAHit([&] {
            controlsEnabled = dialog->GetPathEdit()->isEnabled() || dialog->GetExitButton()->isEnabled();
            EXPECT_EQ(dialog->GetSearchButton()->accessibleName(), "Stop");
            EXPECT_NE(picture(), searchPicture);
            EXPECT_NE(QApplication::overrideCursor(), nullptr);
            stop();
            tickGoesOn = CQelFileMng::GetInstance()->GetEventDelegate()->OnSearchTick(1, 0, u"/x");
        });
        Search(tree);
        EXPECT_FALSE(controlsEnabled);
        EXPECT_FALSE(tickGoesOn);
        const std::size_t found = Rows().size();
        EXPECT_GT(found, 0u);
        EXPECT_TRUE(Status().starts_with("Search stopped: Find File:" + std::to_string(found) + ", Folder:0, search took "))
            << Status();
        // A second Escape right after a stop belongs to it: the window stays.
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(dialog->GetPathEdit()->isEnabled() && dialog->GetJobCombo()->isEnabled());
        EXPECT_EQ(dialog->GetSearchButton()->accessibleName(), "Search");
        EXPECT_EQ(picture(), searchPicture);
        EXPECT_TRUE(std::filesystem::exists(tree + "/d0/f0"));
    }
    // The next search is not stopped by the last one's Stop.
    dialog->GetAfterSearchCheck()->setChecked(false);
    Search(tree);
    EXPECT_EQ(Rows().size(), 200u);
    EXPECT_FALSE(dialog->GetJobCombo()->isEnabled());  // what was off before the search stays off
    EXPECT_EQ(dialog->GetEnvArrays().history->size(), 1u);
}

TEST_F(SearchSession, TheFirstRowsShowWhileTheWalkGoesOn) {
    const std::string tree = OpenOnAWideTree();
    std::size_t shownDuring = 0, foundDuring = 0;
    bool busyDuring = false;
    AtTheFirstPumpAfterAHit([&] {
        CQelFileMng::GetInstance()->GetEventDelegate()->OnSearchProgress(CTessaryDlgDlg::kFirstRows, 0);
        foundDuring = dialog->GetFileResults().size();
        ASSERT_NE(dialog->GetResultSubWnd(), nullptr);
        shownDuring = static_cast<std::size_t>(dialog->GetResultSubWnd()->GetListModel()->rowCount());
        busyDuring = dialog->GetResultSubWnd()->IsBusy();  // no command can act on a part of the results
    });
    Search(tree);
    EXPECT_GT(foundDuring, 0u);
    EXPECT_EQ(shownDuring, foundDuring);
    EXPECT_TRUE(busyDuring);
    EXPECT_EQ(Rows().size(), 200u);
    EXPECT_FALSE(dialog->GetResultSubWnd()->IsBusy());
}

// The lists skip records without a name; each entry acts on its own record and leaves the others as they are.
TEST_F(SearchSession, FilterEditorsNeedANameAndActOnTheRecordOfTheirEntry) {
    home.WriteConfigEnv(R"({"searchfilter":[{"name":"A"},{"filterfileext":["x"]},"junk",{"name":""},
        {"name":"C","filterfilename":[],"filterfileext":["txt"],"filterdirname":[]}]})");
    const std::string tree = MakeTree();
    Open();
    EXPECT_EQ(ComboTexts(dialog->GetFilterCombo()), (Texts{"A", "C"}));
    bool openAfterEmptyName = false;
    EXPECT_TRUE(Edit("filterNewButton", [&](QDialog* editor) {
        Add(editor, "typeSelector", 2, "md");
        openAfterEmptyName = editor->isVisible();
        editor->findChild<QLineEdit*>("filterNameEdit")->setText("Markdown");
        editor->findChild<QPushButton*>("saveButton")->click();
    }));
    EXPECT_TRUE(openAfterEmptyName);
    EXPECT_EQ(BoxTexts(), Texts{"The filter name is empty!!"});
    EXPECT_EQ(dialog->GetFilterCombo()->currentText(), "Markdown");
    EXPECT_EQ(home.ReadUserEnv()["searchfilter"].size(), 6u);  // written at once
    Search(tree, 2);
    EXPECT_EQ(Rows(), Texts{tree + "/b.md"});
    dialog->GetFilterCombo()->setCurrentIndex(1);
    std::string shownName;
    Edit("filterModifyButton", [&](QDialog* editor) {
        shownName = editor->findChild<QLineEdit*>("filterNameEdit")->text().toStdString();
        Add(editor, "typeSelector", 1, "notes");
    });
    EXPECT_EQ(shownName, "C");
    dialog->GetFilterCombo()->setCurrentIndex(0);
    answers = {Answer::No, Answer::Yes};
    for (int i = 0; i < 2; ++i) Click("filterDeleteButton");
    EXPECT_EQ(BoxTexts().back(), "\"A\" Are you sure you want to delete the selection?");
    EXPECT_EQ(ComboTexts(dialog->GetFilterCombo()), (Texts{"C", "Markdown"}));
    EXPECT_EQ(dialog->GetFilterCombo()->currentIndex(), 0);
    EXPECT_EQ(home.ReadUserEnv()["searchfilter"], ParseJson(R"([{"filterfileext":["x"]},"junk",{"name":""},
        {"name":"C","filterfilename":["notes"],"filterfileext":["txt"],"filterdirname":[]},
        {"name":"Markdown","filterfilename":[],"filterfileext":["md"],"filterdirname":[]}])"));
    answers = {Answer::Yes, Answer::Yes};
    for (int i = 0; i < 2; ++i) Click("filterDeleteButton");
    // On an empty list Modify and Delete do nothing, and a search stops before walking.
    const std::size_t asked = boxes.size();
    EXPECT_FALSE(Edit("filterModifyButton"));
    Click("filterDeleteButton");
    Search(tree);
    EXPECT_EQ(BoxTexts().back(), "There are no search filters.");
    EXPECT_EQ(boxes.size(), asked + 1);
}

// The job itself is the runner's; here: the chosen one runs on every search,
// its log takes the results' place, and the list edits act on its record.
TEST_F(SearchSession, TheChosenJobRunsOnEverySearchInTheLogWindowThatTakesTheResultsPlace) {
    const std::string backup = home / "backup";
    std::filesystem::create_directory(backup);
    home.WriteConfigEnv(R"({"searchfilter": [{"name": "Text", "filterfileext": ["txt"], "filterdirname": ["notes"]}],
        "aftersearchjob": [{"name": "Other", "list": [{"cmd": "delete", "act": ""}]}, {"list": []},
                           {"name": "Keep", "list": [{"cmd": "copy", "act": ")" + backup + R"("}]}]})");
    const std::string tree = MakeTree();
    Open();
    Search(tree);
    dialog->GetAfterSearchCheck()->setChecked(true);
    EXPECT_EQ(ComboTexts(dialog->GetJobCombo()), (Texts{"Other", "Keep"}));
    dialog->GetJobCombo()->setCurrentIndex(1);
    // Each copied entry lets the window paint: meanwhile it takes no input and shows the wait cursor.
    int pumpsInJob = 0, framedPumps = 0;
    CQelFileMng::SetPumpInterval(std::chrono::steady_clock::duration::zero());
    CQelWinUtilFunc::SetPumpHook([&] {
        const auto logged = dialog->GetJobSubWnd() ? dialog->GetJobSubWnd()->GetLogModel()->Rows().size() : 0;
        if (logged == 0 || logged >= 6) return;  // not between the job's start and end rows
        ++pumpsInJob;
        framedPumps += !dialog->GetPathEdit()->isEnabled() && QApplication::overrideCursor();
    });
    for (const char* fileEnd : {" Copy File Success", " Copy File Failed"}) {  // the copies exist the second time
        Search(tree);
        ASSERT_NE(dialog->GetJobSubWnd(), nullptr);
        const auto rows = dialog->GetJobSubWnd()->GetLogModel()->Rows();
        ASSERT_EQ(rows.size(), 6);  // start, one folder, three files, end
        EXPECT_EQ(rows[0], "\"Keep\" Job Process Start.");
        EXPECT_TRUE(rows[2].endsWith(fileEnd)) << rows[2].toStdString();
        EXPECT_TRUE(dialog->isEnabled());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    EXPECT_GT(pumpsInJob, 0);
    EXPECT_EQ(framedPumps, pumpsInJob);
    EXPECT_TRUE(std::filesystem::exists(backup + "/notes/d.txt"));
    EXPECT_TRUE(std::filesystem::exists(tree + "/a.txt"));  // the other job, a delete, never ran
    EXPECT_FALSE(dialog->GetResultSubWnd()->isVisible());  // one docked window at a time
    dialog->GetAfterSearchCheck()->setChecked(false);
    Search(tree);
    EXPECT_TRUE(dialog->GetResultSubWnd()->isVisible() && dialog->GetResultSubWnd()->isEnabled());
    EXPECT_FALSE(dialog->GetJobSubWnd()->isVisible());

    dialog->GetAfterSearchCheck()->setChecked(true);
    std::string shownName;
    Edit("jobModifyButton", [&](QDialog* editor) {
        shownName = editor->findChild<QLineEdit*>("jobNameEdit")->text().toStdString();
        Add(editor, "commandSelector", 2, nullptr);
    });
    EXPECT_EQ(shownName, "Keep");
    EXPECT_EQ(home.ReadUserEnv()["aftersearchjob"][2]["list"][1], ParseJson(R"({"cmd":"delete","act":""})"));
    answers = {Answer::Yes, Answer::Yes};
    for (int i = 0; i < 2; ++i) Click("jobDeleteButton");
    EXPECT_EQ(dialog->GetJobCombo()->count(), 0);
    EXPECT_FALSE(Edit("jobModifyButton"));  // nothing to change on an empty list
    EXPECT_EQ(SavedOnExit()["aftersearchjob"], ParseJson(R"([{"list":[]}])"));
}

// The Search button reads "Stop" while a result command or a job runs, and
// ends it after the current item; the other controls wait meanwhile.
TEST_F(SearchSession, TheSearchButtonStopsAResultCommandOrAJobAfterTheCurrentItem) {
    const std::string tree = OpenOnAWideTree();
    std::filesystem::create_directory(home / "empty");
    const auto left = [&] {
        int files = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(tree)) files += entry.is_regular_file();
        return files;
    };
    const int total = left();
    CQelFileMng::SetPumpInterval(std::chrono::milliseconds(0));
    for (const bool job : {false, true}) {
        SCOPED_TRACE(job ? "job" : "Delete");
        dialog->GetAfterSearchCheck()->setChecked(job);
        Search(home / "empty");  // makes the result window, or the log window for the job
        if (job) {
            dialog->GetJobSubWnd()->SetPaintInterval(std::chrono::milliseconds(0));
        } else {
            Search(tree);  // a later search's rows are found below its own folder
            EXPECT_EQ(dialog->GetResultSubWnd()->GetResultModel()["searchpath"].asString(), tree);
        }
        bool stopShown = false, othersEnabled = true;
        QTimer watch;  // fires whenever the running work lets events through
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (left() == total) return;
            stopShown = dialog->GetSearchButton()->accessibleName() == "Stop";
            othersEnabled = dialog->GetPathEdit()->isEnabled() || dialog->GetExitButton()->isEnabled();
            dialog->GetSearchButton()->click();
            watch.stop();
        });
        watch.start(0);
        if (job) {
            Search(tree);
        } else {
            answers = {CQelMessageBox::Answer::Alternative};  // "Delete Permanently"
            dialog->GetResultSubWnd()->GetCommandButton(CQelResultSubWnd::kDelete)->click();
            EXPECT_NE(Status().find("Not done:"), std::string::npos) << Status();
        }
        EXPECT_TRUE(stopShown);
        EXPECT_FALSE(othersEnabled);
        EXPECT_EQ(left(), total - 1);
        EXPECT_EQ(dialog->GetSearchButton()->accessibleName(), "Search");
        EXPECT_TRUE(dialog->GetPathEdit()->isEnabled());
        WriteWideTree();
    }
}
