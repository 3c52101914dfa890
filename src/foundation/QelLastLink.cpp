#include "QelLastLink.h"

#include <sys/stat.h>
#include <unistd.h>

namespace qel {

namespace {

// No one but this user (and root) can add, remove or rename entries of the
// folder, or the sticky bit keeps them from removing or renaming this user's.
bool FolderProtectsLinks(const struct stat& folder) {
    if (folder.st_mode & S_ISVTX) return true;
    const bool ownedHere = folder.st_uid == ::geteuid() || folder.st_uid == 0;
    return ownedHere && (folder.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

QelLastLink JudgeLastLink(const std::string& path) {
    struct stat link;
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return QelLastLink::kNone;
    if (link.st_uid != ::geteuid()) return QelLastLink::kForeignOwner;
    struct stat folder;
    if (::stat(FolderOf(path).c_str(), &folder) != 0 || !FolderProtectsLinks(folder)) return QelLastLink::kExposed;
    return QelLastLink::kTrusted;
}

QelString DescribeLastLink(QelLastLink judged) {
    switch (judged) {
    case QelLastLink::kNone:
    case QelLastLink::kTrusted:
        break;
    case QelLastLink::kForeignOwner:
        return u"a link owned by another user";
    case QelLastLink::kExposed:
        return u"a link in a folder others can write";
    }
    return u"";
}

}  // namespace qel
