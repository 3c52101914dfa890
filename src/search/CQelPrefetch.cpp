#include "CQelPrefetch.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string_view>

struct CQelPrefetch::Folder {
    Folder(int f, std::atomic<int>& counter) : fd(f), open(counter) { ++open; }
    ~Folder() {
        close(fd);
        --open;
    }
    int fd;
    std::atomic<int>& open;
};

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}  // namespace

CQelPrefetch::CQelPrefetch(int rootFd, dev_t rootDev) : m_dev(rootDev) {
    const int fd = fcntl(rootFd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return;
    m_stack.push_back(Pending{std::make_shared<Folder>(fd, m_open), "."});
    for (int i = 0; i < kThreads; ++i) m_threads.emplace_back([this] { Run(); });
}

CQelPrefetch::~CQelPrefetch() {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads) thread.join();
}

void CQelPrefetch::Run() {
    std::vector<char> buffer(kBufferSize);
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_stop || !m_stack.empty() || m_busy == 0; });
        if (m_stop || (m_stack.empty() && m_busy == 0)) break;
        Pending item = std::move(m_stack.back());
        m_stack.pop_back();
        ++m_busy;
        lock.unlock();
        Read(item, buffer);
        item.parent.reset();
        lock.lock();
        --m_busy;
        m_wake.notify_all();
    }
}

// Reads one folder whole and queues its sub-folders, the first on top.
void CQelPrefetch::Read(const Pending& item, std::vector<char>& buffer) {
    const int fd = openat(item.parent->fd, item.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    auto folder = std::make_shared<Folder>(fd, m_open);
    struct stat st;
    if (fstat(fd, &st) != 0 || st.st_dev != m_dev) return;
    const bool queue = m_open.load() <= kMaxOpen;
    std::vector<Pending> found;
    ssize_t got;
    while ((got = getdents64(fd, buffer.data(), buffer.size())) > 0) {
        for (ssize_t at = 0; at < got;) {
            const auto* d = reinterpret_cast<const struct dirent64*>(buffer.data() + at);
            at += d->d_reclen;
            const std::string_view name(d->d_name);
            if (queue && d->d_type == DT_DIR && name != "." && name != "..") found.push_back(Pending{folder, std::string(name)});
        }
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stop) return;
    }
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_stack.insert(m_stack.end(), std::make_move_iterator(found.rbegin()), std::make_move_iterator(found.rend()));
    m_wake.notify_all();
}
