// The walker under pressure: deep trees and long paths, a small descriptor
// budget or a low descriptor limit, unreadable folders, and folders that
// vanish while the walk is under way.

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CQelPrefetch.h"
#include "CQelReadAhead.h"
#include "CQelSearchCriteria.h"
#include "CQelSearchResults.h"
#include "CQelTreeWalker.h"
#include "CQelWalkRecording.h"
#include "QelTestTree.h"

namespace {

int OpenDescriptors() {
    int count = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d)) ++count;
        closedir(d);
    }
    return count;
}

class CallbackDelegate : public IQelFileMngEventDelegate {
public:
    explicit CallbackDelegate(std::function<void()> f) : m_f(std::move(f)) {}
    void OnSearchProgress(std::int32_t, std::int32_t) override { m_f(); }

private:
    std::function<void()> m_f;
};

// A walk with a chosen descriptor budget, with or without the read-ahead
// helper. Links are followed, so that folders whose ".." lies elsewhere must
// be reopened too.
SearchOutcome WalkWithBudget(const QelString& root, const QelStringArray& names, const QelStringArray& exts,
                             const QelStringArray& folders, int budget, IQelFileMngEventDelegate* delegate = nullptr,
                             bool readAhead = false, bool sameFileSystem = false) {
    SearchOutcome out;
    const CQelSearchCriteria criteria(names, exts, folders);
    CQelSearchResults results(criteria, root, out.files, out.folders, delegate);
    QelWalkOptions options;
    options.followLinks = true;
    options.sameFileSystem = sameFileSystem;
    std::unique_ptr<CQelReadAhead> helper;
    if (readAhead) helper = std::make_unique<CQelReadAhead>(options);
    CQelTreeWalker walker(options, budget, helper.get());
    walker.Walk(root.ToFileName(), results);
    return out;
}

TEST(WalkDeep, TenThousandFoldersDeepUnderALowDescriptorLimit) {
    CTestTree t;
    t.Dir("top");
    t.DeepChain("top", "d", 10000, "leaf.txt");
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &old), 0);
    rlimit low = old;
    low.rlim_cur = static_cast<rlim_t>(OpenDescriptors() + 12);  // far below the walker's own budget
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    const SearchOutcome got = Search(t.RootString(), Strings({u"leaf"}), {}, Strings({u"top"}));
    setrlimit(RLIMIT_NOFILE, &old);

    std::string expected = t.Path("top");
    for (int i = 0; i < 10000; ++i) expected += "/d";
    expected += "/leaf.txt";
    EXPECT_EQ(Bytes(got.folders), std::vector<std::string>{t.Path("top")});
    ASSERT_EQ(got.files.size(), 1u);
    EXPECT_GT(expected.size(), 4096u * 4);
    EXPECT_EQ(got.files[0].ToFileName(), expected);
}

TEST(WalkDeep, DeepPreOrderKeepsEveryLevel) {
    CTestTree t;
    t.DeepChain(".", "d", 300, "leaf");
    const SearchOutcome got = Search(t.RootString(), {}, {}, Strings({u"d"}));
    ASSERT_EQ(got.folders.size(), 300u);
    std::string path = t.Root();
    for (std::size_t i = 0; i < 300; ++i) {
        path += "/d";
        ASSERT_EQ(got.folders[i].ToFileName(), path);
    }
}

// A bushy tree deeper than a tiny budget, with links whose ".." is elsewhere,
// so closed folders must be reopened both through ".." and from the root.
void MakeBushy(const CTestTree& t, const std::string& rel, int depth) {
    t.File(rel + "/f" + std::to_string(depth) + ".txt");
    if (depth == 0) return;
    for (const char* sub : {"x", "y"}) {
        t.Dir(rel + "/" + sub);
        MakeBushy(t, rel + "/" + sub, depth - 1);
    }
    if (depth % 2 == 0) t.Link(t.Path("elsewhere"), rel + "/jump");
    t.File(rel + "/z" + std::to_string(depth) + ".txt");
}

// "elsewhere" with a nested file, and "tree" as a bushy tree linking to it.
void MakeLinkedBushyTree(const CTestTree& t, int depth) {
    t.Dir("elsewhere");
    t.Dir("elsewhere/e1");
    t.Dir("elsewhere/e1/e2");
    t.File("elsewhere/e1/e2/deep.txt");
    t.Dir("tree");
    MakeBushy(t, "tree", depth);
}

TEST(WalkBudget, SmallBudgetsGiveTheSameResultsAndStayBounded) {
    CTestTree t;
    MakeLinkedBushyTree(t, 6);
    const QelString root = QelString::FromFileName(t.Path("tree"));
    const QelStringArray exts = Strings({u"txt"}), folders = Strings({u"y", u"e2", u"jump"});
    const SearchOutcome reference = WalkWithBudget(root, {}, exts, folders, 64);
    ASSERT_EQ(reference.files.size(), 211u);  // 190 in the tree, 21 through the links
    const int before = OpenDescriptors();
    for (const int budget : {1, 2, 3, 5}) {
        int most = 0;
        CallbackDelegate d([&] { most = std::max(most, OpenDescriptors()); });
        const SearchOutcome got = WalkWithBudget(root, {}, exts, folders, budget, &d);
        EXPECT_EQ(Bytes(got.files), Bytes(reference.files)) << "budget " << budget;
        EXPECT_EQ(Bytes(got.folders), Bytes(reference.folders)) << "budget " << budget;
        // the budget, plus the one being opened or reopened and the listing of /proc/self/fd
        EXPECT_LE(most - before, budget + 2) << "budget " << budget;
    }
}

TEST(WalkReadAhead, ReplayedSubTreesKeepTheExactOrder) {
    // The helper's part must come back exactly where the walk alone would
    // report it, whether the main walk catches up with the helper, waits for
    // it, or finds its work done (a slow visitor lets the helper run ahead).
    CTestTree t;
    MakeLinkedBushyTree(t, 7);
    t.Link("..", "tree/x/x/up");
    t.Dir("tree/y/locked");
    t.File("tree/y/locked/hidden.txt");
    chmod(t.Path("tree/y/locked").c_str(), 0);
    const QelString root = QelString::FromFileName(t.Path("tree"));
    const QelStringArray exts = Strings({u"txt"}), folders = Strings({u"y", u"e2", u"jump", u"up"});
    const SearchOutcome alone = WalkWithBudget(root, {}, exts, folders, 64);
    for (const int pauseEvery : {0, 7, 1}) {
        int hits = 0;
        CallbackDelegate slow([&] {
            if (pauseEvery && ++hits % pauseEvery == 0) usleep(200);
        });
        for (const int budget : {64, 2}) {
            const SearchOutcome helped = WalkWithBudget(root, {}, exts, folders, budget, &slow, true);
            EXPECT_EQ(Bytes(helped.files), Bytes(alone.files)) << "pause every " << pauseEvery << ", budget " << budget;
            EXPECT_EQ(Bytes(helped.folders), Bytes(alone.folders)) << "pause every " << pauseEvery << ", budget " << budget;
        }
    }
}

TEST(WalkReadAhead, HelperShortOfDescriptorsLosesNothing) {
    // With almost no descriptors to spare the helper stops part way; the main
    // walk then finishes those sub-trees itself without repeating a report.
    CTestTree t;
    t.Dir("tree");
    MakeBushy(t, "tree", 7);
    const QelString root = QelString::FromFileName(t.Path("tree"));
    const QelStringArray exts = Strings({u"txt"}), folders = Strings({u"x", u"y"});
    const SearchOutcome alone = WalkWithBudget(root, {}, exts, folders, 64);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &old), 0);
    for (const int spare : {4, 6, 9}) {
        int hits = 0;
        CallbackDelegate slow([&] {
            if (++hits % 16 == 0) usleep(100);  // lets the helper run ahead into the limit
        });
        rlimit low = old;
        low.rlim_cur = static_cast<rlim_t>(OpenDescriptors() + spare);
        ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
        const SearchOutcome helped = WalkWithBudget(root, {}, exts, folders, 64, &slow, true);
        setrlimit(RLIMIT_NOFILE, &old);
        EXPECT_EQ(Bytes(helped.files), Bytes(alone.files)) << spare << " spare descriptors";
        EXPECT_EQ(Bytes(helped.folders), Bytes(alone.folders)) << spare << " spare descriptors";
    }
}

// A helper slower than the replay's poll: the visitor is asked while the
// replay waits, and only its answer decides whether the replay goes on.
TEST(WalkReadAhead, AReplayWaitingOnTheHelperAsksTheVisitor) {
    class CWaitingVisitor : public IQelWalkVisitor {
    public:
        CWaitingVisitor(CQelWalkRecording& recording, bool keepGoing) : m_recording(recording), m_keepGoing(keepGoing) {}
        void OnFile(std::string_view name) override { files.emplace_back(name); }
        void OnFolder(std::string_view) override {}
        void OnEnter(std::string_view) override {}
        void OnLeave() override {}
        bool KeepGoingWhileWaiting() override {
            if (++waits == 1) {  // the helper catches up only now
                m_recording.OnFile("late");
                m_recording.Finish(true);
            }
            return m_keepGoing;
        }
        std::vector<std::string> files;
        int waits = 0;

    private:
        CQelWalkRecording& m_recording;
        const bool m_keepGoing;
    };
    for (const bool keepGoing : {true, false}) {
        CQelWalkRecording recording;
        CWaitingVisitor visitor(recording, keepGoing);
        std::size_t replayed = 0;
        EXPECT_EQ(recording.Replay(visitor, replayed), keepGoing ? QelReplay::kReplayed : QelReplay::kStopped);
        EXPECT_EQ(visitor.waits, 1);
        EXPECT_EQ(visitor.files, keepGoing ? std::vector<std::string>{"late"} : std::vector<std::string>{});
    }
}

// Runs f in a child process as an unprivileged user when this process is
// root (root reads any folder); the child's exit status is f's result.
bool RunUnprivileged(const std::function<bool()>& f, std::string& skipReason) {
    if (geteuid() != 0) return f();
    const pid_t pid = fork();
    if (pid == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
        _exit(f() ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3) {
        skipReason = "cannot drop root privileges here";
        return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(WalkUnreadable, UnreadableFoldersAreSkippedSilently) {
    CTestTree t;
    t.Dir("open");
    t.File("open/a.txt");
    t.Dir("locked");
    t.File("locked/b.txt");
    t.Dir("listless");  // may be entered but not listed
    t.File("listless/c.txt");
    t.Dir("open/z");
    t.File("open/z/d.txt");
    chmod(t.Path("locked").c_str(), 0);
    chmod(t.Path("listless").c_str(), 0111);
    std::string reason;
    const bool ok = RunUnprivileged(
        [&] {
            const SearchOutcome got =
                Search(t.RootString(), {}, Strings({u"txt"}), Strings({u"locked", u"listless"}));
            std::vector<std::string> files = Bytes(got.files), dirs = Bytes(got.folders);
            std::sort(files.begin(), files.end());
            std::sort(dirs.begin(), dirs.end());
            const bool filesOk = files == std::vector<std::string>{t.Path("open/a.txt"), t.Path("open/z/d.txt")};
            const bool dirsOk = dirs == std::vector<std::string>{t.Path("listless"), t.Path("locked")};
            // An unreadable root gives nothing at all.
            const SearchOutcome none = Search(QelString::FromFileName(t.Path("locked")), Strings({u""}), {}, {});
            return filesOk && dirsOk && none.files.empty() && none.folders.empty();
        },
        reason);
    if (!reason.empty()) GTEST_SKIP() << reason;
    EXPECT_TRUE(ok);
}

TEST(WalkVanishing, FoldersRemovedDuringTheWalkAreSkipped) {
    for (const bool readAhead : {false, true}) {
        CTestTree t;
        std::vector<std::string> all;
        for (const char* top : {"a", "b", "c", "d"}) {
            t.Dir(top);
            t.File(std::string(top) + "/hit1");
            t.Dir(std::string(top) + "/sub");
            t.File(std::string(top) + "/sub/hit2");
            all.push_back(t.Path(std::string(top) + "/hit1"));
            all.push_back(t.Path(std::string(top) + "/sub/hit2"));
        }
        QelStringArray seenAtFirstHit;
        bool removed = false;
        SearchOutcome got;
        CallbackDelegate d([&] {
            if (removed) return;
            removed = true;
            seenAtFirstHit = got.files;
            const std::string command = "rm -rf '" + t.Root() + "'/*";
            ASSERT_EQ(std::system(command.c_str()), 0);
        });
        const CQelSearchCriteria criteria(Strings({u"hit"}), {}, {});
        CQelSearchResults results(criteria, t.RootString(), got.files, got.folders, &d);
        std::unique_ptr<CQelReadAhead> helper;
        if (readAhead) helper = std::make_unique<CQelReadAhead>(QelWalkOptions{});
        CQelTreeWalker walker(QelWalkOptions{}, CQelTreeWalker::kDefaultDescriptorBudget, helper.get());
        walker.Walk(t.Root(), results);

        ASSERT_TRUE(removed);
        ASSERT_EQ(seenAtFirstHit.size(), 1u);
        EXPECT_EQ(got.files[0], seenAtFirstHit[0]);  // what was found stays found
        // Only what was listed before the removal can follow: without read-ahead
        // the rest of one folder, with it whatever the helper had read by then.
        for (const std::string& path : Bytes(got.files))
            EXPECT_NE(std::find(all.begin(), all.end(), path), all.end()) << path;
        if (!readAhead) {
            EXPECT_LE(got.files.size(), 2u);
        }
    }
}

TEST(WalkVanishing, ClosedAncestorThatVanishedIsAbandoned) {
    // With a budget of one descriptor every ancestor is closed; removing the
    // tree makes reopening fail, and the walk ends cleanly with what it has.
    CTestTree t;
    t.Dir("tree");
    MakeBushy(t, "tree", 4);
    const QelString root = QelString::FromFileName(t.Path("tree"));
    int hits = 0;
    CallbackDelegate d([&] {
        if (++hits == 3) {
            const std::string command = "rm -rf '" + t.Path("tree") + "'";
            ASSERT_EQ(std::system(command.c_str()), 0);
        }
    });
    const SearchOutcome got = WalkWithBudget(root, {}, Strings({u"txt"}), {}, 1, &d);
    EXPECT_GE(got.files.size(), 3u);
    EXPECT_LT(got.files.size(), 20u);
}

TEST(WalkPrefetch, StoppedAtAnyPointItLeavesNoDescriptorOpen) {
    CTestTree t;
    MakeLinkedBushyTree(t, 6);
    const int before = OpenDescriptors();
    const int root = open(t.Root().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(root, 0);
    struct stat st;
    ASSERT_EQ(fstat(root, &st), 0);
    // Stopped at once, and stopped after a whole walk had time to run beside it.
    { CQelPrefetch prefetch(root, st.st_dev); }
    {
        CQelPrefetch prefetch(root, st.st_dev);
        const SearchOutcome got = Search(t.RootString(), {}, Strings({u"txt"}), {});
        EXPECT_EQ(got.files.size(), 191u);  // the bushy tree and the file beside it, no link entered
    }
    close(root);
    EXPECT_EQ(OpenDescriptors(), before);
}

// Followed links leave the root's file system: a pseudo one is never
// entered, another real one only without sameFileSystem; the same for the
// read-ahead helper, which slow hits in the a folders let run ahead into s.
TEST(WalkLinksFollowed, FileSystemBoundary) {
    if (access("/proc/sys/fs/file-max", F_OK) != 0) GTEST_SKIP() << "no /proc here";
    char shm[] = "/dev/shm/qelwalk.XXXXXX";
    if (!mkdtemp(shm)) GTEST_SKIP() << "no /dev/shm here";
    CTestTree t;
    struct stat treeSt, shmSt;
    ASSERT_EQ(stat(t.Root().c_str(), &treeSt), 0);
    ASSERT_EQ(stat(shm, &shmSt), 0);
    const std::string shmFile = std::string(shm) + "/onshm.txt";
    std::ofstream(shmFile) << "x";
    std::vector<std::string> links, shmHits;
    for (int i = 0; i < 4; ++i) {
        const std::string a = "a" + std::to_string(i), s = "s" + std::to_string(i);
        t.Dir(a);
        t.Dir(s);
        for (int k = 0; k < 20; ++k) t.File(a + "/hit" + std::to_string(k));
        t.Link("/proc/sys/fs", s + "/procl");
        t.Link(shm, s + "/shml");
        links.insert(links.end(), {t.Path(s + "/procl"), t.Path(s + "/shml")});
        shmHits.push_back(t.Path(s + "/shml/onshm.txt"));
    }
    const QelStringArray names = Strings({u"file-max", u"onshm", u"hit"}), folders = Strings({u"procl", u"shml"});
    CallbackDelegate slow([] { usleep(300); });
    for (const bool sameFileSystem : {false, true}) {
        for (const bool readAhead : {false, true}) {
            const SearchOutcome got = WalkWithBudget(t.RootString(), names, {}, folders, 64, &slow, readAhead, sameFileSystem);
            std::vector<std::string> folderHits = Bytes(got.folders), onShm;
            std::sort(folderHits.begin(), folderHits.end());
            EXPECT_EQ(folderHits, links) << sameFileSystem << readAhead;
            for (const std::string& path : Bytes(got.files))
                if (path.find("/hit") == std::string::npos) onShm.push_back(path);
            std::sort(onShm.begin(), onShm.end());
            const bool entered = !sameFileSystem || shmSt.st_dev == treeSt.st_dev;
            EXPECT_EQ(onShm, entered ? shmHits : std::vector<std::string>{}) << sameFileSystem << readAhead;
        }
    }
    unlink(shmFile.c_str());
    rmdir(shm);
}

}  // namespace
