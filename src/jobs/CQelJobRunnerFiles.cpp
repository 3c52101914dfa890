// The runner's copy, move and delete steps.

#include <fcntl.h>
#include <stdio.h>

#include "CQelFileMng.h"
#include "CQelJobRunnerItems.h"
#include "QelFileOps.h"
#include "QelPath.h"

namespace {

bool CopyFolder(const QelString& source, const QelString& target) {
    return CQelFileMng::GetInstance()->doCopyFolderContents(source, target);
}

// One rename when the target is free and on the same file system; otherwise a
// copy and a delete. Done only when the source is gone: a copy whose source
// could not be removed completely is not a move.
bool MoveFolder(const QelString& source, const QelString& target) {
    const std::string from = source.ToFileName();
    const std::string to = target.ToFileName();
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (!CopyFolder(source, target)) return false;
    CQelFileMng::GetInstance()->doDeleteFolderContents(source, nullptr, true);
    return !qel::PathExists(source);
}

bool DeleteFolder(const QelString& path) {
    return CQelFileMng::GetInstance()->doDeleteFolderContents(path, nullptr, true);
}

}  // namespace

void CQelJobRunner::Copy(const Items& items, const QelString& dest) {
    auto copy = [&](const QelString& source, bool isFolder) {
        const QelString name = qel::JobItemName(source);
        if (!name.IsSet()) return;
        const QelString target = qel::JobTarget(dest, name);
        if (m_options.dryRun) return DryRun(u"Copy", source, target);
        const bool done = isFolder ? CopyFolder(source, target) : qel::CopyFile(source, target, true);
        Count(done);
        Log(target, isFolder ? (done ? u"Copy Path Success" : u"Copy Path Failed")
                             : (done ? u"Copy File Success" : u"Copy File Failed"));
    };
    for (const QelString& folder : items.folders) copy(folder, true);
    for (const QelString& file : items.files) copy(file, false);
}

void CQelJobRunner::Move(const Items& items, const QelString& dest) {
    auto move = [&](const QelString& source, bool isFolder) {
        const QelString name = qel::JobItemName(source);
        if (!name.IsSet()) return;
        const QelString target = qel::JobTarget(dest, name);
        if (m_options.dryRun) return DryRun(u"Move", source, target);
        const bool done = isFolder ? MoveFolder(source, target) : qel::MoveFile(source, target);
        Count(done);
        Log(target, isFolder ? (done ? u"Move Path Success" : u"Move Path Failed")
                             : (done ? u"Move File Success" : u"Move File Failed"));
    };
    for (const QelString& folder : items.folders) move(folder, true);
    for (const QelString& file : items.files) move(file, false);
}

void CQelJobRunner::Delete(const Items& items) {
    auto remove = [&](const QelString& path, bool isFolder) {
        if (m_options.dryRun) return DryRun(u"Delete", path, QelString());
        const bool done = isFolder ? DeleteFolder(path) : qel::DeleteFile(path);
        Count(done);
        Log(path, isFolder ? (done ? u"Delete Path Success" : u"Delete Path Failed")
                           : (done ? u"Delete File Success" : u"Delete File Failed"));
    };
    for (const QelString& file : items.files) remove(file, false);
    for (const QelString& folder : items.folders) remove(folder, true);
}
