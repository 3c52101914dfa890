#include "CQelReadAhead.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

#include "CQelTreeWalker.h"

// A folder of the main walk whose sub-folders were handed over; closed when
// the last of its tasks is done with it.
struct CQelReadAhead::Parent {
    explicit Parent(int f) : fd(f) {}
    ~Parent() {
        if (fd >= 0) close(fd);
    }
    int fd;
    std::vector<QelFolderId> path;
    QelWalkScope scope{};
};

struct CQelReadAhead::Task {
    enum State { kQueued, kRunning, kDone, kAbandoned };
    std::shared_ptr<Parent> parent;
    std::size_t offset;
    std::string name;
    QelFolderId id;
    State state = kQueued;  // guarded by m_mutex
    CQelWalkRecording recording;
};

namespace {
CQelReadAhead::StandIn& StandInSlot() {
    static CQelReadAhead::StandIn standIn;
    return standIn;
}
}  // namespace

void CQelReadAhead::SetStandIn(StandIn standIn) { StandInSlot() = std::move(standIn); }

CQelReadAhead::CQelReadAhead(const QelWalkOptions& options) : m_options(options) {
    m_thread = std::thread([this] { Run(); });
}

CQelReadAhead::~CQelReadAhead() { ReleaseDescriptors(); }

bool CQelReadAhead::ReleaseDescriptors() {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stop) return false;
        m_stop = true;
        m_abort = true;
        for (Task* task : m_queue) task->parent.reset();
        m_queue.clear();
        UpdateIdle();
    }
    m_wake.notify_all();
    m_thread.join();
    return true;
}

void CQelReadAhead::UpdateIdle() { m_idle.store(m_queue.empty() && !m_stop, std::memory_order_relaxed); }

void CQelReadAhead::Post(std::size_t frameIndex, int parentFd, const std::vector<QelFolderId>& path,
                         QelWalkScope scope, const std::vector<QelDonatedFolder>& folders) {
    const int fd = fcntl(parentFd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return;  // nothing handed over: the main walk does it all
    auto parent = std::make_shared<Parent>(fd);
    parent->path = path;
    parent->scope = scope;
    if (m_byFrame.size() <= frameIndex) m_byFrame.resize(frameIndex + 1);
    auto& mine = m_byFrame[frameIndex];
    // Earlier hand-overs of this frame lie further on in its listing.
    std::vector<std::unique_ptr<Task>> made;
    for (const QelDonatedFolder& f : folders) {
        auto task = std::make_unique<Task>();
        task->parent = parent;
        task->offset = f.offset;
        task->name = std::string(f.name);
        task->id = f.id;
        made.push_back(std::move(task));
    }
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        for (auto& t : made) m_queue.push_back(t.get());
        UpdateIdle();
    }
    mine.insert(mine.begin(), std::make_move_iterator(made.begin()), std::make_move_iterator(made.end()));
    m_wake.notify_one();
}

QelReplay CQelReadAhead::Replay(std::size_t frameIndex, std::size_t offset, IQelWalkVisitor& visitor,
                                std::size_t& replayed) {
    replayed = 0;
    if (frameIndex >= m_byFrame.size() || m_byFrame[frameIndex].empty()) return QelReplay::kNotHandedOver;
    auto& mine = m_byFrame[frameIndex];
    if (mine.front()->offset != offset) return QelReplay::kNotHandedOver;
    std::unique_ptr<Task> task = std::move(mine.front());
    mine.pop_front();
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (task->state == Task::kQueued) {
            // Not started: quicker to walk it here than to wait for it.
            const auto queued = std::find(m_queue.begin(), m_queue.end(), task.get());
            if (queued != m_queue.end()) m_queue.erase(queued);
            UpdateIdle();
            return QelReplay::kNotHandedOver;
        }
    }
    // Unless stopped, this returns once the helper has finished the folder.
    const QelReplay outcome = task->recording.Replay(visitor, replayed);
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (outcome == QelReplay::kStopped) Abandon(std::move(task));
        else m_buffered -= task->recording.Size();
    }
    m_wake.notify_one();
    return outcome;
}

void CQelReadAhead::DropFrame(std::size_t frameIndex) {
    if (frameIndex >= m_byFrame.size() || m_byFrame[frameIndex].empty()) return;
    const std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& task : m_byFrame[frameIndex]) {
        if (task->state == Task::kQueued) {
            const auto queued = std::find(m_queue.begin(), m_queue.end(), task.get());
            if (queued != m_queue.end()) m_queue.erase(queued);
            continue;
        }
        Abandon(std::move(task));
    }
    m_byFrame[frameIndex].clear();
    UpdateIdle();
}

// A task the helper took, no longer wanted: it may still be writing, so it
// lives to the end. Called with the lock held.
void CQelReadAhead::Abandon(std::unique_ptr<Task> task) {
    if (task->state == Task::kDone) m_buffered -= task->recording.Size();
    task->state = Task::kAbandoned;
    m_abandoned.push_back(std::move(task));
}

void CQelReadAhead::Run() {
    CQelTreeWalker walker(m_options, kHelperDescriptorBudget);
    walker.StopOnDescriptorShortage();
    walker.AbortWhen(&m_abort);
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_stop || (!m_queue.empty() && m_buffered < kMaxBuffered); });
        if (m_stop) return;
        Task* task = m_queue.front();
        m_queue.pop_front();
        task->state = Task::kRunning;
        UpdateIdle();
        lock.unlock();
        const bool complete = StandInSlot() ? StandInSlot()(task->name, task->recording)
                                            : walker.WalkChild(task->parent->fd, task->name.c_str(), task->id,
                                                               task->parent->path, task->parent->scope, task->recording);
        task->parent.reset();
        lock.lock();
        if (task->state == Task::kRunning) {
            task->state = Task::kDone;
            m_buffered += task->recording.Size();
        }
        task->recording.Finish(complete);
    }
}
