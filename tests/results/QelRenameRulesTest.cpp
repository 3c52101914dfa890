// Rename rule sets applied to real files in a fresh folder: the outcome on
// disk and in the rows.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "QelRenameApply.h"
#include "QelRenamePreview.h"
#include "QelResultTestKit.h"

namespace {

constexpr auto kFile = QelRenameItem::File;
constexpr auto kFolder = QelRenameItem::Folder;
constexpr auto kChange = QelRenameOperate::Change;
constexpr auto kPreAdd = QelRenameOperate::PreAdd;
constexpr auto kPostAdd = QelRenameOperate::PostAdd;
constexpr auto kExt = QelRenameOperate::ExtChange;

_tag_RenameRule R(QelRenameItem item, QelRenameOperate operate, std::u16string findAdd, std::u16string replace = u"") {
    return _tag_RenameRule{item, operate, QelString(std::move(findAdd)), QelString(std::move(replace))};
}

// Each row's full path.
Texts Paths(const QelResultRows& rows) {
    Texts paths;
    for (const QelResultRow& row : rows) paths.push_back(QelString(row.fullPath).ToFileName());
    return paths;
}

}  // namespace

// One item renamed by a rule set: its name afterwards on disk and in the row,
// or the rule's refusal, which leaves item and row as they were.
TEST(ApplyRenameRules, DocumentedCasesAndRefusedNames) {
    // name: file-name bytes, a folder when it ends in '/'; expected: the name
    // afterwards; error: of the one rule, when it is refused.
    const struct { const char* what; std::string name; QelRenameRuleSet rules; std::string expected; int error = 0; } cases[] = {
        {"change every underscore", "a_b__c.txt", {R(kFile, kChange, u"_", u"-")}, "a-b--c.txt"},
        {"the inserted text is not searched again", "banana.txt", {R(kFile, kChange, u"a", u"aa")}, "baanaanaa.txt"},
        {"change acts on the base only", "txt.txt", {R(kFile, kChange, u"txt", u"doc")}, "doc.txt"},
        {"preadd before the base", "report.final.pdf", {R(kFile, kPreAdd, u"2024_")}, "2024_report.final.pdf"},
        {"postadd after the base", "report.final.pdf", {R(kFile, kPostAdd, u"_v2")}, "report.final_v2.pdf"},
        {"extchange on the extension", "photo.jpeg", {R(kFile, kExt, u"jpeg", u"jpg")}, "photo.jpg"},
        {"extchange skips a name without dot", "jpeg", {R(kFile, kExt, u"jpeg", u"jpg")}, "jpeg"},
        {"a file rule renames a folder", "docs/", {R(kFile, kPostAdd, u"_old")}, "docs_old"},
        {"a folder rule skips a file", "docs", {R(kFolder, kChange, u"docs", u"x")}, "docs"},
        {"a folder rule renames a folder", "docs/", {R(kFolder, kPreAdd, u"x_")}, "x_docs"},
        {"a folder rule changes the whole name", "v1.0/", {R(kFolder, kChange, u"1.0", u"2.0")}, "v2.0"},
        {"no extension change for folders", "pics.jpeg/", {R(kFolder, kExt, u"jpeg", u"jpg")}, "pics.jpeg"},
        {"a leading dot is no extension", ".profile", {R(kFile, kPostAdd, u"_x")}, ".profile_x"},
        {"rules apply in order", "a.txt", {R(kFile, kChange, u"a", u"b"), R(kFile, kChange, u"b", u"c")}, "c.txt"},
        {"an empty find text changes nothing", "name.txt", {R(kFile, kChange, u"", u"x")}, "name.txt"},
        {"an empty find text keeps the extension", "name.txt", {R(kFile, kExt, u"", u"x")}, "name.txt"},
        {"invalid UTF-8 renamed as itself", "bad\xff\xfe.txt", {R(kFile, kPostAdd, u"_r")}, "bad\xff\xfe_r.txt"},
        {"a trailing blank stays", "trail ", {R(kFile, kPostAdd, u"_r")}, "trail _r"},
        {"a line feed stays", "new\nline.txt", {R(kFile, kPreAdd, u"p_")}, "p_new\nline.txt"},
        {"non-ASCII text", "résumé.txt", {R(kFile, kChange, u"é", u"e")}, "resume.txt"},
        {"255 bytes counted in UTF-8 fit", "a", {R(kFile, kPostAdd, std::u16string(127, u'é'))}, qel::Utf16ToUtf8(u"a" + std::u16string(127, u'é'))},
        {"refused: leaves the folder", "a", {R(kFile, kChange, u"a", u"../a")}, "a", EINVAL},
        {"refused: holds a slash", "a", {R(kFile, kChange, u"a", u"x/y")}, "a", EINVAL},
        {"refused: empty", "a", {R(kFile, kChange, u"a", u"")}, "a", EINVAL},
        {"refused: dot", "a", {R(kFile, kChange, u"a", u".")}, "a", EINVAL},
        {"refused: dot dot", "a", {R(kFile, kChange, u"a", u"..")}, "a", EINVAL},
        {"refused: holds NUL", "a", {R(kFile, kChange, u"a", std::u16string(u"x\0y", 3))}, "a", EINVAL},
        {"refused: longer than 255 bytes", "a", {R(kFile, kPostAdd, std::u16string(255, u'x'))}, "a", EINVAL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QelTestDir dir;
        const bool folder = c.name.ends_with('/');
        const std::string name = folder ? c.name.substr(0, c.name.size() - 1) : c.name;
        MakeTree(dir.path(), {folder ? c.name : c.name + "=content"});
        QelResultRows rows = folder ? Rows(dir.path(), {}, {name}) : Rows(dir.path(), {name});
        std::vector<int> errors;
        const QelRenameCounts counts = qel::ApplyRenameRules(c.rules, rows, [&](const _tag_RenameEvent& e) { errors.push_back(e.error); });
        const int renamed = c.expected != name ? static_cast<int>(c.rules.size()) : 0;
        EXPECT_EQ(std::make_pair(counts.succeeded, counts.failed), c.error ? std::make_pair(0, 1) : std::make_pair(renamed, 0));
        EXPECT_EQ(errors, c.error ? std::vector<int>{c.error} : std::vector<int>(renamed, 0));
        EXPECT_EQ(Paths(rows), Texts{dir / c.expected});
        EXPECT_EQ(TreeText(dir.path()), c.expected + (folder ? "/" : "=content"));
    }
}

TEST(ApplyRenameRules, NeverReplacesAnExistingItemAndGoesOnWithTheNextRow) {
    QelTestDir dir;
    MakeTree(dir.path(), {"a.txt=first", "b.txt=taken", "ab.txt=third"});
    QelResultRows rows = Rows(dir.path(), {"a.txt", "gone.txt", "ab.txt"});  // gone.txt removed since the search
    std::vector<std::pair<std::size_t, int>> events;
    const QelRenameCounts counts =
        qel::ApplyRenameRules({R(kFile, kChange, u"a", u"b"), R(kFile, kPostAdd, u"!")}, rows,
                              [&](const _tag_RenameEvent& e) { events.emplace_back(e.row, e.error); });
    // a.txt -> b.txt is taken: a.txt stays and then gets "!"; gone.txt has no
    // "a" to change, then fails to get its "!".
    EXPECT_EQ(TreeText(dir.path()), "a!.txt=first b.txt=taken bb!.txt=third");
    EXPECT_EQ(Paths(rows), (Texts{dir / "a!.txt", dir / "gone.txt", dir / "bb!.txt"}));
    EXPECT_EQ(std::make_pair(counts.succeeded, counts.failed), std::make_pair(3, 2));
    EXPECT_EQ(events, (std::vector<std::pair<std::size_t, int>>{{0, EEXIST}, {2, 0}, {0, 0}, {1, ENOENT}, {2, 0}}));
}

TEST(ApplyRenameRules, RowsBelowARenamedFolderFollowItForLaterRules) {
    QelTestDir dir;
    MakeTree(dir.path(), {"docs/a.txt=a", "docs/sub/b.txt=b", "docsx/c.txt=c"});  // docsx only shares the text
    QelResultRows rows = Rows(dir.path(), {"docs/a.txt", "docs/sub/b.txt", "docsx/c.txt"}, {"docs", "docs/sub"});
    const QelRenameCounts counts =
        qel::ApplyRenameRules({R(kFolder, kPostAdd, u"_old"), R(kFile, kChange, u"old", u"new")}, rows);
    EXPECT_EQ(std::make_pair(counts.succeeded, counts.failed), std::make_pair(4, 0));  // two folders, then both again
    EXPECT_EQ(Paths(rows), (Texts{dir / "docs_new/a.txt", dir / "docs_new/sub_new/b.txt", dir / "docsx/c.txt",
                                  dir / "docs_new", dir / "docs_new/sub_new"}));
    EXPECT_EQ(QelString(rows[1].Path()).ToFileName(), dir / "docs_new/sub_new");
    EXPECT_EQ(TreeText(dir.path()), "docs_new/ docs_new/a.txt=a docs_new/sub_new/ docs_new/sub_new/b.txt=b docsx/ docsx/c.txt=c");
    // Rows renamed apart from the list (Rename Selected) are followed the same way.
    QelResultRows listed = Rows("/d", {"docs/a", "docsx/b"}, {"docs"});
    qel::FollowFolderRename(listed, u"/d/docs", u"/d/new");
    EXPECT_EQ(Paths(listed), (Texts{"/d/new/a", "/d/docsx/b", "/d/docs"}));
}

TEST(ApplyRenameRules, ALinkRowRenamesTheLinkNotItsTarget) {
    QelTestDir dir;
    MakeTree(dir.path(), {"target/inside.txt=t", "link->target"});
    QelResultRows rows = Rows(dir.path(), {"link"});
    // A folder rule does not take a link to a folder for a folder.
    EXPECT_EQ(qel::ApplyRenameRules({R(kFolder, kPostAdd, u"_f")}, rows).succeeded, 0);
    EXPECT_EQ(qel::ApplyRenameRules({R(kFile, kPostAdd, u"_l")}, rows).succeeded, 1);
    EXPECT_EQ(TreeText(dir.path()), "link_l->target target/ target/inside.txt=t");
}

// Unknown types and operations are read as File and Change; what is not a rule is passed by.
TEST(RenameRuleSet, ReadsTheRecordForgivingly) {
    QelRenameRuleSet rules;
    ASSERT_TRUE(qel::ParseRenameRuleSet(R"([{"type":"folder","operate":"preadd","findadd":"x_"}, 7,
        {"type":"","operate":"nonsense","findadd":"a","replace":"b"}, {"operate":"extchange"}, {"operate":"postadd"}])", rules));
    Texts read;
    for (const _tag_RenameRule& r : rules)
        read.push_back(std::to_string(int(r.item)) + std::to_string(int(r.operate)) + r.findAdd.ToStdString() + r.replace.ToStdString());
    EXPECT_EQ(read, (Texts{"11x_", "00ab", "03", "02"}));
    for (const std::string& text : Texts{"{\"type\":\"file\"}", "[{", std::string(1001, '[') + std::string(1001, ']')})
        EXPECT_FALSE(qel::ParseRenameRuleSet(text, rules)) << text.substr(0, 20);  // nested past the parser's limit too
    EXPECT_TRUE(rules.empty());
    Json::Value object;  // an object's members are no rules, even when they look like one
    ASSERT_TRUE(Json::Reader().parse(R"({"a": {"type": "file", "operate": "postadd", "findadd": "x"}})", object));
    EXPECT_TRUE(qel::ReadRenameRuleRecords(object).empty());
}

// What the editor shows while rules are written: each row's name after all
// rules; a name no item could have is refused and the row keeps its name for
// later rules; two rows ending on one name are marked; a rule that changes a
// name to itself, or does not apply, leaves the row as it is.
TEST(RenamePreview, ShowsEachNameAfterAllRulesAndMarksRefusedAndCollidingOnes) {
    const QelResultRows rows = Rows("/d", {"a.txt", "ab.txt", "b.txt"}, {"x/"});  // a folder row without a name
    Texts shown;
    for (const QelRenamePreviewRow& row : qel::PreviewRenames(
             {R(kFile, kChange, u"a", u"b"), R(kFolder, kChange, u"q", u"r"), R(kFile, kChange, u"bb", u"/")}, rows))
        shown.push_back(qel::Utf16ToUtf8(row.oldName) + "|" + qel::Utf16ToUtf8(row.newName) + "|" + std::to_string(int(row.mark)));
    EXPECT_EQ(shown, (Texts{"a.txt|b.txt|2", "ab.txt|bb.txt|1", "b.txt|b.txt|0", "||0"}));
}
