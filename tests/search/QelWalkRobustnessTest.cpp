// The walker under pressure: deep trees and long paths, small descriptor
// budgets and low descriptor limits, the read-ahead helper, unreadable
// folders, folders that vanish during the walk, and file-system boundaries.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "../fileops/QelTmpfsMount.h"
#include "../fileops/QelTreeFixture.h"
#include "CQelPrefetch.h"
#include "CQelReadAhead.h"
#include "CQelWalkRecording.h"
#include "QelSearchRun.h"

namespace {

// What walk gives with the descriptor limit lowered to the descriptors open
// now plus spare; with no spare, under the limit as it is.
SearchOutcome WithDescriptorLimit(int spare, const std::function<SearchOutcome()>& walk) {
    rlimit old{};
    getrlimit(RLIMIT_NOFILE, &old);
    rlimit low = old;
    low.rlim_cur = spare ? static_cast<rlim_t>(OpenDescriptors() + spare) : old.rlim_cur;
    EXPECT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    const SearchOutcome got = walk();
    setrlimit(RLIMIT_NOFILE, &old);
    return got;
}

TEST(WalkDeep, TenThousandFoldersDeepUnderALowDescriptorLimit) {
    QelTestDir t;
    MakeTree(t.path(), {"top/"});
    ::close(::openat(DeepLevel(t / "top", 10000, true), "leaf.txt", O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
    const SearchOutcome got = WithDescriptorLimit(14, [&] { return Search(t.path(), {u"leaf"}, {}, {u"top"}); });  // far below the budget
    std::string path = t / "top";
    for (int i = 0; i < 10000; ++i) path += "/level";
    EXPECT_EQ(std::tie(got.folders, got.files), std::make_tuple(Paths{t / "top"}, Paths{path + "/leaf.txt"}));
}

// A bushy tree below rel; with jumpTo, links to it at every second level
// (followed, the walker must reopen closed folders through ".." and from the root).
void AddBushy(Paths& entries, const std::string& rel, int depth, const std::string& jumpTo = "") {
    entries.push_back(rel + "/f" + std::to_string(depth) + ".txt");
    if (depth == 0) return;
    AddBushy(entries, rel + "/x", depth - 1, jumpTo);
    AddBushy(entries, rel + "/y", depth - 1, jumpTo);
    if (depth % 2 == 0 && !jumpTo.empty()) entries.push_back(rel + "/jump->" + jumpTo);
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
    MakeTree(t.path(), {"tree/x/x/up->.."});
    const QelStringArray exts = {u"txt"}, folders = {u"y", u"e2", u"jump", u"up"};
    const SearchOutcome plain = Walk(t / "tree", {}, exts, folders, {{true, true}});
    ASSERT_EQ(plain.files.size(), 424u);  // 382 in the tree, 42 through the links
    // pauseEvery: a short pause after every so many hits; spare: descriptors left free by the limit, 0: no limit;
    // noStdin: descriptor 0 free for folders too
    const struct { int budget; bool readAhead; int pauseEvery, spare; bool noStdin = false; } cases[] = {
        {1, false, 0, 0, true}, {2, false, 0, 0}, {3, false, 0, 0}, {5, false, 0, 0}, {64, true, 0, 0}, {2, true, 0, 0, true}, {64, true, 7, 0},
        {2, true, 7, 0}, {64, true, 1, 0}, {2, true, 1, 0}, {64, true, 16, 6}, {64, true, 16, 8}, {64, true, 16, 11}};
    const int before = OpenDescriptors();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.budget << " " << c.readAhead << " " << c.pauseEvery << " " << c.spare);
        int hits = 0, most = 0;
        CCallbackDelegate slow([&] {
            if (!c.readAhead) most = std::max(most, OpenDescriptors());
            if (c.pauseEvery && ++hits % c.pauseEvery == 0) usleep(200);
        });
        const int stdinCopy = c.noStdin ? dup(0) : -1;
        if (c.noStdin) close(0);
        const SearchOutcome got =
            WithDescriptorLimit(c.spare, [&] { return Walk(t / "tree", {}, exts, folders, {{true, true}, c.budget, c.readAhead, &slow}); });
        EXPECT_EQ(OpenDescriptors(), before);  // nothing left open
        if (c.noStdin) dup2(stdinCopy, 0), close(stdinCopy);
        EXPECT_EQ(std::tie(got.files, got.folders), std::tie(plain.files, plain.folders));
        EXPECT_TRUE(c.readAhead || most - before <= c.budget + 1) << most - before;  // the budget and the walk's anchor at the root
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
        CCallbackDelegate wait([&] { for (int i = 0; i < 2000 && !handedBack; ++i) usleep(1000); });
        const SearchOutcome got = Walk(t.path(), {u"hit"}, {}, {}, {{}, 64, true, &wait});
        CQelReadAhead::SetStandIn({});
        ASSERT_TRUE(handedBack);
        EXPECT_TRUE(std::ranges::includes(Sorted(tree), Relative(got.files, t.path())));
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
        const SearchOutcome got = Search(t.path(), {}, {u"txt"}, {u"locked", u"listless"});
        const SearchOutcome none = Search(t / "locked", {u""}, {}, {});  // an unreadable root
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
    const struct { const Paths& tree; int budget; bool readAhead; std::size_t removeAt, most; } cases[] = {
        {small, 64, false, 1, 2}, {small, 64, true, 1, 8}, {bushy, 1, false, 3, 19}};
    for (const auto& c : cases) {
        QelTestDir t;
        MakeTree(t.path(), c.tree);
        std::size_t hits = 0;
        CCallbackDelegate remove([&] {
            if (++hits == c.removeAt) (void)std::system(("rm -rf '" + t.path() + "'/*").c_str());  // else too many hits
        });
        const SearchOutcome got = Walk(t.path(), {u"hit", u"txt"}, {}, {}, {{}, c.budget, c.readAhead, &remove});
        EXPECT_TRUE(got.files.size() >= c.removeAt && got.files.size() <= c.most) << got.files.size();
        EXPECT_TRUE(std::ranges::includes(Sorted(c.tree), Relative(got.files, t.path())));
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
        EXPECT_EQ(Search(t.path(), {}, {u"txt"}, {}).files.size(), 191u);  // the tree and the file beside it
    }
    close(root);
    EXPECT_EQ(OpenDescriptors(), before);
}

// A file system mounted inside the tree is searched, as a folder and through
// followed links, unless the search keeps to the root's; a pseudo one is never
// entered through a link. The same with the read-ahead helper, which slow
// hits in the a folders let run ahead into s.
TEST(WalkBoundary, OtherFileSystemsOnlyWhenAllowedPseudoOnesNever) {
    if (access("/proc/sys/fs/file-max", F_OK) != 0) GTEST_SKIP() << "no /proc here";
    QelTestDir t;
    QelTmpfsMount mount(t / "m", "1m");  // a plain folder where mounting is not allowed
    Paths entries = {"m/onm.txt"}, links, mountHits = {t / "m/onm.txt"};
    for (const std::string i : {"0", "1", "2", "3"}) {
        for (int k = 0; k < 20; ++k) entries.push_back("a" + i + "/hit" + std::to_string(k));
        entries.insert(entries.end(), {"s" + i + "/procl->/proc/sys/fs", "s" + i + "/ml->" + t / "m"});
        links.insert(links.end(), {t / ("s" + i + "/procl"), t / ("s" + i + "/ml")});
        mountHits.push_back(t / ("s" + i + "/ml/onm.txt"));
    }
    MakeTree(t.path(), entries);
    CCallbackDelegate slow([] { usleep(300); });
    for (const bool sameFileSystem : {false, true})
        for (const bool readAhead : {false, true}) {
            SCOPED_TRACE(testing::Message() << "same file system " << sameFileSystem << ", read-ahead " << readAhead);
            const SearchOutcome got =
                Walk(t.path(), {u"file-max", u"onm", u"hit"}, {}, {u"procl", u"ml"}, {{true, true, sameFileSystem}, 64, readAhead, &slow});
            EXPECT_EQ(Sorted(got.folders), Sorted(links));
            Paths notHits;
            std::ranges::copy_if(got.files, std::back_inserter(notHits), [](auto& p) { return p.find("/hit") == p.npos; });
            EXPECT_EQ(Sorted(notHits), !sameFileSystem || !mount.Mounted() ? Sorted(mountHits) : Paths{});
        }
}

}  // namespace
