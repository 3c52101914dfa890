// Copy, Move and Delete over result rows, checked against the disk afterwards.
#include <gtest/gtest.h>
#include <unistd.h>

#include <regex>
#include <set>
#include <utility>
#include <vector>

#include "../fileops/QelTmpfsMount.h"
#include "../fileops/QelTreeFixture.h"
#include "QelResultOps.h"
#include "QelResultTargets.h"

namespace {

struct Notices : IQelResultSubWndDelegate {
    std::vector<std::pair<std::string, std::string>> seen;  // progress, summary
    void onNotifyEvent(const QelString& name, const QelString& progress, const QelString& summary) override {
        EXPECT_TRUE(name.Equals(u"MSG"));
        seen.emplace_back(progress.ToStdString(), summary.ToStdString());
    }
};

// Rows as the search lists them: the files first, then the folders.
QelResultRows Rows(const std::vector<std::string>& files, const std::vector<std::string>& folders = {}) {
    QelResultRows rows;
    for (const auto& f : files) EXPECT_TRUE(qel::AppendResultRow(rows, qel::Utf8ToUtf16(f), false));
    for (const auto& f : folders) EXPECT_TRUE(qel::AppendResultRow(rows, qel::Utf8ToUtf16(f), true));
    return rows;
}

// Rows found below root (by default the file system's root).
QelCopyMoveOptions To(const std::string& destination, bool unique, const std::string& root = "") {
    return {Q(destination), unique, Q(root)};
}

QelResultOpCounts DeleteRows(const QelResultRows& rows, IQelResultSubWndDelegate* delegate,
                             const std::string& root = "") {
    return qel::DeleteResultRows(rows, Q(root), delegate);
}

std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

ino_t Inode(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

bool IsLink(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

}  // namespace

// ---- Copy ------------------------------------------------------------------

TEST(QelResultCopy, UniqueNamesGiveEveryRowItsOwnIdentifier) {
    QelTestDir dir;
    MakeFile(dir / "s/a.txt", "A");
    MakeFile(dir / "s/b.txt", "B");
    MakeFile(dir / "s/f/in.txt", "in");
    std::filesystem::create_directories(dir / "dst");
    Notices notices;
    const QelResultOpCounts counts =
        qel::CopyResultRows(Rows({dir / "s/a.txt", dir / "s/b.txt"}, {dir / "s/f"}), To(dir / "dst", true), &notices);
    EXPECT_EQ(counts.succeeded, 3);
    EXPECT_EQ(counts.failed, 0);
    const std::regex unique("([0-9A-F]{13,26})_(a\\.txt|b\\.txt|f)");
    std::set<std::string> ids, originals;
    for (const std::string& name : Names(dir / "dst")) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(name, m, unique)) << name;
        ids.insert(m[1]);
        originals.insert(m[2]);
        const std::string expected = m[2] == "a.txt" ? "A" : m[2] == "b.txt" ? "B" : "in";
        EXPECT_EQ(ReadBytes(dir / ("dst/" + name + (m[2] == "f" ? "/in.txt" : ""))), expected);
    }
    EXPECT_EQ(ids.size(), 3u);
    EXPECT_EQ(originals, (std::set<std::string>{"a.txt", "b.txt", "f"}));
    ASSERT_EQ(notices.seen.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(notices.seen[i].first, "Copy [" + std::to_string(i) + "/3] Process");
    EXPECT_EQ(notices.seen.back().second, " Succces:3, Failed:0");
}

TEST(QelResultCopy, AnExistingTargetFailsItsRowAndKeepsItsContent) {
    QelTestDir dir;
    MakeFile(dir / "s/a.txt", "new a");
    MakeFile(dir / "s/b.txt", "new b");
    MakeFile(dir / "dst/a.txt", "old a");
    ::symlink("nowhere", (dir / "s/c.txt").c_str());
    ::symlink("elsewhere", (dir / "dst/c.txt").c_str());
    Notices notices;
    const QelResultOpCounts counts =
        qel::CopyResultRows(Rows({dir / "s/a.txt", dir / "s/b.txt", dir / "s/c.txt"}), To(dir / "dst", false), &notices);
    EXPECT_EQ(counts.succeeded, 1);
    EXPECT_EQ(counts.failed, 2);
    EXPECT_EQ(ReadBytes(dir / "dst/a.txt"), "old a");
    EXPECT_EQ(ReadBytes(dir / "dst/b.txt"), "new b");
    EXPECT_EQ(std::filesystem::read_symlink(dir / "dst/c.txt"), "elsewhere");
    ASSERT_EQ(notices.seen.size(), 3u);
    EXPECT_EQ(notices.seen[1].second, " Succces:1, Failed:1");
}

TEST(QelResultCopy, AFileKeepsItsModeAndTimes) {
    QelTestDir dir;
    MakeFile(dir / "s/x.sh", "#!/bin/sh\n");
    ::chmod((dir / "s/x.sh").c_str(), 0750);
    const timespec times[2] = {{1000000, 0}, {1234567, 0}};
    ::utimensat(AT_FDCWD, (dir / "s/x.sh").c_str(), times, 0);
    std::filesystem::create_directories(dir / "dst");
    EXPECT_EQ(qel::CopyResultRows(Rows({dir / "s/x.sh"}), To(dir / "dst", false), nullptr).succeeded, 1);
    struct stat st;
    ASSERT_EQ(::stat((dir / "dst/x.sh").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0750u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1234567);
}

TEST(QelResultCopy, AnEmptyListRunsNoRow) {
    Notices notices;
    const QelResultOpCounts counts = qel::CopyResultRows({}, To("/nonexistent", false), &notices);
    EXPECT_EQ(counts.succeeded + counts.failed, 0);
    EXPECT_TRUE(notices.seen.empty());
}

// ---- Move ------------------------------------------------------------------

TEST(QelResultMove, WithinOneFileSystemAFolderMovesInOneRename) {
    QelTestDir dir;
    MakeFile(dir / "s/a.txt", "A");
    MakeFile(dir / "s/tree/sub/deep.txt", "deep");
    const ino_t folder = Inode(dir / "s/tree");
    Notices notices;
    // The destination does not exist yet: it is made.
    const QelResultOpCounts counts =
        qel::MoveResultRows(Rows({dir / "s/a.txt"}, {dir / "s/tree"}), To(dir / "new/dst", false), &notices);
    EXPECT_EQ(counts.succeeded, 2);
    EXPECT_EQ(ReadBytes(dir / "new/dst/a.txt"), "A");
    EXPECT_EQ(Inode(dir / "new/dst/tree"), folder);  // the same folder, not a copy
    EXPECT_EQ(ReadBytes(dir / "new/dst/tree/sub/deep.txt"), "deep");
    EXPECT_FALSE(Exists(dir / "s/tree"));
    EXPECT_EQ(notices.seen.back(), std::make_pair(std::string("Move [1/2] Process"), std::string(" Succces:2, Failed:0")));
}

TEST(QelResultMove, NeverReplacesAFileAndMergesIntoAnExistingFolder) {
    QelTestDir dir;
    MakeFile(dir / "s/a.txt", "new a");
    MakeFile(dir / "s/tree/x.txt", "new x");
    MakeFile(dir / "dst/a.txt", "old a");
    MakeFile(dir / "dst/tree/keep.txt", "kept");
    const QelResultOpCounts counts =
        qel::MoveResultRows(Rows({dir / "s/a.txt"}, {dir / "s/tree"}), To(dir / "dst", false), nullptr);
    EXPECT_EQ(counts.succeeded, 1);
    EXPECT_EQ(counts.failed, 1);
    EXPECT_EQ(ReadBytes(dir / "dst/a.txt"), "old a");
    EXPECT_EQ(ReadBytes(dir / "s/a.txt"), "new a");
    EXPECT_EQ(ReadBytes(dir / "dst/tree/x.txt"), "new x");
    EXPECT_EQ(ReadBytes(dir / "dst/tree/keep.txt"), "kept");
    EXPECT_FALSE(Exists(dir / "s/tree"));
}

TEST(QelResultMove, AReadOnlyFileMakesTheFolderMoveFailAndTheCopyStays) {
    QelTestDir dir;
    MakeFile(dir / "s/tree/locked.txt", "L");
    MakeFile(dir / "s/tree/free.txt", "F");
    ::chmod((dir / "s/tree/locked.txt").c_str(), 0444);
    std::filesystem::create_directories(dir / "dst/tree");  // an existing target: copy, then delete
    const QelResultOpCounts counts = qel::MoveResultRows(Rows({}, {dir / "s/tree"}), To(dir / "dst", false), nullptr);
    EXPECT_EQ(counts.failed, 1);
    EXPECT_EQ(ReadBytes(dir / "dst/tree/locked.txt"), "L");
    EXPECT_EQ(ReadBytes(dir / "dst/tree/free.txt"), "F");
    EXPECT_EQ(ReadBytes(dir / "s/tree/locked.txt"), "L");
}

TEST(QelResultMove, IntoItsOwnTreeIsRefusedAndLosesNothing) {
    QelTestDir dir;
    MakeFile(dir / "s/tree/a.txt", "A");
    MakeFile(dir / "s/tree/inner/tree/old.txt", "O");  // the target exists: the copy path is taken
    for (const char* destination : {"s/tree/inner", "s/tree/fresh"}) {
        const QelResultOpCounts counts =
            qel::MoveResultRows(Rows({}, {dir / "s/tree"}), To(dir / destination, false), nullptr);
        EXPECT_EQ(counts.failed, 1) << destination;
        EXPECT_EQ(ReadBytes(dir / "s/tree/a.txt"), "A") << destination;
        EXPECT_EQ(ReadBytes(dir / "s/tree/inner/tree/old.txt"), "O") << destination;
    }
}

TEST(QelResultMove, AcrossFileSystemsCopiesThenDeletes) {
    QelTestDir dir;
    QelTmpfsMount other(dir / "other", "4m");
    if (!other.Mounted()) GTEST_SKIP() << other.WhyNot();
    MakeFile(dir / "s/a.txt", "A");
    MakeFile(dir / "s/tree/sub/b.txt", "B");
    MakeFile(dir / "s/ro/locked.txt", "L");
    ::chmod((dir / "s/ro/locked.txt").c_str(), 0444);
    ::symlink("a.txt", (dir / "s/link").c_str());
    const QelResultOpCounts counts = qel::MoveResultRows(
        Rows({dir / "s/a.txt", dir / "s/link"}, {dir / "s/tree", dir / "s/ro"}), To(dir / "other", false), nullptr);
    EXPECT_EQ(counts.succeeded, 3);
    EXPECT_EQ(counts.failed, 1);  // the read-only file could not leave its folder
    EXPECT_EQ(ReadBytes(dir / "other/a.txt"), "A");
    EXPECT_EQ(std::filesystem::read_symlink(dir / "other/link"), "a.txt");
    EXPECT_EQ(ReadBytes(dir / "other/tree/sub/b.txt"), "B");
    EXPECT_EQ(Names(dir / "s"), std::set<std::string>{"ro"});
    EXPECT_EQ(ReadBytes(dir / "s/ro/locked.txt"), "L");
    EXPECT_EQ(ReadBytes(dir / "other/ro/locked.txt"), "L");
}

// ---- Delete ----------------------------------------------------------------

TEST(QelResultDelete, FilesAndTreesGoReadOnlyFilesStay) {
    QelTestDir dir;
    MakeFile(dir / "s/a.txt", "A");
    MakeFile(dir / "s/ro.txt", "R");
    ::chmod((dir / "s/ro.txt").c_str(), 0444);
    MakeFile(dir / "s/tree/sub/b.txt", "B");
    MakeFile(dir / "s/locked/in.txt", "L");
    ::chmod((dir / "s/locked/in.txt").c_str(), 0444);
    Notices notices;
    const QelResultOpCounts counts = DeleteRows(
        Rows({dir / "s/a.txt", dir / "s/ro.txt", dir / "s/gone.txt"}, {dir / "s/tree", dir / "s/locked"}), &notices);
    EXPECT_EQ(counts.succeeded, 2);
    EXPECT_EQ(counts.failed, 3);
    EXPECT_EQ(Names(dir / "s"), (std::set<std::string>{"locked", "ro.txt"}));
    EXPECT_EQ(ReadBytes(dir / "s/locked/in.txt"), "L");
    ASSERT_EQ(notices.seen.size(), 5u);
    EXPECT_EQ(notices.seen.back(), std::make_pair(std::string("Delete [4/5] Process"), std::string(" Succces:2, Failed:3")));
}

// ---- Links and odd names ---------------------------------------------------

TEST(QelResultRowsOfLinks, AreActedOnAsTheLinksThemselves) {
    QelTestDir dir;
    MakeFile(dir / "real/file.txt", "F");
    MakeFile(dir / "real/folder/in.txt", "I");
    std::filesystem::create_directories(dir / "s");
    ::symlink((dir / "real/file.txt").c_str(), (dir / "s/flink").c_str());
    ::symlink((dir / "real/folder").c_str(), (dir / "s/dlink").c_str());
    std::filesystem::create_directories(dir / "copy");
    const QelResultRows rows = Rows({dir / "s/flink"}, {dir / "s/dlink"});

    EXPECT_EQ(qel::CopyResultRows(rows, To(dir / "copy", false), nullptr).succeeded, 2);
    EXPECT_EQ(std::filesystem::read_symlink(dir / "copy/flink"), dir / "real/file.txt");
    EXPECT_EQ(std::filesystem::read_symlink(dir / "copy/dlink"), dir / "real/folder");

    EXPECT_EQ(qel::MoveResultRows(rows, To(dir / "moved", false), nullptr).succeeded, 2);
    EXPECT_TRUE(IsLink(dir / "moved/flink"));
    EXPECT_TRUE(IsLink(dir / "moved/dlink"));
    EXPECT_TRUE(Names(dir / "s").empty());

    EXPECT_EQ(DeleteRows(Rows({dir / "moved/flink"}, {dir / "moved/dlink"}), nullptr).succeeded, 2);
    EXPECT_TRUE(Names(dir / "moved").empty());
    EXPECT_EQ(ReadBytes(dir / "real/file.txt"), "F");
    EXPECT_EQ(ReadBytes(dir / "real/folder/in.txt"), "I");
}

TEST(QelResultRowsOfOddNames, AreCopiedMovedAndDeletedAsThemselves) {
    for (const std::string name : {"bad\xff\xfe", "blank ", "new\nline", " "}) {
        QelTestDir dir;
        MakeFile(dir / ("s/" + name), "file " + name);
        MakeFile(dir / ("s/" + name + "dir/in"), "in " + name);
        const QelResultRows rows = Rows({dir / ("s/" + name)}, {dir / ("s/" + name + "dir")});
        EXPECT_EQ(qel::CopyResultRows(rows, To(dir / "c", false), nullptr).succeeded, 2) << name;
        EXPECT_EQ(ReadBytes(dir / ("c/" + name)), "file " + name);
        EXPECT_EQ(ReadBytes(dir / ("c/" + name + "dir/in")), "in " + name);
        EXPECT_EQ(qel::MoveResultRows(rows, To(dir / "m", false), nullptr).succeeded, 2) << name;
        EXPECT_EQ(Names(dir / "m"), (std::set<std::string>{name, name + "dir"}));
        EXPECT_TRUE(Names(dir / "s").empty());
        EXPECT_EQ(DeleteRows(Rows({dir / ("c/" + name)}, {dir / ("c/" + name + "dir")}), nullptr).succeeded,
                  2);
        EXPECT_TRUE(Names(dir / "c").empty()) << name;
    }
}

// ---- Destination -----------------------------------------------------------

TEST(QelResultDestination, MustBeAbsoluteAfterTheHomeFolder) {
    struct Case {
        const char16_t* typed;
        bool accepted;
        const char16_t* resolved;
    } const cases[] = {
        {u"", false, u""},
        {u"relative/dir", false, u""},
        {u"~user/dir", false, u""},
        {u" /abs", false, u""},
        {u"~", true, u"/home/me"},
        {u"~/", true, u"/home/me"},
        {u"~/backup", true, u"/home/me/backup"},
        {u"/abs/dir/", true, u"/abs/dir"},
        {u"/abs/dir ", true, u"/abs/dir "},
        {u"/", true, u""},
    };
    for (const Case& c : cases) {
        QelString out(u"unchanged");
        EXPECT_EQ(qel::ResolveDestination(c.typed, QelString(u"/home/me"), out), c.accepted)
            << QelString(c.typed).ToStdString();
        EXPECT_EQ(out.str(), c.accepted ? c.resolved : u"unchanged") << QelString(c.typed).ToStdString();
    }
    QelString out;
    EXPECT_FALSE(qel::ResolveDestination(u"~/x", QelString(u"relative-home"), out));
}
