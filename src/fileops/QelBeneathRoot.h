#pragma once
// The folders of result rows, opened below the folder that was searched
// without following any link below it: a folder renamed away and replaced by
// a link since the search (the rows may sit for minutes in the window) makes
// its rows fail instead of sending them somewhere else. Opened one descriptor
// at a time, so a row may lie deeper than PATH_MAX.

#include <string>
#include <string_view>

class QelBeneathRoot {
public:
    // root: the searched folder as typed, whose own path is followed as the
    // user wrote it; "" when unknown, which is the file system's root.
    explicit QelBeneathRoot(std::string root);
    QelBeneathRoot(const QelBeneathRoot&) = delete;
    QelBeneathRoot& operator=(const QelBeneathRoot&) = delete;
    ~QelBeneathRoot();

    // An O_PATH descriptor of folder (a row's containing folder, bytes),
    // kept while the next rows lie in the same folder; -1 with error set to
    // an errno or a qel::QelOwnReason. Valid until the next call.
    int OpenFolder(std::string_view folder, int& error);

private:
    int OpenRoot(int& error);
    // One component at a time, refusing links; explains a failure.
    int Walk(std::string_view relative, int& error) const;
    void CloseFolder();

    std::string m_root;
    int m_rootFd = -1;
    std::string m_folder;
    int m_folderFd = -1;  // m_rootFd itself for rows in the root
};
