// The job runner on real files in temporary trees: the order of each command,
// its log rows, the disk afterwards, the steps that must be skipped and a
// stop. In the expected rows "@" stands for the test's folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "../common/QelTreeText.h"
#include "CQelJobRunner.h"
#include "QelJobTestModel.h"

namespace {

// GIO reads XDG_DATA_HOME once, on first use: the tests' own Trash is named
// before the program starts, so no test can reach the user's real one.
const bool kPrivateTrash = ::setenv("XDG_DATA_HOME", QEL_TEST_DATA_HOME, 1) == 0;

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;
const std::string kSrc = "src/ src/a.txt=A src/b.txt=B src/d/ src/d/in.txt=IN";
const std::string kFileRule = R"([{"findadd":"_x","operate":"postadd","replace":"","type":"file"}])";

// src/a.txt, src/b.txt and the folder src/d holding in.txt; the results list
// them in that order, and out/ is an empty destination.
class JobRunnerTest : public ::testing::Test {
protected:
    void SetUp() override { MakeTree(dir.path(), {"src/a.txt=A", "src/b.txt=B", "src/d/in.txt=IN", "out/"}); }
    std::string At(std::string t) const {
        for (std::size_t at; (at = t.find('@')) != std::string::npos;) t.replace(at, 1, dir.path());
        return t;
    }
    Paths At(Paths texts) const {
        for (std::string& t : texts) t = At(t);
        return texts;
    }
    // The rows between the start and end rows.
    QelLogRows Run(const Paths& files, const Paths& folders, std::vector<QelJobStep> steps, QelJobOptions options = {},
                   const std::string& name = "job") {
        CQelRowCollector log;
        for (QelJobStep& step : steps) step.act = At(step.act);
        outcome = CQelJobRunner(log, options).Run(MakeJobModel(At(files), At(folders), steps, name));
        EXPECT_TRUE(log.rows.size() >= 2 && log.rows.front() == "\"" + name + "\" Job Process Start." &&
                    log.rows.back() == "\"" + name + "\" Job Process End.") << log.rows.size();
        return QelLogRows(log.rows.begin() + 1, log.rows.end() - 1);
    }
    std::string Disk() const { return TreeText(dir.path()); }

    QelTestDir dir;
    QelJobOutcome outcome;
};

// Copy and move take folders first, delete and rename files first; nothing is
// ever replaced; later steps still look for the searched paths. Two photos of
// the same name: the second copy fails, so no later move or delete of the run
// may remove that item (in a dry run: would fail, would skip). A stop ends the
// job after the item under way.
TEST_F(JobRunnerTest, EachStepLogsEveryItemInItsOrderAndLeavesTheDiskAsItSays) {
    const std::string folderRule = R"([{"findadd":"d","operate":"change","replace":"e","type":"folder"},)"
                                   R"({"findadd":"_x","operate":"postadd","replace":"","type":"file"}])";
    const std::string skip = "\" Delete Skipped: an earlier step failed", would = " - would fail: ";
    const Paths photos = {"@/3/IMG", "@/4/IMG"}, deep = {"@/src/d", "@/src/d/e"};
    const std::string twiceRenamed = R"([{"findadd":"_x","operate":"postadd","replace":"","type":"folder"},)"
                                     R"({"findadd":"new_","operate":"preadd","replace":"","type":"file"},)"
                                     R"({"findadd":"a","operate":"change","replace":"b","type":"folder"}])";
    const Paths tFiles = {"@/t/a/f.txt", "@/t/a/g.txt"}, innerAndA = {"@/src/d/in.txt", "@/src/a.txt"};
    const std::string twoPhotos = "3/ 3/IMG=2023 4/ 4/IMG=2024 out/ " + kSrc;
    // before: made on the fixture's tree; after: the tree afterwards, "" for as it was; stopOnceMade: the stop
    // is asked for once this exists.
    struct Case {
        Texts before; std::vector<QelJobStep> steps; QelLogRows rows; std::string after; int failed; bool dryRun = false;
        std::string stopOnceMade = ""; Paths files = {"@/src/a.txt", "@/src/b.txt"}, folders = {"@/src/d"};
    };
    const Case cases[] = {
        {{}, {}, {}, "", 0},
        {{"out/b.txt=mine"}, {{"copy", "@/out"}}, {"\"@/out/d\" Copy Path Success", "\"@/out/a.txt\" Copy File Success",
         "\"@/out/b.txt\" Copy File Failed"}, "out/ out/a.txt=A out/b.txt=mine out/d/ out/d/in.txt=IN " + kSrc, 1},
        {{}, {{"copy", "@/out"}, {"delete", ""}},
         {"\"@/out/d\" Copy Path Success", "\"@/out/a.txt\" Copy File Success", "\"@/out/b.txt\" Copy File Success",
          "\"@/src/a.txt\" Delete File Success", "\"@/src/b.txt\" Delete File Success", "\"@/src/d\" Delete Path Success"},
         "out/ out/a.txt=A out/b.txt=B out/d/ out/d/in.txt=IN src/", 0},
        {{"out/d/old=O"}, {{"move", "@/out"}, {"rename", kFileRule}},
         {"\"@/out/d\" Move Path Failed", "\"@/out/a.txt\" Move File Success", "\"@/out/b.txt\" Move File Success",
          "\"@/src/a_x.txt\" Change File Name Failed", "\"@/src/b_x.txt\" Change File Name Failed", "\"@/src/d_x\" Change File Name"},
         "out/ out/a.txt=A out/b.txt=B out/d/ out/d/old=O src/ src/d_x/ src/d_x/in.txt=IN", 3},
        {{"src/b_x.txt=taken"}, {{"rename", folderRule}, {"copy", "@/out"}, {"rename", "not json"}},
         {"\"@/src/e\" Change Folder Name", "\"@/src/a_x.txt\" Change File Name", "\"@/src/b_x.txt\" Change File Name Failed",
          "\"@/src/e_x\" Change File Name", "\"@/out/d\" Copy Path Failed", "\"@/out/a.txt\" Copy File Failed",
          "\"@/out/b.txt\" Copy File Success", "Rename Rule Set Load Failed!!"},
         "out/ out/b.txt=B src/ src/a_x.txt=A src/b.txt=B src/b_x.txt=taken src/e_x/ src/e_x/in.txt=IN", 4},
        {{}, {{"Copy", "@/out"}, {"archive", "@/out"}, {"<none>", "@/out"}, {"Delete", ""}, {"copy", ""}, {"move", "out"},
              {"savetxt", "./lists"}, {"saveexcel", ""}},
         {"\"Copy\" Unknown Command Skipped", "\"archive\" Unknown Command Skipped", "\"\" Unknown Command Skipped",
          "\"Delete\" Unknown Command Skipped", "\"\" Destination Not Valid", "\"out\" Destination Not Valid",
          "\"./lists\" Destination Not Valid", "\"\" Destination Not Valid"}, "", 8},
        // An odd name (no UTF-8, a line break, a trailing blank) is copied, renamed and looked for as itself.
        {{"odd/b\xFF\n =1"}, {{"copy", "@/out"}, {"rename", R"([{"findadd":"n_","operate":"preadd","replace":"","type":"file"}])"}, {"delete", ""}},
         {"\"@/out/b\xFF\n \" Copy File Success", "\"@/odd/n_b\xFF\n \" Change File Name", "\"@/odd/b\xFF\n \" Delete File Failed"},
         "odd/ odd/n_b\xFF\n =1 out/ out/b\xFF\n =1 " + kSrc, 1, false, "", {"@/odd/b\xFF\n "}, {}},
        // Skipped after a failed copy or move, or one that could not run at all or may have been meant as one.
        {{"3/IMG=2023", "4/IMG=2024"}, {{"copy", "@/out"}, {"delete", ""}},
         {"\"@/out/IMG\" Copy File Success", "\"@/out/IMG\" Copy File Failed", "\"@/3/IMG\" Delete File Success", "\"@/4/IMG" + skip},
         "3/ 4/ 4/IMG=2024 out/ out/IMG=2023 " + kSrc, 2, false, "", photos, {}},
        {{"3/IMG=2023", "4/IMG=2024"}, {{"copy", "relative"}, {"delete", ""}},
         {"\"relative\" Destination Not Valid", "\"@/3/IMG" + skip, "\"@/4/IMG" + skip}, twoPhotos, 3, false, "", photos, {}},
        {{"3/IMG=2023", "4/IMG=2024"}, {{"Copy", "@/out"}, {"delete", ""}},
         {"\"Copy\" Unknown Command Skipped", "\"@/3/IMG" + skip, "\"@/4/IMG" + skip}, twoPhotos, 3, false, "", photos, {}},
        {{"3/IMG=2023", "4/IMG=2024"}, {{"copy", "@/out"}, {"delete", ""}}, {"Would Copy \"@/3/IMG\" To \"@/out/IMG\"",
          "Would Copy \"@/4/IMG\" To \"@/out/IMG\" - would fail: an earlier item takes the same target",
          "Would Delete \"@/3/IMG\"", "Would Skip Delete \"@/4/IMG\": an earlier step would fail"}, "", 2, true, "", photos, {}},
        // A dry run names what is in the destination already, and what the real run would make of it;
        // rows below a folder the step handled went with it.
        {{"out/a.txt="}, {{"copy", "@/out"}}, {"Would Copy \"@/src/a.txt\" To \"@/out/a.txt\"" + would + "File exists"}, "", 1, true, "",
         {"@/src/a.txt"}, {}},
        {{"out/d/in.txt="}, {{"copy", "@/out"}}, {"Would Copy \"@/src/d\" To \"@/out/d\"" + would + "@/out/d/in.txt: File exists"}, "", 1,
         true, "", {}},
        {{"out/d/other.txt="}, {{"copy", "@/out"}}, {"Would Copy \"@/src/d\" To \"@/out/d\""}, "", 0, true, "", {}},  // merges
        {{"out/d=file"}, {{"copy", "@/out"}}, {"Would Copy \"@/src/d\" To \"@/out/d\"" + would + "File exists"}, "", 1, true, "", {}},
        // A linked folder is copied as the link it is: the real folder of the same name cannot merge into it.
        {{"a/d->../src/d"}, {{"copy", "@/out"}}, {"Would Copy \"@/a/d\" To \"@/out/d\"", "Would Copy \"@/src/d\" To \"@/out/d\"" + would +
         "an earlier item takes the same target"}, "", 1, true, "", {}, {"@/a/d", "@/src/d"}},
        {{"out/d/other.txt="}, {{"move", "@/out"}}, {"Would Move \"@/src/d\" To \"@/out/d\"" + would + "File exists"}, "", 1, true, "", {}},
        {{"src/d/e/deep.txt="}, {{"move", "@/out"}}, {"Would Move \"@/src/d\" To \"@/out/d\"",
          "Would Move \"@/src/d/e\" To \"@/out/d/e\" with its folder",
          "Would Move \"@/src/d/in.txt\" To \"@/out/d/in.txt\" with its folder", "Would Move \"@/src/a.txt\" To \"@/out/a.txt\""},
         "", 0, true, "", innerAndA, deep},
        {{"src/d/e/deep.txt="}, {{"move", "@/out"}}, {"\"@/out/d\" Move Path Success", "\"@/out/d/e\" Moved With Its Folder",
          "\"@/out/d/in.txt\" Moved With Its Folder", "\"@/out/a.txt\" Move File Success"},
         "out/ out/a.txt=A out/d/ out/d/e/ out/d/e/deep.txt= out/d/in.txt=IN src/ src/b.txt=B", 0, false, "", innerAndA, deep},
        // A folder renamed twice, a file inside it renamed once and a name that is taken: the dry run names
        // the targets the run then takes.
        {{"t/a/f.txt=F", "t/a/g.txt=G", "t/a/new_g.txt=taken"}, {{"rename", twiceRenamed}},
         {"Would Rename \"@/t/a\" To \"@/t/a_x\"", "Would Rename \"@/t/a_x/f.txt\" To \"@/t/a_x/new_f.txt\"",
          "Would Rename \"@/t/a_x/g.txt\" To \"@/t/a_x/new_g.txt\"" + would + "File exists",
          "Would Rename \"@/t/a_x\" To \"@/t/new_a_x\"", "Would Rename \"@/t/new_a_x\" To \"@/t/new_b_x\""},
         "", 1, true, "", tFiles, {"@/t/a"}},
        // Two names of one folder made the same: the second would fail on the first's new name.
        {{}, {{"rename", R"([{"findadd":"a","operate":"change","replace":"c","type":"file"},)"
                         R"({"findadd":"b","operate":"change","replace":"c","type":"file"}])"}},
         {"Would Rename \"@/src/a.txt\" To \"@/src/c.txt\"", "Would Rename \"@/src/b.txt\" To \"@/src/c.txt\"" + would + "File exists"},
         "", 1, true, "", {"@/src/a.txt", "@/src/b.txt"}, {}},
        {{"t/a/f.txt=F", "t/a/g.txt=G", "t/a/new_g.txt=taken"}, {{"rename", twiceRenamed}}, {"\"@/t/a_x\" Change Folder Name",
          "\"@/t/a_x/new_f.txt\" Change File Name", "\"@/t/a_x/new_g.txt\" Change File Name Failed", "\"@/t/new_a_x\" Change File Name",
          "\"@/t/new_b_x\" Change Folder Name"}, "out/ " + kSrc + " t/ t/new_b_x/ t/new_b_x/g.txt=G t/new_b_x/new_f.txt=F t/new_b_x/new_g.txt=taken",
         1, false, "", tFiles, {"@/t/a"}},
        // Stopped: no later item or step runs, so a delete never follows a copy that was cut short.
        {{}, {{"copy", "@/out"}, {"delete", ""}}, {"\"@/out/d\" Copy Path Success", "\"job\" Job Process Stopped."},
         "out/ out/d/ out/d/in.txt=IN " + kSrc, 0, false, "out/d"},
        {{}, {{"rename", kFileRule}, {"delete", ""}}, {"\"@/src/a_x.txt\" Change File Name", "\"job\" Job Process Stopped."},
         "out/ src/ src/a_x.txt=A src/b.txt=B src/d/ src/d/in.txt=IN", 0, false, "src/a_x.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows.empty() ? "no step" : c.rows.back());
        for (const auto& e : fs::directory_iterator(dir.path())) fs::remove_all(e.path());
        SetUp(), MakeTree(dir.path(), c.before);
        const std::string before = Disk();
        QelJobOptions options{.dryRun = c.dryRun};
        if (!c.stopOnceMade.empty()) options.keepGoing = [&] { return !fs::exists(dir / c.stopOnceMade); };
        EXPECT_EQ(Run(c.files, c.folders, c.steps, options), At(c.rows));
        EXPECT_EQ(std::pair(Disk(), outcome.failed), std::pair(c.after.empty() ? before : c.after, c.failed));
    }
}

// Records that are no job at all (hand-edited settings): only the start and
// end rows, nothing touched.
TEST_F(JobRunnerTest, ARecordThatIsNoJobLogsOnlyStartAndEnd) {
    const std::pair<const char*, const char*> cases[] = {{"{}", ""}, {"[1]", ""}, {R"({"afjitem":"nightly"})", ""},
        {R"({"afjitem":["name"]})", ""}, {R"({"afjitem":{"name":7,"list":{"cmd":"delete"}}})", ""},
        {R"({"afjitem":{"name":"n","list":"delete"}})", "n"}, {R"({"afjitem":{"name":["n"]}})", ""}};
    for (const auto& [record, name] : cases) {
        CQelRowCollector log;
        Json::Value model;
        ASSERT_TRUE(Json::Reader().parse(record, model)) << record;
        if (model.isObject()) model["dirresultlist"].append(dir / "src/d");
        CQelJobRunner(log).Run(model);
        const std::string quoted = "\"" + std::string(name) + "\"";
        EXPECT_EQ(log.rows, (QelLogRows{quoted + " Job Process Start.", quoted + " Job Process End."})) << record;
    }
    EXPECT_EQ(Disk(), "out/ " + kSrc);
}

TEST_F(JobRunnerTest, DeleteAndTrashTakeFilesFirstAndRefuseWriteProtectedFiles) {
    ::chmod((dir / "src/b.txt").c_str(), 0444);
    EXPECT_EQ(Run({"@/src/a.txt", "@/src/b.txt"}, {"@/src/d"}, {{"delete", ""}}),
              At({"\"@/src/a.txt\" Delete File Success", "\"@/src/b.txt\" Delete File Failed", "\"@/src/d\" Delete Path Success"}));
    EXPECT_EQ(Disk(), "out/ src/ src/b.txt=B");

    ASSERT_TRUE(kPrivateTrash);
    const std::string trash = std::string(QEL_TEST_DATA_HOME) + "/Trash";
    fs::create_directories(QEL_TEST_DATA_HOME);
    struct stat here {}, data {};
    if (::stat(dir.path().c_str(), &here) != 0 || ::stat(QEL_TEST_DATA_HOME, &data) != 0 || here.st_dev != data.st_dev)
        GTEST_SKIP() << "the test folder and XDG_DATA_HOME lie on different file systems";
    fs::remove_all(trash);
    ::chmod((dir / "src/b.txt").c_str(), 0644);
    MakeTree(dir.path(), {"src/a.txt=A", "src/d/in.txt=IN"});
    EXPECT_EQ(Run({"@/src/a.txt", "@/src/b.txt"}, {"@/src/d"}, {{"trash", ""}}),
              At({"\"@/src/a.txt\" Trash File Success", "\"@/src/b.txt\" Trash File Success", "\"@/src/d\" Trash Path Success"}));
    // The desktop can restore it.
    EXPECT_EQ(std::pair(Disk(), ReadBytes(trash + "/files/d/in.txt")), std::pair(std::string("out/ src/"), std::string("IN")));
    fs::remove_all(trash);
}

TEST_F(JobRunnerTest, ExportsListFoldersFirstAndNeverReplaceAFile) {
    const QelLogRows rows = Run({"@/src/a.txt", "@/src/b.txt"}, {"@/src/d"}, {{"savetxt", "@/out"}, {"savetxt", "@/out"},
                                {"saveexcel", "@/out"}, {"savetxt", "@/missing"}, {"saveexcel", "@/missing"}}, {}, "day/night");
    ASSERT_EQ(rows.size(), 5u);
    const std::string text = At("Result List\r\n[0] @/src/d\r\n[1] @/src/a.txt\r\n[2] @/src/b.txt\r\n");
    for (int i = 0; i < 3; ++i) {
        const std::string tail = i == 2 ? ".xlsx\" Save Excel Complete" : ".txt\" Save TXT Complete";
        ASSERT_TRUE(rows[i].starts_with(At("\"@/out/")) && rows[i].ends_with(tail)) << rows[i];
        EXPECT_NE(rows[i].find("_day_night"), std::string::npos) << rows[i];  // the slash is no folder
        const std::string written = ReadBytes(rows[i].substr(1, rows[i].find("\" S") - 1));
        EXPECT_EQ(i == 2 ? written.substr(0, 2) : written, i == 2 ? "PK" : text);
    }
    // Two text files side by side.
    EXPECT_TRUE(rows[0] != rows[1] && rows[3].ends_with(".txt\" Save TXT Failed") && rows[4].ends_with(".xlsx\" Save Excel Failed") &&
                outcome.failed == 2);
    // A dry run names the lists it would save and writes none.
    const std::string disk = Disk();
    const QelLogRows dry = Run({"@/src/a.txt"}, {}, {{"savetxt", "@/out"}, {"saveexcel", "@/out"}}, {.dryRun = true});
    EXPECT_TRUE(dry.size() == 2 && dry[0].starts_with(At("Would Save TXT \"@/out/")) && dry[1].starts_with(At("Would Save Excel \"@/out/")));
    EXPECT_EQ(Disk(), disk);
}

}  // namespace
