#include "QelCliOptions.h"

#include <cstring>
#include <string_view>

namespace {

// Arguments are bytes, like file names; the lossless mapping keeps any of them.
QelString Arg(const char* text) { return QelString::FromFileName(text); }

// The value of "--opt VALUE" or "--opt=VALUE"; nullptr when arg is another option.
const char* OptionValue(int argc, const char* const* argv, int& i, std::string_view option, bool& missing) {
    const std::string_view arg = argv[i];
    if (arg == option) {
        if (i + 1 >= argc) {
            missing = true;
            return nullptr;
        }
        return argv[++i];
    }
    if (arg.size() > option.size() && arg.substr(0, option.size()) == option && arg[option.size()] == '=')
        return argv[i] + option.size() + 1;
    return nullptr;
}

}  // namespace

const char* CliUsage() {
    return "Usage: qeltessary-cli search [OPTION]... [--] PATH\n"
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
           "Exit status: 0 when something was found, 1 when nothing was, 2 on a bad\n"
           "command line, a PATH that does not exist or cannot be read (one line on\n"
           "standard error names it and the reason), a filter that cannot be used,\n"
           "or output that cannot be written.\n"
           "QELTESSARY_HOME names the program folder that holds config/ and user/.\n";
}

bool ParseCliOptions(int argc, const char* const* argv, QelCliOptions& options, QelString& error) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            options.help = true;
            return true;
        }
    if (argc < 2 || std::strcmp(argv[1], "search") != 0) {
        error = argc < 2 ? QelString(u"No command given.")
                         : QelString::Formatted(u"Unknown command \"%s\".", Arg(argv[1]));
        return false;
    }
    bool havePath = false;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        bool missing = false;
        const char* value = nullptr;
        if ((value = OptionValue(argc, argv, i, "--name", missing))) {
            options.names.Add(Arg(value));
        } else if ((value = OptionValue(argc, argv, i, "--ext", missing))) {
            options.exts.Add(Arg(value));
        } else if ((value = OptionValue(argc, argv, i, "--folder", missing))) {
            options.folders.Add(Arg(value));
        } else if ((value = OptionValue(argc, argv, i, "--filter", missing))) {
            options.filter = Arg(value);
        } else if (missing) {
            error = QelString::Formatted(u"The option %s needs a value.", Arg(argv[i]));
            return false;
        } else if (arg == "--no-sub") {
            options.includeSubFolders = false;
        } else if (arg == "--follow" || arg == "-L") {
            options.followLinks = true;
        } else if (arg == "--xdev") {
            options.sameFileSystem = true;
        } else if (arg == "--print0" || arg == "--json") {
            const auto mode = arg == "--json" ? QelCliOutputMode::kJson : QelCliOutputMode::kNulSeparated;
            if (options.output != QelCliOutputMode::kLines && options.output != mode) {
                error = QelString(u"Choose either --print0 or --json.");
                return false;
            }
            options.output = mode;
        } else if (arg == "--") {
            // Everything after "--" is the path, even when it starts with "-".
            if (havePath || i + 1 != argc - 1) {
                error = QelString(u"Give exactly one search path.");
                return false;
            }
            options.path = Arg(argv[++i]);
            havePath = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = QelString::Formatted(u"Unknown option \"%s\".", Arg(argv[i]));
            return false;
        } else if (havePath) {
            error = QelString(u"Give exactly one search path.");
            return false;
        } else {
            options.path = Arg(argv[i]);
            havePath = true;
        }
    }
    if (!havePath) {
        error = QelString(u"The path is empty!!");
        return false;
    }
    return true;
}
