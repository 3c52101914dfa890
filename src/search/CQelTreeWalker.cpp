#include "CQelTreeWalker.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY;

bool IsDotOrDotDot(std::string_view name) {
    return name[0] == '.' && (name.size() == 1 || (name.size() == 2 && name[1] == '.'));
}

bool SameFolder(int fd, dev_t dev, ino_t ino) {
    struct stat st;
    return fstat(fd, &st) == 0 && st.st_dev == dev && st.st_ino == ino;
}

}  // namespace

CQelTreeWalker::CQelTreeWalker(const CQelSearchCriteria& criteria, CQelSearchResults& results,
                               int descriptorBudget)
    : m_criteria(criteria), m_results(results), m_budget(descriptorBudget < 1 ? 1 : descriptorBudget) {}

CQelTreeWalker::~CQelTreeWalker() {
    for (Frame& f : m_frames) CloseFrame(f);
}

void CQelTreeWalker::Walk(const QelString& root, bool includeSubFolders) {
    m_includeSub = includeSubFolders;
    m_rootBytes = root.ToFileName();
    const int fd = open(m_rootBytes.c_str(), kDirFlags);
    if (fd < 0) return;
    struct stat st;
    if (fstat(fd, &st) != 0) {
        close(fd);
        return;
    }
    if (!PushFrame(fd, Target{0, m_results.RootPrefix(), true, st.st_dev, st.st_ino}, true)) return;
    while (!m_frames.empty()) Step();
}

void CQelTreeWalker::Step() {
    const std::size_t index = m_frames.size() - 1;
    Frame& frame = m_frames[index];
    if (frame.next >= frame.listEnd) {
        PopFrame();
        return;
    }
    const std::size_t at = frame.next;
    const QelDirEntry entry = m_listing.EntryAt(at, &frame.next);
    if (IsDotOrDotDot(entry.name)) return;

    Target target{at, frame.prefix, false, frame.dev, entry.ino};
    bool isFolder = entry.type == DT_DIR;
    if (entry.type == DT_LNK || entry.type == DT_UNKNOWN) {
        // Only these need a stat: a link counts as what it points to, a
        // dangling one as a file.
        if (!EnsureDescriptor(index, -1)) return;
        struct stat st;
        if (fstatat(frame.fd, entry.name.data(), &st, 0) == 0 && S_ISDIR(st.st_mode)) {
            isFolder = true;
            target = Target{at, frame.prefix, true, st.st_dev, st.st_ino};
        }
    }
    if (!isFolder) {
        if (m_criteria.FileHits(entry.name)) m_results.AddFile(frame.prefix, entry.name);
        return;
    }
    if (m_criteria.FolderHits(entry.name)) m_results.AddFolder(frame.prefix, entry.name);
    // A link back to a folder on the current path is matched but never entered again.
    if (m_includeSub && !(target.viaLink && IsOnPath(target.dev, target.ino))) Descend(entry, target);
}

void CQelTreeWalker::Descend(const QelDirEntry& entry, const Target& target) {
    const std::size_t index = m_frames.size() - 1;
    if (!EnsureDescriptor(index, -1)) return;
    const int fd = OpenChild(m_frames[index].fd, entry.name.data(), target.viaLink);
    if (fd < 0) return;  // vanished or unreadable: skipped
    Target child = target;
    child.prefix = m_results.EnterFolder(target.prefix, entry.name);
    PushFrame(fd, child, false);
}

// Reads the folder's listing and puts it on the stack; false when it cannot
// be read or is a folder already on the path.
bool CQelTreeWalker::PushFrame(int fd, const Target& target, bool identityChecked) {
    const std::size_t begin = m_listing.Level();
    if (!m_listing.ReadAll(fd)) {
        close(fd);
        return false;
    }
    const std::size_t end = m_listing.Level();
    Frame frame{begin, end, begin, target.prefix, target.nameAt, fd, target.viaLink, target.dev, target.ino};
    if (!identityChecked && m_listing.SelfInode(begin, end) != target.ino) {
        // A mount point, a folder replaced meanwhile, or a file system whose
        // "." differs: ask the folder itself who it is.
        struct stat st;
        if (fstat(fd, &st) != 0 || IsOnPath(st.st_dev, st.st_ino)) {
            close(fd);
            m_listing.Truncate(begin);
            return false;
        }
        frame.dev = st.st_dev;
        frame.ino = st.st_ino;
    }
    m_frames.push_back(frame);
    ++m_open;
    while (m_open > m_budget && EvictShallowest(m_frames.size() - 1)) {
    }
    return true;
}

void CQelTreeWalker::PopFrame() {
    Frame done = m_frames.back();
    m_frames.pop_back();
    m_listing.Truncate(done.listBegin);
    if (!m_frames.empty() && m_frames.back().fd < 0 && NeedsDescriptor(m_frames.back()))
        EnsureDescriptor(m_frames.size() - 1, done.fd);
    CloseFrame(done);
}

int CQelTreeWalker::OpenChild(int parentFd, const char* name, bool followLinks) {
    const int flags = kDirFlags | (followLinks ? 0 : O_NOFOLLOW);
    for (;;) {
        const int fd = openat(parentFd, name, flags);
        if (fd >= 0 || (errno != EMFILE && errno != ENFILE)) return fd;
        // The process is short of descriptors: give up shallower folders first.
        if (!EvictShallowest(m_frames.size() - 1)) return -1;
    }
}

// Closes the shallowest open folder below index keep; false when there is none.
bool CQelTreeWalker::EvictShallowest(std::size_t keep) {
    while (m_lowestOpen < keep && m_frames[m_lowestOpen].fd < 0) ++m_lowestOpen;
    if (m_lowestOpen >= keep) return false;
    CloseFrame(m_frames[m_lowestOpen]);
    return true;
}

void CQelTreeWalker::CloseFrame(Frame& frame) {
    if (frame.fd < 0) return;
    close(frame.fd);
    frame.fd = -1;
    --m_open;
}

// The folder still has an entry that must be opened or stat'ed through it.
bool CQelTreeWalker::NeedsDescriptor(const Frame& frame) const {
    std::size_t next = 0;
    for (std::size_t at = frame.next; at < frame.listEnd; at = next) {
        const QelDirEntry e = m_listing.EntryAt(at, &next);
        if (e.type == DT_LNK || e.type == DT_UNKNOWN || (e.type == DT_DIR && m_includeSub && !IsDotOrDotDot(e.name)))
            return true;
    }
    return false;
}

// Gives frame index a descriptor again when it was closed. A folder that
// cannot be reached any more is marked done, so its remaining entries are
// skipped like those of a vanished folder.
bool CQelTreeWalker::EnsureDescriptor(std::size_t index, int childFd) {
    Frame& frame = m_frames[index];
    if (frame.fd >= 0) return true;
    int fd = childFd >= 0 ? ReopenThroughParent(childFd, frame) : -1;
    if (fd < 0) fd = ReopenFromRoot(index);
    if (fd < 0) {
        frame.next = frame.listEnd;
        return false;
    }
    frame.fd = fd;
    ++m_open;
    if (m_lowestOpen > index) m_lowestOpen = index;
    while (m_open > m_budget && EvictShallowest(index)) {
    }
    return true;
}

int CQelTreeWalker::ReopenThroughParent(int childFd, const Frame& frame) const {
    const int fd = openat(childFd, "..", kDirFlags);
    if (fd >= 0 && !SameFolder(fd, frame.dev, frame.ino)) {
        close(fd);  // the child was reached through a link: ".." is elsewhere
        return -1;
    }
    return fd;
}

int CQelTreeWalker::ReopenFromRoot(std::size_t index) const {
    int fd = open(m_rootBytes.c_str(), kDirFlags);
    for (std::size_t i = 1; i <= index && fd >= 0; ++i) {
        std::size_t unused = 0;
        const QelDirEntry e = m_listing.EntryAt(m_frames[i].nameAt, &unused);
        const int child = openat(fd, e.name.data(), kDirFlags | (m_frames[i].viaLink ? 0 : O_NOFOLLOW));
        close(fd);
        fd = child;
    }
    if (fd >= 0 && !SameFolder(fd, m_frames[index].dev, m_frames[index].ino)) {
        close(fd);
        return -1;
    }
    return fd;
}

bool CQelTreeWalker::IsOnPath(dev_t dev, ino_t ino) const {
    for (const Frame& f : m_frames)
        if (f.ino == ino && f.dev == dev) return true;
    return false;
}
