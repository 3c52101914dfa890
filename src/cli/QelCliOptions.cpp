#include "QelCliOptions.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Arguments are bytes, like file names; the lossless mapping keeps any of them.
QelString Arg(const std::string& text) { return QelString::FromFileName(text); }

QelStringArray Args(const std::vector<std::string>& texts) {
    QelStringArray out;
    for (const std::string& text : texts) out.Add(Arg(text));
    return out;
}

bool AsksForHelp(int argc, const char* const* argv) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return true;
    return false;
}

// The values the parser fills, as the bytes given.
struct RawArgs {
    std::vector<std::string> names, exts, folders;
    std::string filter, path, job;
};

void AddSearchCommand(CLI::App& app, RawArgs& raw, QelCliOptions& options) {
    CLI::App* search = app.add_subcommand("search");
    search->add_option("--name", raw.names)->allow_extra_args(false);
    search->add_option("--ext", raw.exts)->allow_extra_args(false);
    search->add_option("--folder", raw.folders)->allow_extra_args(false);
    search->add_option("--filter", raw.filter);
    search->add_flag_function("--no-sub", [&options](std::int64_t) { options.includeSubFolders = false; });
    search->add_flag("-L,--follow", options.followLinks);
    search->add_flag("--xdev", options.sameFileSystem);
    CLI::Option* print0 = search->add_flag_function(
        "--print0", [&options](std::int64_t) { options.output = QelCliOutputMode::kNulSeparated; });
    CLI::Option* json = search->add_flag_function("--json", [&options](std::int64_t) { options.output = QelCliOutputMode::kJson; });
    print0->excludes(json);
    search->add_option("PATH", raw.path)->required();
    search->callback([&options] { options.command = QelCliCommand::kSearch; });
}

void AddJobCommand(CLI::App& app, RawArgs& raw, QelCliOptions& options) {
    CLI::App* job = app.add_subcommand("job");
    job->add_option("--filter", raw.filter);
    job->add_flag_function("--no-sub", [&options](std::int64_t) { options.includeSubFolders = false; });
    job->add_flag("--dry-run", options.dryRun);
    job->add_option("NAME", raw.job)->required();
    job->add_option("PATH", raw.path)->required();
    job->callback([&options] { options.command = QelCliCommand::kJob; });
}

}  // namespace

int PrintCliFailure(const QelString& message) {
    std::fprintf(stderr, "%s\n", message.ToUtf8());
    return 2;
}

const char* CliUsage() {
    return "Usage: qeltessary-cli search [OPTION]... [--] PATH\n"
           "       qeltessary-cli job NAME PATH [--no-sub] [--filter FILTER] [--dry-run]\n"
           "       qeltessary-cli --help\n"
           "\n"
           "Searches the folder tree at PATH and prints the full path of every hit:\n"
           "the file hits first, as they are found, then the folder hits, each in\n"
           "walk order.\n"
           "\n"
           "  --name S      a file hits when S occurs in its name (exact, case-sensitive;\n"
           "                an empty S occurs in every name)\n"
           "  --ext S       a file hits when its extension (the text after the last dot,\n"
           "                not counting a leading dot) equals S; given with --name, the\n"
           "                name string must occur in the part before that dot, or the\n"
           "                name must hold no dot at all; --ext \"\" matches nothing\n"
           "  --folder S    a folder hits when its name equals S\n"
           "  --filter NAME take the three lists from the saved search filter NAME in\n"
           "                env.json (the user's file first, then the shipped one);\n"
           "                strings given with the options above are added to them\n"
           "  --no-sub      look at PATH's own entries only\n"
           "  -L, --follow  enter links to folders as folders (never into a folder\n"
           "                already on the way down, so link loops end)\n"
           "  --xdev        enter no folder on another file system than PATH's\n"
           "  --print0      end each path with a NUL byte instead of a line feed\n"
           "  --json        print {\"fileresultlist\":[...],\"dirresultlist\":[...]};\n"
           "                each path's bytes are written as they are, only the quote,\n"
           "                the backslash and control characters escaped, so a name\n"
           "                that is not UTF-8 reads back exactly with a reader that\n"
           "                keeps bytes (as the program's own hand-off record does)\n"
           "  --help        show this text\n"
           "  --            end of the options: the argument after it is PATH, even\n"
           "                when it starts with \"-\"\n"
           "\n"
           "There are no wildcards. PATH is used as written: paths are PATH, \"/\", and\n"
           "the names below it, byte for byte as on disk, so a PATH ending in \"/\"\n"
           "gives \"//\" in the paths (use --print0 for names holding line feeds).\n"
           "\n"
           "A link is one entry, matched and listed as a file whatever it points to,\n"
           "and never entered (see --follow); a PATH that is a link to a folder is\n"
           "searched. Folders of kernel pseudo file systems (proc, sysfs, devtmpfs,\n"
           "devpts, cgroup, debugfs and the like) are not entered unless PATH lies\n"
           "on one. Folders below PATH that cannot be read are skipped silently.\n"
           "\n"
           "job NAME PATH searches PATH with the saved search filter FILTER (without\n"
           "--filter, the first named filter of env.json) and runs the saved after-search\n"
           "job NAME on the hits, as the program does after a search with \"After\n"
           "Search\" ticked; each log row is printed as it happens, one row a line:\n"
           "control characters in names are written as C escapes (\\n, \\t, \\x1b)\n"
           "and a backslash as \\\\. A move or delete step skips every item an\n"
           "earlier copy or move step of the run failed on. With --dry-run\n"
           "it prints what every step would do to every item (the target of each\n"
           "copy and move, the new name of each rename, the file each export would\n"
           "write) and touches nothing; a target that exists, or that two items\n"
           "share, gives a \"would fail\" row with the reason, and the items skipped\n"
           "for it are named. Exit status of job: 0 when every item succeeded (or\n"
           "would), 1 when some failed (or would), 2 on a bad command line, an\n"
           "unknown job or filter, or an env.json that cannot be read.\n"
           "\n"
           "Exit status of search: 0 when something was found, 1 when nothing was, 2 on a bad\n"
           "command line, a PATH that does not exist or cannot be read (one line on\n"
           "standard error names it and the reason), a filter that cannot be used,\n"
           "or output that cannot be written.\n"
           "QELTESSARY_HOME names the program folder that holds config/ and user/.\n";
}

bool ParseCliOptions(int argc, const char* const* argv, QelCliOptions& options, QelString& error) {
    if (AsksForHelp(argc, argv)) {
        options.help = true;
        return true;
    }
    CLI::App app;
    app.set_help_flag();  // the usage text is the program's own
    app.require_subcommand(1);
    RawArgs raw;
    bool filterGiven = false;
    AddSearchCommand(app, raw, options);
    AddJobCommand(app, raw, options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& failure) {
        error = QelString::FromUtf8(failure.what());
        return false;
    }
    for (CLI::App* command : app.get_subcommands()) filterGiven = filterGiven || command->count("--filter") > 0;
    options.path = Arg(raw.path);
    options.jobName = Arg(raw.job);
    options.names = Args(raw.names);
    options.exts = Args(raw.exts);
    options.folders = Args(raw.folders);
    if (filterGiven) options.filter = Arg(raw.filter);
    return true;
}
