#pragma once
// Turns hits into result paths and appends them to the caller's lists.
//
// A result path is the root exactly as passed, "/", then the names on the way
// joined by "/". The UTF-16 form of the current folder's path is kept in one
// buffer that grows and shrinks with the walk, so a hit costs one decode of
// its own name and one string for the result.

#include <cstddef>
#include <string>
#include <string_view>

#include "CQelFileMng.h"

class CQelSearchResults {
public:
    CQelSearchResults(const QelString& root, QelStringArray& fileResults, QelStringArray& folderResults,
                      IQelFileMngEventDelegate* delegate);

    // Length of the prefix for the root's own entries (root + "/").
    std::size_t RootPrefix() const { return m_rootPrefix; }
    // Sets the prefix to the first prefixLength units, appends name and "/";
    // returns the new prefix length.
    std::size_t EnterFolder(std::size_t prefixLength, std::string_view name);

    void AddFile(std::size_t prefixLength, std::string_view name) { Add(m_files, prefixLength, name); }
    void AddFolder(std::size_t prefixLength, std::string_view name) { Add(m_folders, prefixLength, name); }

private:
    void Add(QelStringArray& list, std::size_t prefixLength, std::string_view name);

    QelStringArray& m_files;
    QelStringArray& m_folders;
    IQelFileMngEventDelegate* m_delegate;
    std::u16string m_prefix;
    std::size_t m_rootPrefix;
};
