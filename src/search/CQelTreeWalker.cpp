#include "CQelTreeWalker.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "CQelPrefetch.h"
#include "CQelReadAhead.h"

namespace {

// Windows of folders read: when reading them took longer than kColdRead each
// on average in kColdWindows windows in a row, the disk is being waited for
// (a single slow window is more likely a busy machine).
constexpr int kReadWindow = 32;
constexpr int kColdWindows = 3;
constexpr auto kColdRead = std::chrono::microseconds(150);

constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY;

bool IsDotOrDotDot(std::string_view name) {
    return name[0] == '.' && (name.size() == 1 || (name.size() == 2 && name[1] == '.'));
}

bool IsSubFolder(const QelDirEntry& e) { return e.type == DT_DIR && !IsDotOrDotDot(e.name); }

bool SameFolder(int fd, QelFolderId id) {
    struct stat st;
    return fstat(fd, &st) == 0 && st.st_dev == id.dev && st.st_ino == id.ino;
}

}  // namespace

CQelTreeWalker::CQelTreeWalker(const QelWalkOptions& options, int descriptorBudget, CQelReadAhead* readAhead)
    : m_options(options),
      m_keepReading([this] {
          if (!m_visitor->KeepGoingWhileWaiting()) m_stopped = true;
          return !m_stopped;
      }),
      m_budget(descriptorBudget < 1 ? 1 : descriptorBudget), m_readAhead(readAhead) {}

CQelTreeWalker::~CQelTreeWalker() { Reset(); }

void CQelTreeWalker::Reset() {
    m_prefetch.reset();
    m_readWait = {};
    m_reads = 0;
    m_slowWindows = 0;
    for (Frame& f : m_frames) CloseFrame(f);
    m_frames.clear();
    m_listing.Truncate(0);
    if (m_anchorFd >= 0) close(m_anchorFd);
    m_anchorFd = -1;
    m_lowestOpen = 0;
    m_donateFloor = 0;
    m_shortage = false;
    m_resumedFrame = kNoFrame;
}

int CQelTreeWalker::Walk(const std::string& root, IQelWalkVisitor& visitor) {
    m_stopped = false;
    const int fd = open(root.c_str(), kDirFlags);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
        const int error = errno;
        if (fd >= 0) close(fd);
        return error;
    }
    m_visitor = &visitor;
    m_outer.clear();
    m_boundary.emplace(fd, st.st_dev, m_options.sameFileSystem);
    m_anchorFd = OpenDir(fd, ".", kDirFlags, 0);
    int error = 0;
    if (PushFrame(fd, 0, QelFolderId{st.st_dev, st.st_ino}, true, true)) Run();
    else if (!m_stopped) error = m_rootError;
    Reset();
    return error;
}

bool CQelTreeWalker::WalkChild(int parentFd, const char* name, QelFolderId expected,
                               const std::vector<QelFolderId>& outer, QelWalkScope scope, IQelWalkVisitor& visitor) {
    m_stopped = false;
    m_visitor = &visitor;
    m_outer = outer;
    m_boundary.emplace(scope.rootDev, scope.rootOnPseudo, m_options.sameFileSystem);
    const int fd = OpenDir(parentFd, name, kDirFlags | O_NOFOLLOW, 0);
    if (fd >= 0) {
        m_anchorFd = OpenDir(fd, ".", kDirFlags, 0);
        if (m_anchorFd < 0) {
            close(fd);
        } else if (PushFrame(fd, 0, expected, false, false)) {
            visitor.OnEnter(name);
            Run();
            if (!m_shortage) visitor.OnLeave();
        }
    }
    const bool complete = !m_shortage;
    Reset();
    return complete;
}

void CQelTreeWalker::Run() {
    while (!m_frames.empty() && !m_shortage && !m_stopped) {
        // Told to stop from outside: the same as running out of descriptors.
        if (m_abort && m_abort->load(std::memory_order_relaxed)) m_shortage = true;
        else if (!m_visitor->KeepGoing()) m_stopped = true;
        else Step();
    }
}

void CQelTreeWalker::Step() {
    if (m_readAhead && m_options.includeSubFolders && m_readAhead->WantsWork()) Donate();
    const std::size_t index = m_frames.size() - 1;
    Frame& frame = m_frames[index];
    if (frame.next >= frame.listEnd) {
        PopFrame();
        return;
    }
    const std::size_t at = frame.next;
    const QelDirEntry entry = m_listing.EntryAt(at, &frame.next);
    if (IsDotOrDotDot(entry.name)) return;

    QelFolderId target{frame.id.dev, entry.ino};
    bool isFolder = entry.type == DT_DIR;
    bool viaLink = false;
    if (entry.type == DT_UNKNOWN || (entry.type == DT_LNK && m_options.followLinks)) {
        // Only these need a stat.
        if (!EnsureDescriptor(index, -1)) return;
        isFolder = StatsAsFolder(frame.fd, entry.name.data(), target);
        viaLink = isFolder && m_options.followLinks;
    }
    if (!isFolder) {
        m_visitor->OnFile(entry.name);
        return;
    }
    if (entry.type == DT_DIR && at < frame.donatedFrom && frame.undonated > 0) --frame.undonated;
    m_visitor->OnFolder(entry.name);
    if (!m_options.includeSubFolders) return;
    // A link back to a folder on the current path is reported but never entered again.
    if (viaLink && IsOnPath(target)) return;
    if (!viaLink && at >= frame.donatedFrom) {
        std::size_t replayed = 0;
        const QelReplay replay = m_readAhead->Replay(index, at, *m_visitor, replayed);
        if (replay == QelReplay::kReplayed) return;
        if (replay == QelReplay::kStopped) {
            m_stopped = true;
            return;
        }
        if (replay == QelReplay::kCutShort) {
            ResumeLive(entry, at, target, replayed);
            return;
        }
    }
    Descend(entry, at, target, viaLink);
}

// Walks a handed-over folder here after the helper gave up on it part way
// (short of descriptors): the same walk again, passing on only what the
// helper had not delivered. The helper is stopped first, as descriptors are
// scarce.
void CQelTreeWalker::ResumeLive(const QelDirEntry& entry, std::size_t at, QelFolderId expected,
                                std::size_t alreadyReported) {
    m_readAhead->ReleaseDescriptors();
    m_skipper.Skip(*m_visitor, alreadyReported);
    m_visitor = &m_skipper;
    const std::size_t depth = m_frames.size();
    Descend(entry, at, expected, false);
    // The skipping ends with the sub-tree, even when it turned out smaller.
    if (m_frames.size() > depth) {
        m_resumedFrame = depth;
        return;
    }
    m_skipper.Skip(*m_visitor, 0);
    // Gone meanwhile: close what the helper had opened.
    if (alreadyReported > 0) m_visitor->OnLeave();
}

void CQelTreeWalker::Descend(const QelDirEntry& entry, std::size_t at, QelFolderId expected, bool viaLink) {
    const std::size_t index = m_frames.size() - 1;
    if (!EnsureDescriptor(index, -1)) return;
    const auto start = std::chrono::steady_clock::now();
    const int fd = OpenDir(m_frames[index].fd, entry.name.data(), kDirFlags | (viaLink ? 0 : O_NOFOLLOW), index);
    if (fd < 0) return;  // vanished or unreadable: skipped
    const bool pushed = PushFrame(fd, at, expected, viaLink, false);
    if (m_readAhead && !m_prefetch) NoteRead(std::chrono::steady_clock::now() - start);
    if (!pushed) return;
    // Reading the listing may have moved the arena: take the name afresh.
    std::size_t unused = 0;
    m_visitor->OnEnter(m_listing.EntryAt(at, &unused).name);
}

// Reads the folder's listing and puts it on the stack; false when it cannot
// be read or is a folder already on the path.
bool CQelTreeWalker::PushFrame(int fd, std::size_t nameAt, QelFolderId expected, bool viaLink, bool identityChecked) {
    const std::size_t begin = m_listing.Level();
    if (!m_listing.ReadAll(fd, m_keepReading)) {
        m_rootError = errno;
        close(fd);
        return false;
    }
    const std::size_t end = m_listing.Level();
    Frame frame{begin, end, begin, end, 0, nameAt, fd, viaLink, expected};
    if (m_readAhead) frame.undonated = CountSubFolders(begin, end);
    if (!identityChecked && m_listing.SelfInode(begin, end) != expected.ino) {
        // A mount point, a folder replaced meanwhile, or a file system whose
        // "." differs: ask the folder itself who it is.
        struct stat st;
        if (fstat(fd, &st) != 0 || IsOnPath(QelFolderId{st.st_dev, st.st_ino})) {
            close(fd);
            m_listing.Truncate(begin);
            return false;
        }
        frame.id = QelFolderId{st.st_dev, st.st_ino};
    }
    if (!MayEnter(fd, frame.id.dev)) {
        close(fd);
        m_listing.Truncate(begin);
        return false;
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
    if (m_readAhead) m_readAhead->DropFrame(m_frames.size());
    if (m_donateFloor > m_frames.size()) m_donateFloor = m_frames.size();
    if (m_frames.size() == m_resumedFrame) {
        m_skipper.Skip(*m_visitor, 0);
        m_resumedFrame = kNoFrame;
    }
    if (!m_frames.empty()) {
        m_visitor->OnLeave();
        if (m_frames.back().fd < 0 && NeedsDescriptor(m_frames.back())) EnsureDescriptor(m_frames.size() - 1, done.fd);
    }
    CloseFrame(done);
}

// Hands the helper every sub-folder not yet handed out in the shallowest
// folder that has any, but for the next one when that folder is the one being
// walked: the helper takes the parts of the tree this walk reaches later.
void CQelTreeWalker::Donate() {
    for (std::size_t i = m_donateFloor; i < m_frames.size(); ++i) {
        Frame& f = m_frames[i];
        if (f.undonated == 0) {
            if (m_donateFloor == i) ++m_donateFloor;
            continue;
        }
        const std::size_t keep = f.undonated / 2;
        if (f.fd < 0) continue;
        std::vector<QelDonatedFolder> folders;
        std::size_t next = 0;
        for (std::size_t at = f.next; at < f.donatedFrom; at = next) {
            const QelDirEntry e = m_listing.EntryAt(at, &next);
            if (IsSubFolder(e)) folders.push_back(QelDonatedFolder{at, e.name, QelFolderId{f.id.dev, e.ino}});
        }
        folders.erase(folders.begin(), folders.begin() + static_cast<std::ptrdiff_t>(std::min(keep, folders.size())));
        if (folders.empty()) {
            f.undonated = 0;
            continue;
        }
        f.donatedFrom = folders.front().offset;
        f.undonated = keep;
        std::vector<QelFolderId> path;
        for (std::size_t k = 0; k <= i; ++k) path.push_back(m_frames[k].id);
        m_readAhead->Post(i, f.fd, path, QelWalkScope{m_boundary->RootDevice(), m_boundary->RootOnPseudo()}, folders);
        return;
    }
}

std::size_t CQelTreeWalker::CountSubFolders(std::size_t begin, std::size_t end) const {
    std::size_t count = 0, next = 0;
    for (std::size_t at = begin; at < end; at = next)
        if (IsSubFolder(m_listing.EntryAt(at, &next))) ++count;
    return count;
}

// openat, giving up the descriptors of folders below keep while the process
// is short of them. -1 when it still fails.
int CQelTreeWalker::OpenDir(int dirFd, const char* name, int flags, std::size_t keep) {
    for (;;) {
        const int fd = openat(dirFd, name, flags);
        if (fd >= 0 || (errno != EMFILE && errno != ENFILE)) return fd;
        if (EvictShallowest(std::min(keep, m_frames.size()))) continue;
        // The helper gives its descriptors back before the walk skips anything.
        if (m_readAhead && m_readAhead->ReleaseDescriptors()) continue;
        m_shortage = m_stopOnShortage;
        return -1;
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
        if (e.type == DT_UNKNOWN || (e.type == DT_LNK && m_options.followLinks) ||
            (m_options.includeSubFolders && IsSubFolder(e)))
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
    int fd = childFd >= 0 ? ReopenThroughParent(childFd, index) : -1;
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

int CQelTreeWalker::ReopenThroughParent(int childFd, std::size_t index) {
    const int fd = OpenDir(childFd, "..", kDirFlags, index);
    if (fd >= 0 && !SameFolder(fd, m_frames[index].id)) {
        close(fd);  // the child was reached through a link: ".." is elsewhere
        return -1;
    }
    return fd;
}

int CQelTreeWalker::ReopenFromRoot(std::size_t index) {
    int fd = OpenDir(m_anchorFd, ".", kDirFlags, index);
    for (std::size_t i = 1; i <= index && fd >= 0; ++i) {
        std::size_t unused = 0;
        const QelDirEntry e = m_listing.EntryAt(m_frames[i].nameAt, &unused);
        const int child = OpenDir(fd, e.name.data(), kDirFlags | (m_frames[i].viaLink ? 0 : O_NOFOLLOW), index);
        close(fd);
        fd = child;
    }
    if (fd >= 0 && !SameFolder(fd, m_frames[index].id)) {
        close(fd);
        return -1;
    }
    return fd;
}

bool CQelTreeWalker::IsOnPath(QelFolderId id) const {
    for (const Frame& f : m_frames)
        if (f.id == id) return true;
    for (const QelFolderId& o : m_outer)
        if (o == id) return true;
    return false;
}

// A folder reached from one on another device (a mount point, or a link
// followed elsewhere): the boundary decides. The root is always entered.
bool CQelTreeWalker::MayEnter(int fd, dev_t dev) {
    dev_t from;
    if (!m_frames.empty()) from = m_frames.back().id.dev;
    else if (!m_outer.empty()) from = m_outer.back().dev;
    else return true;
    return dev == from || m_boundary->MayEnter(fd, dev);
}

// For an entry whose listing type says too little: a folder (target then
// names it)? Links count as what they point to when they are followed, else
// as files; a dangling link is a file.
bool CQelTreeWalker::StatsAsFolder(int dirFd, const char* name, QelFolderId& target) const {
    struct stat st;
    if (fstatat(dirFd, name, &st, m_options.followLinks ? 0 : AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode))
        return false;
    target = QelFolderId{st.st_dev, st.st_ino};
    return true;
}

void CQelTreeWalker::NoteRead(std::chrono::steady_clock::duration took) {
    m_readWait += took;
    if (++m_reads < kReadWindow) return;
    m_slowWindows = m_readWait > kReadWindow * kColdRead ? m_slowWindows + 1 : 0;
    if (m_slowWindows >= kColdWindows && m_anchorFd >= 0)
        m_prefetch = std::make_unique<CQelPrefetch>(m_anchorFd, m_boundary->RootDevice());
    m_readWait = {};
    m_reads = 0;
}
