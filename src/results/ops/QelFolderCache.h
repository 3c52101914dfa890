#pragma once
// The folder the current row lives in (or goes to), kept open while the next
// rows lie in the same folder: the rows of one folder come together in the
// list, so a run over 100 000 files resolves each folder's path once instead
// of once per file.

#include <string>
#include <string_view>

class QelFolderCache {
public:
    QelFolderCache() = default;
    QelFolderCache(const QelFolderCache&) = delete;
    QelFolderCache& operator=(const QelFolderCache&) = delete;
    ~QelFolderCache() { Close(); }

    // A descriptor of the folder at path (O_PATH, for *at calls), reopened
    // when the path differs from the last one or the last open failed; -1,
    // errno set, when it cannot be opened. Valid until the next call.
    int Open(std::u16string_view path);

private:
    void Close();

    std::u16string m_path;
    int m_fd = -1;
};
