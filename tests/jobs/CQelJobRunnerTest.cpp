// The job runner on real files in temporary trees: the order of each command,
// its log rows, the disk afterwards, and the steps that must be skipped.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "../fileops/QelTreeFixture.h"
#include "CQelJobRunner.h"
#include "QelJobTestModel.h"

namespace {

// GIO reads XDG_DATA_HOME once, on first use: the tests' own Trash is named
// before the program starts, so no test can reach the user's real one.
const bool kPrivateTrash = ::setenv("XDG_DATA_HOME", QEL_TEST_DATA_HOME, 1) == 0;

namespace fs = std::filesystem;

std::string Q2(const std::string& a) { return "\"" + a + "\""; }

// src/a.txt, src/b.txt and the folder src/d holding in.txt; the results list
// them in that order, and out/ is an empty destination.
class JobRunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeFile(dir / "src/a.txt", "A");
        MakeFile(dir / "src/b.txt", "B");
        MakeFile(dir / "src/d/in.txt", "IN");
        fs::create_directory(dir / "out");
    }
    std::vector<std::string> Files() const { return {dir / "src/a.txt", dir / "src/b.txt"}; }
    std::vector<std::string> Folders() const { return {dir / "src/d"}; }
    QelLogRows Run(const std::vector<QelJobStep>& steps, QelJobOptions options = {}) {
        return RunOn(Files(), Folders(), steps, options);
    }
    QelLogRows RunOn(const std::vector<std::string>& files, const std::vector<std::string>& folders,
                     const std::vector<QelJobStep>& steps, QelJobOptions options = {}) {
        CQelRowCollector log;
        outcome = CQelJobRunner(log, options).Run(MakeJobModel(files, folders, steps));
        return log.rows;
    }
    // The rows between the start and end rows.
    static QelLogRows Body(QelLogRows rows) {
        EXPECT_GE(rows.size(), 2u);
        EXPECT_EQ(rows.front(), "\"job\" Job Process Start.");
        EXPECT_EQ(rows.back(), "\"job\" Job Process End.");
        return QelLogRows(rows.begin() + 1, rows.end() - 1);
    }
    std::vector<std::string> Listing(const std::string& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            names.push_back(fs::relative(entry.path(), folder).string());
        std::sort(names.begin(), names.end());
        return names;
    }

    QelTestDir dir;
    QelJobOutcome outcome;
};

// Records that hold no step, or are no job at all (hand-edited settings):
// only the start and end rows, nothing touched.
TEST_F(JobRunnerTest, AJobWithoutStepsLogsOnlyStartAndEnd) {
    EXPECT_EQ(Run({}), (QelLogRows{"\"job\" Job Process Start.", "\"job\" Job Process End."}));
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
    EXPECT_EQ(ReadBytes(dir / "src/d/in.txt"), "IN");
}

TEST_F(JobRunnerTest, CopyTakesFoldersFirstAndNeverOverwritesAFile) {
    MakeFile(dir / "out/b.txt", "mine");
    EXPECT_EQ(Body(Run({{"copy", dir / "out"}})),
              (QelLogRows{Q2(dir / "out/d") + " Copy Path Success", Q2(dir / "out/a.txt") + " Copy File Success",
                          Q2(dir / "out/b.txt") + " Copy File Failed"}));
    EXPECT_EQ(ReadBytes(dir / "out/d/in.txt"), "IN");
    EXPECT_EQ(ReadBytes(dir / "out/b.txt"), "mine");
    EXPECT_EQ(outcome.succeeded, 2);
    EXPECT_EQ(outcome.failed, 1);
}

TEST_F(JobRunnerTest, DeleteTakesFilesFirstAndRefusesWriteProtectedFiles) {
    ::chmod((dir / "src/b.txt").c_str(), 0444);
    EXPECT_EQ(Body(Run({{"delete", ""}})),
              (QelLogRows{Q2(dir / "src/a.txt") + " Delete File Success", Q2(dir / "src/b.txt") + " Delete File Failed",
                          Q2(dir / "src/d") + " Delete Path Success"}));
    EXPECT_EQ(Listing(dir / "src"), (std::vector<std::string>{"b.txt"}));
}

TEST_F(JobRunnerTest, TrashMovesEveryItemIntoTheDesktopsTrashFilesFirst) {
    ASSERT_TRUE(kPrivateTrash);
    const char* data = QEL_TEST_DATA_HOME;
    fs::create_directories(data);
    struct stat here {}, trash {};
    if (::stat(dir.path().c_str(), &here) != 0 || ::stat(data, &trash) != 0 || here.st_dev != trash.st_dev)
        GTEST_SKIP() << "the test folder and XDG_DATA_HOME lie on different file systems";
    const std::string trashed = std::string(data) + "/Trash/files/";
    fs::remove_all(std::string(data) + "/Trash");
    EXPECT_EQ(Body(Run({{"trash", ""}})),
              (QelLogRows{Q2(dir / "src/a.txt") + " Trash File Success", Q2(dir / "src/b.txt") + " Trash File Success",
                          Q2(dir / "src/d") + " Trash Path Success"}));
    EXPECT_TRUE(Listing(dir / "src").empty());
    EXPECT_EQ(ReadBytes(trashed + "d/in.txt"), "IN");  // the desktop can restore it
    EXPECT_EQ(ReadBytes(trashed + "a.txt"), "A");
    fs::remove_all(std::string(data) + "/Trash");
}

TEST_F(JobRunnerTest, CopyThenDeleteLeavesOnlyTheCopies) {
    const QelLogRows body = Body(Run({{"copy", dir / "out"}, {"delete", ""}}));
    EXPECT_EQ(body.size(), 6u);
    EXPECT_EQ(Listing(dir / "out"), (std::vector<std::string>{"a.txt", "b.txt", "d", "d/in.txt"}));
    EXPECT_TRUE(Listing(dir / "src").empty());
    EXPECT_EQ(outcome.failed, 0);
}

TEST_F(JobRunnerTest, MoveThenRenameStillSeesTheOldPathsAndFails) {
    const QelLogRows body = Body(Run({{"move", dir / "out"}, {"rename", RuleSet("file", "postadd", "_x")}}));
    EXPECT_EQ(body, (QelLogRows{Q2(dir / "out/d") + " Move Path Success", Q2(dir / "out/a.txt") + " Move File Success",
                                Q2(dir / "out/b.txt") + " Move File Success",
                                Q2(dir / "src/a_x.txt") + " Change File Name Failed",
                                Q2(dir / "src/b_x.txt") + " Change File Name Failed",
                                Q2(dir / "src/d_x") + " Change File Name Failed"}));
    EXPECT_EQ(Listing(dir / "out"), (std::vector<std::string>{"a.txt", "b.txt", "d", "d/in.txt"}));
}

TEST_F(JobRunnerTest, RenameLogsWhatHappenedAndLeavesThePathsForLaterSteps) {
    MakeFile(dir / "src/b_x.txt", "taken");
    const std::string folderRule =
        R"([{"findadd":"d","operate":"change","replace":"e","type":"folder"},)"
        R"({"findadd":"_x","operate":"postadd","replace":"","type":"file"}])";
    const QelLogRows body = Body(Run({{"rename", folderRule}, {"copy", dir / "out"}, {"rename", "not json"}}));
    EXPECT_EQ(body, (QelLogRows{Q2(dir / "src/e") + " Change Folder Name",
                                Q2(dir / "src/a_x.txt") + " Change File Name",
                                Q2(dir / "src/b_x.txt") + " Change File Name Failed",
                                Q2(dir / "src/e_x") + " Change File Name",
                                // the copy still looks for the searched paths
                                Q2(dir / "out/d") + " Copy Path Failed", Q2(dir / "out/a.txt") + " Copy File Failed",
                                Q2(dir / "out/b.txt") + " Copy File Success", "Rename Rule Set Load Failed!!"}));
    EXPECT_EQ(ReadBytes(dir / "src/b_x.txt"), "taken");
    EXPECT_EQ(ReadBytes(dir / "src/e_x/in.txt"), "IN");
}

// A folder renamed twice, a file inside it renamed once, and a name that is taken.
TEST_F(JobRunnerTest, ADryRenameNamesTheTargetsTheRunThenTakes) {
    MakeFile(dir / "t/a/f.txt", "F");
    MakeFile(dir / "t/a/g.txt", "G");
    MakeFile(dir / "t/a/new_g.txt", "taken");
    const std::string rules = R"([{"findadd":"_x","operate":"postadd","replace":"","type":"folder"},)"
                              R"({"findadd":"new_","operate":"preadd","replace":"","type":"file"},)"
                              R"({"findadd":"a","operate":"change","replace":"b","type":"folder"}])";
    const auto targets = [](const QelLogRows& body) {
        std::vector<std::string> out;  // the last quoted text of each row
        for (const std::string& row : body) {
            const std::size_t end = row.rfind('"');
            const std::size_t begin = row.rfind('"', end - 1) + 1;
            out.push_back(row.substr(begin, end - begin));
        }
        return out;
    };
    const std::vector<std::string> expected = {dir / "t/a_x", dir / "t/a_x/new_f.txt", dir / "t/a_x/new_g.txt",
                                               dir / "t/new_a_x", dir / "t/new_b_x"};
    for (const bool dryRun : {true, false}) {
        const QelLogRows body = Body(RunOn({dir / "t/a/f.txt", dir / "t/a/g.txt"}, {dir / "t/a"},
                                           {{"rename", rules}}, QelJobOptions{.dryRun = dryRun}));
        EXPECT_EQ(targets(body), expected) << dryRun;
        EXPECT_EQ(outcome.failed, 1) << dryRun;
    }
    EXPECT_EQ(Listing(dir / "t"), (std::vector<std::string>{"new_b_x", "new_b_x/g.txt", "new_b_x/new_f.txt",
                                                             "new_b_x/new_g.txt"}));
}

TEST_F(JobRunnerTest, UnknownCommandsAndUnusableDestinationsAreSkipped) {
    const QelLogRows body = Body(Run({{"Copy", dir / "out"},
                                      {"archive", dir / "out"},
                                      {"<none>", dir / "out"},
                                      {"Delete", ""},
                                      {"copy", ""},
                                      {"move", "out"},
                                      {"savetxt", "./lists"},
                                      {"saveexcel", ""}}));
    EXPECT_EQ(body, (QelLogRows{"\"Copy\" Unknown Command Skipped", "\"archive\" Unknown Command Skipped",
                                "\"\" Unknown Command Skipped", "\"Delete\" Unknown Command Skipped",
                                "\"\" Destination Not Valid", "\"out\" Destination Not Valid",
                                "\"./lists\" Destination Not Valid", "\"\" Destination Not Valid"}));
    EXPECT_TRUE(Listing(dir / "out").empty());
    EXPECT_EQ(Listing(dir / "src").size(), 4u);
    EXPECT_EQ(outcome.failed, 8);
}

TEST_F(JobRunnerTest, AFolderMoveOntoAnExistingFolderFailsAndMovesNothing) {
    MakeFile(dir / "out/d/old.txt", "there before");
    EXPECT_EQ(Body(RunOn({}, Folders(), {{"move", dir / "out"}})),
              (QelLogRows{Q2(dir / "out/d") + " Move Path Failed"}));
    EXPECT_EQ(ReadBytes(dir / "src/d/in.txt"), "IN");
    EXPECT_FALSE(Exists(dir / "out/d/in.txt"));
    EXPECT_EQ(ReadBytes(dir / "out/d/old.txt"), "there before");
}

// Two photos of the same name: the second copy fails on the name, so no later
// step of the run may remove that item (in a dry run: would fail, would skip).
TEST_F(JobRunnerTest, AMoveOrDeleteSkipsTheItemsAnEarlierCopyOrMoveFailedOn) {
    MakeFile(dir / "t/2023/IMG.JPG", "2023");
    MakeFile(dir / "t/2024/IMG.JPG", "2024");
    const std::string y3 = dir / "t/2023/IMG.JPG", y4 = dir / "t/2024/IMG.JPG", out = dir / "out/IMG.JPG";
    const std::string skip = " Delete Skipped: an earlier step failed";
    struct Case {
        std::vector<QelJobStep> steps;
        bool dryRun;
        QelLogRows body;
        int failed;
    };
    const Case cases[] = {
        {{{"copy", dir / "out"}, {"delete", ""}}, false,
         {Q2(out) + " Copy File Success", Q2(out) + " Copy File Failed", Q2(y3) + " Delete File Success", Q2(y4) + skip}, 2},
        {{{"move", dir / "out"}, {"move", dir / "keep"}}, false,
         {Q2(out) + " Move File Success", Q2(out) + " Move File Failed", Q2(dir / "keep/IMG.JPG") + " Move File Failed",
          Q2(y4) + " Move Skipped: an earlier step failed"},
         3},
        // A copy that cannot run at all, or may have been meant as one, fails every item.
        {{{"copy", "relative"}, {"Copy", dir / "out"}, {"delete", ""}}, false,
         {"\"relative\" Destination Not Valid", "\"Copy\" Unknown Command Skipped", Q2(y3) + skip, Q2(y4) + skip}, 4},
        {{{"copy", dir / "out"}, {"delete", ""}}, true,
         {"Would Copy " + Q2(y3) + " To " + Q2(out),
          "Would Copy " + Q2(y4) + " To " + Q2(out) + " - would fail: an earlier item takes the same target",
          "Would Delete " + Q2(y3), "Would Skip Delete " + Q2(y4) + ": an earlier step would fail"}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body.front());
        fs::remove_all(dir / "out");
        MakeFile(dir / "t/2023/IMG.JPG", "2023");
        EXPECT_EQ(Body(RunOn({y3, y4}, {}, c.steps, QelJobOptions{.dryRun = c.dryRun})), c.body);
        EXPECT_EQ(outcome.failed, c.failed);
        EXPECT_EQ(ReadBytes(y4), "2024");
    }
}

// What is already in the destination, and what the real run would make of it.
TEST_F(JobRunnerTest, ADryRunForetellsEachTargetThatWouldFailWithTheReason) {
    const std::string d = dir / "src/d", to = dir / "out/d", would = " - would fail: ";
    struct Case {
        std::string inOut;  // a file made in out/ first
        QelJobStep step;
        std::vector<std::string> files, folders;
        std::string row;
    };
    const Case cases[] = {
        {"a.txt", {"copy", dir / "out"}, {dir / "src/a.txt"}, {}, "Would Copy " + Q2(dir / "src/a.txt") + " To " + Q2(dir / "out/a.txt") + would + "File exists"},
        {"d/in.txt", {"copy", dir / "out"}, {}, {d}, "Would Copy " + Q2(d) + " To " + Q2(to) + would + to + "/in.txt: File exists"},
        {"d/other.txt", {"copy", dir / "out"}, {}, {d}, "Would Copy " + Q2(d) + " To " + Q2(to)},  // merges
        {"d/other.txt", {"move", dir / "out"}, {}, {d}, "Would Move " + Q2(d) + " To " + Q2(to) + would + "File exists"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        fs::remove_all(dir / "out");
        MakeFile(dir / ("out/" + c.inOut), "mine");
        EXPECT_EQ(Body(RunOn(c.files, c.folders, {c.step}, QelJobOptions{.dryRun = true})), QelLogRows{c.row});
        EXPECT_EQ(outcome.failed, c.row.find(would) == std::string::npos ? 0 : 1);
    }
}

TEST_F(JobRunnerTest, RowsBelowAFolderTheStepAlreadyHandledWentWithIt) {
    const std::vector<std::string> files = {dir / "src/d/in.txt", dir / "src/a.txt"};
    const std::vector<std::string> folders = {dir / "src/d", dir / "src/d/e"};
    struct Case {
        QelJobStep step;
        bool dryRun;
        QelLogRows body;
    };
    const Case cases[] = {
        {{"move", dir / "out"}, false,
         {Q2(dir / "out/d") + " Move Path Success", Q2(dir / "out/d/e") + " Moved With Its Folder",
          Q2(dir / "out/d/in.txt") + " Moved With Its Folder", Q2(dir / "out/a.txt") + " Move File Success"}},
        {{"move", dir / "out"}, true,
         {"Would Move " + Q2(dir / "src/d") + " To " + Q2(dir / "out/d"),
          "Would Move " + Q2(dir / "src/d/e") + " To " + Q2(dir / "out/d/e") + " with its folder",
          "Would Move " + Q2(dir / "src/d/in.txt") + " To " + Q2(dir / "out/d/in.txt") + " with its folder",
          "Would Move " + Q2(dir / "src/a.txt") + " To " + Q2(dir / "out/a.txt")}},
        {{"delete", ""}, false,
         {Q2(dir / "src/d/in.txt") + " Delete File Success", Q2(dir / "src/a.txt") + " Delete File Success",
          Q2(dir / "src/d") + " Delete Path Success", Q2(dir / "src/d/e") + " Deleted With Its Folder"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body.front());
        fs::remove_all(dir / "out");
        for (const char* file : {"src/d/in.txt", "src/d/e/deep.txt", "src/a.txt"}) MakeFile(dir / file, "x");
        EXPECT_EQ(Body(RunOn(files, folders, {c.step}, QelJobOptions{.dryRun = c.dryRun})), c.body);
        EXPECT_EQ(outcome.failed, 0);
        EXPECT_EQ(Listing(dir / "src").size(), c.dryRun ? 6u : 1u);  // b.txt stays
    }
}

TEST_F(JobRunnerTest, ExportsListFoldersFirstAndNeverReplaceAFile) {
    const QelLogRows body =
        Body(Run({{"savetxt", dir / "out"}, {"savetxt", dir / "out"}, {"saveexcel", dir / "out"},
                  {"savetxt", dir / "missing"}, {"saveexcel", dir / "missing"}}));
    ASSERT_EQ(body.size(), 5u);
    const std::vector<std::string> written = Listing(dir / "out");
    ASSERT_EQ(written.size(), 3u);  // two text files side by side and one workbook
    for (int i = 0; i < 3; ++i) {
        const std::string tail = i == 2 ? " Save Excel Complete" : " Save TXT Complete";
        EXPECT_TRUE(body[i].ends_with(tail)) << body[i];
        const std::string path = body[i].substr(1, body[i].size() - tail.size() - 2);
        EXPECT_EQ(fs::path(path).parent_path(), dir / "out");
        EXPECT_NE(std::find(written.begin(), written.end(), fs::path(path).filename()), written.end()) << path;
        EXPECT_NE(fs::path(path).filename().string().find("_job"), std::string::npos) << path;
    }
    EXPECT_NE(body[0], body[1]);
    const std::string text = "Result List\r\n[0] " + dir / "src/d" + "\r\n[1] " + dir / "src/a.txt" + "\r\n[2] " +
                             dir / "src/b.txt" + "\r\n";
    EXPECT_EQ(ReadBytes(body[0].substr(1, body[0].find("\" ") - 1)), text);
    EXPECT_EQ(ReadBytes(body[1].substr(1, body[1].find("\" ") - 1)), text);
    EXPECT_EQ(ReadBytes(body[2].substr(1, body[2].find("\" ") - 1)).substr(0, 2), "PK");
    EXPECT_TRUE(body[3].ends_with(".txt\" Save TXT Failed")) << body[3];
    EXPECT_TRUE(body[4].ends_with(".xlsx\" Save Excel Failed")) << body[4];
    EXPECT_EQ(outcome.failed, 2);
}

TEST_F(JobRunnerTest, AJobNameWithASlashStillExportsIntoTheDestination) {
    CQelRowCollector log;
    CQelJobRunner(log).Run(MakeJobModel(Files(), {}, {{"savetxt", dir / "out"}}, "day/night"));
    const std::vector<std::string> written = Listing(dir / "out");
    ASSERT_EQ(written.size(), 1u);
    EXPECT_TRUE(written[0].ends_with("_day_night.txt")) << written[0];
}

TEST_F(JobRunnerTest, OddNamesAreCopiedRenamedAndDeletedAsThemselves) {
    const std::vector<std::string> names = {"bad\xFF\xFE.txt", "blank ", "line\nbreak"};
    std::vector<std::string> files;
    for (const auto& name : names) {
        MakeFile(dir / ("odd/" + name), name);
        files.push_back(dir / ("odd/" + name));
    }
    const QelLogRows body =
        Body(RunOn(files, {}, {{"copy", dir / "out"}, {"rename", RuleSet("file", "preadd", "n_")}, {"delete", ""}}));
    ASSERT_EQ(body.size(), 9u);
    EXPECT_EQ(body[0], Q2(dir / "out/bad\xFF\xFE.txt") + " Copy File Success");
    EXPECT_EQ(body[3], Q2(dir / "odd/n_bad\xFF\xFE.txt") + " Change File Name");
    for (const auto& name : names) {
        EXPECT_EQ(ReadBytes(dir / ("out/" + name)), name);
        EXPECT_EQ(ReadBytes(dir / ("odd/n_" + name)), name);
    }
    // The delete step looks for the searched names, which the rename took away.
    for (int i = 6; i < 9; ++i) EXPECT_TRUE(body[i].ends_with(" Delete File Failed")) << body[i];
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
    } const cases[] = {
        {{"copy", dir / "out"}, dir / "out/d", Q2(dir / "out/d") + " Copy Path Success"},
        {{"rename", fileRule}, dir / "src/a_x.txt", Q2(dir / "src/a_x.txt") + " Change File Name"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first.cmd);
        QelJobOptions options;
        options.keepGoing = [&] { return !Exists(c.doneWhen); };
        EXPECT_EQ(Body(Run({c.first, {"delete", ""}}, options)),
                  (QelLogRows{c.doneRow, "\"job\" Job Process Stopped."}));
        EXPECT_TRUE(outcome.stopped);
        EXPECT_EQ(outcome.succeeded, 1);
        EXPECT_TRUE(Exists(dir / "src/b.txt"));
        EXPECT_TRUE(Exists(dir / "src/d/in.txt"));
        EXPECT_FALSE(Exists(dir / "out/a.txt"));
        fs::remove_all(dir / "out/d");
        if (Exists(dir / "src/a_x.txt")) fs::rename(dir / "src/a_x.txt", dir / "src/a.txt");
    }
}
