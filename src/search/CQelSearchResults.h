#pragma once
// The walk visitor of a search: matches each entry and appends the hits to
// the caller's lists.
//
// A result path is the root exactly as passed, "/" unless the root ends in
// one already, then the names on the way joined by "/". The UTF-16 form of the current folder's path is kept in one
// buffer that grows and shrinks with the walk, so a hit costs one decode of
// its own name and one string for the result.
//
// Progress: OnSearchProgress after every hit; OnSearchTick on the progress
// clock, hits or not, with the folder being read. A tick that answers false
// stops the walk; no event follows it.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "CQelFileMng.h"
#include "CQelProgressClock.h"
#include "CQelSearchCriteria.h"
#include "IQelWalkVisitor.h"

class CQelSearchResults : public IQelWalkVisitor {
public:
    CQelSearchResults(const CQelSearchCriteria& criteria, const QelString& root, QelStringArray& fileResults,
                      QelStringArray& folderResults, IQelFileMngEventDelegate* delegate);

    void OnFile(std::string_view name) override;
    void OnFolder(std::string_view name) override;
    void OnEnter(std::string_view name) override;
    void OnLeave() override;
    bool KeepGoing() override;
    bool KeepGoingWhileWaiting() override;

private:
    void Add(QelStringArray& list, std::string_view name);
    bool Tick();

    const CQelSearchCriteria& m_criteria;
    QelStringArray& m_files;
    QelStringArray& m_folders;
    IQelFileMngEventDelegate* m_delegate;
    std::u16string m_prefix;             // path of the current folder, ending in "/"
    std::vector<std::size_t> m_lengths;  // prefix lengths of the folders entered
    CQelProgressClock m_clock;
    bool m_keepGoing = true;             // false once a tick said stop
};
