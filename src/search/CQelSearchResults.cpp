#include "CQelSearchResults.h"

#include <algorithm>

CQelSearchResults::CQelSearchResults(const CQelSearchCriteria& criteria, const QelString& root,
                                     QelStringArray& fileResults, QelStringArray& folderResults,
                                     IQelFileMngEventDelegate* delegate)
    : m_criteria(criteria), m_files(fileResults), m_folders(folderResults), m_delegate(delegate), m_prefix(root.view()) {
    // A root typed with its separator ("/", "/home/") gets no second one.
    while (m_prefix.size() > 1 && m_prefix.ends_with(u"//")) m_prefix.pop_back();
    if (!m_prefix.ends_with(u'/')) m_prefix.push_back(u'/');
}

void CQelSearchResults::OnFile(std::string_view name) {
    if (m_criteria.FileHits(name)) Add(m_files, name);
}

void CQelSearchResults::OnFolder(std::string_view name) {
    if (m_criteria.FolderHits(name)) Add(m_folders, name);
}

void CQelSearchResults::OnEnter(std::string_view name) {
    m_lengths.push_back(m_prefix.size());
    qel::AppendUtf8AsUtf16(m_prefix, name);
    m_prefix.push_back(u'/');
}

void CQelSearchResults::OnLeave() {
    m_prefix.resize(m_lengths.back());
    m_lengths.pop_back();
}

void CQelSearchResults::Add(QelStringArray& list, std::string_view name) {
    std::u16string path;
    path.reserve(m_prefix.size() + name.size());
    path.append(m_prefix);
    qel::AppendUtf8AsUtf16(path, name);
    list.emplace_back(std::move(path));
    if (m_delegate)
        m_delegate->OnSearchProgress(static_cast<std::int32_t>(m_files.size()),
                                     static_cast<std::int32_t>(m_folders.size()));
}

bool CQelSearchResults::KeepGoing() { return m_clock.Poll() ? Tick() : m_keepGoing; }

bool CQelSearchResults::KeepGoingWhileWaiting() { return m_clock.Due() ? Tick() : m_keepGoing; }

bool CQelSearchResults::Tick() {
    if (!m_delegate || !m_keepGoing) return m_keepGoing;
    // The current folder without the separator that ends the prefix.
    const QelString folder(std::u16string_view(m_prefix).substr(0, std::max<std::size_t>(m_prefix.size() - 1, 1)));
    m_keepGoing = m_delegate->OnSearchTick(static_cast<std::int32_t>(m_files.size()),
                                           static_cast<std::int32_t>(m_folders.size()), folder);
    return m_keepGoing;
}
