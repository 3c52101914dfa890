// Times a whole search in the real main window under the offscreen platform:
// set the path, press Search, and stop when the result window's model holds
// every row (and has been given the chance to paint). In the same run, and
// alternating with it, times `qeltessary-cli search TREE --name ''`, the same
// match-everything query. Prints the medians, their ratio, the peak memory of
// this process (the program itself plus a small harness), the largest peak of
// the command-line runs, and how far each search raised the memory the
// window held before it, next to what one copy of the found paths costs as
// rows of the result list.
//
//   qel_bench_gui TREE CLI [ROUNDS]
//
// Exit status 1 when the GUI search takes more than 2 x the command-line
// search, a search raises the memory by more than 1.5 copies of the paths
// (the rows the window shows, and no full second copy while they are handed
// over), the first 1 000 rows take more than 100 ms to show, or later
// searches take longer than the first; 2 on a usage or set-up error.

#include <fcntl.h>
#include <malloc.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "CQelDirMng.h"
#include "CQelResultListModel.h"
#include "CQelResultSubWnd.h"
#include "CTessaryDlgApp.h"
#include "CTessaryDlgDlg.h"
#include "QelResultRows.h"

namespace {

constexpr double kMaxRatio = 2.0;
constexpr double kMaxCopies = 1.5;
constexpr double kMaxFirstRowsMs = 100;  // from Search to the first rows in the list
constexpr double kMaxRepeatSlowdown = 1.0;  // a later search against the first one

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs the command under /usr/bin/time with its output thrown away; -1 when it
// fails to run. peakMb is raised to the command's own peak memory. The peak
// comes from time(1) rather than from wait4 on a child of this process: a child
// forked from here starts as a copy of the main window's memory, and the kernel
// counts that copy in the child's peak even after exec.
double TimeCommand(const std::vector<std::string>& args, long& peakMb) {
    char peakFile[] = "/tmp/qelbenchpeak-XXXXXX";
    const int peakFd = mkstemp(peakFile);
    if (peakFd < 0) return -1;
    close(peakFd);
    std::vector<std::string> timed = {"/usr/bin/time", "-f", "%M", "-o", peakFile};
    timed.insert(timed.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (const std::string& a : timed) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) < 0) return -1;
    const double ms = MsSince(start);
    long peakKb = 0;
    std::ifstream(peakFile) >> peakKb;
    unlink(peakFile);
    if (peakKb <= 0) return -1;
    peakMb = std::max(peakMb, (peakKb + 1023) / 1024);
    // Exit status 1 means "nothing found", still a complete search.
    return WIFEXITED(status) && WEXITSTATUS(status) <= 1 ? ms : -1;
}

// Bytes the allocator hands out for a request of size bytes.
std::size_t BlockSize(std::size_t size) {
    void* block = std::malloc(size);
    const std::size_t usable = malloc_usable_size(block);
    std::free(block);
    return usable + sizeof(std::size_t);  // the block's header
}

// What the paths the command prints cost held once as rows of the result
// list: the row itself and its path as UTF-16 in a block of its own (short
// paths fit in the row). lines is set to the number of paths.
double OneCopyMb(const std::string& command, long& lines) {
    lines = -1;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return 0;
    lines = 0;
    std::size_t bytes = 0;
    std::string line;
    const auto addRow = [&] {
        const std::u16string path = qel::Utf8ToUtf16(line);
        bytes += sizeof(QelResultRow);
        if (path.size() > std::u16string().capacity()) bytes += BlockSize((path.size() + 1) * sizeof(char16_t));
        ++lines;
        line.clear();
    };
    for (int c; (c = fgetc(pipe)) != EOF;) {
        if (c == '\n')
            addRow();
        else
            line += static_cast<char>(c);
    }
    pclose(pipe);
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

// A line of /proc/self/status in MB ("VmRSS", "VmHWM").
double StatusMb(const std::string& key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(key + ":", 0) == 0) return std::atof(line.c_str() + key.size() + 1) / 1024.0;
    }
    return 0;
}

// Starts a new peak: the kernel's peak resident size is set to the current
// one. peakMb is first raised to the peak so far, which this forgets.
void ResetPeak(double& peakMb) {
    peakMb = std::max(peakMb, StatusMb("VmHWM"));
    std::ofstream("/proc/self/clear_refs") << "5";
}

// A program folder whose only filter finds every file (an empty name string occurs in every name).
std::string MakeProgramFolder() {
    char name[] = "/tmp/qelbenchgui-XXXXXX";
    if (!mkdtemp(name)) return {};
    std::filesystem::create_directories(std::string(name) + "/config");
    std::ofstream(std::string(name) + "/config/env.json")
        << R"({"searchfilter": [{"name": "Every file", "filterfilename": [""], "filterfileext": [], "filterdirname": []}]})";
    return name;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: qel_bench_gui TREE CLI [ROUNDS]\n");
        return 2;
    }
    const std::string tree = argv[1];
    const std::string cli = argv[2];
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    const std::string home = MakeProgramFolder();
    if (home.empty()) return 2;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    long expected = 0;
    const double copyMb = OneCopyMb("'" + cli + "' search '" + tree + "' --name ''", expected);
    if (expected <= 0) {
        std::fprintf(stderr, "qeltessary-cli found nothing in %s\n", tree.c_str());
        return 2;
    }

    int appArgc = 1;
    CTessaryDlgApp app(appArgc, argv);
    CQelDirMng::GetInstance()->SetModuleDir(QelString::FromFileName(home));
    std::vector<double> gui, command, growth, firstRows;
    double peakMb = 0;
    bool rowsMatch = true;
    long cliPeakMb = 0;
    {
        CTessaryDlgDlg dialog;
        dialog.show();
        dialog.GetPathEdit()->setText(QString::fromStdString(tree));
        for (int round = 0; round < rounds; ++round) {
            const double before = StatusMb("VmRSS");
            ResetPeak(peakMb);
            const auto start = Clock::now();
            // Polled whenever the walk lets events through: while it runs the
            // list holds just the first rows, then all of them.
            double firstRowsMs = -1;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, [&] {
                const CQelResultSubWnd* shown = dialog.GetResultSubWnd();
                const std::size_t count = shown ? static_cast<std::size_t>(shown->GetListModel()->rowCount()) : 0;
                const bool first = dialog.IsSearching() ? count == CTessaryDlgDlg::kFirstRows : count >= CTessaryDlgDlg::kFirstRows;
                if (firstRowsMs < 0 && first) firstRowsMs = MsSince(start);
            });
            poll.start(0);
            dialog.GetSearchButton()->click();
            poll.stop();
            const CQelResultSubWnd* results = dialog.GetResultSubWnd();
            const long rows = results ? results->GetListModel()->rowCount() : 0;
            QCoreApplication::processEvents();  // let the result window paint
            gui.push_back(MsSince(start));
            firstRows.push_back(firstRowsMs < 0 ? gui.back() : firstRowsMs);
            growth.push_back(StatusMb("VmHWM") - before);
            rowsMatch = rowsMatch && rows == expected;
            command.push_back(TimeCommand({cli, "search", tree, "--name", ""}, cliPeakMb));
            std::printf("round %d: GUI %.0f ms (first rows after %.0f ms, %ld rows, memory raised by %.0f MB), CLI %.0f ms\n",
                        round + 1, gui.back(), firstRows.back(), rows, growth.back(), command.back());
            std::fflush(stdout);
        }
        dialog.OnExit();
    }
    std::filesystem::remove_all(home);

    peakMb = std::max(peakMb, StatusMb("VmHWM"));
    const double guiMs = Median(gui);
    const double cliMs = Median(command);
    const double ratio = cliMs > 0 ? guiMs / cliMs : 0;
    std::printf("\nTree: %s, %ld files found by the match-everything query\n", tree.c_str(), expected);
    std::printf("GUI search (Search pressed until the result model holds every row): median %.0f ms, best %.0f ms\n",
                guiMs, *std::min_element(gui.begin(), gui.end()));
    std::printf("qeltessary-cli search: median %.0f ms, best %.0f ms\n", cliMs,
                *std::min_element(command.begin(), command.end()));
    std::printf("GUI / CLI: %.2f x (target at most %.1f x)\n", ratio, kMaxRatio);
    const double maxGrowth = *std::max_element(growth.begin(), growth.end());
    std::printf("Peak memory: GUI %.0f MB, CLI %ld MB (it prints each path as it finds it)\n", peakMb, cliPeakMb);
    std::printf("One copy of the paths as result rows: %.0f MB; a search raised the memory by at most %.0f MB = "
                "%.2f copies (target at most %.1f)\n",
                copyMb, maxGrowth, maxGrowth / copyMb, kMaxCopies);

    const double firstRowsMs = Median(firstRows);
    std::printf("First %zu rows listed: median %.0f ms after Search (target at most %.0f ms)\n",
                CTessaryDlgDlg::kFirstRows, firstRowsMs, kMaxFirstRowsMs);
    const double repeat = gui.size() > 1 ? Median(std::vector<double>(gui.begin() + 1, gui.end())) / gui.front() : 1;
    std::printf("Later searches / the first: %.2f x (target at most %.1f x)\n", repeat, kMaxRepeatSlowdown);

    bool ok = true;
    if (firstRowsMs > kMaxFirstRowsMs || repeat > kMaxRepeatSlowdown) ok = false;
    if (!rowsMatch) {
        std::printf("The result window did not list every file the command line found.\n");
        ok = false;
    }
    if (cliMs <= 0 || ratio > kMaxRatio) ok = false;
    if (cliPeakMb <= 0 || maxGrowth > kMaxCopies * copyMb) ok = false;
    std::printf("%s\n", ok ? "All targets met." : "Some targets were missed.");
    return ok ? 0 : 1;
}
