// qeltessary-cli as a process: output forms, exit codes and messages, saved
// filters read from env.json below QELTESSARY_HOME, links, mount points and
// pseudo file systems (in a mount namespace of the test's own).

#include <fcntl.h>
#include <gtest/gtest.h>
#include <json/json.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "QelTestTree.h"

extern char** environ;

namespace {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

struct RunSetup {
    std::string home;             // becomes QELTESSARY_HOME when given
    bool closedStdout = false;    // the program finds its output closed
};

// Runs command (looked up in PATH) and collects what it prints.
CliRun RunCommand(const std::vector<std::string>& command, const RunSetup& setup = {}) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("QELTESSARY_HOME=", 0) != 0) env.push_back(*e);
    if (!setup.home.empty()) env.push_back("QELTESSARY_HOME=" + setup.home);
    std::vector<char*> argv, envp;
    for (const auto& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (setup.closedStdout) posix_spawn_file_actions_addclose(&actions, 1);
    else posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    pid_t pid = 0;
    CliRun run;
    const bool started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&run.out, &run.err};
    int open = 2;
    while (started && open > 0 && poll(fds, 2, -1) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !fds[i].revents) continue;
            char buf[65536];
            const ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                sinks[i]->append(buf, static_cast<std::size_t>(n));
            } else {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    close(out[0]);
    close(err[0]);
    int status = 0;
    if (started && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.status = WEXITSTATUS(status);
    return run;
}

std::vector<std::string> CliCommand(const std::vector<std::string>& args) {
    std::vector<std::string> command{QEL_CLI_PATH};
    command.insert(command.end(), args.begin(), args.end());
    return command;
}

CliRun RunCli(const std::vector<std::string>& args, const std::string& home = "") {
    return RunCommand(CliCommand(args), RunSetup{home});
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    EXPECT_EQ(start, text.size()) << "output does not end with its separator";
    return parts;
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        t.Dir("src");
        t.File("src/main.cpp");
        t.File("src/notes.txt");
        t.Dir("src/src");
        t.File("src/src/deep.txt");
        t.File("top.txt");
    }
    CTestTree t;
};

TEST_F(Cli, PrintsFileHitsThenFolderHitsWithExitZero) {
    const CliRun run = RunCli({"search", t.Root(), "--ext", "txt", "--folder", "src"});
    EXPECT_EQ(run.status, 0);
    const std::vector<std::string> lines = Split(run.out, '\n');
    ASSERT_EQ(lines.size(), 5u);
    std::vector<std::string> files(lines.begin(), lines.begin() + 3);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{t.Path("src/notes.txt"), t.Path("src/src/deep.txt"), t.Path("top.txt")}));
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.end()),
              (std::vector<std::string>{t.Path("src"), t.Path("src/src")}));
    EXPECT_EQ(run.err, "");

    const CliRun flat = RunCli({"search", t.Root(), "--ext=txt", "--no-sub"});
    EXPECT_EQ(flat.out, t.Path("top.txt") + "\n");
}

TEST_F(Cli, ExitCodesAndMessages) {
    EXPECT_EQ(RunCli({"search", t.Root(), "--name", "nothing-like-this"}).status, 1);

    const CliRun missing = RunCli({"search", t.Path("missing"), "--name", "x"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "The search path is invalid!!\n");
    const CliRun empty = RunCli({"search", "", "--name", "x"});
    EXPECT_EQ(empty.status, 2);
    EXPECT_EQ(empty.err, "The path is empty!!\n");
    const CliRun noCriteria = RunCli({"search", t.Root()});
    EXPECT_EQ(noCriteria.status, 2);
    EXPECT_EQ(noCriteria.err, "There are no search criteria!!\n");
    for (const auto& bad : std::vector<std::vector<std::string>>{
             {}, {"find", t.Root()}, {"search", t.Root(), "--name"}, {"search", t.Root(), "--bogus"},
             {"search", t.Root(), t.Root(), "--name", "x"}, {"search", t.Root(), "--json", "--print0", "--name", "x"}}) {
        const CliRun run = RunCli(bad);
        EXPECT_EQ(run.status, 2) << bad.size();
        EXPECT_NE(run.err.find("--help"), std::string::npos);
        EXPECT_EQ(run.out, "");
    }
    const CliRun help = RunCli({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* topic : {"--filter NAME", "  --  ", "\"//\"", "--ext \"\" matches nothing", "-L, --follow",
                              "--xdev", "bytes are written as they are"})
        EXPECT_NE(help.out.find(topic), std::string::npos) << topic;
}

TEST_F(Cli, AnUnreadableRootIsNamedWithTheReason) {
    t.Link("loop", "loop");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {t.Path("top.txt"), "Not a directory"},
        {t.Path("loop"), "Too many levels of symbolic links"},
    };
    for (const auto& [root, reason] : cases) {
        const CliRun run = RunCli({"search", root, "--name", ""});
        EXPECT_EQ(run.status, 2) << root;
        EXPECT_EQ(run.err, "The search path \"" + root + "\" cannot be read: " + reason + ".\n");
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(Cli, AFolderWithoutReadPermissionAsRoot) {
    t.Dir("locked");
    t.File("locked/x.txt");
    ASSERT_EQ(chmod(t.Path("locked").c_str(), 0), 0);
    // Root reads every folder: run as nobody then.
    std::vector<std::string> command = CliCommand({"search", t.Path("locked"), "--json", "--name", ""});
    if (geteuid() == 0) command.insert(command.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    const CliRun run = RunCommand(command);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "The search path \"" + t.Path("locked") + "\" cannot be read: Permission denied.\n");
    EXPECT_EQ(run.out, "");
}

TEST_F(Cli, PathAfterDoubleDashMayStartWithADash) {
    t.Dir("-x");
    t.File("-x/--help.txt");
    const std::string here = t.Root();
    ASSERT_EQ(chdir(here.c_str()), 0);
    const CliRun run = RunCli({"search", "--ext", "txt", "--", "-x"});
    ASSERT_EQ(chdir("/"), 0);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "-x/--help.txt\n");
}

TEST_F(Cli, RootIsUsedAsWritten) {
    const CliRun run = RunCli({"search", t.Root() + "/", "--name", "top"});
    EXPECT_EQ(run.out, t.Root() + "//top.txt\n");
}

TEST_F(Cli, OutputThatCannotBeWrittenEndsTheSearch) {
    const CliRun run = RunCommand(CliCommand({"search", t.Root(), "--name", ""}), RunSetup{"", true});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "The results could not be written.\n");
}

TEST_F(Cli, Print0KeepsNamesWithLineFeedsWhole) {
    t.File("two\nlines.txt");
    t.File("raw\xff.txt");
    const CliRun run = RunCli({"search", t.Root(), "--name", "two", "--name", "raw", "--print0"});
    EXPECT_EQ(run.status, 0);
    std::vector<std::string> paths = Split(run.out, '\0');
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string>{t.Path("raw\xff.txt"), t.Path("two\nlines.txt")}));
}

// The paths in a --json record, read with JsonCpp, which keeps string bytes.
struct JsonLists {
    std::vector<std::string> files, folders;
};
JsonLists ReadJson(const std::string& text) {
    Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &root, &errors)) << errors;
    JsonLists out;
    for (const Json::Value& v : root["fileresultlist"]) out.files.push_back(v.asString());
    for (const Json::Value& v : root["dirresultlist"]) out.folders.push_back(v.asString());
    return out;
}

TEST_F(Cli, JsonKeepsEveryByteOfEveryName) {
    const std::vector<std::string> odd = {"q\"b\\s\x01\x1f\t.bin", "raw\xff\xfe.bin", "\xC3\xA9t\xC3\xA9.bin",
                                          "half\xE2\x82.bin", "line\nfeed.bin"};
    for (const std::string& name : odd) t.File(name);
    t.Dir("dir\xff");
    const CliRun run = RunCli({"search", t.Root(), "--ext", "bin", "--folder", "src", "--folder", "dir\xff", "--json"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.find('\n'), run.out.size() - 1);  // one line
    EXPECT_EQ(run.out.find("\\u"), run.out.find("\\u0001"));  // no byte written as a code point
    const JsonLists got = ReadJson(run.out);
    std::vector<std::string> expected;
    for (const std::string& name : odd) expected.push_back(t.Path(name));
    std::vector<std::string> files = got.files;
    std::sort(files.begin(), files.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(files, expected);
    std::vector<std::string> folders = got.folders;
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ(folders, (std::vector<std::string>{t.Path("dir\xff"), t.Path("src"), t.Path("src/src")}));

    const CliRun none = RunCli({"search", t.Root(), "--name", "zzz", "--json"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "{\"fileresultlist\":[],\"dirresultlist\":[]}\n");
}

TEST_F(Cli, OutputLongerThanTheBufferStaysWholeAndInOrder) {
    // Enough long paths to fill the output buffer several times over.
    const std::string longName(200, 'n');
    for (int i = 0; i < 2000; ++i) t.File(longName + std::to_string(i) + ".txt");
    for (const char* mode : {"--json", "--print0"}) {
        const CliRun run = RunCli({"search", t.Root(), "--name", "n", "--folder", "src", mode});
        EXPECT_EQ(run.status, 0);
        ASSERT_GT(run.out.size(), 300u * 1024);  // past the writer's 256 KiB block
        JsonLists got;
        if (std::string(mode) == "--json") {
            got = ReadJson(run.out);
        } else {
            // Files first, then the two folders.
            std::vector<std::string> paths = Split(run.out, '\0');
            ASSERT_GE(paths.size(), 2u);
            got.folders.assign(paths.end() - 2, paths.end());
            got.files.assign(paths.begin(), paths.end() - 2);
        }
        EXPECT_EQ(got.files.size(), 2002u) << mode;  // and src/main.cpp, src/notes.txt
        EXPECT_EQ(std::set<std::string>(got.files.begin(), got.files.end()).size(), got.files.size());
        EXPECT_EQ(got.folders, (std::vector<std::string>{t.Path("src"), t.Path("src/src")})) << mode;
    }
}

TEST_F(Cli, LinksAreFilesUnlessFollowed) {
    t.Link("src", "srclink");
    t.Link("/proc", "procl");
    CliRun run = RunCli({"search", t.Root(), "--name", "deep", "--name", "link", "--name", "cpuinfo"});
    std::vector<std::string> lines = Split(run.out, '\n');
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{t.Path("src/src/deep.txt"), t.Path("srclink")}));
    for (const char* follow : {"-L", "--follow"}) {
        run = RunCli({"search", follow, t.Root(), "--name", "deep", "--folder", "srclink", "--name", "cpuinfo"});
        lines = Split(run.out, '\n');
        std::sort(lines.begin(), lines.begin() + 2);
        // proc is a pseudo file system: not entered even through a followed link.
        EXPECT_EQ(lines, (std::vector<std::string>{t.Path("src/src/deep.txt"), t.Path("srclink/src/deep.txt"),
                                                    t.Path("srclink")}))
            << follow;
    }
}

TEST_F(Cli, ARootOnAPseudoFileSystemIsSearched) {
    if (access("/proc/sys/fs/file-max", F_OK) != 0) GTEST_SKIP() << "no /proc here";
    const CliRun run = RunCli({"search", "/proc/sys/fs", "--no-sub", "--name", "file-max"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "/proc/sys/fs/file-max\n");
}

// Mount points made in a mount namespace of the test's own, so they vanish
// with the command: proc bound at p, a tmpfs at tm, a devtmpfs at dev.
class CliMounts : public Cli {
protected:
    void SetUp() override {
        Cli::SetUp();
        for (const char* dir : {"p", "tm", "dev"}) t.Dir(dir);
        m_script = "R='" + t.Root() + "' && mount --bind /proc \"$R/p\" && mount -t tmpfs none \"$R/tm\" && "
                   ": > \"$R/tm/inner.txt\" && mount -t devtmpfs none \"$R/dev\"";
        if (RunCommand({"unshare", "-m", "--propagation", "private", "sh", "-c", m_script}).status != 0)
            GTEST_SKIP() << "mounting in a mount namespace needs root (CAP_SYS_ADMIN) and util-linux's unshare";
    }
    CliRun RunMounted(const std::vector<std::string>& args) {
        std::vector<std::string> command{"unshare", "-m", "--propagation", "private", "sh", "-c",
                                         m_script + " && exec \"$0\" \"$@\"", QEL_CLI_PATH};
        command.insert(command.end(), args.begin(), args.end());
        return RunCommand(command);
    }
    std::string m_script;
};

TEST_F(CliMounts, PseudoFileSystemsAreNotEnteredAndXdevStaysOnTheRootsOne) {
    const std::vector<std::string> query = {"--name", "cpuinfo", "--name", "inner", "--name", "null",
                                            "--folder", "p", "--folder", "tm", "--folder", "dev"};
    std::vector<std::string> args{"search", t.Root()};
    args.insert(args.end(), query.begin(), query.end());
    const std::vector<std::string> mountPoints = {t.Path("dev"), t.Path("p"), t.Path("tm")};

    CliRun run = RunMounted(args);
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines = Split(run.out, '\n');
    ASSERT_EQ(lines.size(), 4u) << run.out;
    EXPECT_EQ(lines[0], t.Path("tm/inner.txt"));  // a tmpfs is the user's
    std::sort(lines.begin() + 1, lines.end());
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.end()), mountPoints);

    args.push_back("--xdev");
    run = RunMounted(args);
    EXPECT_EQ(run.status, 0) << run.err;
    lines = Split(run.out, '\n');
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, mountPoints);  // listed, none entered

    run = RunMounted({"search", t.Path("p"), "--no-sub", "--name", "cpuinfo"});
    EXPECT_EQ(run.out, t.Path("p/cpuinfo") + "\n");
}

class CliFilter : public Cli {
protected:
    void WriteEnv(const std::string& tree, const std::string& json) {
        if (access(home.Path(tree).c_str(), F_OK) != 0) home.Dir(tree);
        home.File(tree + "/env.json", json);
    }
    CTestTree home;
};

TEST_F(CliFilter, UserFiltersComeBeforeTheShippedOnes) {
    WriteEnv("config", R"({"searchfilter":[{"name":"Docs","filterfilename":[],"filterfileext":["txt"],"filterdirname":[]},
                                             {"name":"Code","filterfileext":["cpp"]}]})");
    // Shipped filters only: a record without some arrays counts them as empty.
    CliRun run = RunCli({"search", t.Root(), "--filter", "Code"}, home.Root());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, t.Path("src/main.cpp") + "\n");

    WriteEnv("user", "// the user's own\r\n{\"searchfilter\":[{\"name\":\"Docs\",\"filterfilename\":[\"deep\"],"
                     "\"filterfileext\":[\"txt\"],\"filterdirname\":[\"src\"]}]}\r\n");
    run = RunCli({"search", t.Root(), "--filter", "Docs", "--name", "top"}, home.Root());
    EXPECT_EQ(run.status, 0);
    std::vector<std::string> lines = Split(run.out, '\n');
    ASSERT_EQ(lines.size(), 4u);
    std::sort(lines.begin(), lines.begin() + 2);  // the two files in walk order, which the file system picks
    EXPECT_EQ(lines, (std::vector<std::string>{t.Path("src/src/deep.txt"), t.Path("top.txt"), t.Path("src"),
                                                t.Path("src/src")}));
    // The user's array is the one in use: "Code" is no longer there.
    run = RunCli({"search", t.Root(), "--filter", "Code"}, home.Root());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "There is no search filter named \"Code\".\n");
}

TEST_F(CliFilter, MissingOrBrokenSettings) {
    CliRun run = RunCli({"search", t.Root(), "--filter", "Docs"}, home.Root());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "There are no search filters.\n");
    WriteEnv("config", R"({"searchfilter":[{"name":"Empty","filterfilename":[],"filterfileext":[],"filterdirname":[]}]})");
    run = RunCli({"search", t.Root(), "--filter", "Empty"}, home.Root());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "There are no search criteria!!\n");
    WriteEnv("user", "{ not json");
    run = RunCli({"search", t.Root(), "--filter", "Empty"}, home.Root());
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("env.json"), std::string::npos);
}

// The bash completion as bash runs it: the names come from the program's
// hidden listings of env.json, the folders from the disk.
TEST_F(CliFilter, BashCompletionOffersSubcommandsOptionsNamesAndFolders) {
    const std::string bashCompletion = "/usr/share/bash-completion/bash_completion";
    if (access(bashCompletion.c_str(), R_OK) != 0) GTEST_SKIP() << "bash-completion is not installed";
    WriteEnv("config", R"({"searchfilter":[{"name":"Text"},{"filterfileext":["txt"]},{"name":"Two\nLines"},
                                             {"name":"My Docs"}]})");
    WriteEnv("user", R"({"aftersearchjob":[{"name":"Keep"},{"name":"Ka$h"}]})");
    // In array order; a record without a name, or one a line feed would split, is left out.
    EXPECT_EQ(RunCli({"--list-filters"}, home.Root()).out, "Text\nMy Docs\n");

    // Prints the completions of the last word, sorted, one per line.
    const std::string script = R"(source "$0"; source "$1"; shift
COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
_qeltessary_cli "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}" 2>/dev/null
[[ ${#COMPREPLY[@]} -eq 0 ]] || printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort)";
    struct Case {
        std::vector<std::string> words;
        std::string completions;
    };
    const Case cases[] = {
        {{""}, "job\nsearch\n"},
        {{"-"}, "--help\n"},
        {{"search", "--f"}, "--filter\n--folder\n--follow\n"},
        {{"search", "--filter", ""}, "My\\ Docs\nText\n"},
        {{"search", "--filter", "My\\ "}, "My\\ Docs\n"},
        {{"search", "--name", ""}, ""},
        {{"search", "--no-sub", t.Path("")}, t.Path("src") + "\n"},  // folders only
        {{"search", "--", "-"}, ""},  // a path, not an option
        {{"job", "--filter", "Text", "K"}, "Ka\\$h\nKeep\n"},
        {{"job", "--filter", "T"}, "Text\n"},
        {{"job", "--dry-run", "Keep", t.Path("s")}, t.Path("src") + "\n"},
        {{"job", "--d"}, "--dry-run\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> command{"bash", "-c", script, bashCompletion, QEL_CLI_COMPLETION, QEL_CLI_PATH};
        command.insert(command.end(), c.words.begin(), c.words.end());
        const CliRun run = RunCommand(command, RunSetup{home.Root()});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, c.completions) << c.words.front() << " ... " << c.words.back();
    }
    std::ofstream(home.Path("user/env.json"), std::ios::trunc) << "{ not json";
    EXPECT_EQ(RunCli({"--list-jobs"}, home.Root()).status, 2);
}

// The after-search job subcommand: the saved job runs on the hits of the
// saved filter, and --dry-run leaves the disk as it was.
class CliJob : public CliFilter {
protected:
    void SetUp() override {
        CliFilter::SetUp();
        home.Dir("out");
        // Records without a name come first: they are never chosen, not even by an empty name.
        WriteEnv("user", R"({"searchfilter":[{"filterfileext":["cpp"]},{"name":"","filterfileext":["cpp"]},
                                               {"name":"Text","filterfileext":["txt"],"filterdirname":["src"]},
                                               {"name":"Code","filterfileext":["cpp"]}],
            "aftersearchjob":[{"list":[{"cmd":"delete","act":""}]},{"name":"","list":[{"cmd":"delete","act":""}]},
                              {"name":"Keep","list":[{"cmd":"copy","act":")" + home.Path("out") + R"("},
                                                      {"cmd":"savetxt","act":")" + home.Path("out") + R"("}]},
                              {"name":"Wipe","list":[{"cmd":"delete","act":""}]},
                              {"name":"Archive","list":[{"cmd":"copy","act":")" + home.Path("out") + R"("},
                                                         {"cmd":"delete","act":""}]}]})");
    }
    // Every entry below root with its bytes (folders as "/").
    static std::set<std::string> Snapshot(const std::string& root) {
        std::set<std::string> entries;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            std::string content = "/";
            if (!entry.is_directory()) {
                std::ifstream in(entry.path(), std::ios::binary);
                content.assign(std::istreambuf_iterator<char>(in), {});
            }
            entries.insert(entry.path().string() + "=" + content);
        }
        return entries;
    }
};

TEST_F(CliJob, RunsTheSavedJobOnTheHitsAndPrintsEveryRow) {
    const CliRun run = RunCli({"job", "Keep", t.Root(), "--no-sub"}, home.Root());
    EXPECT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> rows = Split(run.out, '\n');
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], "\"Keep\" Job Process Start.");
    EXPECT_EQ(rows[1], "\"" + home.Path("out/src") + "\" Copy Path Success");  // folders first
    EXPECT_EQ(rows[2], "\"" + home.Path("out/top.txt") + "\" Copy File Success");
    EXPECT_TRUE(rows[3].ends_with("_Keep.txt\" Save TXT Complete")) << rows[3];
    EXPECT_EQ(rows[4], "\"Keep\" Job Process End.");
    EXPECT_TRUE(std::filesystem::exists(home.Path("out/src/src/deep.txt")));

    // The copies are there now: a second run fails on the file and says so in its status.
    const CliRun again = RunCli({"job", "Keep", t.Root(), "--no-sub"}, home.Root());
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.out.find("top.txt\" Copy File Failed\n"), std::string::npos);
}

TEST_F(CliJob, ADryRunTellsWhatWouldHappenAndTouchesNothing) {
    const std::set<std::string> before = Snapshot(t.Root());
    const std::set<std::string> outBefore = Snapshot(home.Path("out"));
    const CliRun run = RunCli({"job", "--dry-run", "Wipe", t.Root(), "--filter", "Code"}, home.Root());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\"Wipe\" Job Process Start.\nWould Delete \"" + t.Path("src/main.cpp") +
                           "\"\n\"Wipe\" Job Process End.\n");
    const CliRun keep = RunCli({"job", "Keep", t.Root(), "--dry-run"}, home.Root());
    EXPECT_EQ(keep.status, 0);
    EXPECT_NE(keep.out.find("Would Copy \"" + t.Path("src/src/deep.txt") + "\" To \"" + home.Path("out/deep.txt")),
              std::string::npos);
    EXPECT_NE(keep.out.find("Would Save TXT \"" + home.Path("out/")), std::string::npos);
    EXPECT_EQ(Snapshot(t.Root()), before);
    EXPECT_EQ(Snapshot(home.Path("out")), outBefore);
}

// Two photos of one name: the dry run foretells the clash and the skip, the
// run keeps the photo it could not copy.
TEST_F(CliJob, ADeleteAfterAFailedCopyIsForetoldAndSkipped) {
    for (const std::string year : {"2023", "2024"}) {
        t.Dir(year);
        t.File(year + "/IMG.cpp", year);
    }
    const std::vector<std::string> args = {"job", "Archive", t.Root(), "--filter", "Code"};
    const std::set<std::string> before = Snapshot(t.Root());
    std::vector<std::string> dry = args;
    dry.push_back("--dry-run");
    const CliRun foretold = RunCli(dry, home.Root());
    EXPECT_EQ(foretold.status, 1);
    EXPECT_NE(foretold.out.find(" - would fail: an earlier item takes the same target\n"), std::string::npos) << foretold.out;
    EXPECT_NE(foretold.out.find("Would Skip Delete \""), std::string::npos) << foretold.out;
    EXPECT_EQ(Snapshot(t.Root()), before);

    const CliRun run = RunCli(args, home.Root());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("IMG.cpp\" Delete Skipped: an earlier step failed\n"), std::string::npos) << run.out;
    const std::set<std::string> after = Snapshot(t.Root());
    const std::set<std::string> copied = Snapshot(home.Path("out"));
    // Exactly one photo stays, the one whose copy failed; the other is in out.
    const bool kept2023 = after.count(t.Path("2023/IMG.cpp") + "=2023") == 1;
    const bool kept2024 = after.count(t.Path("2024/IMG.cpp") + "=2024") == 1;
    EXPECT_NE(kept2023, kept2024);
    EXPECT_EQ(copied.count(home.Path("out/IMG.cpp") + (kept2023 ? "=2024" : "=2023")), 1u);
}

TEST_F(CliJob, RowsWriteControlCharactersInNamesAsEscapes) {
    const std::string odd = "odd\n\"x\" Copy File Success\t\x1b[2J\\.txt";
    t.File(odd);
    const CliRun run = RunCli({"job", "Keep", t.Root(), "--no-sub"}, home.Root());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Split(run.out, '\n').size(), 6u);  // start, three items, the list file, end
    EXPECT_NE(run.out.find("\"" + home.Path("out/") + "odd\\n\"x\" Copy File Success\\t\\x1b[2J\\\\.txt\" Copy File Success\n"),
              std::string::npos)
        << run.out;
    EXPECT_TRUE(std::filesystem::exists(home.Path("out/" + odd)));
    EXPECT_NE(RunCli({"--help"}).out.find("C escapes (\\n, \\t, \\x1b)"), std::string::npos);
}

TEST_F(CliJob, ExitCodesAndMessages) {
    const std::set<std::string> before = Snapshot(t.Root());
    const std::vector<std::pair<std::vector<std::string>, std::string>> failures = {
        {{"job", "Nope", t.Root()}, "There is no after-search job named \"Nope\".\n"},
        {{"job", "", t.Root()}, "There is no after-search job named \"\".\n"},
        {{"job", "Keep", t.Root(), "--filter", "Nope"}, "There is no search filter named \"Nope\".\n"},
        {{"job", "Keep", t.Root(), "--filter", ""}, "There is no search filter named \"\".\n"},
        {{"job", "Keep", t.Path("missing")}, "The search path is invalid!!\n"},
    };
    for (const auto& [args, message] : failures) {
        const CliRun run = RunCli(args, home.Root());
        EXPECT_EQ(run.status, 2) << message;
        EXPECT_EQ(run.err, message);
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(Snapshot(t.Root()), before);
    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"job", "Keep"}, {"job", "Keep", t.Root(), "--bogus"}, {"job", "Keep", t.Root(), t.Root()}}) {
        const CliRun run = RunCli(bad, home.Root());
        EXPECT_EQ(run.status, 2) << bad.size();
        EXPECT_NE(run.err.find("--help"), std::string::npos);
    }
    std::ofstream(home.Path("user/env.json"), std::ios::trunc) << "{ not json";
    const CliRun broken = RunCli({"job", "Keep", t.Root()}, home.Root());
    EXPECT_EQ(broken.status, 2);
    EXPECT_EQ(broken.err, "The settings file env.json could not be read.\n");
    EXPECT_TRUE(Snapshot(home.Path("out")).empty());
}

}  // namespace
