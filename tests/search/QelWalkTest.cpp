// The walk as a search sees it: pre-order against a plain recursive readdir
// walk, result paths built from the root as passed (and the walker's answer
// for one it cannot read), names kept byte for byte, links, and progress events.

#include <dirent.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "CQelProgressClock.h"
#include "QelSearchMatch.h"
#include "QelSearchRun.h"

namespace {

// The reference: recursion over readdir, which lists a folder in the same
// order as the walker's getdents64 reads.
void ReferenceWalk(const std::string& dir, const QelStringArray& names, const QelStringArray& exts,
                   const QelStringArray& folders, bool sub, SearchOutcome& out) {
    DIR* d = opendir(dir.c_str());
    ASSERT_NE(d, nullptr);
    while (const dirent* e = readdir(d)) {
        const std::string name = e->d_name, path = dir + "/" + name;
        if (name == "." || name == "..") continue;
        const QelString wide = QelString::FromFileName(name);
        const bool dir = e->d_type == DT_DIR;
        if (dir ? MatchFolder(wide, folders) : MatchFile(wide, names, exts)) (dir ? out.folders : out.files).push_back(path);
        if (dir && sub) ReferenceWalk(path, names, exts, folders, sub, out);
    }
    closedir(d);
}

// Records each hit's list sizes and each tick's file count and folder; a tick answers !stop.
struct CRecorder : IQelFileMngEventDelegate {
    void OnSearchProgress(std::int32_t files, std::int32_t folders) override { events.emplace_back(files, folders); }
    bool OnSearchTick(std::int32_t files, std::int32_t, const QelString& folder) override {
        ticks.emplace_back(files, folder.ToFileName());
        eventsAtTick = events.size();
        return !stop;
    }
    bool stop = false;
    std::vector<std::pair<int, int>> events;
    std::vector<std::pair<int, std::string>> ticks;
    std::size_t eventsAtTick = 0;
};

TEST(WalkOrder, PreOrderAsARecursiveWalkWithAProgressEventPerHit) {
    QelTestDir t;
    Paths entries = {"root.txt", "plain"};
    for (const std::string top : {"src/", "docs/", "lib/", "build/", ".git/"}) {
        for (const std::string leaf : {"a.txt", "readme"}) entries.push_back(top + leaf);
        for (const std::string mid : {"src/", "lib/", "data/"})
            for (const std::string leaf : {"main.txt", "b.cpp", "src/deep.txt", "src/zebra"}) entries.push_back(top + mid + leaf);
    }
    MakeTree(t.path(), entries);
    const QelStringArray names = {u"a"}, exts = {u"txt"}, folders = {u"src", u"lib"};
    for (const bool sub : {true, false}) {
        SearchOutcome expected;
        ReferenceWalk(t.path(), names, exts, folders, sub, expected);
        CRecorder d;
        const SearchOutcome got = Search(t.path(), names, exts, folders, sub, &d);
        EXPECT_EQ(std::make_pair(got.files, got.folders), std::make_pair(expected.files, expected.folders)) << "sub=" << sub;
        // One event after each hit, with the sizes of both lists.
        std::pair<int, int> last{0, 0};
        for (const auto& e : d.events) {
            EXPECT_TRUE(e == std::make_pair(last.first + 1, last.second) || e == std::make_pair(last.first, last.second + 1));
            last = e;
        }
        EXPECT_EQ(last, std::make_pair(static_cast<int>(got.files.size()), static_cast<int>(got.folders.size())));
    }
    // A second search appends its hits after the first one's.
    struct : CQelFileMng {} mng;
    QelStringArray files = {u"kept"}, dirs;
    mng.SearchFiles(QelString::FromFileName(t.path()), files, dirs, {u"zebra"}, {}, {}, true);
    ASSERT_EQ(files.size(), 16u);
    EXPECT_EQ(files.front().ToStdString(), "kept");
    EXPECT_TRUE(files.back().ToFileName().ends_with("/src/zebra"));
}

TEST(WalkRoot, RootIsUsedAsPassedAndOneThatCannotBeWalkedGivesNothing) {
    QelTestDir t;
    MakeTree(t.path(), {"x/f.txt"});
    const struct { std::string root; Paths files, folders; int error = 0; bool sub = true; } cases[] = {
        {t.path() + "/", {t / "x/f.txt"}, {t / "x"}}, {t / "x/.", {t / "x/./f.txt"}, {}}, {t / "missing", {}, {}, ENOENT},
        {t / "x/f.txt", {}, {}, ENOTDIR}, {"", {}, {}, ENOENT},
        {"/proc/sys/fs", {"/proc/sys/fs/file-max"}, {}, 0, false}};  // a root on a pseudo file system is searched
    for (const auto& c : cases) {
        CRecorder d;
        const SearchOutcome got = Walk(c.root, {u"f.txt", u"file-max"}, {}, {u"x"}, {{c.sub}, 64, c.sub, &d});
        EXPECT_EQ(std::make_tuple(got.files, got.folders, got.error, d.events.size()),
                  std::make_tuple(c.files, c.folders, c.error, c.files.size() + c.folders.size())) << c.root;
    }
}

TEST(WalkNames, OddNamesRoundTripToTheSameFile) {
    QelTestDir t;
    const Paths odd = {"notes.txt ", "notes.txt", " lead.txt", "line\nfeed.txt", "back\\slash.txt", "bad\xff\xfe.txt",
                       "half\xC3.txt", "caf\xC3\xA9.txt", "tab\there.txt", "\xED\xB2\x80.txt", "..txt"};
    Paths expected;
    for (const std::string& name : odd) {
        MakeTree(t.path(), {"d /" + name + "=" + name});
        expected.push_back(t / ("d /" + name));
    }
    MakeTree(t.path(), {".d/"});  // two bytes with a leading dot: no "." or ".."
    const SearchOutcome got = Search(t.path(), {}, {u"txt", u"txt "}, {u"d ", u".d"});
    EXPECT_EQ(Sorted(got.folders), (Paths{t / ".d", t / "d "}));
    ASSERT_EQ(Sorted(got.files), Sorted(expected));
    for (const std::string& path : got.files) EXPECT_EQ(ReadBytes(path), path.substr(path.rfind('/') + 1));  // the very file found
}

// By default a link is one entry, matched by its own name as a file whatever
// it points to, and never entered. Followed, a link to a folder is entered,
// unless it leads back to a folder on the current path.
TEST(WalkLinks, LinksAreFilesUnlessFollowedAndCyclesEndAtOnce) {
    QelTestDir outside;
    MakeTree(outside.path(), {"secret.txt"});
    const Paths links = {"real/inside.txt", "file.txt", "dirlink->real", "filelink->file.txt", "dangling->nowhere",
                         "alias.doc->real/inside.txt", "out->" + outside.path(), "a/up->..", "a/self->."};
    const QelStringArray linkNames = {u"dirlink", u"out", u"up", u"self", u"top"};
    const struct { Paths tree; bool follow; QelStringArray names, exts, dirs; Paths files, folders; std::string root = ""; } cases[] = {
        {links, false, {u""}, {}, {u"dirlink", u"out", u"up", u"self", u"top", u"real"},
         {"a/self", "a/top", "a/up", "alias.doc", "dangling", "dirlink", "file.txt", "filelink", "out", "real/inside.txt"},
         {"real"}},
        {links, false, {}, {u"doc", u"txt"}, {}, {"alias.doc", "file.txt", "real/inside.txt"}, {}},
        {links, true, {u"inside", u"secret"}, {}, linkNames,
         {"dirlink/inside.txt", "out/secret.txt", "real/inside.txt"}, {"a/self", "a/top", "a/up", "dirlink", "out"}},
        {{"c/tod->../d", "d/toc->../c"}, true, {}, {}, {u"tod", u"toc"}, {},
         {"c/tod", "c/tod/toc", "d/toc", "d/toc/tod"}},
        // Not a cycle: the same folder under two paths, each path reported once.
        {{"shared/x.txt", "p/s->../shared", "q/s->../shared"}, true, {}, {u"txt"}, {},
         {"p/s/x.txt", "q/s/x.txt", "shared/x.txt"}, {}},
        {{"real/x.txt", "alias->real"}, false, {}, {u"txt"}, {}, {"alias/x.txt"}, {}, "alias"},  // a root is followed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tree.back() + (c.follow ? ", followed" : ""));
        QelTestDir t;
        MakeTree(t.path(), c.tree);
        if (c.tree == links) MakeTree(t.path(), {"a/top->" + t.path()});
        CCallbackDelegate slow([] { usleep(2000); });  // the helper is at work by the time the walk arrives
        for (const bool readAhead : {false, true}) {  // the helper knows the path above what it was handed
            const WalkSetup setup = {{true, c.follow}, 64, readAhead, readAhead ? &slow : nullptr};
            const SearchOutcome got = Walk(c.root.empty() ? t.path() : t / c.root, c.names, c.exts, c.dirs, setup);
            EXPECT_EQ(std::make_pair(Relative(got.files, t.path()), Relative(got.folders, t.path())), std::make_pair(c.files, c.folders));
        }
    }
}

// Progress on the clock: ticks come while the walk goes on, hits or not,
// naming the folder being read; a tick that answers false stops the walk
// with the hits so far. In the root, and in a sub-folder the read-ahead
// helper may walk and the main walk replay.
TEST(WalkProgress, TicksNameTheFolderBeingReadAndAFalseOneStopsTheWalk) {
    constexpr std::size_t kFiles = 4 * CQelProgressClock::kCheckEvery;
    for (const std::string folder : {"", "big/"}) {
        SCOPED_TRACE(folder);
        QelTestDir t;
        for (std::size_t i = 0; i < kFiles; ++i) MakeTree(t.path(), {folder + "f" + std::to_string(i) + ".dat"});
        const std::string reading = folder.empty() ? t.path() : t / "big";
        CRecorder going, stopping;
        EXPECT_TRUE(Search(t.path(), {u"no such name"}, {}, {}, true, &going).files.empty());
        EXPECT_TRUE(std::ranges::any_of(going.ticks, [&](const auto& e) { return e.second == reading; }));

        stopping.stop = true;
        const int before = OpenDescriptors();
        const SearchOutcome got = Search(t.path(), {}, {u"dat"}, {}, true, &stopping);
        EXPECT_EQ(OpenDescriptors(), before);  // a stopped walk closes what it had open
        ASSERT_EQ(stopping.ticks.size(), 1u);
        EXPECT_EQ(stopping.eventsAtTick, stopping.events.size());  // nothing after the tick that said stop
        EXPECT_EQ(static_cast<std::size_t>(stopping.ticks[0].first), got.files.size());
        EXPECT_TRUE(!got.files.empty() && got.files.size() < kFiles) << got.files.size();
        EXPECT_EQ(std::set<std::string>(got.files.begin(), got.files.end()).size(), got.files.size());
        for (const std::string& p : got.files) EXPECT_EQ(p.rfind(reading + "/f", 0), 0u) << p;
    }
}

}  // namespace
