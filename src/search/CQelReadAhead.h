#pragma once
// A second thread that walks sub-trees ahead of the main walk.
//
// The main walk hands over sub-folders it will reach only later (Post); the
// helper walks each of them in turn and records its reports. When the main
// walk arrives at a handed-over folder it replays the recording in place
// (Replay), following the helper if it is still at work there; a folder the
// helper has not started yet is taken back and walked by the main walk
// itself. Either way the reports arrive in the same order as without help.

#include <sys/types.h>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "CQelWalkRecording.h"
#include "QelWalkOptions.h"
#include "QelWalkTypes.h"

class CQelReadAhead {
public:
    // Recordings not yet replayed may hold at most this many bytes; the
    // helper waits beyond that.
    static constexpr std::size_t kMaxBuffered = 64u << 20;
    static constexpr int kHelperDescriptorBudget = 16;

    explicit CQelReadAhead(const QelWalkOptions& options);
    ~CQelReadAhead();
    CQelReadAhead(const CQelReadAhead&) = delete;
    CQelReadAhead& operator=(const CQelReadAhead&) = delete;

    // True when the helper has nothing queued: time to hand over more.
    bool WantsWork() const { return m_idle.load(std::memory_order_relaxed); }
    // Hands over folders of the main walk's frame frameIndex, open as parentFd
    // (duplicated here), with path the folders from the root to that frame,
    // and scope what the main walk knows of its root.
    void Post(std::size_t frameIndex, int parentFd, const std::vector<QelFolderId>& path, QelWalkScope scope,
              const std::vector<QelDonatedFolder>& folders);
    // Replays the walk of the folder at offset of frame frameIndex into
    // visitor (OnEnter, its contents, OnLeave; nothing when it could not be
    // entered). replayed receives the number of reports passed on. After
    // kStopped the main walk ends: the helper may still be at work.
    QelReplay Replay(std::size_t frameIndex, std::size_t offset, IQelWalkVisitor& visitor, std::size_t& replayed);
    // The main walk left frame frameIndex: what it still held is void.
    void DropFrame(std::size_t frameIndex);
    // Stops the helper for good and closes every descriptor it holds; what
    // it had not started falls back to the main walk, what it was walking is
    // cut short. False when it had already stopped.
    bool ReleaseDescriptors();

    // A test's stand-in for the helper's walk of a handed-over folder: it
    // records what it likes and answers whether the walk was whole, so a
    // helper cut short plays out the same way on every run. Empty: the walk.
    using StandIn = std::function<bool(std::string_view name, CQelWalkRecording& recording)>;
    static void SetStandIn(StandIn standIn);

private:
    struct Parent;
    struct Task;

    void Run();
    void UpdateIdle();
    void Abandon(std::unique_ptr<Task> task);

    const QelWalkOptions m_options;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Task*> m_queue;                           // guarded: not started, oldest first
    std::vector<std::deque<std::unique_ptr<Task>>> m_byFrame;  // main thread: per frame, in listing order
    std::vector<std::unique_ptr<Task>> m_abandoned;      // main thread: dropped after the helper took them
    std::size_t m_buffered = 0;                          // guarded
    bool m_stop = false;                                 // guarded
    std::atomic<bool> m_abort{false};                    // makes the helper's current walk stop short
    std::atomic<bool> m_idle{true};
    std::thread m_thread;
};
