// A search from the main window: its checks, its rows and notices, Stop, and
// the chosen job run on the results. The walk, the rows' commands and the job
// runner are tested on their own; here: how the window drives them.
#include "CQelAFJSubWnd.h"
#include "CQelFileMng.h"
#include "CQelWinUtilFunc.h"
#include "QelAppFixture.h"

namespace {

class SearchSession : public QelMainWindowFixture {
protected:
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
};

}  // namespace

TEST_F(SearchSession, RowsOfTheTreeStayWhenALaterCheckFails) {
    const std::string tree = MakeTree();
    Open();
    dialog->GetPathEdit()->setText(QString::fromStdString(tree));
    QTest::keyClick(dialog->GetPathEdit(), Qt::Key_Return);  // Enter in the path box searches
    EXPECT_EQ(Status(), "Find File:3, Folder:2, search took 0 seconds");
    EXPECT_EQ(Rows().size(), 5u);
    // The result window's notices: progress at most once per pump interval, then the end with the last counts.
    for (const auto& [notice, shown] : {std::pair{CQelResultSubWnd::OperationNotice{u"[1/3] Process", u" a"}, "[1/3] Process a"},
                                        {{u"[2/3] Process", u" b"}, ""}, {{u"Copy Finish", u""}, "Copy Finish b"}}) {
        dialog->GetResultSubWnd()->RunOperationWithDetail([&] { return notice; });
        if (*shown) { EXPECT_EQ(Status(), shown); }
    }
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
    // Yes to the question searches, here below the top level only; a file as the path finds nothing.
    dialog->GetIncludeSubCheck()->setChecked(false);
    answers = {Answer::Yes};
    Search(tree + "/sub");
    EXPECT_EQ(Rows(), Texts{tree + "/sub/c.txt"});
    dialog->GetAfterSearchCheck()->setChecked(false);
    Search(tree + "/a.txt");
    EXPECT_EQ(Status(), "Find File:0, Folder:0, search took 0 seconds");
    EXPECT_EQ(SavedOnExit()["searchpathhistory"].size(), 3u);
}

// Stop (the Search button) or Escape ends a walk with what was found shown (the first rows showing, busy,
// meanwhile) and runs no job on a part; during a result command or the chosen job it ends the work after
// the current item. Meanwhile the other controls wait.
TEST_F(SearchSession, StopEndsAWalkAResultCommandOrTheChosenJobAfterTheCurrentItem) {
    const std::string tree = OpenOnAWideTree();
    for (const bool job : {false, true}) {
        SCOPED_TRACE(job ? "walk, job, Stop" : "walk, Escape");
        dialog->GetAfterSearchCheck()->setChecked(job);
        bool controlsEnabled = true, tickGoesOn = true, busy = false;
        std::size_t found = 0, shown = 0;
        AtTheFirstPumpAfterAHit([&] {
            CQelFileMng::GetInstance()->GetEventDelegate()->OnSearchProgress(CTessaryDlgDlg::kFirstRows, 0);
            found = dialog->GetFileResults().size() + dialog->GetFolderResults().size();
            shown = job ? 0 : static_cast<std::size_t>(dialog->GetResultSubWnd()->GetListModel()->rowCount());
            busy = !job && dialog->GetResultSubWnd()->IsBusy();  // no command can act on a part of the results
            controlsEnabled = dialog->GetPathEdit()->isEnabled() || dialog->GetExitButton()->isEnabled();
            EXPECT_EQ(dialog->GetSearchButton()->accessibleName(), "Stop");
            job ? dialog->GetSearchButton()->click() : QTest::keyClick(dialog.get(), Qt::Key_Escape);
            tickGoesOn = CQelFileMng::GetInstance()->GetEventDelegate()->OnSearchTick(1, 0, u"/x");
        });
        Search(tree);
        EXPECT_FALSE(controlsEnabled || tickGoesOn);
        EXPECT_TRUE(job || (shown == found && busy)) << shown << " of " << found;
        const Texts rows = Rows();
        const auto files = std::count_if(rows.begin(), rows.end(), [](const std::string& r) { return r.find("/f") != r.npos; });
        EXPECT_TRUE(!rows.empty() && Status().starts_with("Search stopped: Find File:" + std::to_string(files) + ", Folder:" +
                                                          std::to_string(rows.size() - files) + ", search took ")) << Status();
        // A second Escape right after a stop belongs to it: the window stays.
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        EXPECT_TRUE(dialog->isVisible() && dialog->GetPathEdit()->isEnabled());
        EXPECT_EQ(dialog->GetSearchButton()->accessibleName(), "Search");
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
        bool stopShown = false, othersEnabled = true;
        QTimer watch;  // fires whenever the running work lets events through
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (FilesLeft() == 200) return;
            stopShown = dialog->GetSearchButton()->accessibleName() == "Stop";
            othersEnabled = dialog->GetPathEdit()->isEnabled() || dialog->GetExitButton()->isEnabled();
            dialog->GetSearchButton()->click();
            watch.stop();
        });
        watch.start(0);
        answers = {Answer::Alternative};  // "Delete Permanently"
        job ? Search(tree) : dialog->GetResultSubWnd()->GetCommandButton(CQelResultSubWnd::kDelete)->click();
        EXPECT_TRUE(stopShown && !othersEnabled);
        EXPECT_EQ(FilesLeft(), 199);
        EXPECT_EQ(dialog->GetSearchButton()->accessibleName(), "Search");
        EXPECT_TRUE(dialog->GetPathEdit()->isEnabled());
        EXPECT_EQ(dialog->GetResultSubWnd()->isVisible(), !job) << "one docked window at a time";
        WriteWideTree();
    }
}
