// qeltessary-cli as a process: output forms, exit codes and messages, saved
// filters read from env.json below QELTESSARY_HOME, links, mount points and
// pseudo file systems (in a mount namespace of the test's own).

#include <gtest/gtest.h>
#include <json/json.h>
#include <spawn.h>
#include <sys/mman.h>
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

    // The output goes to memory files, read once the program has ended.
    const int out = memfd_create("out", MFD_CLOEXEC), err = memfd_create("err", MFD_CLOEXEC);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (setup.closedStdout) posix_spawn_file_actions_addclose(&actions, 1);
    else posix_spawn_file_actions_adddup2(&actions, out, 1);
    posix_spawn_file_actions_adddup2(&actions, err, 2);
    pid_t pid = 0;
    CliRun run;
    int status = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0 && waitpid(pid, &status, 0) == pid &&
        WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    posix_spawn_file_actions_destroy(&actions);
    for (auto [fd, sink] : {std::pair{out, &run.out}, std::pair{err, &run.err}}) {
        char buf[65536];
        for (ssize_t n, at = 0; (n = pread(fd, buf, sizeof buf, at)) > 0; at += n) sink->append(buf, static_cast<std::size_t>(n));
        close(fd);
    }
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

// Every entry below root with its bytes (folders as "/", links as "@").
std::set<std::string> Snapshot(const std::string& root) {
    std::set<std::string> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        std::string content = entry.is_symlink() ? "@" : "/";
        if (!entry.is_symlink() && !entry.is_directory()) {
            std::ifstream in(entry.path(), std::ios::binary);
            content.assign(std::istreambuf_iterator<char>(in), {});
        }
        entries.insert(entry.path().string() + "=" + content);
    }
    return entries;
}

// A small tree, and a home whose user settings hold filters and jobs; records
// without a name come first: they are never chosen, not even by an empty name.
class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        t.Dir("src");
        t.File("src/main.cpp");
        t.File("src/notes.txt");
        t.Dir("src/src");
        t.File("src/src/deep.txt");
        t.File("top.txt");
        home.Dir("out");
        WriteEnv(home, "user", R"({"searchfilter":[{"filterfileext":["cpp"]},{"name":"","filterfileext":["cpp"]},
                                               {"name":"Text","filterfileext":["txt"],"filterdirname":["src"]},
                                               {"name":"Code","filterfileext":["cpp"]},{"name":"Empty"}],
            "aftersearchjob":[{"list":[{"cmd":"delete","act":""}]},{"name":"","list":[{"cmd":"delete","act":""}]},
                              {"name":"Keep","list":[{"cmd":"copy","act":")" + home.Path("out") + R"("},
                                                      {"cmd":"savetxt","act":")" + home.Path("out") + R"("}]},
                              {"name":"Wipe","list":[{"cmd":"delete","act":""}]},
                              {"name":"Archive","list":[{"cmd":"copy","act":")" + home.Path("out") + R"("},
                                                         {"cmd":"delete","act":""}]}]})");
    }
    static void WriteEnv(const CTestTree& at, const std::string& tree, const std::string& json) {
        if (access(at.Path(tree).c_str(), F_OK) != 0) at.Dir(tree);
        std::ofstream(at.Path(tree + "/env.json"), std::ios::trunc) << json;
    }
    CliRun Run(const std::vector<std::string>& args) { return RunCli(args, home.Root()); }
    CTestTree t;
    CTestTree home;
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

    EXPECT_EQ(RunCli({"search", t.Root(), "--ext=txt", "--no-sub"}).out, t.Path("top.txt") + "\n");
    // A saved filter and the strings given beside it together.
    EXPECT_EQ(Run({"search", t.Root(), "--filter", "Code", "--folder", "src"}).out,
              t.Path("src/main.cpp") + "\n" + t.Path("src") + "\n" + t.Path("src/src") + "\n");
    const CliRun help = RunCli({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* topic : {"--filter NAME", "  --  ", "\"//\"", "--ext \"\" matches nothing", "-L, --follow",
                              "--xdev", "bytes are written as they are", "C escapes (\\n, \\t, \\x1b)"})
        EXPECT_NE(help.out.find(topic), std::string::npos) << topic;
}

// Each failure exits with its status and message, prints no result and
// touches nothing. Settings: the fixture's, none at all, or a broken file.
TEST_F(Cli, FailuresExitWithTheirStatusAndMessage) {
    enum Settings { kOurs, kNone, kBroken, kHuge };
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;  // a message to match exactly, or "--help" to be named
        Settings settings = kOurs;
    };
    t.Link("loop", "loop");
    const std::string root = t.Root(), missing = t.Path("missing"), file = t.Path("top.txt");
    const std::string invalid = "The search path is invalid!!\n\"" + missing + "\": No such file or directory\n",
                      noCriteria = "There are no search criteria!!\n";
    const Case cases[] = {
        {{"search", root, "--name", "nothing-like-this"}, 1, ""},
        {{"search", missing, "--name", "x"}, 2, invalid},
        {{"search", "", "--name", "x"}, 2, "The path is empty!!\n"},
        {{"search", root}, 2, noCriteria},
        {{"search", root, "--filter", "Empty"}, 2, noCriteria},
        {{"search", root, "--filter", "Nope"}, 2, "There is no search filter named \"Nope\".\n"},
        {{"search", root, "--filter", "Text"}, 2, "There are no search filters.\n", kNone},
        {{"search", root, "--filter", "Text"}, 2, "The settings file env.json could not be read.\n", kBroken},
        {{"search", file, "--name", ""}, 2, "The search path \"" + file + "\" cannot be read: Not a directory.\n"},
        {{"search", t.Path("loop"), "--name", ""}, 2,
         "The search path \"" + t.Path("loop") + "\" cannot be read: Too many levels of symbolic links.\n"},
        {{"job", "Nope", root}, 2, "There is no after-search job named \"Nope\".\n"},
        {{"job", "", root}, 2, "There is no after-search job named \"\".\n"},
        {{"job", "Keep", root, "--filter", "Nope"}, 2, "There is no search filter named \"Nope\".\n"},
        {{"job", "Keep", root, "--filter", ""}, 2, "There is no search filter named \"\".\n"},
        {{"job", "Keep", root, "--filter", "Empty"}, 2, noCriteria},
        {{"job", "Keep", missing}, 2, invalid},
        {{"job", "Keep", ""}, 2, "The path is empty!!\n"},
        {{"job", "Keep", file}, 2, "The search path \"" + file + "\" cannot be read: Not a directory.\n"},
        {{"job", "Keep", root}, 2, "The settings file env.json could not be read.\n", kBroken},
        {{"--list-jobs"}, 2, "The settings file env.json could not be read.\n", kBroken},
        // A tree too large to build is refused before it is built, with the bound it passed.
        {{"search", root, "--filter", "Text"}, 2,
         "The settings file env.json could not be read (more than 100000 entries in one array).\n", kHuge},
        {{}, 2, "--help"},
        {{"find", root}, 2, "--help"},
        {{"search", root, "--name"}, 2, "--help"},
        {{"search", root, "--bogus"}, 2, "--help"},
        {{"search", root, root, "--name", "x"}, 2, "--help"},
        {{"search", root, "--json", "--print0", "--name", "x"}, 2, "--help"},
        {{"job", "Keep"}, 2, "--help"},
        {{"job", "Keep", root, "--bogus"}, 2, "--help"},
        {{"job", "Keep", root, root}, 2, "--help"},
    };
    const std::set<std::string> before = Snapshot(root);
    for (const Case& c : cases) {
        const std::string what = c.args.empty() ? "" : c.args[0] + " " + c.args.back();
        CTestTree other;
        if (c.settings == kBroken) WriteEnv(other, "user", "{ not json");
        if (c.settings == kHuge) {
            std::string history = R"({"searchpathhistory":[)";
            for (int i = 0; i < 100000; ++i) history += "[],";
            WriteEnv(other, "user", history + "[]]}");
        }
        const CliRun run = RunCli(c.args, c.settings == kOurs ? home.Root() : other.Root());
        EXPECT_EQ(run.status, c.status) << what;
        if (c.err == "--help") EXPECT_NE(run.err.find("--help"), std::string::npos) << what;
        else EXPECT_EQ(run.err, c.err) << what;
        EXPECT_EQ(run.out, "") << what;
    }
    EXPECT_EQ(Snapshot(root), before);
    EXPECT_TRUE(Snapshot(home.Path("out")).empty());
}

TEST_F(Cli, AFolderWithoutReadPermissionIsNamedWithTheReason) {
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
    ASSERT_EQ(chdir(t.Root().c_str()), 0);
    const CliRun run = RunCli({"search", "--ext", "txt", "--", "-x"});
    ASSERT_EQ(chdir("/"), 0);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "-x/--help.txt\n");
}

TEST_F(Cli, RootIsUsedAsWrittenWithoutADoubledSeparator) {
    for (const char* suffix : {"", "/", "//"}) {
        const CliRun run = RunCli({"search", t.Root() + suffix, "--name", "top"});
        EXPECT_EQ(run.out, t.Root() + "/top.txt\n") << suffix;
    }
}

TEST_F(Cli, OutputThatCannotBeWrittenEndsTheRun) {
    CliRun run = RunCommand(CliCommand({"search", t.Root(), "--name", ""}), RunSetup{"", true});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "The results could not be written.\n");
    run = RunCommand(CliCommand({"job", "--dry-run", "Wipe", t.Root()}), RunSetup{home.Root(), true});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "The job log could not be written.\n");
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

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

TEST_F(Cli, JsonKeepsEveryByteOfEveryName) {
    const std::vector<std::string> odd = {"q\"b\\s\x01\x1f\t.bin", "raw\xff\xfe.bin", "\xC3\xA9t\xC3\xA9.bin",
                                          "half\xE2\x82.bin", "line\nfeed.bin"};
    std::vector<std::string> expected;
    for (const std::string& name : odd) {
        t.File(name);
        expected.push_back(t.Path(name));
    }
    t.Dir("dir\xff");
    const CliRun run = RunCli({"search", t.Root(), "--ext", "bin", "--folder", "src", "--folder", "dir\xff", "--json"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.find('\n'), run.out.size() - 1);  // one line
    EXPECT_EQ(run.out.find("\\u"), run.out.find("\\u0001"));  // no byte written as a code point
    const JsonLists got = ReadJson(run.out);
    EXPECT_EQ(Sorted(got.files), Sorted(expected));
    EXPECT_EQ(Sorted(got.folders), (std::vector<std::string>{t.Path("dir\xff"), t.Path("src"), t.Path("src/src")}));

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
    EXPECT_EQ(Sorted(Split(RunCli({"search", t.Root(), "--name", "deep", "--name", "link"}).out, '\n')),
              (std::vector<std::string>{t.Path("src/src/deep.txt"), t.Path("srclink")}));
    for (const char* follow : {"-L", "--follow"})
        EXPECT_EQ(Sorted(Split(RunCli({"search", follow, t.Root(), "--name", "deep"}).out, '\n')),
                  (std::vector<std::string>{t.Path("src/src/deep.txt"), t.Path("srclink/src/deep.txt")}))
            << follow;
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
    std::vector<std::string> args = {"search", t.Root(), "--name", "cpuinfo", "--name", "inner", "--name", "null",
                                     "--folder", "p", "--folder", "tm", "--folder", "dev"};
    const std::vector<std::string> mountPoints = {t.Path("dev"), t.Path("p"), t.Path("tm")};
    CliRun run = RunMounted(args);
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines = Split(run.out, '\n');
    ASSERT_EQ(lines.size(), 4u) << run.out;
    EXPECT_EQ(lines[0], t.Path("tm/inner.txt"));  // a tmpfs is the user's
    EXPECT_EQ(Sorted(std::vector<std::string>(lines.begin() + 1, lines.end())), mountPoints);

    args.push_back("--xdev");
    run = RunMounted(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Sorted(Split(run.out, '\n')), mountPoints);  // listed, none entered

    run = RunMounted({"search", t.Path("p"), "--no-sub", "--name", "cpuinfo"});
    EXPECT_EQ(run.out, t.Path("p/cpuinfo") + "\n");
}

TEST_F(Cli, UserFiltersComeBeforeTheShippedOnes) {
    CTestTree other;
    WriteEnv(other, "config", R"({"searchfilter":[{"name":"Docs","filterfilename":[],"filterfileext":["txt"],"filterdirname":[]},
                                             {"name":"Code","filterfileext":["cpp"]}]})");
    // Shipped filters only: a record without some arrays counts them as empty.
    CliRun run = RunCli({"search", t.Root(), "--filter", "Code"}, other.Root());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, t.Path("src/main.cpp") + "\n");

    WriteEnv(other, "user", "// the user's own\r\n{\"searchfilter\":[{\"name\":\"Docs\",\"filterfilename\":[\"deep\"],"
                            "\"filterfileext\":[\"txt\"],\"filterdirname\":[\"src\"]}]}\r\n");
    run = RunCli({"search", t.Root(), "--filter", "Docs", "--name", "top"}, other.Root());
    EXPECT_EQ(run.status, 0);
    std::vector<std::string> lines = Split(run.out, '\n');
    ASSERT_EQ(lines.size(), 4u);
    std::sort(lines.begin(), lines.begin() + 2);  // the two files in walk order, which the file system picks
    EXPECT_EQ(lines, (std::vector<std::string>{t.Path("src/src/deep.txt"), t.Path("top.txt"), t.Path("src"),
                                                t.Path("src/src")}));
    // The user's array is the one in use: "Code" is no longer there.
    run = RunCli({"search", t.Root(), "--filter", "Code"}, other.Root());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "There is no search filter named \"Code\".\n");
}

// The bash completion as bash runs it: the names come from the program's
// hidden listings of env.json, the folders from the disk.
TEST_F(Cli, BashCompletionOffersSubcommandsOptionsNamesAndFolders) {
    const std::string bashCompletion = "/usr/share/bash-completion/bash_completion";
    if (access(bashCompletion.c_str(), R_OK) != 0) GTEST_SKIP() << "bash-completion is not installed";
    WriteEnv(home, "config", R"({"searchfilter":[{"name":"Text"},{"filterfileext":["txt"]},{"name":"Two\nLines"},
                                             {"name":"My Docs"}]})");
    WriteEnv(home, "user", R"({"aftersearchjob":[{"name":"Keep"},{"name":"Ka$h"}]})");
    // In array order; a record without a name, or one a line feed would split, is left out.
    EXPECT_EQ(Run({"--list-filters"}).out, "Text\nMy Docs\n");

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
}

// The after-search job subcommand: the saved job runs on the hits of the
// saved filter (the first one listed unless named).
TEST_F(Cli, JobRunsTheSavedJobOnTheHitsAndPrintsEveryRow) {
    const CliRun run = Run({"job", "Keep", t.Root(), "--no-sub"});
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
    const CliRun again = Run({"job", "Keep", t.Root(), "--no-sub"});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.out.find("top.txt\" Copy File Failed\n"), std::string::npos);
}

TEST_F(Cli, JobDryRunTellsWhatWouldHappenAndTouchesNothing) {
    for (const std::string year : {"2023", "2024"}) {
        t.Dir(year);
        t.File(year + "/IMG.cpp", year);
    }
    const std::set<std::string> before = Snapshot(t.Root());
    CliRun run = Run({"job", "--dry-run", "Wipe", t.Path("2023"), "--filter", "Code"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\"Wipe\" Job Process Start.\nWould Delete \"" + t.Path("2023/IMG.cpp") +
                           "\"\n\"Wipe\" Job Process End.\n");
    run = Run({"job", "Keep", t.Root(), "--dry-run"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Would Copy \"" + t.Path("src/src/deep.txt") + "\" To \"" + home.Path("out/deep.txt")),
              std::string::npos);
    EXPECT_NE(run.out.find("Would Save TXT \"" + home.Path("out/")), std::string::npos);
    // Two photos of one name: a step that would fail makes the status 1.
    run = Run({"job", "Archive", t.Root(), "--filter", "Code", "--dry-run"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("Would Skip Delete \""), std::string::npos) << run.out;
    EXPECT_EQ(Snapshot(t.Root()), before);
    EXPECT_TRUE(Snapshot(home.Path("out")).empty());
}

TEST_F(Cli, JobRowsWriteControlCharactersInNamesAsEscapes) {
    const std::string odd = "odd\n\"x\" Copy File Success\t\x1b[2J\\.txt";
    t.File(odd);
    const CliRun run = Run({"job", "Keep", t.Root(), "--no-sub"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Split(run.out, '\n').size(), 6u);  // start, three items, the list file, end
    EXPECT_NE(run.out.find("\"" + home.Path("out/") + "odd\\n\"x\" Copy File Success\\t\\x1b[2J\\\\.txt\" Copy File Success\n"),
              std::string::npos)
        << run.out;
    EXPECT_TRUE(std::filesystem::exists(home.Path("out/" + odd)));
}

}  // namespace
