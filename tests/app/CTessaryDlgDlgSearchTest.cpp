#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <fstream>
#include <set>

#include "CQelResultListModel.h"
#include "CQelResultSubWnd.h"
#include "CQelWinUtilFunc.h"
#include "CTessaryDlgDlg.h"
#include "QelMainWindowFixture.h"
#include "QelPathHistory.h"

namespace {

class SearchSession : public QelMainWindowFixture {
protected:
    // Runs a search of path with the given filter entry through the Search button.
    void Search(CTessaryDlgDlg& dialog, const std::string& path, int filter = 0) {
        dialog.GetPathEdit()->setText(QString::fromStdString(path));
        dialog.GetFilterCombo()->setCurrentIndex(filter);
        dialog.GetSearchButton()->click();
    }

    static std::vector<std::string> Strings(const QelStringArray& list) {
        std::vector<std::string> out;
        for (const QelString& s : list) out.push_back(s.ToStdString());
        return out;
    }
    static std::vector<std::string> Rows(const CTessaryDlgDlg& dialog) {
        std::vector<std::string> out;
        const CQelResultListModel* model = dialog.GetResultSubWnd()->GetListModel();
        for (int r = 0; r < model->rowCount(); ++r) out.push_back(model->data(model->index(r, 3)).toString().toStdString());
        return out;
    }
};

}  // namespace

TEST_F(SearchSession, EveryFailedCheckShowsItsTextAndChangesNothing) {
    WriteTwoFilters();
    const std::string tree = MakeTree();
    CTessaryDlgDlg dialog;
    dialog.show();
    Search(dialog, tree);
    ASSERT_NE(dialog.GetResultSubWnd(), nullptr);
    const std::vector<std::string> files = Strings(dialog.GetFileResults());
    const std::vector<std::string> rows = Rows(dialog);
    const std::string summary = Caption(dialog.GetStatusLabel());
    const Json::Value history = *dialog.GetEnvArrays().history;
    ASSERT_EQ(history.size(), 1u);
    ASSERT_TRUE(boxes.empty());

    struct Case {
        std::string path;
        int filter;
        bool afterSearch;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"", 0, false, "The path is empty!!"},
        {tree + "/missing", 0, false, "The search path is invalid!!"},
        {tree, 1, false, "There are no search criteria!!"},
        {tree, 0, true,
         "No post-retrieval processing action was specified.\t\t\t\t\t\t\t\n"
         "If not specified, only results are output.\t\t\t\t\t\t\t\nWould you like to proceed?"},
    };
    for (const Case& c : cases) {
        boxes.clear();
        answers = {CQelMessageBox::Answer::No};
        dialog.GetAfterSearchCheck()->setChecked(c.afterSearch);
        Search(dialog, c.path.empty() ? std::string() : c.path, c.filter);
        ASSERT_EQ(boxes.size(), 1u) << c.message;
        EXPECT_EQ(boxes[0].text.toStdString(), c.message);
        EXPECT_EQ(Strings(dialog.GetFileResults()), files) << c.message;
        EXPECT_EQ(Rows(dialog), rows) << c.message;
        EXPECT_EQ(Caption(dialog.GetStatusLabel()), summary) << c.message;
        EXPECT_EQ(*dialog.GetEnvArrays().history, history) << c.message;
        EXPECT_TRUE(dialog.isEnabled());
        EXPECT_FALSE(dialog.IsSearching());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(boxes[0].kind, CQelMessageBox::Kind::Question);
}

TEST_F(SearchSession, NoFilterAtAllStopsBeforeSearching) {
    const std::string tree = MakeTree();
    CTessaryDlgDlg dialog;
    dialog.show();
    Search(dialog, tree);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "There are no search filters.");
    EXPECT_EQ(dialog.GetResultSubWnd(), nullptr);
    EXPECT_EQ(dialog.GetEnvArrays().history->size(), 0u);
    EXPECT_EQ(Caption(dialog.GetStatusLabel()), "Welcome Corvane Tessary");
}

TEST_F(SearchSession, AfterSearchWithoutJobAnsweredYesShowsTheResults) {
    WriteTwoFilters();
    const std::string tree = MakeTree();
    CTessaryDlgDlg dialog;
    dialog.show();
    dialog.GetAfterSearchCheck()->setChecked(true);
    answers = {CQelMessageBox::Answer::Yes};
    Search(dialog, tree);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, CQelMessageBox::Kind::Question);
    ASSERT_NE(dialog.GetResultSubWnd(), nullptr);
    EXPECT_TRUE(dialog.GetResultSubWnd()->isVisible());
    EXPECT_EQ(dialog.GetResultSubWnd()->GetListModel()->rowCount(), 5);
}

TEST_F(SearchSession, PathNamingAFileGivesNoResultsAndTheZeroSummary) {
    WriteTwoFilters();
    const std::string tree = MakeTree();
    CTessaryDlgDlg dialog;
    dialog.show();
    Search(dialog, tree + "/a.txt");
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(dialog.GetFileResults().GetCount(), 0);
    EXPECT_EQ(dialog.GetFolderResults().GetCount(), 0);
    EXPECT_EQ(Caption(dialog.GetStatusLabel()), "Find File:0, Folder:0, search took 0 seconds");
    ASSERT_NE(dialog.GetResultSubWnd(), nullptr);
    EXPECT_EQ(dialog.GetResultSubWnd()->GetListModel()->rowCount(), 0);
    EXPECT_EQ(dialog.GetEnvArrays().history->size(), 1u);
}

TEST_F(SearchSession, ResultRowsListFilesFirstThenFoldersSplitAtTheLastSlash) {
    WriteTwoFilters();
    const std::string tree = MakeTree();
    CTessaryDlgDlg dialog;
    dialog.show();
    Search(dialog, tree);
    EXPECT_EQ(Caption(dialog.GetStatusLabel()), "Find File:3, Folder:2, search took 0 seconds");

    const CQelResultListModel* model = dialog.GetResultSubWnd()->GetListModel();
    ASSERT_EQ(model->rowCount(), 5);
    auto cell = [&](int r, int c) { return model->data(model->index(r, c)).toString().toStdString(); };
    std::set<std::string> files, folders;
    for (int r = 0; r < 5; ++r) {
        const std::string full = cell(r, 3);
        const std::size_t slash = full.rfind('/');
        EXPECT_EQ(cell(r, 0), full.substr(slash + 1));
        EXPECT_EQ(cell(r, 2), full.substr(0, slash));
        (r < 3 ? files : folders).insert(full);
        EXPECT_EQ(cell(r, 1), r < 3 ? "File" : "Folder");
    }
    EXPECT_EQ(files, (std::set<std::string>{tree + "/a.txt", tree + "/sub/c.txt", tree + "/notes/d.txt"}));
    EXPECT_EQ(folders, (std::set<std::string>{tree + "/sub", tree + "/sub/deeper/sub"}));
    // The walk goes depth first: a folder comes before what lies inside it.
    EXPECT_EQ(cell(3, 3), tree + "/sub");

    // The creation record carried the size, which the result window keeps; the lists became the rows.
    const Json::Value& record = dialog.GetResultSubWnd()->GetResultModel();
    EXPECT_EQ(record.getMemberNames(), (std::vector<std::string>{"height", "width"}));
    EXPECT_EQ(record["width"].asInt(), dialog.frameGeometry().width());
    EXPECT_EQ(record["height"].asInt(), 400);
}

TEST_F(SearchSession, WithoutSubFoldersOnlyTheTopLevelIsSearched) {
    WriteTwoFilters();
    const std::string tree = MakeTree();
    CTessaryDlgDlg dialog;
    dialog.show();
    dialog.GetIncludeSubCheck()->setChecked(false);
    Search(dialog, tree);
    EXPECT_EQ(Strings(dialog.GetFileResults()), (std::vector<std::string>{tree + "/a.txt"}));
    EXPECT_EQ(Strings(dialog.GetFolderResults()), (std::vector<std::string>{tree + "/sub"}));
    EXPECT_EQ(dialog.GetHistoryLines()[0].ToStdString(),
              "[" + qel::TodayHistoryDate().Mid(0, 4).ToStdString() + "/" +
                  qel::TodayHistoryDate().Mid(4, 2).ToStdString() + "/" +
                  qel::TodayHistoryDate().Mid(6, 2).ToStdString() + "] " + tree + "(sub not check)");
}

TEST_F(SearchSession, ResultWindowIsDockedThenUpdatedWithoutMoving) {
    WriteTwoFilters();
    const std::string tree = MakeTree();
    CTessaryDlgDlg dialog;
    dialog.move(60, 40);
    dialog.show();
    Search(dialog, tree);
    CQelResultSubWnd* results = dialog.GetResultSubWnd();
    ASSERT_NE(results, nullptr);
    const QRect frame = dialog.frameGeometry();
    EXPECT_EQ(results->pos(), QPoint(frame.left(), frame.bottom() + 1));
    EXPECT_EQ(results->width(), frame.width());
    EXPECT_EQ(results->height(), 400);

    // Moving the main window takes the result window along.
    dialog.move(90, 30);
    const QRect moved = dialog.frameGeometry();
    EXPECT_EQ(results->pos(), QPoint(moved.left(), moved.bottom() + 1));

    // A later search refreshes the rows where the window stands now.
    results->move(5, 7);
    Search(dialog, tree + "/sub");
    EXPECT_EQ(dialog.GetResultSubWnd(), results);
    EXPECT_EQ(results->pos(), QPoint(5, 7));
    EXPECT_EQ(Rows(dialog), (std::vector<std::string>{tree + "/sub/c.txt", tree + "/sub/deeper/sub"}));
    EXPECT_TRUE(dialog.isEnabled());
    EXPECT_FALSE(results->IsBusy());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(SearchSession, SearchIsRecordedInTheHistoryOfTheUserTree) {
    WriteTwoFilters();
    const std::string tree = MakeTree();
    CTessaryDlgDlg dialog;
    dialog.show();
    Search(dialog, tree);
    Search(dialog, tree + "/sub");
    Search(dialog, tree);
    const Json::Value& history = dialog.GetSettings().UserTree()["searchpathhistory"];
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(&history, dialog.GetEnvArrays().history);
    EXPECT_EQ(history[0]["path"].asString(), tree);
    EXPECT_EQ(history[0]["date"].asString(), qel::TodayHistoryDate().ToStdString());
    EXPECT_TRUE(history[0]["includesub"].asBool());
    EXPECT_EQ(history[1]["path"].asString(), tree + "/sub");
    EXPECT_EQ(dialog.GetHistoryLines().GetCount(), 2);
}

TEST_F(SearchSession, ProgressPumpsEventsOnlyEveryFewMilliseconds) {
    home.WriteConfigEnv(R"({"searchfilter": [{"name": "All", "filterfilename": [""]}]})");
    const std::string tree = home / "many";
    std::filesystem::create_directories(tree);
    constexpr int kFiles = 3000;
    for (int i = 0; i < kFiles; ++i) std::ofstream(tree + "/f" + std::to_string(i));
    int pumps = 0;
    CQelWinUtilFunc::SetPumpHook([&pumps] {
        ++pumps;
        QCoreApplication::processEvents();
    });
    CTessaryDlgDlg dialog;
    dialog.show();
    Search(dialog, tree);
    CQelWinUtilFunc::SetPumpHook([] { QCoreApplication::processEvents(); });
    EXPECT_EQ(dialog.GetFileResults().GetCount(), kFiles);
    EXPECT_EQ(Caption(dialog.GetStatusLabel()).rfind("Find File:3000, Folder:0, search took ", 0), 0u);
    // One pump after the walk plus one per refresh interval, never one per hit.
    EXPECT_GE(pumps, 1);
    EXPECT_LT(pumps, kFiles / 10);
}
