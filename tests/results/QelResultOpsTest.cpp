// Copy, Move and Delete over result rows, checked against the disk afterwards.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <regex>
#include <utility>
#include <vector>

#include "../fileops/QelTmpfsMount.h"
#include "../fileops/QelTreeFixture.h"
#include "QelOpHook.h"
#include "QelRenameApply.h"
#include "QelResultOps.h"
#include "QelTrash.h"
#include "QelResultTargets.h"

namespace {

struct Notices : IQelResultSubWndDelegate {
    std::vector<std::pair<std::string, std::string>> seen;  // progress, summary
    void onNotifyEvent(const QelString& name, const QelString& progress, const QelString& summary) override {
        EXPECT_TRUE(name.Equals(u"MSG"));
        seen.emplace_back(progress.ToStdString(), summary.ToStdString());
    }
};

// An observer that notes the reason of every row in errors.
QelResultRowObserver Into(std::vector<int>& errors) {
    return [&errors](const QelResultRow&, const QelString&, const QelItemOutcome& o) { errors.push_back(o.error); };
}

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

ino_t Inode(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
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
    EXPECT_EQ(notices.seen.back(), std::make_pair(std::string("Copy [2/3] Process"), std::string(" Succces:3, Failed:0")));
}

TEST(QelResultCopy, AnExistingTargetFailsItsRowAndKeepsItsContent) {
    QelTestDir dir;
    MakeFile(dir / "s/a.txt", "new a");
    MakeFile(dir / "s/b.txt", "new b");
    MakeFile(dir / "dst/a.txt", "old a");
    ::symlink("nowhere", (dir / "s/c.txt").c_str());
    ::symlink("elsewhere", (dir / "dst/c.txt").c_str());
    Notices notices;
    const std::size_t descriptors = Names("/proc/self/fd").size();
    const QelResultOpCounts counts =
        qel::CopyResultRows(Rows({dir / "s/a.txt", dir / "s/b.txt", dir / "s/c.txt"}), To(dir / "dst", false), &notices);
    EXPECT_EQ(Names("/proc/self/fd").size(), descriptors);  // none left open
    EXPECT_EQ(counts.succeeded, 1);
    EXPECT_EQ(counts.failed, 2);
    EXPECT_EQ(ReadBytes(dir / "dst/a.txt"), "old a");
    EXPECT_EQ(ReadBytes(dir / "dst/b.txt"), "new b");
    EXPECT_EQ(std::filesystem::read_symlink(dir / "dst/c.txt"), "elsewhere");
    ASSERT_EQ(notices.seen.size(), 3u);
    EXPECT_EQ(notices.seen[1].second, " Succces:1, Failed:1");
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

// ---- Replacing: nothing that exists in the destination is replaced ---------

TEST(QelResultReplacing, SameNamedFoldersNeverLoseAFile) {
    QelTestDir dir;
    MakeFile(dir / "t/projA/docs/readme.txt", "A");
    MakeFile(dir / "t/projB/docs/readme.txt", "B");
    MakeFile(dir / "t/projB/docs/extra.txt", "E");
    const QelResultRows rows = Rows({}, {dir / "t/projA/docs", dir / "t/projB/docs"});
    std::vector<std::string> reasons;
    const auto observe = [&](const QelResultRow&, const QelString&, const QelItemOutcome& outcome) {
        reasons.push_back(outcome.Reason().ToStdString());
    };
    // Copy merges the second folder but leaves the file whose name is taken.
    EXPECT_EQ(qel::CopyResultRows(rows, To(dir / "copy", false, dir / "t"), nullptr, observe).failed, 1);
    EXPECT_EQ(ReadBytes(dir / "copy/docs/readme.txt"), "A");
    EXPECT_EQ(ReadBytes(dir / "copy/docs/extra.txt"), "E");
    EXPECT_EQ(reasons, (std::vector<std::string>{"", std::strerror(EEXIST)}));
    // Move of the second folder fails as a whole and moves nothing.
    const QelResultOpCounts moved = qel::MoveResultRows(rows, To(dir / "archive", false, dir / "t"), nullptr);
    EXPECT_EQ(moved.succeeded, 1);
    EXPECT_EQ(moved.failed, 1);
    EXPECT_EQ(ReadBytes(dir / "archive/docs/readme.txt"), "A");
    EXPECT_EQ(ReadBytes(dir / "t/projB/docs/readme.txt"), "B");
    EXPECT_EQ(ReadBytes(dir / "t/projB/docs/extra.txt"), "E");
    EXPECT_EQ(Names(dir / "archive/docs"), std::set<std::string>{"readme.txt"});
}

TEST(QelResultReplacing, AUniqueNameIsShortenedInItsStemToFitAFileName) {
    const std::u16string prefix = u"0123456789ABCDEF0123456789_";  // 27 bytes, as long as an identifier gets
    struct Case {
        std::u16string name;
        std::size_t bytes;           // of the fitted name, prefix included
        std::u16string_view ending;  // what it must end with
    } const cases[] = {
        {u"short.txt", 36, u"_short.txt"},
        {std::u16string(226, u'x') + u".txt", 255, u"x.txt"},
        {std::u16string(240, u'y'), 255, u"y"},                  // no extension: the whole name is the stem
        {std::u16string(120, u'\u00e9') + u".tars", 254, u"\u00e9.tars"},  // two-byte characters stay whole
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const std::u16string fitted = qel::FitNameAfterPrefix(prefix, c.name);
        EXPECT_EQ(qel::Utf16ToUtf8(fitted).size(), c.bytes) << i;
        EXPECT_TRUE(fitted.starts_with(prefix) && fitted.ends_with(c.ending)) << i;
    }
    // Four-byte characters (surrogate pairs) are never split.
    std::u16string faces;
    for (int i = 0; i < 60; ++i) faces += u"\U0001F600";
    const std::string fitted = qel::Utf16ToUtf8(qel::FitNameAfterPrefix(prefix, faces + u".png"));
    EXPECT_EQ(fitted.size(), 27u + 56 * 4 + 4);
    EXPECT_TRUE(fitted.ends_with("\xF0\x9F\x98\x80.png"));

    QelTestDir dir;
    const std::string longName = std::string(240, 'n') + ".txt";
    MakeFile(dir / ("s/" + longName), "L");
    EXPECT_EQ(qel::CopyResultRows(Rows({dir / ("s/" + longName)}), To(dir / "dst", true), nullptr).succeeded, 1);
    const std::set<std::string> names = Names(dir / "dst");
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(names.begin()->ends_with("n.txt"));
}

// ---- Self-nesting: a folder never goes into itself, below itself or above --

TEST(QelResultSelfNesting, IsRefusedBeforeAnythingIsWritten) {
    struct Case {
        bool move;
        const char* destination;
    } const cases[] = {{true, "t"}, {false, "t"}, {false, "t/a/a/a/new"}, {true, "t/a/a/a"}};
    for (const Case& c : cases) {
        QelTestDir dir;
        MakeFile(dir / "t/a/a/a/y.txt", "inner y");
        MakeFile(dir / "t/a/a/x.txt", "x");
        const QelResultRows rows = Rows({}, {dir / "t/a", dir / "t/a/a", dir / "t/a/a/a"});
        std::vector<int> errors;
        const QelResultRowObserver observe = Into(errors);
        const QelCopyMoveOptions to = To(dir / c.destination, false, dir / "t");
        const QelResultOpCounts counts = c.move ? qel::MoveResultRows(rows, to, nullptr, observe)
                                                : qel::CopyResultRows(rows, to, nullptr, observe);
        EXPECT_EQ(counts.failed, 3) << c.destination;
        for (const int error : errors)
            EXPECT_TRUE(error == qel::kReasonTargetInsideItem || error == qel::kReasonTargetHoldsItem)
                << c.destination << ": " << qel::ReasonText(error).ToStdString();
        EXPECT_EQ(ReadBytes(dir / "t/a/a/a/y.txt"), "inner y") << c.destination;
        EXPECT_EQ(Names(dir / "t/a/a/a"), std::set<std::string>{"y.txt"}) << c.destination;
        EXPECT_EQ(Names(dir / "t/a/a"), (std::set<std::string>{"a", "x.txt"})) << c.destination;
    }
}

// ---- Special files: FIFOs, sockets and devices are made anew ---------------

TEST(QelResultAcrossFileSystems, AMoveCopiesThenDeletesAndSpecialFilesAreMadeAnewAsCpDoes) {
    QelTestDir dir;
    QelTmpfsMount other(dir / "other", "4m");
    if (!other.Mounted()) GTEST_SKIP() << other.WhyNot();
    MakeFile(dir / "t/a.txt", "A");
    ::symlink("a.txt", (dir / "t/link").c_str());
    MakeFile(dir / "t/ro/locked.txt", "L");
    ::chmod((dir / "t/ro/locked.txt").c_str(), 0444);
    MakeFile(dir / "t/p/.git/HEAD", "ref");
    ASSERT_EQ(::mkfifo((dir / "t/p/fifo").c_str(), 0640), 0);
    ASSERT_EQ(::mknod((dir / "t/p/sock").c_str(), S_IFSOCK | 0600, 0), 0);
    const bool devices = ::mknod((dir / "t/p/null").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    EXPECT_EQ(qel::CopyResultRows(Rows({}, {dir / "t/p"}), To(dir / "copy", false, dir / "t"), nullptr).succeeded, 1);
    const QelResultOpCounts moved = qel::MoveResultRows(Rows({dir / "t/a.txt", dir / "t/link"}, {dir / "t/p", dir / "t/ro"}),
                                                        To(dir / "other", false, dir / "t"), nullptr);
    EXPECT_EQ(moved.succeeded, 3);
    EXPECT_EQ(moved.failed, 1);  // the read-only file could not leave its folder
    EXPECT_EQ(ReadBytes(dir / "other/a.txt"), "A");
    EXPECT_EQ(std::filesystem::read_symlink(dir / "other/link"), "a.txt");
    EXPECT_EQ(Names(dir / "t"), std::set<std::string>{"ro"});
    EXPECT_EQ(ReadBytes(dir / "t/ro/locked.txt"), "L");
    EXPECT_EQ(ReadBytes(dir / "other/ro/locked.txt"), "L");
    for (const std::string where : {"copy/p", "other/p"}) {
        struct stat st;
        EXPECT_TRUE(::lstat((dir / (where + "/fifo")).c_str(), &st) == 0 && S_ISFIFO(st.st_mode)) << where;
        EXPECT_EQ(st.st_mode & 07777, 0640u) << where;
        EXPECT_TRUE(::lstat((dir / (where + "/sock")).c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) << where;
        EXPECT_TRUE(!devices || (::lstat((dir / (where + "/null")).c_str(), &st) == 0 && S_ISCHR(st.st_mode) &&
                                 st.st_rdev == makedev(1, 3)))
            << where;
        EXPECT_EQ(ReadBytes(dir / (where + "/.git/HEAD")), "ref") << where;  // hidden names are ordinary
    }
}

// ---- Links and races: rows are found below the search root, never through a link

namespace {

// t/a holds the rows; outside and t/other hold look-alikes that must never be touched.
struct SwappedTree {
    QelTestDir dir;
    SwappedTree() {
        MakeFile(dir / "t/a/important.txt", "inside");
        MakeFile(dir / "t/a/sub/x.txt", "inside x");
        for (const std::string other : {"outside", "t/other"}) {
            MakeFile(dir / (other + "/important.txt"), "look-alike");
            MakeFile(dir / (other + "/sub/x.txt"), "look-alike x");
        }
    }
    // t/a renamed away and a link to the look-alike at linkTarget put in its
    // place: absolute out of the tree, relative within it.
    void Swap(const std::string& linkTarget = "outside") const {
        ASSERT_EQ(::rename((dir / "t/a").c_str(), (dir / "t/away").c_str()), 0);
        const std::string text = linkTarget == "t/other" ? "other" : dir / linkTarget;
        ASSERT_EQ(::symlink(text.c_str(), (dir / "t/a").c_str()), 0);
    }
    void ExpectOutsideUntouched() const {
        for (const std::string other : {"outside", "t/other"}) {
            EXPECT_EQ(ReadBytes(dir / (other + "/important.txt")), "look-alike") << other;
            EXPECT_EQ(ReadBytes(dir / (other + "/sub/x.txt")), "look-alike x") << other;
        }
    }
};

}  // namespace

TEST(QelResultLinksAndRaces, ARowWhoseFolderBecameALinkFailsAndReachesNothingOutside) {
    enum class Op { Copy, Move, Delete, Rename, Trash };
    // A link out of the searched folder or to another folder inside it: neither is followed.
    for (const char* linkTarget : {"outside", "t/other"}) {
        for (const Op op : {Op::Copy, Op::Move, Op::Delete, Op::Rename, Op::Trash}) {
            SwappedTree tree;
            tree.Swap(linkTarget);
            const QelResultRows rows = Rows({tree.dir / "t/a/important.txt"}, {tree.dir / "t/a/sub"});
            std::vector<int> errors;
            const QelResultRowObserver observe = Into(errors);
            const QelCopyMoveOptions to = To(tree.dir / "dst", false, tree.dir / "t");
            if (op == Op::Copy) qel::CopyResultRows(rows, to, nullptr, observe);
            if (op == Op::Move) qel::MoveResultRows(rows, to, nullptr, observe);
            if (op == Op::Delete) qel::DeleteResultRows(rows, Q(tree.dir / "t"), nullptr, observe);
            for (const QelResultRow& row : op == Op::Trash ? rows : QelResultRows{}) {
                std::string reason;
                const bool trashed = qel::MoveRowToTrash(row, Q(tree.dir / "t"), reason);
                errors.push_back(!trashed && reason == qel::ReasonText(qel::kReasonLinkOnPath).ToStdString()
                                     ? qel::kReasonLinkOnPath
                                     : -1);
            }
            if (op == Op::Rename) {
                QelResultRows renamed = rows;
                const QelRenameRuleSet rules{{QelRenameItem::File, QelRenameOperate::PostAdd, QelString(u"_x"), {}},
                                             {QelRenameItem::Folder, QelRenameOperate::PostAdd, QelString(u"_y"), {}}};
                qel::ApplyRenameRules(
                    rules, renamed, [&](const _tag_RenameEvent& event) { errors.push_back(event.error); },
                    Q(tree.dir / "t"));
                EXPECT_EQ(Names(tree.dir / linkTarget), (std::set<std::string>{"important.txt", "sub"}));
            }
            EXPECT_GE(errors.size(), 2u) << int(op);  // both rows, one attempt per rule for Rename
            EXPECT_EQ(std::set<int>(errors.begin(), errors.end()), std::set<int>{qel::kReasonLinkOnPath})
                << linkTarget << " " << int(op);
            tree.ExpectOutsideUntouched();
            EXPECT_FALSE(Exists(tree.dir / "dst/important.txt"));
        }
    }
    EXPECT_EQ(QelItemOutcome{qel::kReasonLinkOnPath}.Reason().ToStdString(),
              "a folder on its path has been replaced by a link");
}

TEST(QelResultLinksAndRaces, ALinkSwappedInAfterTheRowWasFoundIsNotFollowed) {
    SwappedTree tree;
    qel::SetOpHook([&](qel::QelOpStep step) {
        if (step == qel::QelOpStep::RowResolved) tree.Swap();
    });
    const QelResultOpCounts counts = DeleteRows(Rows({}, {tree.dir / "t/a/sub"}), nullptr, tree.dir / "t");
    qel::SetOpHook({});
    EXPECT_EQ(counts.succeeded, 1);  // the folder that was found went, wherever it was renamed to
    EXPECT_FALSE(Exists(tree.dir / "t/away/sub"));
    tree.ExpectOutsideUntouched();
}

TEST(QelResultLinksAndRaces, AMoveByCopyLeavesWhatWasAddedOrChangedMeanwhile) {
    QelTestDir dir;
    QelTmpfsMount other(dir / "other", "4m");
    if (!other.Mounted()) GTEST_SKIP() << other.WhyNot();
    MakeFile(dir / "t/p/done.txt", "copied");
    MakeFile(dir / "t/p/edited.txt", "before");
    MakeFile(dir / "t/p/sub/done.txt", "copied");
    qel::SetOpHook([&](qel::QelOpStep step) {
        if (step != qel::QelOpStep::CopiedBeforeDelete) return;
        WriteBytes(dir / "t/p/sub/new.txt", "written during the move");
        WriteBytes(dir / "t/p/edited.txt", "after, longer");
    });
    std::vector<int> errors;
    qel::MoveResultRows(Rows({}, {dir / "t/p"}), To(dir / "other", false, dir / "t"), nullptr, Into(errors));
    qel::SetOpHook({});
    EXPECT_EQ(errors, std::vector<int>{qel::kReasonChangedDuringMove});
    EXPECT_EQ(ReadBytes(dir / "t/p/sub/new.txt"), "written during the move");
    EXPECT_EQ(ReadBytes(dir / "t/p/edited.txt"), "after, longer");
    EXPECT_FALSE(Exists(dir / "t/p/done.txt"));
    EXPECT_FALSE(Exists(dir / "t/p/sub/done.txt"));
    EXPECT_EQ(ReadBytes(dir / "other/p/sub/done.txt"), "copied");
}

TEST(QelResultLinksAndRaces, RowsDeeperThanAnyPathAreCopiedRenamedAndDeleted) {
    QelTestDir dir;
    // 900 levels of "level/" make a folder path of 5400 bytes, past PATH_MAX.
    std::filesystem::create_directories(dir / "t");
    const int fd = DeepLevel(dir / "t", 900, true);
    ASSERT_GE(fd, 0);
    const int file = ::openat(fd, "deep.txt", O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(::write(file, "deep", 4), 4);
    ::close(file);
    std::string relative;
    for (int i = 0; i < 900; ++i) relative += "/level";
    QelResultRows rows = Rows({dir / ("t" + relative + "/deep.txt")});
    EXPECT_EQ(qel::CopyResultRows(rows, To(dir / "dst", false, dir / "t"), nullptr).succeeded, 1);
    EXPECT_EQ(ReadBytes(dir / "dst/deep.txt"), "deep");
    const QelRenameRuleSet rules{{QelRenameItem::File, QelRenameOperate::PreAdd, QelString(u"new_"), {}}};
    EXPECT_EQ(qel::ApplyRenameRules(rules, rows, {}, Q(dir / "t")).succeeded, 1);
    struct stat st;
    EXPECT_EQ(::fstatat(fd, "new_deep.txt", &st, AT_SYMLINK_NOFOLLOW), 0);
    EXPECT_EQ(DeleteRows(rows, nullptr, dir / "t").succeeded, 1);
    EXPECT_NE(::fstatat(fd, "new_deep.txt", &st, AT_SYMLINK_NOFOLLOW), 0);
    ::close(fd);
}

// ---- Mounts: no tree operation leaves the row's own mount -------------------

TEST(QelResultMounts, AFolderMountedInsideAFolderRowIsNeitherDeletedNorCopied) {
    struct Case {
        const char* kind;
        bool bind;
    } const cases[] = {{"tmpfs", false}, {"bind mount of the same file system", true}};
    for (const Case& c : cases) {
        QelTestDir dir;
        MakeFile(dir / "home/precious.txt", "p");
        MakeFile(dir / "t/p/own.txt", "o");
        std::filesystem::create_directories(dir / "t/p/mnt");
        std::unique_ptr<QelTmpfsMount> tmpfs;
        if (c.bind) {
            if (::mount((dir / "home").c_str(), (dir / "t/p/mnt").c_str(), nullptr, MS_BIND, nullptr) != 0)
                GTEST_SKIP() << "cannot bind mount here (root needed): " << std::strerror(errno);
        } else {
            tmpfs = std::make_unique<QelTmpfsMount>(dir / "t/p/mnt", "1m");
            if (!tmpfs->Mounted()) GTEST_SKIP() << tmpfs->WhyNot();
            WriteBytes(dir / "t/p/mnt/precious.txt", "p");
        }
        std::vector<int> errors;
        const QelResultRowObserver observe = Into(errors);
        const QelResultRows rows = Rows({}, {dir / "t/p"});
        qel::CopyResultRows(rows, To(dir / "copy", false, dir / "t"), nullptr, observe);
        qel::DeleteResultRows(rows, Q(dir / "t"), nullptr, observe);
        const bool stillThere = ReadBytes(dir / "t/p/mnt/precious.txt") == "p";
        if (c.bind) ::umount2((dir / "t/p/mnt").c_str(), MNT_DETACH);
        EXPECT_EQ(errors, (std::vector<int>{qel::kReasonOtherFileSystem, qel::kReasonOtherFileSystem})) << c.kind;
        EXPECT_TRUE(stillThere) << c.kind;
        EXPECT_EQ(ReadBytes(dir / "copy/p/own.txt"), "o") << c.kind;
        EXPECT_FALSE(Exists(dir / "copy/p/mnt")) << c.kind;
        EXPECT_FALSE(Exists(dir / "t/p/own.txt")) << c.kind;  // the rest of the row went
    }
}

// ---- Permissions: private stays private, set-id bits only with their owner --

TEST(QelResultPermissions, FoldersKeepTheirModeAndSetIdBitsNeedTheirOwner) {
    QelTestDir dir;
    MakeFile(dir / "t/private/key", "secret");
    ::chmod((dir / "t/private/key").c_str(), 0600);
    ::chmod((dir / "t/private").c_str(), 0700);
    MakeFile(dir / "t/tool", "#!/bin/sh\n");
    ::chmod((dir / "t/tool").c_str(), 04755);
    EXPECT_EQ(qel::CopyResultRows(Rows({}, {dir / "t/private"}), To(dir / "copy", false, dir / "t"), nullptr).failed,
              0);
    struct stat st;
    ASSERT_EQ(::stat((dir / "copy/private").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);

    if (::chown((dir / "t/tool").c_str(), 4321, 4321) != 0) GTEST_SKIP() << "changing owners needs root";
    ::chmod((dir / "t/tool").c_str(), 06755);
    qel::CopyResultRows(Rows({dir / "t/tool"}), To(dir / "copy", false, dir / "t"), nullptr);
    ASSERT_EQ(::stat((dir / "copy/tool").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, ::geteuid());
    EXPECT_EQ(st.st_mode & 07777, 0755u);  // not a set-id program of ours

    QelTmpfsMount other(dir / "other", "1m");
    if (!other.Mounted()) GTEST_SKIP() << other.WhyNot();
    EXPECT_EQ(qel::MoveResultRows(Rows({dir / "t/tool"}), To(dir / "other", false, dir / "t"), nullptr).succeeded, 1);
    ASSERT_EQ(::stat((dir / "other/tool").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u);  // a move keeps the owner, as mv does, and with it the bits
    EXPECT_EQ(st.st_gid, 4321u);
    EXPECT_EQ(st.st_mode & 07777, 06755u);
}
