#pragma once
// Depth-first, pre-order walk of one folder tree with an explicit stack.
//
// Each folder's listing is read whole (getdents64) when the walk enters it;
// its entries are then reported in the order the kernel gave them, and a
// sub-folder is entered the moment it is met, so a folder is always reported
// before anything inside it. Entry types come from d_type; only links and
// entries of unknown type cost a stat.
//
// Descriptors: at most `descriptorBudget` folders stay open; deeper walks
// close the shallowest ones. A closed folder is reopened only when it still
// has entries that need it (a sub-folder to enter, a link to classify): from
// its child through "..", checked against the folder's device and inode,
// else name by name from the root. So any depth and any path length work.
//
// Links are reported as files and never entered, unless the options say to
// follow them; then never into a folder that is already on the current path
// (device and inode), so link cycles end at once. Where the device changes,
// a file-system boundary decides whether the folder is entered.
//
// Before each entry the visitor is asked whether to go on; a no ends the walk
// at once (Stopped), the reports so far standing.
//
// With a read-ahead helper, the walk hands whole sub-trees that it will only
// reach later to the helper thread, and replays what the helper recorded
// when it gets there, so the order of the reports does not change.

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CQelDirListing.h"
#include "CQelFileSystemBoundary.h"
#include "CQelSkippingVisitor.h"
#include "IQelWalkVisitor.h"
#include "QelWalkOptions.h"
#include "QelWalkTypes.h"

class CQelReadAhead;
class CQelPrefetch;

class CQelTreeWalker {
public:
    static constexpr int kDefaultDescriptorBudget = 64;

    explicit CQelTreeWalker(const QelWalkOptions& options, int descriptorBudget = kDefaultDescriptorBudget,
                            CQelReadAhead* readAhead = nullptr);
    ~CQelTreeWalker();
    CQelTreeWalker(const CQelTreeWalker&) = delete;
    CQelTreeWalker& operator=(const CQelTreeWalker&) = delete;

    // Walks the folder at root (file-name bytes, a link to a folder taken as
    // that folder). Returns 0, or the errno that kept the root itself from
    // being read (nothing reported then).
    int Walk(const std::string& root, IQelWalkVisitor& visitor);
    // Whether the last walk ended because the visitor asked it to.
    bool Stopped() const { return m_stopped; }
    // Walks the folder name inside parentFd as a sub-folder of a walk going
    // on elsewhere: OnEnter(name), its contents, OnLeave(); nothing when it
    // cannot be read, lies on that walk's path or beyond its boundary.
    // expected is the folder as the parent's listing names it; outer lists
    // the folders on the path down to the parent; scope is that walk's root.
    // False when it stopped short for lack of descriptors.
    bool WalkChild(int parentFd, const char* name, QelFolderId expected, const std::vector<QelFolderId>& outer,
                   QelWalkScope scope, IQelWalkVisitor& visitor);
    // When the process runs out of descriptors, stop the walk (and let
    // WalkChild say so) instead of skipping what cannot be opened. For a
    // helper whose work someone else can finish.
    void StopOnDescriptorShortage() { m_stopOnShortage = true; }
    // Makes the walk stop short, as for lack of descriptors, once *flag is set.
    void AbortWhen(const std::atomic<bool>* flag) { m_abort = flag; }

private:
    struct Frame {
        std::size_t listBegin;    // this folder's listing in m_listing
        std::size_t listEnd;
        std::size_t next;         // offset of the next entry to look at
        std::size_t donatedFrom;  // sub-folders from here on belong to the read-ahead
        std::size_t undonated;    // sub-folders before donatedFrom not yet reached
        std::size_t nameAt;       // the record naming this folder in the parent's listing
        int fd;                   // -1 while closed for the descriptor budget, or lost
        bool viaLink;             // entered through a link: reopen following links
        QelFolderId id;
    };

    void Run();
    void Step();
    void Descend(const QelDirEntry& entry, std::size_t at, QelFolderId expected, bool viaLink);
    bool PushFrame(int fd, std::size_t nameAt, QelFolderId expected, bool viaLink, bool identityChecked);
    void PopFrame();
    void Donate();
    std::size_t CountSubFolders(std::size_t begin, std::size_t end) const;

    void ResumeLive(const QelDirEntry& entry, std::size_t at, QelFolderId expected, std::size_t alreadyReported);
    int OpenDir(int dirFd, const char* name, int flags, std::size_t keep);
    bool EvictShallowest(std::size_t keep);
    void CloseFrame(Frame& frame);
    bool NeedsDescriptor(const Frame& frame) const;
    bool EnsureDescriptor(std::size_t index, int childFd);
    int ReopenThroughParent(int childFd, std::size_t index);
    int ReopenFromRoot(std::size_t index);
    bool IsOnPath(QelFolderId id) const;
    bool MayEnter(int fd, dev_t dev);
    bool StatsAsFolder(int dirFd, const char* name, QelFolderId& target) const;
    void Reset();
    void NoteRead(std::chrono::steady_clock::duration took);

    const QelWalkOptions m_options;
    const std::function<bool()> m_keepReading;  // asked while a large folder is read
    bool m_stopOnShortage = false;
    bool m_shortage = false;  // stopped for lack of descriptors, or told to
    bool m_stopped = false;   // the visitor said no
    int m_rootError = 0;      // errno of the last listing that could not be read
    std::optional<CQelFileSystemBoundary> m_boundary;  // set for each walk
    // Main walk only: once reading folders is seen to wait on the disk, the
    // prefetch threads warm the cache ahead of it.
    std::unique_ptr<CQelPrefetch> m_prefetch;
    std::chrono::steady_clock::duration m_readWait{};  // spent reading the folders of this window
    int m_reads = 0;                                  // folders read in this window
    int m_slowWindows = 0;                            // slow windows in a row
    const std::atomic<bool>* m_abort = nullptr;
    const int m_budget;
    CQelReadAhead* const m_readAhead;
    IQelWalkVisitor* m_visitor = nullptr;
    CQelSkippingVisitor m_skipper;  // in front of the visitor once a sub-tree had to be walked again
    static constexpr std::size_t kNoFrame = ~std::size_t(0);
    std::size_t m_resumedFrame = kNoFrame;  // the frame of that sub-tree while it is walked
    int m_anchorFd = -1;              // the walk's root, kept open for reopening by names
    std::vector<QelFolderId> m_outer;  // folders above the root, for the cycle check
    CQelDirListing m_listing;
    std::vector<Frame> m_frames;
    int m_open = 0;                // descriptors held by frames
    std::size_t m_lowestOpen = 0;  // no frame below this index holds a descriptor
    std::size_t m_donateFloor = 0;  // frames below this one have nothing left to hand over
};
