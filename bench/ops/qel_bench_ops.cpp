// Times one result operation through the same code the result window runs,
// on rows built from a tree as a match-everything search would list them
// (every file, then every folder, each folder before what it holds). The
// rows are built before the clock starts: the search is not part of it.
//
//   qel_bench_ops delete ROOT        every file and folder below ROOT
//   qel_bench_ops copy ROOT DEST     the folders directly in ROOT (not dot-named) into DEST
//   qel_bench_ops move ROOT DEST     ROOT itself as one folder row into DEST
//
// Prints "seconds cpu-seconds rows succeeded failed" on one line: the wall
// time and the user + system time of the operation alone.

#include <ftw.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <string>

#include "QelResultOps.h"

namespace {

QelResultRows g_files, g_folders;
std::string g_root;

int Collect(const char* path, const struct stat*, int type, struct FTW*) {
    if (path == g_root) return 0;
    qel::AppendResultRow(type == FTW_D ? g_folders : g_files, qel::Utf8ToUtf16(path), type == FTW_D);
    return 0;
}

QelResultRows EverythingBelow(const std::string& root) {
    g_root = root;
    ::nftw(root.c_str(), Collect, 64, FTW_PHYS);
    QelResultRows rows = std::move(g_files);
    rows.insert(rows.end(), g_folders.begin(), g_folders.end());
    return rows;
}

QelResultRows TopFolders(const std::string& root) {
    QelResultRows rows;
    DIR* dir = ::opendir(root.c_str());
    while (const dirent* e = dir ? ::readdir(dir) : nullptr) {
        if (e->d_type == DT_DIR && e->d_name[0] != '.')
            qel::AppendResultRow(rows, qel::Utf8ToUtf16(root + "/" + e->d_name), true);
    }
    if (dir) ::closedir(dir);
    return rows;
}

double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string op = argc >= 3 ? argv[1] : "";
    if (!(op == "delete" && argc == 3) && !((op == "copy" || op == "move") && argc == 4)) {
        std::fputs("usage: qel_bench_ops delete ROOT | copy ROOT DEST | move ROOT DEST\n", stderr);
        return 2;
    }
    const std::string root = argv[2];
    QelResultRows rows;
    if (op == "delete") rows = EverythingBelow(root);
    else if (op == "copy") rows = TopFolders(root);
    else qel::AppendResultRow(rows, qel::Utf8ToUtf16(root), true);
    // The rows lie below ROOT; the move's one row is ROOT itself, below its parent.
    const std::string searched = op == "move" ? root.substr(0, root.find_last_of('/')) : root;
    const QelCopyMoveOptions options{op == "delete" ? QelString() : QelString::FromFileName(argv[3]), false,
                                     QelString::FromFileName(searched)};

    const double cpuStart = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    const QelResultOpCounts counts = op == "delete" ? qel::DeleteResultRows(rows, options.searchRoot, nullptr)
                                     : op == "copy" ? qel::CopyResultRows(rows, options, nullptr)
                                                    : qel::MoveResultRows(rows, options, nullptr);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%.6f %.6f %zu %d %d\n", took.count(), CpuSeconds() - cpuStart, rows.size(), counts.succeeded,
                counts.failed);
    return 0;
}
