// The job runner on real files in temporary trees: the order of each command,
// its log rows, the disk afterwards, and the steps that must be skipped. In
// the expected rows "@" stands for the test's folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "../common/QelTree.h"
#include "CQelJobRunner.h"
#include "QelJobTestModel.h"

namespace {

// GIO reads XDG_DATA_HOME once, on first use: the tests' own Trash is named
// before the program starts, so no test can reach the user's real one.
const bool kPrivateTrash = ::setenv("XDG_DATA_HOME", QEL_TEST_DATA_HOME, 1) == 0;

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

// src/a.txt, src/b.txt and the folder src/d holding in.txt; the results list
// them in that order, and out/ is an empty destination.
class JobRunnerTest : public ::testing::Test {
protected:
    void SetUp() override { MakeTree(dir.path(), {"src/a.txt=A", "src/b.txt=B", "src/d/in.txt=IN", "out/"}); }
    // The fixture's tree again, and before.
    void Reset(const Paths& before) {
        for (const auto& e : fs::directory_iterator(dir.path())) fs::remove_all(e.path());
        SetUp();
        MakeTree(dir.path(), before);
    }
    std::string At(std::string text) const {
        for (std::size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, dir.path());
        return text;
    }
    Paths At(const Paths& texts) const {
        Paths out;
        for (const std::string& text : texts) out.push_back(At(text));
        return out;
    }
    // The rows between the start and end rows.
    QelLogRows Run(const Paths& files, const Paths& folders, const std::vector<QelJobStep>& steps,
                   QelJobOptions options = {}) {
        CQelRowCollector log;
        std::vector<QelJobStep> expanded;
        for (const QelJobStep& step : steps) expanded.push_back({step.cmd, At(step.act)});
        outcome = CQelJobRunner(log, options).Run(MakeJobModel(At(files), At(folders), expanded));
        EXPECT_GE(log.rows.size(), 2u);
        EXPECT_EQ(log.rows.front(), "\"job\" Job Process Start.");
        EXPECT_EQ(log.rows.back(), "\"job\" Job Process End.");
        return QelLogRows(log.rows.begin() + 1, log.rows.end() - 1);
    }
    QelLogRows Run(const std::vector<QelJobStep>& steps) { return Run({"@/src/a.txt", "@/src/b.txt"}, {"@/src/d"}, steps); }
    // The tree as MakeTree would write it: files with their bytes, empty folders.
    Paths Disk(const std::string& folder = "") const {
        Paths entries;
        for (const auto& e : fs::recursive_directory_iterator(dir / folder)) {
            const std::string rel = fs::relative(e.path(), dir.path()).string();
            if (!e.is_directory()) entries.push_back(rel + "=" + ReadBytes(e.path()));
            else if (fs::is_empty(e.path())) entries.push_back(rel + "/");
        }
        std::sort(entries.begin(), entries.end());
        return entries;
    }

    QelTestDir dir;
    QelJobOutcome outcome;
};

// Records that hold no step, or are no job at all (hand-edited settings):
// only the start and end rows, nothing touched.
TEST_F(JobRunnerTest, AJobWithoutStepsLogsOnlyStartAndEnd) {
    EXPECT_EQ(Run({}), QelLogRows{});
    const std::pair<const char*, const char*> cases[] = {
        {"{}", ""}, {"[1]", ""}, {R"({"afjitem":"nightly"})", ""}, {R"({"afjitem":["name"]})", ""},
        {R"({"afjitem":{"name":7,"list":{"cmd":"delete"}}})", ""}, {R"({"afjitem":{"name":"n","list":"delete"}})", "n"},
        {R"({"afjitem":{"name":["n"]}})", ""}};
    for (const auto& [record, name] : cases) {
        CQelRowCollector log;
        Json::Value model;
        ASSERT_TRUE(Json::Reader().parse(record, model)) << record;
        if (model.isObject()) model["dirresultlist"].append(dir / "src/d");
        CQelJobRunner(log).Run(model);
        const std::string quoted = "\"" + std::string(name) + "\"";
        EXPECT_EQ(log.rows, (QelLogRows{quoted + " Job Process Start.", quoted + " Job Process End."})) << record;
    }
    EXPECT_EQ(Disk(), (Paths{"out/", "src/a.txt=A", "src/b.txt=B", "src/d/in.txt=IN"}));
}

// Copy and move take folders first, delete files first; a file is never
// overwritten, a folder never moved onto one that is there; later steps still
// look for the searched paths.
TEST_F(JobRunnerTest, EachCommandLogsEveryItemInItsOrderAndLeavesTheDiskAsItSays) {
    const std::string folderRule = R"([{"findadd":"d","operate":"change","replace":"e","type":"folder"},)"
                                   R"({"findadd":"_x","operate":"postadd","replace":"","type":"file"}])";
    struct Case {
        Paths before;  // made first
        std::vector<QelJobStep> steps;
        QelLogRows rows;
        Paths after;
        int failed;
    };
    const Case cases[] = {
        {{"out/b.txt=mine"}, {{"copy", "@/out"}},
         {"\"@/out/d\" Copy Path Success", "\"@/out/a.txt\" Copy File Success", "\"@/out/b.txt\" Copy File Failed"},
         {"out/a.txt=A", "out/b.txt=mine", "out/d/in.txt=IN", "src/a.txt=A", "src/b.txt=B", "src/d/in.txt=IN"}, 1},
        {{}, {{"copy", "@/out"}, {"delete", ""}},
         {"\"@/out/d\" Copy Path Success", "\"@/out/a.txt\" Copy File Success", "\"@/out/b.txt\" Copy File Success",
          "\"@/src/a.txt\" Delete File Success", "\"@/src/b.txt\" Delete File Success", "\"@/src/d\" Delete Path Success"},
         {"out/a.txt=A", "out/b.txt=B", "out/d/in.txt=IN", "src/"}, 0},
        {{"out/d/old.txt=there before"}, {{"move", "@/out"}, {"rename", RuleSet("file", "postadd", "_x")}},
         {"\"@/out/d\" Move Path Failed", "\"@/out/a.txt\" Move File Success", "\"@/out/b.txt\" Move File Success",
          "\"@/src/a_x.txt\" Change File Name Failed", "\"@/src/b_x.txt\" Change File Name Failed",
          "\"@/src/d_x\" Change File Name"},
         {"out/a.txt=A", "out/b.txt=B", "out/d/old.txt=there before", "src/d_x/in.txt=IN"}, 3},
        {{"src/b_x.txt=taken"}, {{"rename", folderRule}, {"copy", "@/out"}, {"rename", "not json"}},
         {"\"@/src/e\" Change Folder Name", "\"@/src/a_x.txt\" Change File Name", "\"@/src/b_x.txt\" Change File Name Failed",
          "\"@/src/e_x\" Change File Name", "\"@/out/d\" Copy Path Failed", "\"@/out/a.txt\" Copy File Failed",
          "\"@/out/b.txt\" Copy File Success", "Rename Rule Set Load Failed!!"},
         {"out/b.txt=B", "src/a_x.txt=A", "src/b.txt=B", "src/b_x.txt=taken", "src/e_x/in.txt=IN"}, 4},
        {{}, {{"Copy", "@/out"}, {"archive", "@/out"}, {"<none>", "@/out"}, {"Delete", ""}, {"copy", ""}, {"move", "out"},
              {"savetxt", "./lists"}, {"saveexcel", ""}},
         {"\"Copy\" Unknown Command Skipped", "\"archive\" Unknown Command Skipped", "\"\" Unknown Command Skipped",
          "\"Delete\" Unknown Command Skipped", "\"\" Destination Not Valid", "\"out\" Destination Not Valid",
          "\"./lists\" Destination Not Valid", "\"\" Destination Not Valid"},
         {"out/", "src/a.txt=A", "src/b.txt=B", "src/d/in.txt=IN"}, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows.back());
        Reset(c.before);
        EXPECT_EQ(Run(c.steps), At(c.rows));
        EXPECT_EQ(Disk(), c.after);
        EXPECT_EQ(outcome.failed, c.failed);
    }
}

TEST_F(JobRunnerTest, DeleteAndTrashTakeFilesFirstAndRefuseWriteProtectedFiles) {
    ::chmod((dir / "src/b.txt").c_str(), 0444);
    EXPECT_EQ(Run({{"delete", ""}}), At({"\"@/src/a.txt\" Delete File Success", "\"@/src/b.txt\" Delete File Failed",
                                         "\"@/src/d\" Delete Path Success"}));
    EXPECT_EQ(Disk(), (Paths{"out/", "src/b.txt=B"}));

    ASSERT_TRUE(kPrivateTrash);
    const std::string trash = std::string(QEL_TEST_DATA_HOME) + "/Trash";
    fs::create_directories(QEL_TEST_DATA_HOME);
    struct stat here {}, data {};
    if (::stat(dir.path().c_str(), &here) != 0 || ::stat(QEL_TEST_DATA_HOME, &data) != 0 || here.st_dev != data.st_dev)
        GTEST_SKIP() << "the test folder and XDG_DATA_HOME lie on different file systems";
    fs::remove_all(trash);
    ::chmod((dir / "src/b.txt").c_str(), 0644);
    MakeTree(dir.path(), {"src/a.txt=A", "src/d/in.txt=IN"});
    EXPECT_EQ(Run({{"trash", ""}}), At({"\"@/src/a.txt\" Trash File Success", "\"@/src/b.txt\" Trash File Success",
                                        "\"@/src/d\" Trash Path Success"}));
    EXPECT_TRUE(fs::is_empty(dir / "src"));
    EXPECT_EQ(ReadBytes(trash + "/files/d/in.txt"), "IN");  // the desktop can restore it
    fs::remove_all(trash);
}

// A folder renamed twice, a file inside it renamed once, and a name that is taken.
TEST_F(JobRunnerTest, ADryRenameNamesTheTargetsTheRunThenTakes) {
    MakeTree(dir.path(), {"t/a/f.txt=F", "t/a/g.txt=G", "t/a/new_g.txt=taken"});
    const std::string rules = R"([{"findadd":"_x","operate":"postadd","replace":"","type":"folder"},)"
                              R"({"findadd":"new_","operate":"preadd","replace":"","type":"file"},)"
                              R"({"findadd":"a","operate":"change","replace":"b","type":"folder"}])";
    for (const bool dryRun : {true, false}) {
        Paths targets;  // the last quoted text of each row
        for (const std::string& row : Run({"@/t/a/f.txt", "@/t/a/g.txt"}, {"@/t/a"}, {{"rename", rules}}, {.dryRun = dryRun})) {
            const std::size_t end = row.rfind('"'), begin = row.rfind('"', end - 1) + 1;
            targets.push_back(row.substr(begin, end - begin));
        }
        EXPECT_EQ(targets, At({"@/t/a_x", "@/t/a_x/new_f.txt", "@/t/a_x/new_g.txt", "@/t/new_a_x", "@/t/new_b_x"}));
        EXPECT_EQ(outcome.failed, 1) << dryRun;
    }
    EXPECT_EQ(Disk("t"), (Paths{"t/new_b_x/g.txt=G", "t/new_b_x/new_f.txt=F", "t/new_b_x/new_g.txt=taken"}));
}

// Two photos of the same name: the second copy fails on the name, so no later
// step of the run may remove that item (in a dry run: would fail, would skip).
TEST_F(JobRunnerTest, AMoveOrDeleteSkipsTheItemsAnEarlierCopyOrMoveFailedOn) {
    const std::string skip = "\" Delete Skipped: an earlier step failed";
    struct Case {
        std::vector<QelJobStep> steps;
        bool dryRun;
        QelLogRows rows;
        int failed;
    };
    const Case cases[] = {
        {{{"copy", "@/out"}, {"delete", ""}}, false,
         {"\"@/out/IMG\" Copy File Success", "\"@/out/IMG\" Copy File Failed", "\"@/3/IMG\" Delete File Success", "\"@/4/IMG" + skip}, 2},
        {{{"move", "@/out"}, {"move", "@/keep"}}, false,
         {"\"@/out/IMG\" Move File Success", "\"@/out/IMG\" Move File Failed", "\"@/keep/IMG\" Move File Failed",
          "\"@/4/IMG\" Move Skipped: an earlier step failed"}, 3},
        // A copy that cannot run at all, or may have been meant as one, fails every item.
        {{{"copy", "relative"}, {"delete", ""}}, false, {"\"relative\" Destination Not Valid", "\"@/3/IMG" + skip, "\"@/4/IMG" + skip}, 3},
        {{{"Copy", "@/out"}, {"delete", ""}}, false, {"\"Copy\" Unknown Command Skipped", "\"@/3/IMG" + skip, "\"@/4/IMG" + skip}, 3},
        {{{"copy", "@/out"}, {"delete", ""}}, true,
         {"Would Copy \"@/3/IMG\" To \"@/out/IMG\"",
          "Would Copy \"@/4/IMG\" To \"@/out/IMG\" - would fail: an earlier item takes the same target",
          "Would Delete \"@/3/IMG\"", "Would Skip Delete \"@/4/IMG\": an earlier step would fail"}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows.front());
        fs::remove_all(dir / "out");
        MakeTree(dir.path(), {"out/"});
        if (!Exists(dir / "3/IMG")) MakeTree(dir.path(), {"3/IMG=2023"});
        if (!Exists(dir / "4/IMG")) MakeTree(dir.path(), {"4/IMG=2024"});
        EXPECT_EQ(Run({"@/3/IMG", "@/4/IMG"}, {}, c.steps, {.dryRun = c.dryRun}), At(c.rows));
        EXPECT_EQ(outcome.failed, c.failed);
        EXPECT_EQ(ReadBytes(dir / "4/IMG"), "2024");
    }
}

// What is in the destination already, and what the real run would make of
// it; rows below a folder the step handled went with it.
TEST_F(JobRunnerTest, ADryRunForetellsEachTargetAndEachFailureWithTheReason) {
    const std::string would = " - would fail: ";
    struct Case {
        Paths before;
        QelJobStep step;
        Paths files, folders;
        QelLogRows rows;
        bool dryRun = true;
    };
    const Case cases[] = {
        {{"out/a.txt"}, {"copy", "@/out"}, {"@/src/a.txt"}, {}, {"Would Copy \"@/src/a.txt\" To \"@/out/a.txt\"" + would + "File exists"}},
        {{"out/d/in.txt"}, {"copy", "@/out"}, {}, {"@/src/d"}, {"Would Copy \"@/src/d\" To \"@/out/d\"" + would + "@/out/d/in.txt: File exists"}},
        {{"out/d/other.txt"}, {"copy", "@/out"}, {}, {"@/src/d"}, {"Would Copy \"@/src/d\" To \"@/out/d\""}},  // merges
        {{"out/d/other.txt"}, {"move", "@/out"}, {}, {"@/src/d"}, {"Would Move \"@/src/d\" To \"@/out/d\"" + would + "File exists"}},
        {{"src/d/e/deep.txt"}, {"move", "@/out"}, {"@/src/d/in.txt", "@/src/a.txt"}, {"@/src/d", "@/src/d/e"},
         {"Would Move \"@/src/d\" To \"@/out/d\"", "Would Move \"@/src/d/e\" To \"@/out/d/e\" with its folder",
          "Would Move \"@/src/d/in.txt\" To \"@/out/d/in.txt\" with its folder", "Would Move \"@/src/a.txt\" To \"@/out/a.txt\""}},
        {{"src/d/e/deep.txt"}, {"move", "@/out"}, {"@/src/d/in.txt", "@/src/a.txt"}, {"@/src/d", "@/src/d/e"},
         {"\"@/out/d\" Move Path Success", "\"@/out/d/e\" Moved With Its Folder", "\"@/out/d/in.txt\" Moved With Its Folder",
          "\"@/out/a.txt\" Move File Success"}, false},
        {{"src/d/e/deep.txt"}, {"delete", ""}, {"@/src/d/in.txt", "@/src/a.txt"}, {"@/src/d", "@/src/d/e"},
         {"\"@/src/d/in.txt\" Delete File Success", "\"@/src/a.txt\" Delete File Success", "\"@/src/d\" Delete Path Success",
          "\"@/src/d/e\" Deleted With Its Folder"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows.front());
        Reset(c.before);
        const Paths before = Disk();
        EXPECT_EQ(Run(c.files, c.folders, {c.step}, {.dryRun = c.dryRun}), At(c.rows));
        EXPECT_EQ(outcome.failed, c.rows.front().find(would) == std::string::npos ? 0 : 1);
        EXPECT_EQ(c.dryRun ? Disk() : Disk("src"), c.dryRun ? before : Paths{"src/b.txt=B"});
    }
}

TEST_F(JobRunnerTest, ExportsListFoldersFirstAndNeverReplaceAFile) {
    CQelRowCollector log;
    CQelJobRunner(log).Run(MakeJobModel({dir / "src/a.txt", dir / "src/b.txt"}, {dir / "src/d"},
                                        {{"savetxt", dir / "out"}, {"savetxt", dir / "out"}, {"saveexcel", dir / "out"},
                                         {"savetxt", dir / "missing"}, {"saveexcel", dir / "missing"}},
                                        "day/night"));
    ASSERT_EQ(log.rows.size(), 7u);
    const std::string text = At("Result List\r\n[0] @/src/d\r\n[1] @/src/a.txt\r\n[2] @/src/b.txt\r\n");
    for (int i = 1; i <= 3; ++i) {
        const std::string tail = i == 3 ? ".xlsx\" Save Excel Complete" : ".txt\" Save TXT Complete";
        ASSERT_TRUE(log.rows[i].starts_with("\"" + dir / "out/") && log.rows[i].ends_with(tail)) << log.rows[i];
        EXPECT_NE(log.rows[i].find("_day_night"), std::string::npos) << log.rows[i];  // the slash is no folder
        const std::string written = ReadBytes(log.rows[i].substr(1, log.rows[i].find("\" S") - 1));
        EXPECT_EQ(i == 3 ? written.substr(0, 2) : written, i == 3 ? "PK" : text);
    }
    EXPECT_NE(log.rows[1], log.rows[2]);  // two text files side by side
    EXPECT_EQ(Disk("out").size(), 3u);
    EXPECT_TRUE(log.rows[4].ends_with(".txt\" Save TXT Failed")) << log.rows[4];
    EXPECT_TRUE(log.rows[5].ends_with(".xlsx\" Save Excel Failed")) << log.rows[5];
}

TEST_F(JobRunnerTest, OddNamesAreCopiedRenamedAndDeletedAsThemselves) {
    MakeTree(dir.path(), {"odd/bad\xFF\xFE.txt=1", "odd/blank =2", "odd/line\nbreak=3"});
    const QelLogRows rows = Run({"@/odd/bad\xFF\xFE.txt", "@/odd/blank ", "@/odd/line\nbreak"}, {},
                                {{"copy", "@/out"}, {"rename", RuleSet("file", "preadd", "n_")}, {"delete", ""}});
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(rows[0], At("\"@/out/bad\xFF\xFE.txt\" Copy File Success"));
    EXPECT_EQ(rows[3], At("\"@/odd/n_bad\xFF\xFE.txt\" Change File Name"));
    // The delete step looks for the searched names, which the rename took away.
    EXPECT_TRUE(rows[8].ends_with(" Delete File Failed")) << rows[8];
    EXPECT_EQ(outcome.failed, 3);
    EXPECT_EQ(Disk("odd"), (Paths{"odd/n_bad\xFF\xFE.txt=1", "odd/n_blank =2", "odd/n_line\nbreak=3"}));
    EXPECT_EQ(Disk("out"), (Paths{"out/bad\xFF\xFE.txt=1", "out/blank =2", "out/line\nbreak=3"}));
}

}  // namespace

// Told to stop, the job ends after the item under way: no later item or step
// runs, so a delete never follows a copy that was cut short.
TEST_F(JobRunnerTest, AStopEndsTheJobAfterTheCurrentItem) {
    const std::string fileRule = R"([{"findadd":"_x","operate":"postadd","replace":"","type":"file"}])";
    struct Case {
        QelJobStep first;
        std::string doneWhen;  // stop is asked for once this exists
        std::string doneRow;
        Paths disk;
    } const cases[] = {
        {{"copy", "@/out"}, "out/d", "\"@/out/d\" Copy Path Success",
         {"out/d/in.txt=IN", "src/a.txt=A", "src/b.txt=B", "src/d/in.txt=IN"}},
        {{"rename", fileRule}, "src/a_x.txt", "\"@/src/a_x.txt\" Change File Name",
         {"out/", "src/a_x.txt=A", "src/b.txt=B", "src/d/in.txt=IN"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first.cmd);
        Reset({});
        QelJobOptions options;
        options.keepGoing = [&] { return !fs::exists(dir / c.doneWhen); };
        EXPECT_EQ(Run({"@/src/a.txt", "@/src/b.txt"}, {"@/src/d"}, {c.first, {"delete", ""}}, options),
                  At(QelLogRows{c.doneRow, "\"job\" Job Process Stopped."}));
        EXPECT_TRUE(outcome.stopped);
        EXPECT_EQ(Disk(), c.disk);
    }
}
