// Writes the benchmark tree: about 400 000 empty files in 17 000 folders,
// with names and extensions like those of a real home or project folder
// (hidden entries, spaces, several dots, non-ASCII names). The same seed
// gives the same tree on every machine: the generator uses its own integer
// random numbers and no floating point.
//
//   qel_bench_gen_tree DIR [FILES FOLDERS]
//       creates DIR (which must not exist yet); the counts default to the
//       400 000 files in 17 000 folders of the search benchmark
//   qel_bench_gen_tree --help   shows the usage and creates nothing

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

constexpr std::uint64_t kSeed = 0x51e1'7e55'a4f0'2024;
std::size_t g_folderCount = 17000;
std::uint64_t g_fileCount = 400000;

class Rng {
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t Next() {  // splitmix64
        std::uint64_t z = (m_state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    std::uint64_t Below(std::uint64_t n) { return Next() % n; }
    template <typename T, std::size_t N>
    const T& Pick(const T (&items)[N]) { return items[Below(N)]; }

private:
    std::uint64_t m_state;
};

const char* const kWords[] = {
    "report", "invoice", "main", "utils", "config", "index", "photo", "backup", "notes", "data", "test",
    "summary", "budget", "meeting", "project", "client", "server", "module", "helper", "widget", "layout",
    "style", "theme", "icon", "logo", "video", "track", "album", "chapter", "scan", "letter", "contract",
    "draft", "final", "review", "plan", "schedule", "export", "import", "parser", "render", "engine",
    "network", "socket", "buffer", "cache", "queue", "worker", "thread", "model", "view", "controller",
    "service", "client", "handler", "manager", "session", "token", "user", "account", "order", "payment",
    "résumé", "übersicht", "café", "naïve", "보고서", "회의록", "写真", "資料", "заметки", "año"};
const char* const kExts[] = {"txt", "txt", "txt", "jpg", "jpg", "png", "pdf", "pdf", "cpp", "cpp", "h", "h",
                             "py", "js", "json", "md", "html", "css", "log", "csv", "docx", "xlsx", "mp3",
                             "gz", "o", "bak", "xml", "yaml", "svg", "JPG", "TXT", "rs", "go", "java"};
const char* const kFolderNames[] = {"src", "lib", "docs", "test", "tests", "build", "assets", "images", "img",
                                    "include", "bin", "data", "config", "scripts", "vendor", "node_modules",
                                    ".git", ".cache", "2019", "2020", "2021", "2022", "2023", "2024", "Photos",
                                    "Project Alpha", "misc", "old", "archive", "tmp", "Downloads", "Music"};
const char* const kBareNames[] = {"Makefile", "README", "LICENSE", "Dockerfile", ".gitignore", ".env",
                                  ".bashrc", "CHANGELOG", "TODO", ".editorconfig"};
const char* const kSeparators[] = {"_", "-", " ", "", "."};

std::string FileName(Rng& rng) {
    const std::uint64_t kind = rng.Below(100);
    char number[32];
    if (kind < 5) return rng.Pick(kBareNames);
    if (kind < 20) {
        std::snprintf(number, sizeof number, "%s%05u.%s", rng.Below(2) ? "IMG_" : "DSC",
                      static_cast<unsigned>(rng.Below(100000)), rng.Below(4) ? "jpg" : "JPG");
        return number;
    }
    if (kind < 30) {
        std::snprintf(number, sizeof number, "_v%u.%u.", static_cast<unsigned>(rng.Below(10)),
                      static_cast<unsigned>(rng.Below(20)));
        return std::string(rng.Pick(kWords)) + number + rng.Pick(kExts);
    }
    if (kind < 38) {
        std::snprintf(number, sizeof number, "20%02u-%02u-%02u ", static_cast<unsigned>(10 + rng.Below(15)),
                      static_cast<unsigned>(1 + rng.Below(12)), static_cast<unsigned>(1 + rng.Below(28)));
        return number + std::string(rng.Pick(kWords)) + " " + rng.Pick(kWords) + "." + rng.Pick(kExts);
    }
    if (kind < 42) return std::string(".").append(rng.Pick(kWords)).append(rng.Below(2) ? ".json" : "rc");
    std::string name = rng.Pick(kWords);
    if (rng.Below(3)) name += std::string(rng.Pick(kSeparators)) + rng.Pick(kWords);
    if (rng.Below(4) == 0) name += std::to_string(rng.Below(1000));
    return name + "." + rng.Pick(kExts);
}

std::string FolderName(Rng& rng) {
    if (rng.Below(2)) return rng.Pick(kFolderNames);
    std::string name = rng.Pick(kWords);
    if (rng.Below(2)) name += std::string(rng.Pick(kSeparators)) + std::to_string(rng.Below(100));
    return name;
}

// A name not used yet in the folder; repeats get a counter before the extension.
std::string Unique(std::unordered_set<std::string>& used, std::string name) {
    if (used.insert(name).second) return name;
    const std::size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    const std::string ext = dot == std::string::npos || dot == 0 ? "" : name.substr(dot);
    for (int i = 2;; ++i) {
        std::string candidate = stem + " (" + std::to_string(i) + ")" + ext;
        if (used.insert(candidate).second) return candidate;
    }
}

bool Fail(const std::string& what) {
    std::perror(what.c_str());
    return false;
}

bool Generate(const std::string& root) {
    Rng rng(kSeed);
    // Folder tree: each folder hangs below a random earlier one.
    std::vector<std::size_t> parent(g_folderCount, 0);
    std::vector<std::string> path(g_folderCount);
    std::vector<std::unordered_set<std::string>> used(g_folderCount);
    for (std::size_t i = 1; i < g_folderCount; ++i) {
        parent[i] = rng.Below(i);
        path[i] = (parent[i] ? path[parent[i]] + "/" : std::string()) + Unique(used[parent[i]], FolderName(rng));
    }
    // Files per folder: most hold a few, some hold hundreds.
    std::vector<std::uint64_t> weight(g_folderCount);
    std::uint64_t total = 0;
    for (auto& w : weight) {
        const std::uint64_t cls = rng.Below(100);
        w = cls < 60 ? 1 + rng.Below(20) : cls < 90 ? 20 + rng.Below(40) : cls < 98 ? 60 + rng.Below(140) : 200 + rng.Below(1300);
        total += w;
    }
    std::vector<std::uint64_t> count(g_folderCount);
    std::uint64_t given = 0;
    for (std::size_t i = 0; i < g_folderCount; ++i) given += count[i] = weight[i] * g_fileCount / total;
    for (std::size_t i = 0; given < g_fileCount; ++i, ++given) ++count[i];

    if (mkdir(root.c_str(), 0755) != 0) return Fail(root);
    const int rootFd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (rootFd < 0) return Fail(root);
    for (std::size_t i = 1; i < g_folderCount; ++i)
        if (mkdirat(rootFd, path[i].c_str(), 0755) != 0) return Fail(path[i]);
    for (std::size_t i = 0; i < g_folderCount; ++i) {
        const int dirFd = i ? openat(rootFd, path[i].c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) : dup(rootFd);
        if (dirFd < 0) return Fail(path[i]);
        for (std::uint64_t k = 0; k < count[i]; ++k) {
            const std::string name = Unique(used[i], FileName(rng));
            const int fd = openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (fd < 0) return Fail(path[i] + "/" + name);
            close(fd);
        }
        close(dirFd);
    }
    close(rootFd);
    std::printf("%zu folders, %llu files\n", g_folderCount - 1, static_cast<unsigned long long>(g_fileCount));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // Anything that looks like an option (--help among them) only shows the
    // usage: a tree is never made in a folder named after an option.
    if ((argc != 2 && argc != 4) || argv[1][0] == '-' || argv[1][0] == '\0') {
        const bool asked = argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0);
        std::fputs("usage: qel_bench_gen_tree DIR [FILES FOLDERS]\n"
                   "Creates DIR (which must not exist yet) holding the benchmark tree: by default\n"
                   "about 400 000 empty files in 17 000 folders, the same on every machine.\n",
                   asked ? stdout : stderr);
        return asked ? 0 : 2;
    }
    if (argc == 4) {
        g_fileCount = std::strtoull(argv[2], nullptr, 10);
        g_folderCount = std::strtoull(argv[3], nullptr, 10) + 1;  // the root is folder 0
        if (g_fileCount == 0 || g_folderCount < 2) return 2;
    }
    return Generate(argv[1]) ? 0 : 1;
}
