#pragma once
// Depth-first, pre-order walk of one folder tree with an explicit stack.
//
// Each folder's listing is read whole (getdents64) when the walk enters it;
// its entries are then matched in the order the kernel gave them, and a
// sub-folder is entered the moment it is met, so a folder's own hit always
// precedes everything found inside it. Entry types come from d_type; only
// links and entries of unknown type cost a stat.
//
// Descriptors: at most `descriptorBudget` folders stay open; deeper walks
// close the shallowest ones. A closed folder is reopened only when it still
// has entries that need it (a sub-folder to enter, a link to classify): from
// its child through "..", checked against the folder's device and inode,
// else name by name from the root. So any depth and any path length work.
//
// Links to folders are followed, but never into a folder that is already on
// the current path (device and inode), so link cycles end at once.

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

#include "CQelDirListing.h"
#include "CQelSearchCriteria.h"
#include "CQelSearchResults.h"

class CQelTreeWalker {
public:
    static constexpr int kDefaultDescriptorBudget = 64;

    CQelTreeWalker(const CQelSearchCriteria& criteria, CQelSearchResults& results,
                   int descriptorBudget = kDefaultDescriptorBudget);
    ~CQelTreeWalker();
    CQelTreeWalker(const CQelTreeWalker&) = delete;
    CQelTreeWalker& operator=(const CQelTreeWalker&) = delete;

    void Walk(const QelString& root, bool includeSubFolders);

private:
    struct Frame {
        std::size_t listBegin;  // this folder's listing in m_listing
        std::size_t listEnd;
        std::size_t next;       // offset of the next entry to look at
        std::size_t prefix;     // result-path prefix length for its entries
        std::size_t nameAt;     // the record naming this folder in the parent's listing
        int fd;                 // -1 while closed for the descriptor budget, or lost
        bool viaLink;           // entered through a link: reopen following links
        dev_t dev;
        ino_t ino;
    };
    // Where a sub-folder is expected to be, from its parent's record or a stat.
    struct Target {
        std::size_t nameAt;
        std::size_t prefix;
        bool viaLink;
        dev_t dev;
        ino_t ino;
    };

    void Step();
    void Descend(const QelDirEntry& entry, const Target& target);
    bool PushFrame(int fd, const Target& target, bool identityChecked);
    void PopFrame();

    int OpenChild(int parentFd, const char* name, bool followLinks);
    bool EvictShallowest(std::size_t keep);
    void CloseFrame(Frame& frame);
    bool NeedsDescriptor(const Frame& frame) const;
    bool EnsureDescriptor(std::size_t index, int childFd);
    int ReopenThroughParent(int childFd, const Frame& frame) const;
    int ReopenFromRoot(std::size_t index) const;
    bool IsOnPath(dev_t dev, ino_t ino) const;

    const CQelSearchCriteria& m_criteria;
    CQelSearchResults& m_results;
    const int m_budget;
    bool m_includeSub = true;
    std::string m_rootBytes;
    CQelDirListing m_listing;
    std::vector<Frame> m_frames;
    int m_open = 0;              // descriptors held by frames
    std::size_t m_lowestOpen = 0;  // no frame below this index holds a descriptor
};
