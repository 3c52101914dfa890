// The walker under pressure: deep trees and long paths, small descriptor
// budgets and low descriptor limits, the read-ahead helper, unreadable
// folders, folders that vanish during the walk, and file-system boundaries.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "../fileops/QelTmpfsMount.h"
#include "../fileops/QelTreeFixture.h"
#include "CQelPrefetch.h"
#include "CQelReadAhead.h"
#include "CQelWalkRecording.h"
#include "QelSearchRun.h"

namespace {

// The descriptor limit lowered to the descriptors open now plus spare, while it lives.
class CDescriptorLimit {
public:
    explicit CDescriptorLimit(int spare) {
        getrlimit(RLIMIT_NOFILE, &m_old);
        rlimit low = m_old;
        low.rlim_cur = static_cast<rlim_t>(OpenDescriptors() + spare);
        EXPECT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    }
    ~CDescriptorLimit() { setrlimit(RLIMIT_NOFILE, &m_old); }

private:
    rlimit m_old{};
};

TEST(WalkDeep, TenThousandFoldersDeepUnderALowDescriptorLimit) {
    QelTestDir t;
    MakeTree(t.path(), {"top/"});
    ::close(::openat(DeepLevel(t / "top", 10000, true), "leaf.txt", O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
    std::optional<CDescriptorLimit> limit(12);  // far below the walker's own budget
    const SearchOutcome got = Search(t.path(), Strings({u"leaf"}), {}, Strings({u"top"}));
    limit.reset();
    std::string path = t / "top";
    for (int i = 0; i < 10000; ++i) path += "/level";
    EXPECT_EQ(got.folders, Paths{t / "top"});
    EXPECT_EQ(got.files, Paths{path + "/leaf.txt"});
}

// A bushy tree below rel; with jumpTo, links to it at every second level
// (followed, the walker must reopen closed folders through ".." and from the root).
void AddBushy(Paths& entries, const std::string& rel, int depth, const std::string& jumpTo = "") {
    entries.push_back(rel + "/f" + std::to_string(depth) + ".txt");
    if (depth == 0) return;
    AddBushy(entries, rel + "/x", depth - 1, jumpTo);
    AddBushy(entries, rel + "/y", depth - 1, jumpTo);
    if (depth % 2 == 0 && !jumpTo.empty()) entries.push_back(rel + "/jump -> " + jumpTo);
    entries.push_back(rel + "/z" + std::to_string(depth) + ".txt");
}

// "tree", a bushy tree whose links lead to "elsewhere", which holds one file deeper down.
void MakeLinkedBushyTree(const QelTestDir& t, int depth) {
    Paths entries = {"elsewhere/e1/e2/deep.txt"};
    AddBushy(entries, "tree", depth, t / "elsewhere");
    MakeTree(t.path(), entries);
}

// Whatever the descriptor budget, with or without the read-ahead helper
// (caught up with, waited for, or run ahead by a slow visitor, or short of
// descriptors and stopped part way), the walk reports what a plain walk
// does, in the same order, and a walk alone keeps within its budget.
TEST(WalkBudget, EverySetUpReportsWhatAPlainWalkDoesInTheSameOrder) {
    QelTestDir t;
    MakeLinkedBushyTree(t, 7);
    MakeTree(t.path(), {"tree/x/x/up -> .."});
    const QelStringArray exts = Strings({u"txt"}), folders = Strings({u"y", u"e2", u"jump", u"up"});
    WalkSetup setup;
    setup.options.followLinks = true;
    const SearchOutcome plain = Walk(t / "tree", {}, exts, folders, setup);
    ASSERT_EQ(plain.files.size(), 424u);  // 382 in the tree, 42 through the links
    struct Case {
        int budget;
        bool readAhead;
        int pauseEvery;  // a short pause after every so many hits
        int spare;       // descriptors left free by the limit; 0: no limit
    };
    const Case cases[] = {{1, false, 0, 0}, {2, false, 0, 0}, {3, false, 0, 0}, {5, false, 0, 0}, {64, true, 0, 0}, {2, true, 0, 0}, {64, true, 7, 0},
                          {2, true, 7, 0}, {64, true, 1, 0}, {2, true, 1, 0}, {64, true, 16, 4}, {64, true, 16, 6}, {64, true, 16, 9}};
    const int before = OpenDescriptors();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "budget " << c.budget << ", read-ahead " << c.readAhead << ", pause every "
                                        << c.pauseEvery << ", spare " << c.spare);
        int hits = 0, most = 0;
        CCallbackDelegate slow([&] {
            if (!c.readAhead) most = std::max(most, OpenDescriptors());
            if (c.pauseEvery && ++hits % c.pauseEvery == 0) usleep(200);
        });
        setup.budget = c.budget;
        setup.readAhead = c.readAhead;
        setup.delegate = &slow;
        std::optional<CDescriptorLimit> limit;
        if (c.spare) limit.emplace(c.spare);
        const SearchOutcome got = Walk(t / "tree", {}, exts, folders, setup);
        limit.reset();
        EXPECT_EQ(got.files, plain.files);
        EXPECT_EQ(got.folders, plain.folders);
        // the budget and the walk's anchor at the root
        EXPECT_TRUE(c.readAhead || most - before <= c.budget + 1) << most - before;
    }
}

// A helper slower than the replay's poll: the visitor is asked while the
// replay waits, and only its answer decides whether the replay goes on.
TEST(WalkReadAhead, AReplayWaitingOnTheHelperAsksTheVisitor) {
    struct CWaitingVisitor : IQelWalkVisitor {
        void OnFile(std::string_view name) override { files.emplace_back(name); }
        void OnFolder(std::string_view) override {}
        void OnEnter(std::string_view) override {}
        void OnLeave() override {}
        bool KeepGoingWhileWaiting() override {
            if (++waits == 1) {  // the helper catches up only now
                recording.OnFile("late");
                recording.Finish(true);
            }
            return keepGoing;
        }
        CQelWalkRecording recording;
        bool keepGoing = true;
        Paths files;
        int waits = 0;
    };
    for (const bool keepGoing : {true, false}) {
        CWaitingVisitor visitor;
        CQelWalkRecording& recording = visitor.recording;
        visitor.keepGoing = keepGoing;
        std::size_t replayed = 0;
        EXPECT_EQ(recording.Replay(visitor, replayed), keepGoing ? QelReplay::kReplayed : QelReplay::kStopped);
        EXPECT_EQ(visitor.waits, 1);
        EXPECT_EQ(visitor.files, keepGoing ? Paths{"late"} : Paths{});
    }
}

// The helper hands a folder back part way (short of descriptors) and the
// folder is gone before the walk resumes it: the walk goes on in the parent
// with the right paths, whether part of the folder was replayed or not.
TEST(WalkReadAhead, AFolderHandedBackPartWayAndGoneMeanwhileIsLeftCleanly) {
    for (const bool partly : {false, true}) {
        SCOPED_TRACE(partly);
        QelTestDir t;
        Paths tree = {"p/hit", "q/hit", "q/sub/hit"};
        for (int i = 0; i < 30; ++i) tree.push_back("hit" + std::to_string(i));
        MakeTree(t.path(), tree);
        std::atomic<bool> handedBack{false};
        CQelReadAhead::SetStandIn([&](std::string_view name, CQelWalkRecording& recording) {
            if (partly) recording.OnEnter(name), recording.OnFile("hit");
            std::filesystem::remove_all(t / std::string(name));
            return handedBack = true, false;
        });
        // The hits before the handed-over folder wait for the helper to be done with it.
        CCallbackDelegate wait([&] {
            for (int i = 0; i < 2000 && !handedBack; ++i) usleep(1000);
        });
        const SearchOutcome got = Walk(t.path(), Strings({u"hit"}), {}, {}, {{}, 64, true, &wait});
        CQelReadAhead::SetStandIn({});
        ASSERT_TRUE(handedBack);
        for (const std::string& path : got.files)
            EXPECT_NE(std::find(tree.begin(), tree.end(), path.substr(t.path().size() + 1)), tree.end()) << path;
        EXPECT_EQ(std::count_if(got.files.begin(), got.files.end(), [&](auto& p) { return p.starts_with(t / "hit"); }), 30);
    }
}

TEST(WalkUnreadable, UnreadableFoldersAreSkippedSilently) {
    QelTestDir t;
    MakeTree(t.path(), {"open/a.txt", "open/z/d.txt", "locked/b.txt", "listless/c.txt"});
    ::chmod(t.path().c_str(), 0755);
    ::chmod((t / "locked").c_str(), 0);
    ::chmod((t / "listless").c_str(), 0111);  // may be entered but not listed
    EXPECT_TRUE(RunUnprivileged([&] {
        const SearchOutcome got = Search(t.path(), {}, Strings({u"txt"}), Strings({u"locked", u"listless"}));
        const SearchOutcome none = Search(t / "locked", Strings({u""}), {}, {});  // an unreadable root
        return Sorted(got.files) == Paths{t / "open/a.txt", t / "open/z/d.txt"} &&
               Sorted(got.folders) == Paths{t / "listless", t / "locked"} && none.files.empty() && none.folders.empty();
    }));
}

// The tree is removed at a hit: the walk ends cleanly, reporting only what
// was listed before (without read-ahead: the rest of one folder). With a
// budget of one every ancestor is closed, and reopening it fails.
TEST(WalkVanishing, FoldersRemovedDuringTheWalkAreSkipped) {
    Paths small = {"a/hit1", "a/sub/hit2", "b/hit1", "b/sub/hit2", "c/hit1", "c/sub/hit2", "d/hit1", "d/sub/hit2"}, bushy;
    AddBushy(bushy, "tree", 4);
    struct Case {
        const Paths& tree;
        int budget;
        bool readAhead;
        std::size_t removeAt, most;
    };
    for (const Case& c : {Case{small, 64, false, 1, 2}, Case{small, 64, true, 1, 8}, Case{bushy, 1, false, 3, 19}}) {
        QelTestDir t;
        MakeTree(t.path(), c.tree);
        std::size_t hits = 0;
        CCallbackDelegate remove([&] {
            if (++hits == c.removeAt) {
                EXPECT_EQ(std::system(("rm -rf '" + t.path() + "'/*").c_str()), 0);
            }
        });
        const SearchOutcome got = Walk(t.path(), Strings({u"hit", u"txt"}), {}, {}, {{}, c.budget, c.readAhead, &remove});
        EXPECT_GE(got.files.size(), c.removeAt);
        EXPECT_LE(got.files.size(), c.most);
        for (const std::string& path : got.files)
            EXPECT_NE(std::find(c.tree.begin(), c.tree.end(), path.substr(t.path().size() + 1)), c.tree.end()) << path;
    }
}

TEST(WalkPrefetch, StoppedAtAnyPointItLeavesNoDescriptorOpen) {
    QelTestDir t;
    MakeLinkedBushyTree(t, 6);
    const int before = OpenDescriptors();
    const int root = open(t.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st {};
    ASSERT_EQ(fstat(root, &st), 0);
    // Stopped at once, and stopped after a whole walk had time to run beside it.
    { CQelPrefetch prefetch(root, st.st_dev); }
    {
        CQelPrefetch prefetch(root, st.st_dev);
        EXPECT_EQ(Search(t.path(), {}, Strings({u"txt"}), {}).files.size(), 191u);  // the tree and the file beside it
    }
    close(root);
    EXPECT_EQ(OpenDescriptors(), before);
}

// A file system mounted inside the tree is searched like any folder, unless
// the search keeps to the root's file system.
TEST(WalkMounts, AFolderMountedInsideTheTreeIsSearchedUnlessKeptToOneFileSystem) {
    QelTestDir t;
    QelTmpfsMount mount(t / "m", "1m");
    if (!mount.Mounted()) GTEST_SKIP() << mount.WhyNot();
    MakeTree(t.path(), {"m/in.txt"});
    for (const bool same : {false, true}) {
        WalkSetup setup;
        setup.options.sameFileSystem = same;
        EXPECT_EQ(Walk(t.path(), {}, Strings({u"txt"}), {}, setup).files, same ? Paths{} : Paths{t / "m/in.txt"}) << same;
    }
}

// Followed links leave the root's file system: a pseudo one is never
// entered, another real one only without sameFileSystem; the same for the
// read-ahead helper, which slow hits in the a folders let run ahead into s.
TEST(WalkLinksFollowed, FileSystemBoundary) {
    if (access("/proc/sys/fs/file-max", F_OK) != 0) GTEST_SKIP() << "no /proc here";
    char shm[] = "/dev/shm/qelwalk.XXXXXX";
    if (!mkdtemp(shm)) GTEST_SKIP() << "no /dev/shm here";
    QelTestDir t;
    struct stat treeSt {}, shmSt {};
    ASSERT_TRUE(stat(t.path().c_str(), &treeSt) == 0 && stat(shm, &shmSt) == 0);
    MakeTree(shm, {"onshm.txt"});
    Paths entries, links, shmHits;
    for (const std::string i : {"0", "1", "2", "3"}) {
        for (int k = 0; k < 20; ++k) entries.push_back("a" + i + "/hit" + std::to_string(k));
        entries.insert(entries.end(), {"s" + i + "/procl -> /proc/sys/fs", "s" + i + "/shml -> " + shm});
        links.insert(links.end(), {t / ("s" + i + "/procl"), t / ("s" + i + "/shml")});
        shmHits.push_back(t / ("s" + i + "/shml/onshm.txt"));
    }
    MakeTree(t.path(), entries);
    CCallbackDelegate slow([] { usleep(300); });
    for (const bool sameFileSystem : {false, true}) {
        for (const bool readAhead : {false, true}) {
            SCOPED_TRACE(testing::Message() << "same file system " << sameFileSystem << ", read-ahead " << readAhead);
            const SearchOutcome got = Walk(t.path(), Strings({u"file-max", u"onshm", u"hit"}), {},
                                           Strings({u"procl", u"shml"}), {{true, true, sameFileSystem}, 64, readAhead, &slow});
            EXPECT_EQ(Sorted(got.folders), Sorted(links));
            Paths onShm;
            std::copy_if(got.files.begin(), got.files.end(), std::back_inserter(onShm), [](auto& p) { return p.find("/hit") == p.npos; });
            EXPECT_EQ(Sorted(onShm), !sameFileSystem || shmSt.st_dev == treeSt.st_dev ? Sorted(shmHits) : Paths{});
        }
    }
    std::filesystem::remove_all(shm);
}

}  // namespace
