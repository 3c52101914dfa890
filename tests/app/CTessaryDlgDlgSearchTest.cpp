#include <QApplication>
#include <QCheckBox>
#include <algorithm>
#include <tuple>

#include "CQelWinUtilFunc.h"
#include "QelMainWindowFixture.h"

using SearchSession = QelMainWindowFixture;

TEST_F(SearchSession, RowsOfTheTreeStayWhenALaterCheckFails) {
    WriteTwoFilters();
    const std::string tree = MakeTree();
    Open();
    Search(tree);
    EXPECT_EQ(Status(), "Find File:3, Folder:2, search took 0 seconds");
    ASSERT_EQ(Rows().size(), 5u);
    // "Type Path|Name" per row: files first (in walk order), then folders, a folder before what lies in it.
    Texts rows;
    for (int r = 0; r < 5; ++r) {
        const QAbstractItemModel* model = dialog->GetResultSubWnd()->GetListModel();
        auto cell = [&](int column) { return model->index(r, column).data().toString().toStdString(); };
        EXPECT_EQ(cell(3), cell(2) + "/" + cell(0));
        rows.push_back(cell(1) + " " + cell(2) + "|" + cell(0));
    }
    std::sort(rows.begin(), rows.begin() + 3);
    EXPECT_EQ(rows, (Texts{"File " + tree + "/notes|d.txt", "File " + tree + "/sub|c.txt", "File " + tree + "|a.txt",
                           "Folder " + tree + "|sub", "Folder " + tree + "/sub/deeper|sub"}));

    auto state = [&] {
        return std::make_tuple(Strings(dialog->GetFileResults()), Rows(), Status(), *dialog->GetEnvArrays().history,
                               dialog->isEnabled(), dialog->IsSearching(), QApplication::overrideCursor());
    };
    const auto before = state();
    ASSERT_EQ(std::get<3>(before).size(), 1u);
    ASSERT_TRUE(boxes.empty());
    const std::string missing = "The search path is invalid!!\n\"" + tree + "/missing\": No such file or directory";
    const std::vector<std::tuple<std::string, int, bool, const char*>> cases = {
        {"", 0, false, "The path is empty!!"},
        {tree + "/missing", 0, false, missing.c_str()},
        {tree, 1, false, "There are no search criteria!!"},
        {tree, 0, true,
         "No post-retrieval processing action was specified.\t\t\t\t\t\t\t\n"
         "If not specified, only results are output.\t\t\t\t\t\t\t\nWould you like to proceed?"},
    };
    for (const auto& [path, filter, afterSearch, message] : cases) {
        boxes.clear();
        answers = {CQelMessageBox::Answer::No};
        dialog->GetAfterSearchCheck()->setChecked(afterSearch);
        Search(path, filter);
        ASSERT_EQ(boxes.size(), 1u) << message;
        EXPECT_EQ(boxes[0].text.toStdString(), message);
        EXPECT_TRUE(state() == before) << message;
    }
    EXPECT_EQ(boxes[0].kind, CQelMessageBox::Kind::Question);
}

TEST_F(SearchSession, RootsWithTheirSeparatorGiveNoDoubledSlash) {
    home.WriteConfigEnv(R"({"searchfilter": [{"name": "Tmp", "filterdirname": ["tmp"]}]})");
    Open();
    dialog->GetIncludeSubCheck()->setChecked(false);
    Search("/");
    EXPECT_EQ(Rows(), (Texts{"/tmp"}));
    const QelResultRow& row = dialog->GetResultSubWnd()->GetListModel()->Rows().at(0);
    EXPECT_EQ(qel::Utf16ToUtf8(row.Path()) + "|" + qel::Utf16ToUtf8(row.Name()), "/|tmp");
}

TEST_F(SearchSession, ResultWindowDocksUnderTheMainWindowAndLaterSearchesUpdateItInPlace) {
    WriteTwoFilters();
    const std::string tree = MakeTree();
    Open();
    dialog->move(60, 40);
    Search(tree);
    CQelResultSubWnd* results = dialog->GetResultSubWnd();
    ASSERT_NE(results, nullptr);
    for (const QPoint to : {QPoint(60, 40), QPoint(90, 30)}) {  // moving the main window takes it along
        dialog->move(to);
        const QRect frame = dialog->frameGeometry();
        EXPECT_EQ(results->frameGeometry(), QRect(frame.left(), frame.bottom() + 1, frame.width(), 400));
    }

    // After Search without a job asks; Yes shows the new results in the same window, where it stands now.
    results->move(5, 7);
    dialog->GetAfterSearchCheck()->setChecked(true);
    dialog->GetIncludeSubCheck()->setChecked(false);
    answers = {CQelMessageBox::Answer::Yes};
    Search(tree + "/sub");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, CQelMessageBox::Kind::Question);
    EXPECT_EQ(dialog->GetResultSubWnd(), results);
    EXPECT_EQ(results->pos(), QPoint(5, 7));
    EXPECT_TRUE(results->isVisible());
    EXPECT_EQ(Rows(), Texts{tree + "/sub/c.txt"});  // sub/deeper/sub lies below the top level
    EXPECT_TRUE(dialog->isEnabled());
    EXPECT_FALSE(results->IsBusy());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // A path naming a file passes the checks and finds nothing.
    dialog->GetAfterSearchCheck()->setChecked(false);
    Search(tree + "/a.txt");
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(Status(), "Find File:0, Folder:0, search took 0 seconds");
    EXPECT_EQ(Rows(), Texts{});

    const Json::Value history = SavedOnExit()["searchpathhistory"];
    ASSERT_EQ(history.size(), 3u);
    EXPECT_EQ(history[0].getMemberNames(), (Texts{"date", "includesub", "path"}));
    EXPECT_EQ(history[0]["date"].asString(), Today());
    EXPECT_TRUE(history[0]["includesub"].asBool());
    EXPECT_FALSE(history[1]["includesub"].asBool());
    EXPECT_EQ(history[1]["path"].asString(), tree + "/sub");
    EXPECT_EQ(history[2]["path"].asString(), tree + "/a.txt");
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
    Open();
    Search(tree);
    CQelWinUtilFunc::SetPumpHook([] { QCoreApplication::processEvents(); });
    EXPECT_EQ(Status().rfind("Find File:3000, Folder:0, search took ", 0), 0u);
    // One pump after the walk plus one per refresh interval, never one per hit.
    EXPECT_GE(pumps, 1);
    EXPECT_LT(pumps, kFiles / 10);
}
