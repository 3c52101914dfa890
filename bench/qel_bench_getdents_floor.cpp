// The floor under any walker: reads every folder of a tree with openat and
// getdents64 and only counts the entries. No paths, no matching, no output
// beyond the count.
//
//   qel_bench_getdents_floor DIR

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kChunk = 32 * 1024;

// Buffers per depth, reused: a folder's listing is read whole before its
// sub-folders are entered.
std::vector<std::vector<char>> g_buffers;

unsigned long long Walk(int fd, std::size_t depth) {
    if (g_buffers.size() <= depth) g_buffers.emplace_back();
    std::vector<char>& buf = g_buffers[depth];
    std::size_t used = 0;
    for (;;) {
        if (buf.size() - used < kChunk) buf.resize(used + 2 * kChunk);
        const ssize_t got = getdents64(fd, buf.data() + used, buf.size() - used);
        if (got <= 0) break;
        used += static_cast<std::size_t>(got);
    }
    unsigned long long count = 0;
    for (std::size_t at = 0; at < used;) {
        const auto* d = reinterpret_cast<const struct dirent64*>(g_buffers[depth].data() + at);
        at += d->d_reclen;
        if (d->d_name[0] == '.' && (d->d_name[1] == 0 || (d->d_name[1] == '.' && d->d_name[2] == 0))) continue;
        ++count;
        if (d->d_type != DT_DIR) continue;
        const int child = openat(fd, d->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
        if (child < 0) continue;
        count += Walk(child, depth + 1);
    }
    close(fd);
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: qel_bench_getdents_floor DIR\n", stderr);
        return 2;
    }
    const int fd = open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        std::perror(argv[1]);
        return 1;
    }
    std::printf("%llu\n", Walk(fd, 0));
    return 0;
}
