// Copy, Move and Delete over result rows, checked against the disk afterwards.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <regex>

#include "../fileops/QelTmpfsMount.h"
#include "QelOpHook.h"
#include "QelRenameApply.h"
#include "QelResultOps.h"
#include "QelResultTargets.h"
#include "QelResultTestKit.h"
#include "QelTrash.h"

namespace {

enum Op { kCopy, kMove, kDelete, kRename, kTrash };
using Errors = std::vector<int>;

// Runs Copy, Move or Delete over rows found below root (to destination);
// each row's reason, 0 when it went. The counts must agree with them.
Errors Act(Op op, const QelResultRows& rows, const std::string& root, const std::string& destination = "",
           IQelResultSubWndDelegate* notices = nullptr, bool unique = false) {
    Errors errors;
    const QelResultRowObserver observe = [&](const QelResultRow&, const QelString&, const QelItemOutcome& outcome) {
        errors.push_back(outcome.error);
    };
    const QelCopyMoveOptions to{Q(destination), unique, Q(root)};
    const QelResultOpCounts counts = op == kCopy   ? qel::CopyResultRows(rows, to, notices, observe)
                                     : op == kMove ? qel::MoveResultRows(rows, to, notices, observe)
                                                   : qel::DeleteResultRows(rows, Q(root), notices, observe);
    EXPECT_EQ(counts.succeeded, std::count(errors.begin(), errors.end(), 0));
    EXPECT_EQ(counts.failed, static_cast<int>(errors.size()) - counts.succeeded);
    return errors;
}

struct stat Stat(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st;
}

}  // namespace

// Rows below t, acted on to d: nothing that exists is replaced, a folder never
// goes into itself, a link is acted on as the link, odd names as themselves.
TEST(QelResultOps, EachRowEndsAsItShould) {
    const Texts kSameNamed = {"t/A/docs/r=A", "t/B/docs/r=B", "t/B/docs/e=E"};
    const Texts kLinks = {"t/f->real/f", "t/d->real/d", "t/real/f=F", "t/real/d/in=I"};
    const Texts kNesting = {"t/a/a/a/y=y", "t/a/a/x=x"}, kNested = {"a", "a/a", "a/a/a"};
    const Errors kHolds(3, qel::kReasonTargetHoldsItem), kInside(3, qel::kReasonTargetInsideItem);
    const Texts kOdd = {"t/bad\xff\xfe=1", "t/blank =2", "t/new\nline=3", "t/ =4", "t/x\xff /in=5"};
    const Texts kOddNames = {"bad\xff\xfe", "blank ", "new\nline", " "};
    const char* kOddTree = " =4 bad\xff\xfe=1 blank =2 new\nline=3 x\xff / x\xff /in=5";
    // made: what d holds afterwards; left: what t holds (nullptr: as it was).
    const struct {
        const char* what; Texts tree; Op op; Texts files, folders; Errors errors;
        std::string made; const char* left = nullptr; const char* destination = "d";
    } cases[] = {
        {"a taken name fails its row, a link is copied as the link",
         {"t/a=new", "t/b=B", "t/c->nowhere", "d/a=old", "d/c->elsewhere"}, kCopy, {"a", "b", "c"}, {},
         {EEXIST, 0, EEXIST}, "a=old b=B c->elsewhere"},
        {"same-named folders merge without losing a file", kSameNamed, kCopy, {}, {"A/docs", "B/docs"}, {0, EEXIST},
         "docs/ docs/e=E docs/r=A"},
        {"a same-named folder is not moved at all", kSameNamed, kMove, {}, {"A/docs", "B/docs"}, {0, EEXIST},
         "docs/ docs/r=A", "A/ B/ B/docs/ B/docs/e=E B/docs/r=B"},
        {"read-only files and the folders holding them stay", {"t/a=A", "t/ro=R", "t/tree/sub/b=B", "t/lk/in=L"},
         kDelete, {"a", "ro", "gone"}, {"tree", "lk"}, {0, EACCES, ENOENT, 0, EACCES}, "", "lk/ lk/in=L ro=R"},
        {"links are copied", kLinks, kCopy, {"f"}, {"d"}, {0, 0}, "d->real/d f->real/f"},
        {"links are moved", kLinks, kMove, {"f"}, {"d"}, {0, 0}, "d->real/d f->real/f",
         "real/ real/d/ real/d/in=I real/f=F"},
        {"links are deleted", kLinks, kDelete, {"f"}, {"d"}, {0, 0}, "", "real/ real/d/ real/d/in=I real/f=F"},
        {"odd names are copied", kOdd, kCopy, kOddNames, {"x\xff "}, Errors(5), kOddTree},
        {"odd names are moved", kOdd, kMove, kOddNames, {"x\xff "}, Errors(5), kOddTree, ""},
        {"odd names are deleted", kOdd, kDelete, kOddNames, {"x\xff "}, Errors(5), "", ""},
        {"moved onto itself", kNesting, kMove, {}, kNested, kHolds, "", nullptr, "t"},
        {"copied onto itself", kNesting, kCopy, {}, kNested, kHolds, "", nullptr, "t"},
        {"copied below itself", kNesting, kCopy, {}, kNested, kInside, "", nullptr, "t/a/a/a/new"},
        {"moved into what it holds", kNesting, kMove, {}, kNested, kInside, "", nullptr, "t/a/a/a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QelTestDir dir;
        MakeTree(dir.path(), c.tree);
        ::chmod((dir / "t/ro").c_str(), 0444);  // where a case has them
        ::chmod((dir / "t/lk/in").c_str(), 0444);
        const std::string before = TreeText(dir / "t");
        const std::size_t descriptors = Names("/proc/self/fd").size();
        EXPECT_EQ(Act(c.op, Rows(dir / "t", c.files, c.folders), dir / "t", dir / c.destination), c.errors);
        EXPECT_EQ(Names("/proc/self/fd").size(), descriptors);  // none left open
        EXPECT_EQ(TreeText(dir / "d"), c.made);
        EXPECT_EQ(TreeText(dir / "t"), c.left ? c.left : before);
    }
}

TEST(QelResultOps, UniqueNamesGiveEveryRowItsOwnIdentifierAndEveryRowIsNoticed) {
    QelTestDir dir;
    MakeTree(dir.path(), {"s/a.txt=A", "s/b.txt=B", "s/f/in.txt=in", "dst/"});
    QelNotices notices;  // searched from "/"
    EXPECT_EQ(Act(kCopy, Rows(dir / "s", {"a.txt", "b.txt"}, {"f"}), "", dir / "dst", &notices, true), Errors(3));
    const std::string text = std::regex_replace(TreeText(dir / "dst"), std::regex("[0-9A-F]{13,26}_"), "ID_") + " ";
    for (const char* entry : {"ID_a.txt=A ", "ID_b.txt=B ", "ID_f/ ID_f/in.txt=in "}) EXPECT_NE(text.find(entry), std::string::npos) << text;
    EXPECT_EQ(text.size(), 43u);  // and nothing else
    std::set<std::string> ids;
    for (const std::string& name : Names(dir / "dst")) ids.insert(name.substr(0, name.find('_')));
    EXPECT_EQ(ids.size(), 3u);
    EXPECT_EQ(notices.seen, (Texts{"MSG|Copy [0/3] Process| Succces:1, Failed:0", "MSG|Copy [1/3] Process| Succces:2, Failed:0",
                                   "MSG|Copy [2/3] Process| Succces:3, Failed:0"}));
    // Within one file system a folder moves in one rename: the same folder, not a copy.
    const ino_t folder = Stat(dir / "s/f").st_ino;
    EXPECT_EQ(Act(kMove, Rows(dir / "s", {}, {"f"}), "", dir / "new/dst", &notices), Errors(1));
    EXPECT_EQ(Stat(dir / "new/dst/f").st_ino, folder);
    EXPECT_EQ(notices.seen.back(), "MSG|Move [0/1] Process| Succces:1, Failed:0");
    EXPECT_EQ(Act(kDelete, Rows(dir / "s", {"a.txt", "gone"}), "", "", &notices), (Errors{0, ENOENT}));
    EXPECT_EQ(notices.seen.back(), "MSG|Delete [1/2] Process| Succces:1, Failed:1");
}

TEST(QelResultOps, ADestinationMustBeAbsoluteAfterTheHomeFolder) {
    const struct { const char16_t *typed, *resolved; } cases[] = {  // resolved nullptr: refused
        {u"", nullptr}, {u"relative/dir", nullptr}, {u"~user/dir", nullptr}, {u" /abs", nullptr}, {u"~", u"/home/me"},
        {u"~/", u"/home/me"}, {u"~/backup", u"/home/me/backup"}, {u"/abs/dir/", u"/abs/dir"}, {u"/abs/dir ", u"/abs/dir "}, {u"/", u""}};
    for (const auto& c : cases) {
        QelString out(u"unchanged");
        EXPECT_EQ(qel::ResolveDestination(c.typed, QelString(u"/home/me"), out), c.resolved != nullptr);
        EXPECT_EQ(out.str(), c.resolved ? c.resolved : u"unchanged") << QelString(c.typed).ToStdString();
    }
    QelString out;
    EXPECT_FALSE(qel::ResolveDestination(u"~/x", QelString(u"relative-home"), out));
}

TEST(QelResultOps, AUniqueNameIsShortenedInItsStemToFitAFileName) {
    const std::u16string prefix = u"0123456789ABCDEF0123456789_";  // 27 bytes, as long as an identifier gets
    std::u16string faces;
    for (int i = 0; i < 56; ++i) faces += u"\U00010000";  // its low half is the lowest there is
    // bytes: of the fitted name, prefix included; ending: what it must end with.
    const struct { std::u16string name; std::size_t bytes; std::u16string_view ending; } cases[] = {
        {u"short.txt", 36, u"_short.txt"},
        {std::u16string(226, u'x') + u".txt", 255, u"x.txt"},
        {std::u16string(240, u'y'), 255, u"y"},                            // no extension: the whole name is the stem
        {u"." + std::u16string(240, u'z'), 255, u"z"},                    // so for a hidden name
        {std::u16string(120, u'\u00e9') + u".tars", 254, u"\u00e9.tars"},  // two-byte characters stay whole
        {faces + u".x\uE000", 252, u"\U00010000.x\uE000"},  // so do surrogate pairs, where half of one would fit
    };
    for (const auto& c : cases) {
        const std::u16string fitted = qel::FitNameAfterPrefix(prefix, c.name);
        EXPECT_EQ(qel::Utf16ToUtf8(fitted).size(), c.bytes) << c.bytes;
        EXPECT_TRUE(fitted.starts_with(prefix) && fitted.ends_with(c.ending)) << c.bytes;
    }
}

// FIFOs, sockets and devices are made anew, as cp does.
TEST(QelResultOps, AMoveAcrossFileSystemsCopiesThenDeletesAndMakesSpecialFilesAnew) {
    QelTestDir dir;
    QelTmpfsMount other(dir / "d", "4m");
    if (!other.Mounted()) GTEST_SKIP() << other.WhyNot();
    MakeTree(dir.path(), {"t/a=A", "t/link->a", "t/ro/locked=L", "t/p/.git/HEAD=ref"});
    ::chmod((dir / "t/ro/locked").c_str(), 0444);
    ASSERT_EQ(::mkfifo((dir / "t/p/fifo").c_str(), 0640), 0);
    ASSERT_EQ(::mknod((dir / "t/p/sock").c_str(), S_IFSOCK | 0600, 0), 0);
    const bool devices = ::mknod((dir / "t/p/null").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    // The read-only file cannot leave its folder.
    EXPECT_EQ(Act(kMove, Rows(dir / "t", {"a", "link"}, {"p", "ro"}), dir / "t", dir / "d"), (Errors{0, 0, 0, EACCES}));
    EXPECT_EQ(TreeText(dir / "d"), std::string("a=A link->a p/ p/.git/ p/.git/HEAD=ref p/fifo* ") +
                                       (devices ? "p/null* " : "") + "p/sock* ro/ ro/locked=L");
    EXPECT_EQ(TreeText(dir / "t"), "ro/ ro/locked=L");
    EXPECT_EQ(Stat(dir / "d/p/fifo").st_mode, S_IFIFO | 0640u);
    EXPECT_TRUE(S_ISSOCK(Stat(dir / "d/p/sock").st_mode));
    EXPECT_TRUE(!devices || Stat(dir / "d/p/null").st_rdev == makedev(1, 3));
}

// ---- Rows are found below the search root, never through a link ------------

namespace {

// t/a holds the rows; outside and t/other hold look-alikes that must never be touched.
struct SwappedTree {
    QelTestDir dir;
    SwappedTree() { MakeTree(dir.path(), {"t/a/important.txt=inside", "t/a/sub/x.txt=x", "outside/important.txt=look",
                                          "outside/sub/x.txt=look", "t/other/important.txt=look", "t/other/sub/x.txt=look"}); }
    // t/a renamed away and a link to a look-alike put in its place.
    void Swap(const std::string& linkText) const {
        ASSERT_EQ(::rename((dir / "t/a").c_str(), (dir / "t/away").c_str()), 0);
        ASSERT_EQ(::symlink(linkText.c_str(), (dir / "t/a").c_str()), 0);
    }
    void ExpectLookAlikesUntouched() const {
        for (const std::string other : {"outside", "t/other"})
            EXPECT_EQ(TreeText(dir / other), "important.txt=look sub/ sub/x.txt=look") << other;
    }
};

}  // namespace

// A link out of the searched folder or to another folder inside it is not
// followed; ".." (rows may come from a hand-made list) never climbs out, and a
// row apart from the searched folder is not reached at all.
TEST(QelResultLinksAndRaces, ARowWhoseFolderBecameALinkOrThatClimbsOutFailsAndReachesNothingOutside) {
    const std::pair<const char*, int> ways[] = {
        {"outside", qel::kReasonLinkOnPath}, {"other", qel::kReasonLinkOnPath}, {"climb", qel::kReasonNotBeneathRoot},
        {"apart", qel::kReasonNotBeneathRoot}};
    for (const auto& [way, expected] : ways) {
        for (const Op op : {kCopy, kMove, kDelete, kRename, kTrash}) {
            SCOPED_TRACE(std::to_string(op) + " " + way);
            SwappedTree tree;
            const std::string how = way;
            if (how == "outside" || how == "other") tree.Swap(how == "outside" ? tree.dir / "outside" : "other");
            const char* folder = how == "climb" ? "t/a/../../outside" : how == "apart" ? "outside" : "t/a";
            QelResultRows rows = Rows(tree.dir / folder, {"important.txt"}, {"sub"});
            Errors errors;
            if (op <= kDelete) errors = Act(op, rows, tree.dir / "t", tree.dir / "dst");
            for (const QelResultRow& row : op == kTrash ? rows : QelResultRows{}) {
                std::string reason;
                EXPECT_FALSE(qel::MoveRowToTrash(row, Q(tree.dir / "t"), reason));
                errors.push_back(reason == qel::ReasonText(expected).ToStdString() ? expected : -1);
            }
            if (op == kRename) {
                const QelRenameRuleSet rules{{QelRenameItem::File, QelRenameOperate::PostAdd, QelString(u"_x"), {}},
                                             {QelRenameItem::Folder, QelRenameOperate::PostAdd, QelString(u"_y"), {}}};
                qel::ApplyRenameRules(rules, rows, [&](const _tag_RenameEvent& e) { errors.push_back(e.error); },
                                      Q(tree.dir / "t"));
            }
            EXPECT_GE(errors.size(), 2u);  // both rows, one attempt per rule for Rename
            EXPECT_EQ(std::set<int>(errors.begin(), errors.end()), std::set<int>{expected});
            tree.ExpectLookAlikesUntouched();
            EXPECT_FALSE(Exists(tree.dir / "dst"));
        }
    }
}

// A link swapped in just after the row was found: for the folder holding the
// row (the folder that was found goes, wherever it was renamed to), or for
// the found folder itself just before Delete opens it.
TEST(QelResultLinksAndRaces, ALinkSwappedInAfterTheRowWasFoundIsNotFollowed) {
    for (const bool itself : {false, true}) {
        SCOPED_TRACE(itself ? "the row's folder itself" : "the folder holding the row");
        SwappedTree tree;
        qel::SetOpHook([&](qel::QelOpStep step) {
            if (step != qel::QelOpStep::RowResolved) return;
            if (!itself) return tree.Swap(tree.dir / "outside");
            ASSERT_EQ(::rename((tree.dir / "t/a/sub").c_str(), (tree.dir / "t/a/away").c_str()), 0);
            ASSERT_EQ(::symlink((tree.dir / "outside/sub").c_str(), (tree.dir / "t/a/sub").c_str()), 0);
        });
        const Errors errors = Act(kDelete, Rows(tree.dir / "t/a", {}, {"sub"}), tree.dir / "t");
        qel::SetOpHook({});
        EXPECT_TRUE(itself || (errors == Errors(1) && TreeText(tree.dir / "t/away") == "important.txt=inside"));
        tree.ExpectLookAlikesUntouched();
    }
}

TEST(QelResultLinksAndRaces, AMoveByCopyLeavesWhatWasAddedOrChangedMeanwhile) {
    QelTestDir dir;
    QelTmpfsMount other(dir / "other", "4m");
    if (!other.Mounted()) GTEST_SKIP() << other.WhyNot();
    MakeTree(dir.path(), {"t/p/done.txt=copied", "t/p/edited.txt=before", "t/p/sub/done.txt=copied"});
    qel::SetOpHook([&](qel::QelOpStep step) {
        if (step == qel::QelOpStep::CopiedBeforeDelete)
            MakeTree(dir / "t/p", {"sub/new.txt=written during the move", "edited.txt=after, longer"});
    });
    EXPECT_EQ(Act(kMove, Rows(dir / "t", {}, {"p"}), dir / "t", dir / "other"), Errors{qel::kReasonChangedDuringMove});
    qel::SetOpHook({});
    EXPECT_EQ(TreeText(dir / "t"), "p/ p/edited.txt=after, longer p/sub/ p/sub/new.txt=written during the move");
    EXPECT_EQ(TreeText(dir / "other"), "p/ p/done.txt=copied p/edited.txt=before p/sub/ p/sub/done.txt=copied");
}

TEST(QelResultLinksAndRaces, RowsDeeperThanAnyPathAreCopiedRenamedAndDeleted) {
    QelTestDir dir;
    // 900 levels of "level/" make a folder path of 5400 bytes, past PATH_MAX.
    std::filesystem::create_directories(dir / "t");
    const int fd = DeepLevel(dir / "t", 900, true);
    ASSERT_GE(fd, 0);
    ::close(::openat(fd, "deep.txt", O_WRONLY | O_CREAT, 0644));
    std::string relative;
    for (int i = 0; i < 900; ++i) relative += "level/";
    QelResultRows rows = Rows(dir / "t", {relative + "deep.txt"});
    EXPECT_EQ(Act(kCopy, rows, dir / "t", dir / "dst"), Errors(1));
    EXPECT_EQ(TreeText(dir / "dst"), "deep.txt=");
    const QelRenameRuleSet rules{{QelRenameItem::File, QelRenameOperate::PreAdd, QelString(u"new_"), {}}};
    EXPECT_EQ(qel::ApplyRenameRules(rules, rows, {}, Q(dir / "t")).succeeded, 1);
    EXPECT_EQ(::faccessat(fd, "new_deep.txt", F_OK, AT_SYMLINK_NOFOLLOW), 0);
    EXPECT_EQ(Act(kDelete, rows, dir / "t"), Errors(1));
    EXPECT_NE(::faccessat(fd, "new_deep.txt", F_OK, AT_SYMLINK_NOFOLLOW), 0);
    ::close(fd);
}

// No tree operation leaves the row's own mount.
TEST(QelResultMounts, AFolderMountedInsideAFolderRowIsNeitherDeletedNorCopied) {
    for (const bool bind : {false, true}) {
        SCOPED_TRACE(bind ? "bind mount of the same file system" : "tmpfs");
        QelTestDir dir;
        MakeTree(dir.path(), {"home/precious.txt=p", "t/p/own.txt=o", "t/p/mnt/"});
        std::unique_ptr<QelTmpfsMount> tmpfs;
        if (bind) {
            if (::mount((dir / "home").c_str(), (dir / "t/p/mnt").c_str(), nullptr, MS_BIND, nullptr) != 0)
                GTEST_SKIP() << "cannot bind mount here (root needed): " << std::strerror(errno);
        } else {
            tmpfs = std::make_unique<QelTmpfsMount>(dir / "t/p/mnt", "1m");
            if (!tmpfs->Mounted()) GTEST_SKIP() << tmpfs->WhyNot();
            WriteBytes(dir / "t/p/mnt/precious.txt", "p");
        }
        const QelResultRows rows = Rows(dir / "t", {}, {"p"});
        EXPECT_EQ(Act(kCopy, rows, dir / "t", dir / "copy"), Errors{qel::kReasonOtherFileSystem});
        EXPECT_EQ(Act(kDelete, rows, dir / "t"), Errors{qel::kReasonOtherFileSystem});
        const std::string left = TreeText(dir / "t");
        if (bind) ::umount2((dir / "t/p/mnt").c_str(), MNT_DETACH);
        EXPECT_EQ(left, "p/ p/mnt/ p/mnt/precious.txt=p");  // the rest of the row went
        EXPECT_EQ(TreeText(dir / "copy"), "p/ p/own.txt=o");
    }
}

// Private stays private; set-id bits only with their owner.
TEST(QelResultPermissions, FoldersKeepTheirModeAndSetIdBitsNeedTheirOwner) {
    QelTestDir dir;
    MakeTree(dir.path(), {"t/private/key=secret", "t/tool=#!/bin/sh\n"});
    ::chmod((dir / "t/private").c_str(), 0700);
    EXPECT_EQ(Act(kCopy, Rows(dir / "t", {}, {"private"}), dir / "t", dir / "copy"), Errors(1));
    EXPECT_EQ(Stat(dir / "copy/private").st_mode, S_IFDIR | 0700u);
    if (::chown((dir / "t/tool").c_str(), 4321, 4321) != 0) GTEST_SKIP() << "changing owners needs root";
    ::chmod((dir / "t/tool").c_str(), 06755);
    Act(kCopy, Rows(dir / "t", {"tool"}), dir / "t", dir / "copy");
    const struct stat copied = Stat(dir / "copy/tool");
    EXPECT_EQ(std::make_pair(copied.st_uid, copied.st_mode), std::make_pair(::geteuid(), S_IFREG | 0755u));  // not set-id for us
    QelTmpfsMount other(dir / "other", "1m");
    if (!other.Mounted()) GTEST_SKIP() << other.WhyNot();
    EXPECT_EQ(Act(kMove, Rows(dir / "t", {"tool"}), dir / "t", dir / "other"), Errors(1));
    // A move keeps the owner, as mv does, and with it the bits.
    const struct stat moved = Stat(dir / "other/tool");
    EXPECT_EQ(std::make_tuple(moved.st_uid, moved.st_gid, moved.st_mode), std::make_tuple(4321u, 4321u, S_IFREG | 06755u));
}
