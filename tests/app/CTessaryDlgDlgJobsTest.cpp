// A search with "After Search" checked hands its results to the job log
// window, which runs the chosen job while the main window stays disabled.
#include <QApplication>
#include <QCheckBox>

#include "CQelAFJSubWnd.h"
#include "CQelJobLogModel.h"
#include "CQelWinUtilFunc.h"
#include "QelMainWindowFixture.h"

namespace {

class SearchJobs : public QelMainWindowFixture {
protected:
    void TearDown() override {
        CQelWinUtilFunc::SetPumpHook({});
        QelMainWindowFixture::TearDown();
    }
    Texts LogRows() const {
        Texts rows;
        for (const QString& row : dialog->GetJobSubWnd()->GetLogModel()->Rows()) rows.push_back(row.toStdString());
        return rows;
    }
};

}  // namespace

TEST_F(SearchJobs, TheChosenJobRunsOnEverySearchInsideTheBusyFrame) {
    const std::string backup = home / "backup";
    std::filesystem::create_directory(backup);
    home.WriteConfigEnv(R"({"searchfilter": [{"name": "Text", "filterfileext": ["txt"], "filterdirname": ["notes"]}],
        "aftersearchjob": [{"name": "Other", "list": [{"cmd": "delete", "act": ""}]},
                           {"name": "Keep", "list": [{"cmd": "copy", "act": ")" + backup + R"("}]}]})");
    const std::string tree = MakeTree();
    Open();
    dialog->GetAfterSearchCheck()->setChecked(true);
    dialog->GetJobCombo()->setCurrentIndex(1);
    // The folder copy lets the window paint between entries: look at the frame then.
    std::vector<std::tuple<bool, bool, bool>> frames;
    CQelWinUtilFunc::SetPumpHook([&] {
        if (!dialog->GetJobSubWnd()) return;
        frames.emplace_back(dialog->isEnabled(), QApplication::overrideCursor() != nullptr,
                            dialog->GetJobSubWnd()->isVisible());
    });
    Search(tree);
    ASSERT_NE(dialog->GetJobSubWnd(), nullptr);
    EXPECT_EQ(dialog->GetResultSubWnd(), nullptr);
    const Texts first = LogRows();
    ASSERT_EQ(first.size(), 6u);  // start, one folder, three files, end
    EXPECT_EQ(first[0], "\"Keep\" Job Process Start.");
    EXPECT_EQ(first[1], "\"" + backup + "/notes\" Copy Path Success");
    EXPECT_TRUE(std::filesystem::exists(backup + "/notes/d.txt"));
    EXPECT_EQ(dialog->GetJobSubWnd()->frameGeometry().height(), 250);
    ASSERT_FALSE(frames.empty());
    for (const auto& [mainEnabled, busyCursor, logShown] : frames) {
        EXPECT_FALSE(mainEnabled);
        EXPECT_TRUE(busyCursor);
        EXPECT_TRUE(logShown);
    }
    EXPECT_TRUE(dialog->isEnabled());
    EXPECT_FALSE(dialog->IsSearching());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // The next search runs the job again in the same window; the copies now exist.
    CQelAFJSubWnd* window = dialog->GetJobSubWnd();
    Search(tree);
    EXPECT_EQ(dialog->GetJobSubWnd(), window);
    const Texts second = LogRows();
    ASSERT_EQ(second.size(), 6u);
    EXPECT_EQ(second[2].substr(second[2].size() - 17), " Copy File Failed");
    EXPECT_FALSE(window->IsBusy());
    EXPECT_TRUE(std::filesystem::exists(tree + "/a.txt"));  // the other job, a delete, never ran

    // One docked window at a time: plain results hide the log, a job hides the results.
    dialog->GetAfterSearchCheck()->setChecked(false);
    Search(tree);
    ASSERT_NE(dialog->GetResultSubWnd(), nullptr);
    EXPECT_TRUE(dialog->GetResultSubWnd()->isVisible());
    EXPECT_FALSE(window->isVisible());
    dialog->GetAfterSearchCheck()->setChecked(true);
    Search(tree);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(dialog->GetResultSubWnd()->isVisible());
}
