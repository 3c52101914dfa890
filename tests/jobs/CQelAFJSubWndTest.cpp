// The job log window, headless: what it shows, running a job at creation and
// at every update, and painting rows while the job still runs.
#include <QTest>
#include <QTimer>
#include <QListView>
#include <gtest/gtest.h>
#include <json/writer.h>

#include "../fileops/QelTreeFixture.h"
#include "CCaption.h"
#include "CQelAFJSubWnd.h"
#include "CQelJobLogModel.h"
#include "QelJobTestModel.h"

namespace {

std::string Text(const Json::Value& model, int width = 0, int height = 0) {
    Json::Value record = model;
    if (width > 0) {
        record["width"] = width;
        record["height"] = height;
    }
    return Json::FastWriter().write(record);
}

QelLogRows Rows(const CQelAFJSubWnd& window) {
    QelLogRows rows;
    for (const QString& row : window.GetLogModel()->Rows()) rows.push_back(row.toStdString());
    return rows;
}

TEST(JobLogWindow, CreationShowsTheStripAndTheDarkListAndRunsTheJob) {
    QelTestDir dir;
    MakeFile(dir / "a.txt", "A");
    CQelAFJSubWnd window;
    EXPECT_FALSE(window.CreateSubWnd(nullptr, "not json", 10, 10));
    EXPECT_FALSE(window.isVisible());

    const Json::Value model = MakeJobModel({dir / "a.txt"}, {}, {{"copy", dir / "a.txt/out"}}, "Backup");
    ASSERT_TRUE(window.CreateSubWnd(nullptr, Text(model, 640, 250), 10, 10));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.size(), QSize(640, 250));
    EXPECT_EQ(window.GetCaption()->GetCaption(), QelString(u"After Search Job Log window"));
    EXPECT_EQ(window.GetCaption()->GetTipText(), QelString(u"This window is used to After Search Job."));
    EXPECT_EQ(window.GetCaption()->geometry(), QRect(0, 0, 640, 18));
    QListView* list = window.GetLogView();
    EXPECT_EQ(list->geometry(), QRect(0, 18, 640, 232));
    EXPECT_EQ(list->palette().color(QPalette::Text), QColor(144, 238, 144));
    EXPECT_EQ(list->palette().color(QPalette::Base), QColor(43, 43, 43));
    EXPECT_EQ(list->palette().color(QPalette::AlternateBase), QColor(43, 43, 43));
    // The destination does not exist: the copy fails, and says so.
    EXPECT_EQ(Rows(window), (QelLogRows{"\"Backup\" Job Process Start.",
                                        "\"" + dir / "a.txt/out/a.txt" + "\" Copy File Failed",
                                        "\"Backup\" Job Process End."}));
    EXPECT_EQ(window.GetLastOutcome().failed, 1);
}

TEST(JobLogWindow, EachUpdateClearsTheLogAndRunsTheNewJobOnTheNewResults) {
    QelTestDir dir;
    MakeFile(dir / "a.txt", "A");
    MakeFile(dir / "b.txt", "B");
    CQelAFJSubWnd window;
    ASSERT_TRUE(window.CreateSubWnd(nullptr, Text(MakeJobModel({}, {}, {}, "First"), 400, 250), 0, 0));
    window.hide();  // closed by the user
    ASSERT_TRUE(window.UpdateAndRun(Text(MakeJobModel({dir / "b.txt"}, {}, {{"delete", ""}}, "Second"))));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(Rows(window), (QelLogRows{"\"Second\" Job Process Start.", "\"" + dir / "b.txt" + "\" Delete File Success",
                                        "\"Second\" Job Process End."}));
    EXPECT_TRUE(Exists(dir / "a.txt"));
    EXPECT_FALSE(window.UpdateAndRun("[1, 2]"));
    EXPECT_EQ(Rows(window).size(), 3u);
    EXPECT_EQ(window.GetJobName(), QelString(u"Second"));
    EXPECT_EQ(window.GetModel()["width"].asInt(), 400);  // the size stays from the creation
}

TEST(JobLogWindow, RowsArePaintedWhileTheJobRuns) {
    // Many items that each fail at once: a run long enough to pass several paint intervals.
    QelTestDir dir;
    std::vector<std::string> files;
    for (int i = 0; i < 5000; ++i) files.push_back(dir / ("missing" + std::to_string(i)));
    CQelAFJSubWnd window;
    int rowsWhenPainted = -1;
    QTimer::singleShot(0, [&] { rowsWhenPainted = window.GetLogModel()->rowCount(); });
    ASSERT_TRUE(window.CreateSubWnd(nullptr, Text(MakeJobModel(files, {}, {{"delete", ""}}), 400, 250), 0, 0));
    const int total = window.GetLogModel()->rowCount();
    EXPECT_EQ(total, 5002);
    EXPECT_GT(rowsWhenPainted, 0);
    EXPECT_LT(rowsWhenPainted, total);
}

}  // namespace
