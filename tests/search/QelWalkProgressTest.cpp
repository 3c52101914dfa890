// Progress on the clock: ticks come while the walk goes on, hits or not,
// name the folder being read, and a tick that answers false stops the walk
// with the hits found so far.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "CQelProgressClock.h"
#include "QelTestTree.h"

namespace {

struct Event {
    bool tick;
    std::int32_t files;
    std::int32_t folders;
    std::string folder;  // ticks only
};

// Records every event; answers false to tick number stopAt (1-based, 0: never).
class CRecordingDelegate : public IQelFileMngEventDelegate {
public:
    explicit CRecordingDelegate(int stopAt = 0) : m_stopAt(stopAt) {}
    void OnSearchProgress(std::int32_t files, std::int32_t folders) override {
        events.push_back({false, files, folders, {}});
    }
    bool OnSearchTick(std::int32_t files, std::int32_t folders, const QelString& folder) override {
        events.push_back({true, files, folders, folder.ToFileName()});
        return ++m_ticks != m_stopAt;
    }
    int Ticks() const {
        return static_cast<int>(std::count_if(events.begin(), events.end(), [](const Event& e) { return e.tick; }));
    }
    std::vector<Event> events;

private:
    int m_stopAt;
    int m_ticks = 0;
};

// Enough entries for several clock checks, in the root itself ("") or in a
// sub-folder, which the read-ahead helper may walk and the main walk replay.
void FillFolder(CTestTree& t, const std::string& folder, int files) {
    if (!folder.empty()) t.Dir(folder);
    for (int i = 0; i < files; ++i) t.File((folder.empty() ? "" : folder + "/") + "f" + std::to_string(i) + ".dat");
}

constexpr int kFiles = 4 * CQelProgressClock::kCheckEvery;

class WalkProgress : public ::testing::TestWithParam<const char*> {};

TEST_P(WalkProgress, TicksComeWithoutHitsAndNameTheFolderBeingRead) {
    CTestTree t;
    const std::string folder = GetParam();
    FillFolder(t, folder, kFiles);
    CRecordingDelegate d;
    CTestFileMng mng;
    mng.SetEventDelegate(&d);
    QelStringArray files, folders;
    EXPECT_TRUE(mng.SearchFiles(t.RootString(), files, folders, Strings({u"no such name"}), {}, {}, true));
    EXPECT_TRUE(files.empty());
    ASSERT_GE(d.Ticks(), 1);
    for (const Event& e : d.events) {
        EXPECT_TRUE(e.tick) << "a progress event without a hit";
        EXPECT_EQ(e.files, 0);
        EXPECT_EQ(e.folders, 0);
    }
    // Clock checks fall among the folder's files.
    const std::string expected = folder.empty() ? t.Root() : t.Path(folder);
    EXPECT_TRUE(std::any_of(d.events.begin(), d.events.end(), [&](const Event& e) { return e.folder == expected; }));
}

TEST_P(WalkProgress, AFalseTickStopsTheWalkAndKeepsTheHitsSoFar) {
    CTestTree t;
    const std::string folder = GetParam();
    FillFolder(t, folder, kFiles);
    CRecordingDelegate d(1);
    CTestFileMng mng;
    mng.SetEventDelegate(&d);
    QelStringArray files, folders;
    EXPECT_FALSE(mng.SearchFiles(t.RootString(), files, folders, {}, Strings({u"dat"}), {}, true));
    // Nothing after the tick that said stop.
    ASSERT_TRUE(d.events.back().tick);
    EXPECT_EQ(d.Ticks(), 1);
    EXPECT_EQ(static_cast<std::size_t>(d.events.back().files), files.size());
    EXPECT_GT(files.size(), 0u);
    EXPECT_LT(files.size(), static_cast<std::size_t>(kFiles));
    // What was found is real and found once.
    const std::vector<std::string> paths = Bytes(files);
    EXPECT_EQ(std::set<std::string>(paths.begin(), paths.end()).size(), paths.size());
    const std::string prefix = (folder.empty() ? t.Root() : t.Path(folder)) + "/f";
    for (const std::string& p : paths) EXPECT_EQ(p.rfind(prefix, 0), 0u) << p;
}

INSTANTIATE_TEST_SUITE_P(InRootOrSubFolder, WalkProgress, ::testing::Values("", "big"));

}  // namespace
