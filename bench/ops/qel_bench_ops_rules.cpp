// Times the result window's rename rules and exports through the same
// library calls the window makes, beside what a user would write instead:
//
//   qel_bench_ops_rules rename TREE ROUNDS   every file of TREE renamed by a rule
//                                            and back, against a C loop of renameat2
//   qel_bench_ops_rules txt TREE ROUNDS      Save TXT of every file of TREE against
//                                            one write() of the same bytes
//   qel_bench_ops_rules excel TREE OUT       the workbook of every file of TREE
//                                            written to OUT, with time and peak memory
//
// Prints one line per measurement with the median and best of the rounds and
// the ratio to the baseline; the exit status is 1 when a target is missed.

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "QelExportFile.h"
#include "QelListWorkbook.h"
#include "QelRenameApply.h"
#include "QelResultListText.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Every file (and link) of the tree as a result row, in walk order.
QelResultRows FileRows(const std::string& tree) {
    QelResultRows rows;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(tree)) {
        if (!entry.is_directory(error) || entry.is_symlink())
            qel::AppendResultRow(rows, qel::Utf8ToUtf16(entry.path().native()), false);
    }
    return rows;
}

struct Stats {
    double median = 0, best = 0;
};
Stats Summarise(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front()};
}

bool Report(const char* what, const Stats& ours, const char* baselineName, const Stats& baseline, double limit) {
    const double ratio = ours.median / baseline.median;
    const bool met = ratio <= limit;
    std::printf("%-28s ours %9.1f ms (best %9.1f)   %-18s %9.1f ms (best %9.1f)   %5.2fx  target <= %.1fx  %s\n", what,
                ours.median, ours.best, baselineName, baseline.median, baseline.best, ratio, limit,
                met ? "met" : "MISSED");
    return met;
}

// The C loop a user would write: build each new path, renameat2 it.
void CLoopRename(const std::vector<std::string>& folders, const std::vector<std::string>& names, bool addPrefix) {
    char from[8192], to[8192];
    for (std::size_t i = 0; i < names.size(); ++i) {
        const char* name = names[i].c_str();
        std::snprintf(from, sizeof from, addPrefix ? "%s/%s" : "%s/q~%s", folders[i].c_str(), name);
        std::snprintf(to, sizeof to, addPrefix ? "%s/q~%s" : "%s/%s", folders[i].c_str(), name);
        if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) != 0) std::perror(from);
    }
}

int BenchRename(const std::string& tree, int rounds) {
    QelResultRows rows = FileRows(tree);
    std::vector<std::string> folders, names;
    for (const QelResultRow& row : rows) {
        folders.push_back(qel::Utf16ToUtf8(row.Path()));
        names.push_back(qel::Utf16ToUtf8(row.Name()));
    }
    const QelRenameRuleSet add = {{QelRenameItem::File, QelRenameOperate::PreAdd, QelString(u"q~"), QelString(u"")}};
    const QelRenameRuleSet strip = {{QelRenameItem::File, QelRenameOperate::Change, QelString(u"q~"), QelString(u"")}};
    std::printf("rename: %zu file rows below %s\n", rows.size(), tree.c_str());
    std::vector<double> ours, loop;
    bool sound = true;
    for (int r = 0; r < rounds; ++r) {
        // Each side renames every file once forward and once back, in turn.
        auto start = Clock::now();
        const QelRenameCounts forward = qel::ApplyRenameRules(add, rows);
        ours.push_back(MsSince(start));
        start = Clock::now();
        CLoopRename(folders, names, false);
        CLoopRename(folders, names, true);
        loop.push_back(MsSince(start) / 2);
        start = Clock::now();
        const QelRenameCounts back = qel::ApplyRenameRules(strip, rows);
        ours.back() = (ours.back() + MsSince(start)) / 2;
        sound = sound && forward.failed == 0 && back.failed == 0 &&
                forward.succeeded == static_cast<int>(rows.size()) && back.succeeded == forward.succeeded;
    }
    if (!sound) std::puts("rename: SOME RENAMES FAILED");
    return Report("rename rule, every file", Summarise(ours), "renameat2 C loop", Summarise(loop), 1.5) && sound ? 0 : 1;
}

int BenchTxt(const std::string& tree, int rounds) {
    const QelResultRows rows = FileRows(tree);
    const std::string out = std::filesystem::temp_directory_path() / ("qel-bench-txt-" + std::to_string(::getpid()));
    std::filesystem::create_directory(out);
    const QelString folder = QelString::FromFileName(out);
    const auto pathAt = [&rows](std::size_t i) { return std::u16string_view(rows[i].fullPath); };
    const std::string bytes = qel::MakeResultListText(rows.size(), pathAt);
    std::printf("txt: %zu rows, %zu bytes into %s\n", rows.size(), bytes.size(), out.c_str());
    std::vector<double> ours, write1;
    for (int r = 0; r < rounds; ++r) {
        auto start = Clock::now();
        QelString path;
        const auto content = [&](const qel::QelTextSink& write) {
            return qel::ProduceResultListText(rows.size(), pathAt, write);
        };
        if (qel::WriteNewFile(folder, u"ours", u".txt", content, path) != 0) std::perror("ours");
        ours.push_back(MsSince(start));
        std::filesystem::remove(path.ToFileName());

        start = Clock::now();
        const std::string plain = out + "/plain.txt";
        const int fd = ::open(plain.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) std::perror("write");
        ::close(fd);
        write1.push_back(MsSince(start));
        std::filesystem::remove(plain);
    }
    std::filesystem::remove_all(out);
    return Report("Save TXT", Summarise(ours), "one write()", Summarise(write1), 2.0) ? 0 : 1;
}

int BenchExcel(const std::string& tree, const std::string& out) {
    const QelResultRows rows = FileRows(tree);
    const auto start = Clock::now();
    std::string reason;
    const bool ok = qel::WriteListWorkbook(QelString::FromFileName(out), rows.size(),
                                           [&rows](std::size_t i) { return std::u16string_view(rows[i].fullPath); }, {},
                                           &reason);
    const double ms = MsSince(start);
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const double mb = usage.ru_maxrss / 1024.0;
    const bool met = ok && ms < 4000 && mb < 300;
    std::printf("%-28s %zu rows %9.1f ms (target < 4000)  peak %6.1f MB (target < 300, rows included)  %s %s\n",
                "Save Excel", rows.size(), ms, mb, met ? "met" : "MISSED", ok ? "" : reason.c_str());
    return met ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (argc == 4 && mode == "rename") return BenchRename(argv[2], std::max(1, std::atoi(argv[3])));
    if (argc == 4 && mode == "txt") return BenchTxt(argv[2], std::max(1, std::atoi(argv[3])));
    if (argc == 4 && mode == "excel") return BenchExcel(argv[2], argv[3]);
    std::fputs("usage: qel_bench_ops_rules rename|txt TREE ROUNDS | excel TREE OUT.xlsx\n", stderr);
    return 2;
}
