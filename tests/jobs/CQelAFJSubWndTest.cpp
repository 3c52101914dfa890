// The job log window, headless: what it shows, running a job at creation and
// at every update, painting rows while the job still runs, and a stop.
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <json/writer.h>

#include "../common/QelTreeText.h"
#include "CQelAFJSubWnd.h"
#include "CQelJobLogModel.h"
#include "QelJobTestModel.h"

namespace {

std::string Text(Json::Value model) { return model["width"] = 400, model["height"] = 250, Json::FastWriter().write(model); }

// What the list shows, row by row.
QelLogRows Rows(const CQelAFJSubWnd& window) {
    const CQelJobLogModel& model = *window.GetLogModel();
    QelLogRows rows;
    for (int r = 0; r < model.rowCount(); ++r) rows.push_back(model.index(r, 0).data().toString().toStdString());
    return rows;
}

TEST(JobLogWindow, CreationAndEachUpdateShowTheLogUnderTheCaptionAndRunTheJob) {
    QelTestDir dir;
    MakeTree(dir.path(), {"a.txt=A", "b.txt=B"});
    CQelAFJSubWnd window;
    EXPECT_FALSE(window.CreateSubWnd(nullptr, "not json", 10, 10) || window.isVisible());

    const Json::Value model = MakeJobModel({dir / "a.txt"}, {}, {{"copy", dir / "a.txt/out"}}, "Backup");
    ASSERT_TRUE(window.CreateSubWnd(nullptr, Text(model), 10, 10));
    EXPECT_EQ(window.GetLogView()->geometry(), QRect(0, 18, 400, 232));
    // The destination does not exist: the copy fails, and says so.
    EXPECT_EQ(Rows(window), (QelLogRows{"\"Backup\" Job Process Start.", "\"" + dir / "a.txt/out/a.txt" + "\" Copy File Failed",
                                        "\"Backup\" Job Process End."}));
    EXPECT_EQ(window.GetLastOutcome().failed, 1);

    window.hide();  // closed by the user: an update shows it again, with the new job's rows only
    ASSERT_TRUE(window.UpdateAndRun(Text(MakeJobModel({dir / "b.txt"}, {}, {{"delete", ""}}, "Second"))));
    EXPECT_TRUE(window.isVisible());
    const QelLogRows second{"\"Second\" Job Process Start.", "\"" + dir / "b.txt" + "\" Delete File Success",
                            "\"Second\" Job Process End."};
    EXPECT_EQ(Rows(window), second);
    EXPECT_EQ(TreeText(dir.path()), "a.txt=A");
    EXPECT_FALSE(window.UpdateAndRun("[1, 2]"));
    EXPECT_EQ(Rows(window), second);
}

// With no paint interval every row is painted, however fast the machine: the
// first paint sees only the first row. The button and the key end the job
// after the item under way: nothing is deleted.
TEST(JobLogWindow, RowsArePaintedWhileTheJobRunsAndStopOrEscapeEndItAfterTheCurrentItem) {
    for (const bool byKey : {false, true}) {
        SCOPED_TRACE(byKey ? "Escape" : "Stop");
        QelTestDir dir;
        MakeTree(dir.path(), {"a.txt=a", "b.txt=b"});
        CQelAFJSubWnd window;
        window.SetPaintInterval(std::chrono::milliseconds(0));
        bool stopShown = false;
        QelLogRows firstPaint;
        QTimer watch;  // fires at every paint of the rows
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (firstPaint.empty()) firstPaint = Rows(window);
            if (window.GetLogModel()->rowCount() < 2) return;
            stopShown = window.GetStopButton()->isVisible();
            byKey ? QTest::keyClick(&window, Qt::Key_Escape) : window.GetStopButton()->click();
            watch.stop();
        });
        watch.start(0);
        const Json::Value model = MakeJobModel({dir / "a.txt", dir / "b.txt"}, {}, {{"copy", dir / "safe"}, {"delete", ""}}, "Tidy");
        ASSERT_TRUE(window.CreateSubWnd(nullptr, Text(model), 0, 0));
        EXPECT_EQ(Rows(window), (QelLogRows{"\"Tidy\" Job Process Start.", "\"" + dir / "safe/a.txt" + "\" Copy File Success",
                                            "\"Tidy\" Job Process Stopped.", "\"Tidy\" Job Process End."}));
        EXPECT_EQ(firstPaint, QelLogRows{"\"Tidy\" Job Process Start."});
        EXPECT_TRUE(stopShown && !window.GetStopButton()->isVisible());
        EXPECT_EQ(TreeText(dir.path()), "a.txt=a b.txt=b safe/ safe/a.txt=a");
    }
}

}  // namespace
