#pragma once
// Threads that warm the page cache for a walk that waits on the disk.
//
// Reading a folder from a cold disk costs a wait, and one walk waits for one
// folder at a time. The prefetch threads read the folders of the tree
// several at a time, roughly in the walk's own depth-first order, and keep
// nothing: the walk then finds the folders it reads in memory. They enter
// neither links nor other file systems, and give up on anything that fails
// (the walk itself decides what it reports). They stop when the object dies.

#include <sys/types.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CQelPrefetch {
public:
    // More threads than cores, as they spend their time waiting on the disk
    // (on two cores, four did better than two, eight or more).
    static constexpr int kThreads = 4;
    // Folders held open for their pending sub-folders; beyond this, sub-folders
    // are not queued, so the walk itself never runs short of descriptors.
    static constexpr int kMaxOpen = 128;

    // rootFd: the walk's root, open (duplicated here).
    CQelPrefetch(int rootFd, dev_t rootDev);
    ~CQelPrefetch();
    CQelPrefetch(const CQelPrefetch&) = delete;
    CQelPrefetch& operator=(const CQelPrefetch&) = delete;

private:
    struct Folder;
    struct Pending {
        std::shared_ptr<Folder> parent;  // open while it has pending sub-folders
        std::string name;
    };

    void Run();
    void Read(const Pending& item, std::vector<char>& buffer);

    const dev_t m_dev;
    std::atomic<int> m_open{0};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<Pending> m_stack;  // guarded: last in, first read
    int m_busy = 0;                // guarded: threads reading a folder
    bool m_stop = false;           // guarded
    std::vector<std::thread> m_threads;
};
