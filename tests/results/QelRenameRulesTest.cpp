// Rename rule sets applied to real files in a fresh folder: the outcome on
// disk and in the rows, for the documented cases, hostile names, refused
// names, taken names and rows that follow a renamed folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "../fileops/QelTreeFixture.h"
#include "QelRenameApply.h"

namespace {

_tag_RenameRule Rule(QelRenameItem item, QelRenameOperate operate, std::u16string findAdd,
                     std::u16string replace = u"") {
    return _tag_RenameRule{item, operate, QelString(std::move(findAdd)), QelString(std::move(replace))};
}
constexpr auto kFile = QelRenameItem::File;
constexpr auto kFolder = QelRenameItem::Folder;
constexpr auto kChange = QelRenameOperate::Change;
constexpr auto kPreAdd = QelRenameOperate::PreAdd;
constexpr auto kPostAdd = QelRenameOperate::PostAdd;
constexpr auto kExtChange = QelRenameOperate::ExtChange;

void AddRow(QelResultRows& rows, const std::string& path, bool isFolder) {
    ASSERT_TRUE(qel::AppendResultRow(rows, Q(path).str(), isFolder)) << path;
}

std::string RowPath(const QelResultRow& row) { return QelString(row.fullPath).ToFileName(); }

struct RenameCase {
    const char* what;
    std::string name;  // file-name bytes
    bool folder;       // made as a directory (and listed as a folder row)
    QelRenameRuleSet rules;
    std::string expected;  // name afterwards; equal to name when nothing may happen
};

}  // namespace

TEST(ApplyRenameRules, DocumentedCasesRenameOnDiskAndInTheRow) {
    const std::vector<RenameCase> cases = {
        {"change every underscore", "a_b__c.txt", false, {Rule(kFile, kChange, u"_", u"-")}, "a-b--c.txt"},
        {"the inserted text is not searched again", "banana.txt", false, {Rule(kFile, kChange, u"a", u"aa")},
         "baanaanaa.txt"},
        {"change acts on the base only", "txt.txt", false, {Rule(kFile, kChange, u"txt", u"doc")}, "doc.txt"},
        {"preadd before the base", "report.final.pdf", false, {Rule(kFile, kPreAdd, u"2024_")},
         "2024_report.final.pdf"},
        {"postadd after the base", "report.final.pdf", false, {Rule(kFile, kPostAdd, u"_v2")}, "report.final_v2.pdf"},
        {"extchange on the extension", "photo.jpeg", false, {Rule(kFile, kExtChange, u"jpeg", u"jpg")}, "photo.jpg"},
        {"extchange skips a name without dot", "jpeg", false, {Rule(kFile, kExtChange, u"jpeg", u"jpg")}, "jpeg"},
        {"a file rule renames a folder", "docs", true, {Rule(kFile, kPostAdd, u"_old")}, "docs_old"},
        {"a folder rule skips a file", "docs", false, {Rule(kFolder, kChange, u"docs", u"x")}, "docs"},
        {"a folder rule renames a folder", "docs", true, {Rule(kFolder, kPreAdd, u"x_")}, "x_docs"},
        {"a folder rule changes the whole name", "v1.0", true, {Rule(kFolder, kChange, u"1.0", u"2.0")}, "v2.0"},
        {"no extension change for folders", "pics.jpeg", true, {Rule(kFolder, kExtChange, u"jpeg", u"jpg")},
         "pics.jpeg"},
        {"a leading dot is no extension", ".profile", false, {Rule(kFile, kPostAdd, u"_x")}, ".profile_x"},
        {"rules apply in order", "a.txt", false,
         {Rule(kFile, kChange, u"a", u"b"), Rule(kFile, kChange, u"b", u"c")}, "c.txt"},
        {"an empty find text changes nothing", "name.txt", false, {Rule(kFile, kChange, u"", u"x")}, "name.txt"},
        {"an empty find text leaves the extension", "name.txt", false, {Rule(kFile, kExtChange, u"", u"x")},
         "name.txt"},
        {"invalid UTF-8 renamed as itself", "bad\xff\xfe.txt", false, {Rule(kFile, kPostAdd, u"_r")},
         "bad\xff\xfe_r.txt"},
        {"a trailing blank stays", "trail ", false, {Rule(kFile, kPostAdd, u"_r")}, "trail _r"},
        {"a line feed stays", "new\nline.txt", false, {Rule(kFile, kPreAdd, u"p_")}, "p_new\nline.txt"},
        {"non-ASCII text", "résumé.txt", false, {Rule(kFile, kChange, u"é", u"e")}, "resume.txt"},
    };
    for (const RenameCase& c : cases) {
        SCOPED_TRACE(c.what);
        QelTestDir dir;
        const std::string path = dir / c.name;
        if (c.folder) {
            ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
        } else {
            WriteBytes(path, "content");
        }
        QelResultRows rows;
        AddRow(rows, path, c.folder);

        const QelRenameCounts counts = qel::ApplyRenameRules(c.rules, rows);

        const bool renamed = c.expected != c.name;
        EXPECT_EQ(counts.succeeded, renamed ? static_cast<int>(c.rules.size()) : 0);
        EXPECT_EQ(counts.failed, 0);
        EXPECT_EQ(RowPath(rows[0]), dir / c.expected);
        EXPECT_EQ(QelString(rows[0].Name()).ToFileName(), c.expected);
        EXPECT_TRUE(Exists(dir / c.expected));
        EXPECT_EQ(Exists(path), !renamed);
        EXPECT_EQ(ReadBytes(dir / c.expected), c.folder ? "" : "content");
    }
}

TEST(ApplyRenameRules, RefusedNamesLeaveItemAndRowAndCountAsFailed) {
    const std::u16string tooLong(255, u'x');
    const std::vector<std::pair<const char*, _tag_RenameRule>> cases = {
        {"leaves the folder", Rule(kFile, kChange, u"a", u"../a")},
        {"holds a slash", Rule(kFile, kChange, u"a", u"x/y")},
        {"empty", Rule(kFile, kChange, u"a", u"")},
        {"dot", Rule(kFile, kChange, u"a", u".")},
        {"dot dot", Rule(kFile, kChange, u"a", u"..")},
        {"holds NUL", Rule(kFile, kChange, u"a", std::u16string(u"x\0y", 3))},
        {"longer than 255 bytes", Rule(kFile, kPostAdd, tooLong)},                // 256 bytes
        {"255 bytes counted in UTF-8", Rule(kFile, kPostAdd, std::u16string(127, u'é'))},  // 1 + 254 bytes: fits
    };
    for (const auto& [what, rule] : cases) {
        SCOPED_TRACE(what);
        QelTestDir dir;
        WriteBytes(dir / "a", "mine");
        QelResultRows rows;
        AddRow(rows, dir / "a", false);
        std::vector<int> errors;
        const QelRenameCounts counts = qel::ApplyRenameRules(
            {rule}, rows, [&](const _tag_RenameEvent& event) { errors.push_back(event.error); });
        const bool fits = std::string(what).starts_with("255");
        EXPECT_EQ(counts.failed, fits ? 0 : 1);
        EXPECT_EQ(counts.succeeded, fits ? 1 : 0);
        EXPECT_EQ(errors, std::vector<int>{fits ? 0 : EINVAL});
        if (!fits) {
            EXPECT_EQ(RowPath(rows[0]), dir / "a");
            EXPECT_EQ(ReadBytes(dir / "a"), "mine");
        }
        const auto entries = std::distance(std::filesystem::directory_iterator(dir.path()), {});
        EXPECT_EQ(entries, 1);  // renamed in place or not at all
    }
}

TEST(ApplyRenameRules, NeverReplacesAnExistingItemAndGoesOnWithTheNextRow) {
    QelTestDir dir;
    WriteBytes(dir / "a.txt", "first");
    WriteBytes(dir / "b.txt", "taken");
    WriteBytes(dir / "ab.txt", "third");
    QelResultRows rows;
    AddRow(rows, dir / "a.txt", false);
    AddRow(rows, dir / "gone.txt", false);  // removed since the search
    AddRow(rows, dir / "ab.txt", false);
    std::vector<std::pair<std::size_t, int>> events;
    const QelRenameCounts counts =
        qel::ApplyRenameRules({Rule(kFile, kChange, u"a", u"b"), Rule(kFile, kPostAdd, u"!")}, rows,
                              [&](const _tag_RenameEvent& e) { events.emplace_back(e.row, e.error); });

    // a.txt -> b.txt is taken: a.txt stays a.txt and then gets "!"; gone.txt has no
    // "a" to change, then fails to get its "!".
    EXPECT_EQ(ReadBytes(dir / "b.txt"), "taken");
    EXPECT_EQ(ReadBytes(dir / "a!.txt"), "first");
    EXPECT_EQ(ReadBytes(dir / "bb!.txt"), "third");
    EXPECT_EQ(RowPath(rows[0]), dir / "a!.txt");
    EXPECT_EQ(RowPath(rows[1]), dir / "gone.txt");
    EXPECT_EQ(RowPath(rows[2]), dir / "bb!.txt");
    EXPECT_EQ(counts.succeeded, 3);
    EXPECT_EQ(counts.failed, 2);
    const std::vector<std::pair<std::size_t, int>> expected = {{0, EEXIST}, {2, 0}, {0, 0}, {1, ENOENT}, {2, 0}};
    EXPECT_EQ(events, expected);
}

TEST(ApplyRenameRules, AStopEndsTheRunBetweenTwoRenames) {
    QelTestDir dir;
    WriteBytes(dir / "a1.txt", "1");
    WriteBytes(dir / "a2.txt", "2");
    QelResultRows rows;
    AddRow(rows, dir / "a1.txt", false);
    AddRow(rows, dir / "a2.txt", false);
    int asked = 0;
    QelRenameOptions options;
    options.keepGoing = [&] { return ++asked < 2; };
    const QelRenameCounts counts = qel::ApplyRenameRules({Rule(kFile, kChange, u"a", u"b")}, rows, {}, {}, options);
    EXPECT_EQ(counts.succeeded, 1);
    EXPECT_EQ(ReadBytes(dir / "b1.txt"), "1");
    EXPECT_EQ(ReadBytes(dir / "a2.txt"), "2");
    EXPECT_EQ(RowPath(rows[1]), dir / "a2.txt");
}

TEST(ApplyRenameRules, RowsBelowARenamedFolderFollowItForLaterRules) {
    QelTestDir dir;
    MakeFile(dir / "docs/a.txt", "a");
    MakeFile(dir / "docs/sub/b.txt", "b");
    MakeFile(dir / "docsx/c.txt", "c");  // shares the text "docs" but lies beside it
    QelResultRows rows;
    AddRow(rows, dir / "docs/a.txt", false);
    AddRow(rows, dir / "docs/sub/b.txt", false);
    AddRow(rows, dir / "docsx/c.txt", false);
    AddRow(rows, dir / "docs", true);
    AddRow(rows, dir / "docs/sub", true);
    const QelRenameCounts counts =
        qel::ApplyRenameRules({Rule(kFolder, kPostAdd, u"_old"), Rule(kFile, kChange, u"old", u"new")}, rows);

    EXPECT_EQ(counts.failed, 0);
    EXPECT_EQ(counts.succeeded, 4);  // two folders, then both again
    const std::vector<std::string> expected = {dir / "docs_new/a.txt", dir / "docs_new/sub_new/b.txt",
                                               dir / "docsx/c.txt", dir / "docs_new", dir / "docs_new/sub_new"};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(RowPath(rows[i]), expected[i]);
        EXPECT_TRUE(Exists(expected[i])) << expected[i];
        EXPECT_EQ(QelString(rows[i].Path()).ToFileName(), std::filesystem::path(expected[i]).parent_path().string());
    }
}

TEST(ApplyRenameRules, ALinkRowRenamesTheLinkNotItsTarget) {
    QelTestDir dir;
    MakeFile(dir / "target/inside.txt", "t");
    ASSERT_EQ(::symlink((dir / "target").c_str(), (dir / "link").c_str()), 0);
    QelResultRows rows;
    AddRow(rows, dir / "link", false);
    // A folder rule does not take a link to a folder for a folder.
    EXPECT_EQ(qel::ApplyRenameRules({Rule(kFolder, kPostAdd, u"_f")}, rows).succeeded, 0);
    EXPECT_EQ(qel::ApplyRenameRules({Rule(kFile, kPostAdd, u"_l")}, rows).succeeded, 1);
    struct stat st;
    ASSERT_EQ(::lstat((dir / "link_l").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_TRUE(IsDir(dir / "target"));
    EXPECT_TRUE(Exists(dir / "target/inside.txt"));
}

TEST(RenameRuleSet, ReadsTheRecordForgivingly) {
    QelRenameRuleSet rules;
    ASSERT_TRUE(qel::ParseRenameRuleSet(
        R"([{"type":"folder","operate":"preadd","findadd":"x_","replace":""},
            {"type":"file","operate":"extchange","findadd":"jpeg","replace":"jpg"},
            {"type":"","operate":"nonsense","findadd":"a"},
            7,
            {"operate":"postadd","findadd":"_v2"}])",
        rules));
    ASSERT_EQ(rules.size(), 4u);
    EXPECT_EQ(rules[0].item, kFolder);
    EXPECT_EQ(rules[0].operate, kPreAdd);
    EXPECT_EQ(rules[1].item, kFile);
    EXPECT_EQ(rules[1].operate, kExtChange);
    EXPECT_EQ(rules[1].replace.ToStdString(), "jpg");
    EXPECT_EQ(rules[2].item, kFile);
    EXPECT_EQ(rules[2].operate, kChange);
    EXPECT_TRUE(rules[2].replace.IsEmpty());
    EXPECT_EQ(rules[3].operate, kPostAdd);
    EXPECT_EQ(rules[3].findAdd.ToStdString(), "_v2");

    EXPECT_FALSE(qel::ParseRenameRuleSet("{\"type\":\"file\"}", rules));
    EXPECT_TRUE(rules.empty());
    EXPECT_FALSE(qel::ParseRenameRuleSet("[{", rules));
    // A hand-edited set nested past the parser's limit is unreadable, not a crash.
    EXPECT_FALSE(qel::ParseRenameRuleSet(std::string(1001, '[') + std::string(1001, ']'), rules));
}
