// qeltessary-cli as a process, run from the root of a tree of the test's
// own: what it prints, its exit status and its messages. The search engine
// and the job runner have their own tests; these prove the command line.

#include <gtest/gtest.h>
#include <json/json.h>
#include <sys/wait.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "../common/QelTreeText.h"

namespace {

using namespace std::string_literals;

struct CliRun {
    int status = -1;
    std::string out, err;
};

std::string Quoted(const std::string& word) {
    std::string quoted = "'";
    for (const char c : word) quoted += c == '\'' ? "'\\''"s : std::string(1, c);
    return quoted + "'";
}

// Runs words in folder with QELTESSARY_HOME=home; closed: standard output is closed.
CliRun Shell(const std::vector<std::string>& words, const std::string& folder, const std::string& home,
             bool closed = false) {
    const QelTestDir io;
    std::string command = "cd " + Quoted(folder) + " && QELTESSARY_HOME=" + Quoted(home) + " exec";
    for (const std::string& word : words) command += " " + Quoted(word);
    command += (closed ? " >&-" : " >" + Quoted(io / "out")) + " 2>" + Quoted(io / "err");
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(io / "out"), ReadBytes(io / "err")};
}

// "*text": ends with text; "text*": starts with it; else equal.
bool Matches(const std::string& actual, const std::string& expected) {
    if (expected.starts_with('*')) return actual.ends_with(expected.substr(1));
    if (expected.ends_with('*')) return actual.starts_with(expected.substr(0, expected.size() - 1));
    return actual == expected;
}

// Records without a name come first: they are never chosen, not even by an empty name.
const char kUserEnv[] = R"({"searchfilter":[{"filterfileext":["cpp"]},{"name":"","filterfileext":["cpp"]},
    {"name":"Text","filterfileext":["txt"],"filterdirname":["src"]},{"name":"Two\nLines"},
    {"name":"Code","filterfileext":["cpp"]},{"name":"My Docs"}],
  "aftersearchjob":[{"list":[{"cmd":"delete"}]},{"name":"","list":[{"cmd":"delete"}]},
    {"name":"Keep","list":[{"cmd":"copy","act":"OUT"},{"cmd":"savetxt","act":"OUT"}]},
    {"name":"Wipe","list":[{"cmd":"delete","act":""}]}]})";

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        MakeTree(t.path(), {"src/main.cpp", "src/src/deep.txt", "top.txt", "l/to->../src", "--help/a.txt"});
        std::string env = kUserEnv;
        for (std::size_t at; (at = env.find("OUT")) != std::string::npos;) env.replace(at, 3, home / "out");
        MakeTree(home.path(), {"out/", "user/env.json=" + env,
                               R"(config/env.json={"searchfilter":[{"name":"Shipped","filterfileext":["cpp"]}]})"});
    }
    CliRun Run(const std::vector<std::string>& args, const std::string& settings = "", bool closed = false) {
        std::vector<std::string> words{QEL_CLI_PATH};
        words.insert(words.end(), args.begin(), args.end());
        return Shell(words, t.path(), settings.empty() ? home.path() : settings, closed);
    }
    QelTestDir t, home;
};

TEST_F(Cli, EachCommandLineGivesItsOutputStatusAndMessage) {
    QelTestDir none, broken, huge, shipped;
    MakeTree(broken.path(), {"user/env.json={ not json"});
    std::string history = R"({"searchpathhistory":[)";
    for (int i = 0; i < 100000; ++i) history += "[],";
    MakeTree(huge.path(), {"user/env.json=" + history + "[]]}"});
    MakeTree(shipped.path(), {R"(config/env.json={"searchfilter":[{"name":"Docs","filterfileext":["cpp"]}]})"});
    const std::string invalid = "The search path is invalid!!\n\"missing\": No such file or directory\n", empty = "The path is empty!!\n",
                      notDir = "The search path \"top.txt\" cannot be read: Not a directory.\n", noCriteria = "There are no search criteria!!\n",
                      unreadable = "The settings file env.json could not be read.\n", noFilter = "There is no search filter named ",
                      usage = "*\nTry 'qeltessary-cli --help'.\n";
    struct Case { std::vector<std::string> args; int status; std::string out, err = "", settings = ""; bool closed = false; };
    const Case cases[] = {
        {{"search", "src", "--ext", "txt", "--folder", "src"}, 0, "src/src/deep.txt\nsrc/src\n"},  // files, then folders
        {{"search", ".//", "--ext=txt", "--no-sub"}, 0, "./top.txt\n"}, {{"search", "l", "--name", "to"}, 0, "l/to\n"},
        {{"search", "src", "--filter", "Code", "--folder", "src"}, 0, "src/main.cpp\nsrc/src\n"},
        {{"search", "src", "--filter", "Docs"}, 0, "src/main.cpp\n", "", shipped.path()},
        {{"search", "-L", "--xdev", "l", "--name", "deep", "--print0"}, 0, "l/to/src/deep.txt\0"s},
        {{"search", "//", "--no-sub", "--folder", "proc"}, 0, "/proc\n"}, {{"search", "src", "--help"}, 0, "Usage: qeltessary-cli*"},
        {{"search", "--ext", "txt", "--", "--help"}, 0, "--help/a.txt\n"}, {{"search", ".", "--name", "nothing-like-this"}, 1, ""},
        {{"--list-filters"}, 0, "Text\nCode\nMy Docs\n"}, {{"--list-jobs"}, 0, "Keep\nWipe\n"},
        {{"search", "missing", "--name", "x"}, 2, "", invalid}, {{"search", "", "--name", "x"}, 2, "", empty},
        {{"search", "."}, 2, "", noCriteria}, {{"search", ".", "--filter", "My Docs"}, 2, "", noCriteria},
        {{"search", ".", "--filter", "Shipped"}, 2, "", noFilter + "\"Shipped\".\n"}, {{"search", ".", "--filter", ""}, 2, "", noFilter + "\"\".\n"},
        {{"search", ".", "--filter", "Text"}, 2, "", "There are no search filters.\n", none.path()}, {{"--list-jobs"}, 2, "", unreadable, broken.path()},
        {{"search", ".", "--filter", "Text"}, 2, "", unreadable, broken.path()}, {{"search", "top.txt", "--name", ""}, 2, "", notDir},
        {{"search", ".", "--filter", "Text"}, 2, "",
         "The settings file env.json could not be read (more than 100000 entries in one array).\n", huge.path()},
        {{"search", ".", "--name", ""}, 2, "", "The results could not be written.\n", "", true}, {{"job", "Keep", "."}, 2, "", unreadable, broken.path()},
        {{"job", "", "."}, 2, "", "There is no after-search job named \"\".\n"}, {{"job", "Keep", ".", "--filter", "Nope"}, 2, "", noFilter + "\"Nope\".\n"},
        {{"job", "Keep", ".", "--filter", "My Docs"}, 2, "", noCriteria}, {{"job", "Keep", "missing"}, 2, "", invalid},
        {{"job", "Keep", ""}, 2, "", empty}, {{"job", "Keep", "top.txt"}, 2, "", notDir}, {{"search", ".", "--name"}, 2, "", usage},
        {{"job", "--dry-run", "Wipe", "."}, 2, "", "The job log could not be written.\n", "", true}, {{"job", "Keep"}, 2, "", usage},
        {{}, 2, "", usage}, {{"find", "."}, 2, "", usage}, {{"search", ".", "--json", "--print0", "--name", "x"}, 2, "", usage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "" : c.args.front() + " " + c.args.back());
        const CliRun run = Run(c.args, c.settings, c.closed);
        EXPECT_TRUE(run.status == c.status && Matches(run.out, c.out) && Matches(run.err, c.err))
            << run.status << "\n" << run.out << "\n" << run.err;
    }
    EXPECT_TRUE(std::filesystem::is_empty(home / "out"));
}

// The paths of a --json record, read with JsonCpp, which keeps string bytes.
std::multiset<std::string> JsonList(const std::string& text, const char* key) {
    Json::Value root;
    EXPECT_TRUE(Json::Reader().parse(text, root)) << text;
    std::multiset<std::string> paths;
    for (const Json::Value& v : root[key]) paths.insert(v.asString());
    return paths;
}

TEST_F(Cli, JsonKeepsEveryByteOfEveryNameAtAnyLength) {
    const std::vector<std::string> odd = {"odd/half\xE2\x82.bin", "odd/line\nfeed.bin", "odd/q\"b\\s\x01\x1f\t.bin",
                                          "odd/raw\xff\xfe.bin", "odd/dir\xff/"};  // the files in byte order
    MakeTree(t.path(), odd);
    CliRun run = Run({"search", "odd", "--ext", "bin", "--folder", "dir\xff", "--json"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.find('\n'), run.out.size() - 1);
    EXPECT_EQ(run.out.find("\\u"), run.out.find("\\u0001"));  // no byte written as a code point
    EXPECT_EQ(JsonList(run.out, "fileresultlist"), std::multiset<std::string>(odd.begin(), odd.end() - 1));
    EXPECT_EQ(JsonList(run.out, "dirresultlist"), std::multiset<std::string>{"odd/dir\xff"});
    EXPECT_EQ(Run({"search", ".", "--name", "zzz", "--json"}).out, "{\"fileresultlist\":[],\"dirresultlist\":[]}\n");

    // Enough long paths to fill the writer's 256 KiB block several times over.
    for (int i = 0; i < 2000; ++i) MakeTree(t.path(), {"many/" + std::string(200, 'n') + std::to_string(i)});
    run = Run({"search", "many", "--name", "n", "--json"});
    ASSERT_GT(run.out.size(), 300u * 1024);
    const std::multiset<std::string> many = JsonList(run.out, "fileresultlist");
    EXPECT_EQ(std::set<std::string>(many.begin(), many.end()).size(), 2000u);
}

// The saved job runs on the hits of the first listed filter, its rows printed
// one a line with control characters in names escaped.
TEST_F(Cli, JobRunsTheSavedJobOnTheHitsAndPrintsEveryRow) {
    const std::string odd = "odd\n\"x\" Copy File Success\t\x1b[2J\\.txt";
    MakeTree(t.path(), {"odd/" + odd + "=x", "odd/sub/deeper.txt"});
    const std::string copied = "\"" + home / "out/odd\\n\"x\" Copy File Success\\t\\x1b[2J\\\\.txt\" Copy File ";
    CliRun run = Run({"job", "Keep", t / "odd", "--no-sub"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Matches(run.out, "\"Keep\" Job Process Start.\n" + copied + "Success\n\"" + home / "out/*")) << run.out;
    EXPECT_TRUE(Matches(run.out, "*_Keep.txt\" Save TXT Complete\n\"Keep\" Job Process End.\n")) << run.out;
    EXPECT_EQ(ReadBytes(home / ("out/" + odd)), "x");
    EXPECT_FALSE(Exists(home / "out/deeper.txt"));

    run = Run({"job", "Keep", t / "odd", "--no-sub"});  // the copy is there now
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find(copied + "Failed\n"), std::string::npos) << run.out;

    run = Run({"job", "--dry-run", "Wipe", t / "odd", "--filter", "Text"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Would Delete \"" + t / "odd/sub/deeper.txt\"\n"), std::string::npos) << run.out;
    EXPECT_TRUE(Exists(t / "odd/sub/deeper.txt"));
}

// The bash completion as bash runs it: names come from the program's hidden
// listings, folders from the disk.
TEST_F(Cli, BashCompletionOffersSubcommandsOptionsNamesAndFolders) {
    const std::string completion = "/usr/share/bash-completion/bash_completion";
    if (::access(completion.c_str(), R_OK) != 0) GTEST_SKIP() << "bash-completion is not installed";
    // Prints the completions of the last word, sorted, one per line.
    const std::string script = R"(source "$0"; source "$1"; shift
COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
_qeltessary_cli "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}" 2>/dev/null
[[ ${#COMPREPLY[@]} -eq 0 ]] || printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort)";
    // "--no-sub s": folders only; "-- -": a path (the folder), not an option.
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{""}, "job\nsearch\n"}, {{"search", "--f"}, "--filter\n--folder\n--follow\n"}, {{"job", "--d"}, "--dry-run\n"},
        {{"search", "--filter", ""}, "Code\nMy\\ Docs\nText\n"}, {{"job", "--filter", "Text", "K"}, "Keep\n"},
        {{"search", "--no-sub", "s"}, "src\n"}, {{"search", "--", "-"}, "--help\n"}};
    for (const auto& [words, completions] : cases) {
        std::vector<std::string> command{"bash", "-c", script, completion, QEL_CLI_COMPLETION, QEL_CLI_PATH};
        command.insert(command.end(), words.begin(), words.end());
        const CliRun run = Shell(command, t.path(), home.path());
        EXPECT_EQ(run.out, completions) << words.front() << " ... " << words.back();
    }
}

}  // namespace
