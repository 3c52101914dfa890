// Times commands side by side: every round runs each command once, in turn,
// with its output thrown away; at the end it prints each command's median
// and best wall time, its peak memory, and how its time compares with the
// first command's.
//
//   qel_bench_time [--cold] ROUNDS LABEL TARGET CMD ARGS... [::: LABEL TARGET CMD ARGS...]...
//
// --cold empties the page cache (and the dentry and inode caches) before
// every run, which needs root and a writable /proc/sys/vm/drop_caches.
// TARGET is the most the first command may take relative to this one
// (0.7 means "at most 0.7 x this command's time"), or "-" for none. The exit
// status is 1 when a target is missed, 2 when a command fails to run or the
// caches cannot be dropped.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Command {
    std::string label;
    double target = 0;  // 0: none
    std::vector<char*> argv;
    std::vector<double> ms;
    long maxRssKb = 0;
};

// Runs argv with stdout on /dev/null; false when it cannot start or fails
// with a status above 1 (1 means "nothing found" for find-like tools).
bool RunOnce(Command& c) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execvp(c.argv[0], c.argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return false;
    const auto end = std::chrono::steady_clock::now();
    c.ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    c.maxRssKb = std::max(c.maxRssKb, usage.ru_maxrss);
    return WIFEXITED(status) && WEXITSTATUS(status) <= 1;
}

bool DropCaches() {
    sync();
    const int fd = open("/proc/sys/vm/drop_caches", O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = write(fd, "3", 1) == 1;
    close(fd);
    return ok;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    const bool cold = argc > 1 && std::strcmp(argv[1], "--cold") == 0;
    if (cold) {
        --argc;
        ++argv;
    }
    if (argc < 5) {
        std::fputs("usage: qel_bench_time [--cold] ROUNDS LABEL TARGET CMD ARGS... [::: LABEL TARGET CMD ARGS...]...\n",
                   stderr);
        return 2;
    }
    const int rounds = std::atoi(argv[1]);
    std::vector<Command> commands;
    for (int i = 2; i < argc;) {
        Command c;
        c.label = argv[i++];
        if (i < argc && std::strcmp(argv[i], "-") != 0) c.target = std::atof(argv[i]);
        ++i;
        while (i < argc && std::strcmp(argv[i], ":::") != 0) c.argv.push_back(argv[i++]);
        ++i;
        if (c.argv.empty()) return 2;
        c.argv.push_back(nullptr);
        commands.push_back(std::move(c));
    }
    for (int r = 0; r < rounds; ++r)
        for (Command& c : commands) {
            if (cold && !DropCaches()) {
                std::perror("dropping the page cache");
                return 2;
            }
            if (!RunOnce(c)) {
                std::fprintf(stderr, "%s failed\n", c.label.c_str());
                return 2;
            }
        }
    const double ours = Median(commands[0].ms);
    bool allMet = true;
    std::printf("  %-22s %10s %10s %10s %12s  %s\n", "command", "median ms", "best ms", "peak MB", "its time/ours",
                "target for ours");
    for (const Command& c : commands) {
        const double median = Median(c.ms);
        std::string verdict;
        if (c.target > 0) {
            const bool met = ours <= c.target * median;
            allMet = allMet && met;
            char text[64];
            std::snprintf(text, sizeof text, "<= %.2f x: %s (%.2f x)", c.target, met ? "met" : "MISSED", ours / median);
            verdict = text;
        }
        std::printf("  %-22s %10.1f %10.1f %10.1f %12.2f  %s\n", c.label.c_str(), median,
                    *std::min_element(c.ms.begin(), c.ms.end()), c.maxRssKb / 1024.0, median / ours, verdict.c_str());
    }
    return allMet ? 0 : 1;
}
