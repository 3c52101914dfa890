#pragma once
// The process-wide file manager: tree copy and delete, directory chains, and
// the search walker (SearchFiles, defined by the search library).

#include <atomic>
#include <chrono>
#include <cstdint>

#include "QelString.h"

// Progress of a search. OnSearchProgress is raised after every hit and
// OnSearchTick on a clock; the other four slots exist for compatibility and
// stay empty.
class IQelFileMngEventDelegate {
public:
    virtual ~IQelFileMngEventDelegate() = default;
    virtual void OnSearchProgress(std::int32_t fileCount, std::int32_t folderCount) = 0;
    // Raised at least every ~30 ms of walking, hits or not, with the folder
    // being read. Returning false stops the walk; the hits so far are kept.
    virtual bool OnSearchTick(std::int32_t /*fileCount*/, std::int32_t /*folderCount*/,
                              const QelString& /*currentFolder*/) {
        return true;
    }
    virtual void OnFileMngEvent2(std::int32_t, std::int32_t, std::int32_t) {}
    virtual void OnFileMngEvent3(std::int32_t, std::int32_t, std::int32_t) {}
    virtual void OnFileMngEvent4(std::int32_t, std::int32_t, std::int32_t) {}
    virtual void OnFileMngEvent5(std::int32_t, std::int32_t, std::int32_t) {}
};

class CQelFileMng {
public:
    static CQelFileMng* GetInstance();
    static void DeleteInstance();
    virtual ~CQelFileMng() = default;

    // Creates every missing folder along path.
    bool doMakeDirectoryChain(const QelString& path);
    // Copies the tree below source into destination, dot-names included. Into
    // an existing tree it merges but never replaces: an entry whose name is
    // taken fails (false) and the rest is copied. A destination that is the
    // source, lies inside it or holds it is refused before anything is written.
    bool doCopyFolderContents(const QelString& source, const QelString& destination,
                              const std::atomic<bool>* cancel = nullptr);
    // Deletes the tree, the folder itself included, dot-names too; never what
    // is mounted inside it.
    bool doDeleteFolderContents(const QelString& path, const std::atomic<bool>* cancel = nullptr,
                                bool pump = true);
    // Lets the UI process pending events (through the installed pump hook),
    // at most once per pump interval: called for every entry of a tree
    // operation and every row of a result operation, it must stay cheap.
    static void PumpDialogMessages();
    static constexpr std::chrono::milliseconds kPumpInterval{30};
    // Zero pumps on every call (tests count the calls).
    static void SetPumpInterval(std::chrono::steady_clock::duration interval);

    void SetEventDelegate(IQelFileMngEventDelegate* delegate) { m_delegate = delegate; }
    IQelFileMngEventDelegate* GetEventDelegate() const { return m_delegate; }

    // Walks root depth first, appending the full paths of hits (defined in the
    // search library). Links are listed as files and never entered; folders of
    // pseudo file systems (proc, sysfs...) are not entered unless root lies on
    // one. Returns true when the walk was completed, false when an
    // OnSearchTick answer stopped it (the lists then hold the hits so far).
    bool SearchFiles(const QelString& root, QelStringArray& fileResults, QelStringArray& folderResults,
                     const QelStringArray& nameStrings, const QelStringArray& extStrings,
                     const QelStringArray& folderStrings, bool includeSubFolders);

protected:
    CQelFileMng() = default;

private:
    IQelFileMngEventDelegate* m_delegate = nullptr;
};
