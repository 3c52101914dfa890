#include <QCheckBox>
#include <QFontMetrics>
#include <QTest>
#include <QTimer>
#include <functional>

#include "CQelFileMng.h"
#include "QelMainWindowFixture.h"
#include "QelQtConvert.h"

namespace {

using StopAndProgress = QelMainWindowFixture;

// folders folders named prefix + number below root, each holding filesEach empty files; returns the file count.
int MakeWideTree(const std::string& root, const std::string& prefix, int folders, int filesEach) {
    for (int d = 0; d < folders; ++d) {
        const std::string folder = root + "/" + prefix + std::to_string(d);
        std::filesystem::create_directories(folder);
        for (int f = 0; f < filesEach; ++f) std::ofstream(folder + "/f" + std::to_string(f));
    }
    return folders * filesEach;
}

// The window as seen at the first events pumped during the walk (the first hit shows at once).
struct DuringWalk {
    bool seen = false;
    std::string button;  // its accessible name; the picture carries the word
    bool buttonEnabled = false, pathEnabled = true, exitEnabled = true, filterEnabled = true;
    bool tickGoesOn = true;  // what the walk's clock tick was answered after Stop
};

}  // namespace

TEST_F(StopAndProgress, StopOrEscapeDuringAWalkKeepsWhatWasFoundAndRunsNoJob) {
    home.WriteConfigEnv(R"({"searchfilter": [{"name": "All", "filterfilename": [""]}],
                            "aftersearchjob": [{"name": "Wipe", "list": [{"cmd": "delete", "act": ""}]}]})");
    const std::string tree = home / "wide";
    const int total = MakeWideTree(tree, "d", 4, 50);
    // The button's two pictures, so that they can be told apart.
    for (const char* image : {"FindStart.png", "FindStop.png"}) {
        std::filesystem::create_directories(home / "res/img");
        std::filesystem::copy_file(std::string(QEL_VIEW_DIR) + "/../img/" + image, home / ("res/img/" + std::string(image)));
    }
    Open();
    dialog->GetAfterSearchCheck()->setChecked(true);
    const std::vector<std::pair<const char*, std::function<void()>>> stops = {
        {"Stop button", [this] { dialog->GetSearchButton()->click(); }},
        {"Escape", [this] { QTest::keyClick(dialog.get(), Qt::Key_Escape); }},
    };
    for (const auto& [name, stop] : stops) {
        SCOPED_TRACE(name);
        DuringWalk during;
        qint64 stopIcon = 0;
        const qint64 idleIcon = dialog->GetSearchButton()->icon().cacheKey();
        QTimer::singleShot(0, dialog.get(), [&, stop = stop] {
            stopIcon = dialog->GetSearchButton()->icon().cacheKey();
            during = {true,
                      dialog->GetSearchButton()->accessibleName().toStdString(),
                      dialog->GetSearchButton()->isEnabled(),
                      dialog->GetPathEdit()->isEnabled(),
                      dialog->GetExitButton()->isEnabled(),
                      dialog->GetFilterCombo()->isEnabled()};
            stop();
            during.tickGoesOn = CQelFileMng::GetInstance()->GetEventDelegate()->OnSearchTick(1, 0, u"/x");
        });
        Search(tree);
        ASSERT_TRUE(during.seen);
        EXPECT_EQ(during.button, "Stop");
        EXPECT_NE(stopIcon, idleIcon);
        EXPECT_TRUE(during.buttonEnabled);
        EXPECT_FALSE(during.pathEnabled || during.exitEnabled || during.filterEnabled);
        EXPECT_FALSE(during.tickGoesOn);

        // What had been found is shown, not handed to the job.
        const std::size_t found = Rows().size();
        EXPECT_GT(found, 0u);
        EXPECT_LE(found, static_cast<std::size_t>(total));
        EXPECT_EQ(Status().rfind("Search stopped: Find File:" + std::to_string(found) + ", Folder:0, search took ", 0),
                  0u)
            << Status();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_FALSE(dialog->IsSearching());
        EXPECT_TRUE(dialog->GetSearchButton()->text().isEmpty());
        EXPECT_EQ(dialog->GetSearchButton()->accessibleName(), "Search");
        // A second Escape right after a stop belongs to it: the window and its rows stay.
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(dialog->GetPathEdit()->isEnabled() && dialog->GetExitButton()->isEnabled());
        EXPECT_TRUE(dialog->GetJobCombo()->isEnabled());  // "After Search" is still checked
        EXPECT_TRUE(std::filesystem::exists(tree + "/d0/f0"));
        const Json::Value& history = *dialog->GetEnvArrays().history;
        ASSERT_EQ(history.size(), 1u);
        EXPECT_EQ(history[0]["path"].asString(), tree);
    }

    // The next search is not stopped by the last one's Stop, and its ticks let it go on.
    bool tickGoesOn = false;
    QTimer::singleShot(0, dialog.get(), [&] {
        tickGoesOn = CQelFileMng::GetInstance()->GetEventDelegate()->OnSearchTick(1, 0, u"/x");
    });
    dialog->GetAfterSearchCheck()->setChecked(false);
    Search(tree);
    EXPECT_TRUE(tickGoesOn);
    EXPECT_EQ(Rows().size(), static_cast<std::size_t>(total));
    EXPECT_EQ(Status().rfind("Find File:" + std::to_string(total) + ", Folder:0, search took ", 0), 0u) << Status();
}

TEST_F(StopAndProgress, TheFirstRowsShowWhileTheWalkGoesOnAndAllOfThemAtItsEnd) {
    home.WriteConfigEnv(R"({"searchfilter": [{"name": "All", "filterfilename": [""]}]})");
    const std::string tree = home / "wide";
    const int total = MakeWideTree(tree, "d", 4, 50);
    Open();
    std::size_t shownDuring = 0, foundDuring = 0;
    bool busyDuring = false;
    QTimer::singleShot(0, dialog.get(), [&] {
        // As if the thousandth hit had come: what has been found so far is listed at once.
        CQelFileMng::GetInstance()->GetEventDelegate()->OnSearchProgress(CTessaryDlgDlg::kFirstRows, 0);
        foundDuring = dialog->GetFileResults().size();
        ASSERT_NE(dialog->GetResultSubWnd(), nullptr);
        shownDuring = static_cast<std::size_t>(dialog->GetResultSubWnd()->GetListModel()->rowCount());
        busyDuring = dialog->GetResultSubWnd()->IsBusy() && dialog->IsSearching();
    });
    Search(tree);
    EXPECT_GT(foundDuring, 0u);
    EXPECT_EQ(shownDuring, foundDuring);
    EXPECT_TRUE(busyDuring);  // no command can act on a part of the results
    EXPECT_EQ(Rows().size(), static_cast<std::size_t>(total));
    EXPECT_FALSE(dialog->GetResultSubWnd()->IsBusy());
    EXPECT_TRUE(dialog->isEnabled());
}

TEST_F(StopAndProgress, TicksWithoutHitsShowTheCountsSecondsAndTheFolderShortenedInTheMiddle) {
    home.WriteConfigEnv(R"({"searchfilter": [{"name": "None", "filterfilename": ["no such name"]}]})");
    const std::string tree = home / "quiet";
    MakeWideTree(tree, "d", 1, 1);
    Open();
    Search(tree);
    ASSERT_EQ(Status().rfind("Find File:0, Folder:0, search took ", 0), 0u) << Status();
    IQelFileMngEventDelegate* window = CQelFileMng::GetInstance()->GetEventDelegate();
    const std::string start = "/start/" + std::string(300, 'm');
    const std::vector<std::pair<std::string, bool>> folders = {{"/short/folder", false},
                                                               {start + "/end-of-the-folder", true}};
    for (const auto& [folder, cut] : folders) {
        SCOPED_TRACE(folder);
        ASSERT_TRUE(window->OnSearchTick(7, 2, QelString::FromUtf8(folder)));
        const QString shown = QString::fromStdString(Status());
        const QString prefix = "Find File:7, Folder:2, 0 seconds, ";
        ASSERT_TRUE(shown.startsWith(prefix)) << Status();
        const QString rest = shown.mid(prefix.size());
        // Both ends of the folder stay; its middle gives way so that the text fits the label.
        EXPECT_EQ(rest.contains(QChar(0x2026)), cut);
        EXPECT_TRUE(rest.startsWith(cut ? "/start/mmm" : "/short/folder"));
        EXPECT_TRUE(rest.endsWith(cut ? "-folder" : "/short/folder")) << Status();
        const QFontMetrics metrics(ToQFont(dialog->GetStatusLabel()->GetPropFont(u"font")));
        EXPECT_LE(metrics.horizontalAdvance(shown), dialog->GetStatusLabel()->width());
    }
}
