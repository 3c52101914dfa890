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
#include "CQelJobLogModel.h"
#include "CQelWinUtilFunc.h"
#include "QelMainWindowFixture.h"

namespace {

class SearchSession : public QelMainWindowFixture {
protected:
    // Clicks the button; the modal editor it opens goes to script and is
    // cancelled if left open. Returns whether an editor opened.
    bool Edit(const char* button, std::function<void(QDialog*)> script = [](QDialog*) {}) {
        bool opened = false, ran = false;
        QTimer::singleShot(0, [&] {
            auto* editor = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            opened = editor != nullptr;
            if (editor) script(editor);
            if (editor && editor->isVisible()) editor->reject();
            ran = true;
        });
        Click(button);
        while (!ran) QCoreApplication::processEvents();
        return opened;
    }
    static void Add(QDialog* editor, const char* selector, int type, const char* text = nullptr) {
        editor->findChild<QComboBox*>(selector)->setCurrentIndex(type);
        if (text) editor->findChild<QLineEdit*>("searchStringEdit")->setText(text);
        editor->findChild<QPushButton*>("addButton")->click();
    }
    static void Save(QDialog* editor) { editor->findChild<QPushButton*>("saveButton")->click(); }
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
    // 4 folders of 50 empty files below tree; returns the file count.
    int MakeWideTree(const std::string& tree) const {
        for (int d = 0; d < 4; ++d) {
            std::filesystem::create_directories(tree + "/d" + std::to_string(d));
            for (int f = 0; f < 50; ++f) std::ofstream(tree + "/d" + std::to_string(d) + "/f" + std::to_string(f));
        }
        return 200;
    }
};

}  // namespace

TEST_F(SearchSession, RowsOfTheTreeStayWhenALaterCheckFails) {
    WriteTwoFilters();
    const std::string tree = MakeTree();
    Open();
    dialog->move(60, 40);
    Search(tree);
    EXPECT_EQ(Status(), "Find File:3, Folder:2, search took 0 seconds");
    const QRect frame = dialog->frameGeometry();  // the results dock under the main window
    EXPECT_EQ(dialog->GetResultSubWnd()->frameGeometry(), QRect(frame.left(), frame.bottom() + 1, frame.width(), 400));
    // "Type Path|Name" per row: files first (in walk order), then folders, a folder before what lies in it.
    Texts rows;
    const QAbstractItemModel* model = dialog->GetResultSubWnd()->GetListModel();
    for (int r = 0; r < model->rowCount(); ++r) {
        auto cell = [&](int column) { return model->index(r, column).data().toString().toStdString(); };
        EXPECT_EQ(cell(3), cell(2) + "/" + cell(0));
        rows.push_back(cell(1) + " " + cell(2) + "|" + cell(0));
    }
    ASSERT_EQ(rows.size(), 5u);
    std::sort(rows.begin(), rows.begin() + 3);
    EXPECT_EQ(rows, (Texts{"File " + tree + "/notes|d.txt", "File " + tree + "/sub|c.txt", "File " + tree + "|a.txt",
                           "Folder " + tree + "|sub", "Folder " + tree + "/sub/deeper|sub"}));

    auto state = [&] {
        return std::make_tuple(Rows(), Status(), *dialog->GetEnvArrays().history, dialog->isEnabled(),
                               dialog->IsSearching(), QApplication::overrideCursor());
    };
    const auto before = state();
    ASSERT_EQ(std::get<2>(before).size(), 1u);
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
    answers = {CQelMessageBox::Answer::Yes};
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
    home.WriteConfigEnv(R"({"searchfilter": [{"name": "All", "filterfilename": [""]}],
                            "aftersearchjob": [{"name": "Wipe", "list": [{"cmd": "delete", "act": ""}]}]})");
    const std::string tree = home / "wide";
    const int total = MakeWideTree(tree);
    Open();
    dialog->GetAfterSearchCheck()->setChecked(true);
    const std::vector<std::function<void()>> stops = {[this] { dialog->GetSearchButton()->click(); },
                                                      [this] { QTest::keyClick(dialog.get(), Qt::Key_Escape); }};
    for (const auto& stop : stops) {
        bool pathEnabled = true, tickGoesOn = true;
        AtTheFirstPumpAfterAHit([&] {
            pathEnabled = dialog->GetPathEdit()->isEnabled() || dialog->GetExitButton()->isEnabled();
            EXPECT_EQ(dialog->GetSearchButton()->accessibleName(), "Stop");
            stop();
            tickGoesOn = CQelFileMng::GetInstance()->GetEventDelegate()->OnSearchTick(1, 0, u"/x");
        });
        Search(tree);
        EXPECT_FALSE(pathEnabled);
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
        EXPECT_TRUE(std::filesystem::exists(tree + "/d0/f0"));
    }
    // The next search is not stopped by the last one's Stop.
    dialog->GetAfterSearchCheck()->setChecked(false);
    Search(tree);
    EXPECT_EQ(Rows().size(), static_cast<std::size_t>(total));
    EXPECT_EQ(dialog->GetEnvArrays().history->size(), 1u);
}

TEST_F(SearchSession, TheFirstRowsShowWhileTheWalkGoesOn) {
    home.WriteConfigEnv(R"({"searchfilter": [{"name": "All", "filterfilename": [""]}]})");
    const std::string tree = home / "wide";
    const int total = MakeWideTree(tree);
    Open();
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
    EXPECT_EQ(Rows().size(), static_cast<std::size_t>(total));
    EXPECT_FALSE(dialog->GetResultSubWnd()->IsBusy());
}

TEST_F(SearchSession, FilterEditorsNeedANameAndActOnTheRecordOfTheirEntry) {
    home.WriteConfigEnv(R"({"searchfilter":[{"name":"A"},{"filterfileext":["x"]},"junk",{"name":""},
        {"name":"C","filterfilename":[],"filterfileext":["txt"],"filterdirname":[]}]})");
    const std::string tree = MakeTree();
    Open();
    EXPECT_EQ(ComboTexts(dialog->GetFilterCombo()), (Texts{"A", "C"}));
    bool openAfterEmptyName = false;
    EXPECT_TRUE(Edit("filterNewButton", [&](QDialog* editor) {
        Add(editor, "typeSelector", 2, "md");
        Save(editor);
        openAfterEmptyName = editor->isVisible();
        editor->findChild<QLineEdit*>("filterNameEdit")->setText("Markdown");
        Save(editor);
    }));
    EXPECT_TRUE(openAfterEmptyName);
    EXPECT_EQ(BoxTexts(), Texts{"The filter name is empty!!"});
    EXPECT_EQ(dialog->GetFilterCombo()->currentText(), "Markdown");
    Search(tree, 2);
    EXPECT_EQ(Rows(), Texts{tree + "/b.md"});

    dialog->GetFilterCombo()->setCurrentIndex(1);
    std::string shownName;
    Edit("filterModifyButton", [&](QDialog* editor) {
        shownName = editor->findChild<QLineEdit*>("filterNameEdit")->text().toStdString();
        Add(editor, "typeSelector", 1, "notes");
        Save(editor);
    });
    EXPECT_EQ(shownName, "C");
    dialog->GetFilterCombo()->setCurrentIndex(0);
    answers = {CQelMessageBox::Answer::No, CQelMessageBox::Answer::Yes};
    for (int i = 0; i < 2; ++i) Click("filterDeleteButton");
    EXPECT_EQ(BoxTexts().back(), "\"A\" Are you sure you want to delete the selection?");
    EXPECT_EQ(ComboTexts(dialog->GetFilterCombo()), (Texts{"C", "Markdown"}));
    EXPECT_EQ(dialog->GetFilterCombo()->currentIndex(), 0);
    EXPECT_EQ(home.ReadUserEnv()["searchfilter"], ParseJson(R"([{"filterfileext":["x"]},"junk",{"name":""},
        {"name":"C","filterfilename":["notes"],"filterfileext":["txt"],"filterdirname":[]},
        {"name":"Markdown","filterfilename":[],"filterfileext":["md"],"filterdirname":[]}])"));
    answers = {CQelMessageBox::Answer::Yes, CQelMessageBox::Answer::Yes};
    for (int i = 0; i < 2; ++i) Click("filterDeleteButton");
    // On an empty list Modify and Delete do nothing, and a search stops before walking.
    const std::size_t asked = boxes.size();
    EXPECT_FALSE(Edit("filterModifyButton"));
    Click("filterDeleteButton");
    Search(tree);
    EXPECT_EQ(BoxTexts().back(), "There are no search filters.");
    EXPECT_EQ(boxes.size(), asked + 1);
}

TEST_F(SearchSession, TheChosenJobRunsOnEverySearchInTheLogWindowThatTakesTheResultsPlace) {
    const std::string backup = home / "backup";
    std::filesystem::create_directory(backup);
    home.WriteConfigEnv(R"({"searchfilter": [{"name": "Text", "filterfileext": ["txt"], "filterdirname": ["notes"]}],
        "aftersearchjob": [{"name": "Other", "list": [{"cmd": "delete", "act": ""}]}, {"list": []},
                           {"name": "Keep", "list": [{"cmd": "copy", "act": ")" + backup + R"("}]}]})");
    const std::string tree = MakeTree();
    Open();
    dialog->GetAfterSearchCheck()->setChecked(true);
    EXPECT_EQ(ComboTexts(dialog->GetJobCombo()), (Texts{"Other", "Keep"}));
    dialog->GetJobCombo()->setCurrentIndex(1);
    auto logRows = [&] {
        Texts rows;
        for (const QString& row : dialog->GetJobSubWnd()->GetLogModel()->Rows()) rows.push_back(row.toStdString());
        return rows;
    };
    for (const char* fileEnd : {" Copy File Success", " Copy File Failed"}) {  // the copies exist the second time
        Search(tree);
        ASSERT_NE(dialog->GetJobSubWnd(), nullptr);
        const Texts rows = logRows();
        ASSERT_EQ(rows.size(), 6u);  // start, one folder, three files, end
        EXPECT_EQ(rows[0], "\"Keep\" Job Process Start.");
        EXPECT_TRUE(rows[2].ends_with(fileEnd)) << rows[2];
        EXPECT_TRUE(dialog->isEnabled());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    EXPECT_TRUE(std::filesystem::exists(backup + "/notes/d.txt"));
    EXPECT_TRUE(std::filesystem::exists(tree + "/a.txt"));  // the other job, a delete, never ran
    EXPECT_EQ(dialog->GetResultSubWnd(), nullptr);
    // One docked window at a time: plain results hide the log.
    dialog->GetAfterSearchCheck()->setChecked(false);
    Search(tree);
    EXPECT_TRUE(dialog->GetResultSubWnd()->isVisible());
    EXPECT_FALSE(dialog->GetJobSubWnd()->isVisible());

    dialog->GetAfterSearchCheck()->setChecked(true);
    std::string shownName;
    Edit("jobModifyButton", [&](QDialog* editor) {
        shownName = editor->findChild<QLineEdit*>("jobNameEdit")->text().toStdString();
        Add(editor, "commandSelector", 2);
        Save(editor);
    });
    EXPECT_EQ(shownName, "Keep");
    EXPECT_EQ(dialog->GetSettings().UserTree()["aftersearchjob"][2]["list"][1], ParseJson(R"({"cmd":"delete","act":""})"));
    answers = {CQelMessageBox::Answer::Yes, CQelMessageBox::Answer::Yes};
    for (int i = 0; i < 2; ++i) Click("jobDeleteButton");
    EXPECT_EQ(dialog->GetJobCombo()->count(), 0);
    EXPECT_FALSE(Edit("jobModifyButton"));  // nothing to change on an empty list
    EXPECT_EQ(SavedOnExit()["aftersearchjob"], ParseJson(R"([{"list":[]}])"));
}

// The Search button reads "Stop" while a result command or a job runs, and
// ends it after the current item; the other controls wait meanwhile.
TEST_F(SearchSession, TheSearchButtonStopsAResultCommandOrAJobAfterTheCurrentItem) {
    home.WriteConfigEnv(R"({"searchfilter": [{"name": "All", "filterfilename": [""]}],
                            "aftersearchjob": [{"name": "Wipe", "list": [{"cmd": "delete", "act": ""}]}]})");
    const std::string tree = home / "wide";
    const int total = MakeWideTree(tree);
    std::filesystem::create_directory(home / "empty");
    const auto left = [&] {
        int files = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(tree)) files += entry.is_regular_file();
        return files;
    };
    CQelFileMng::SetPumpInterval(std::chrono::milliseconds(0));
    Open();
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
        MakeWideTree(tree);
    }
}
