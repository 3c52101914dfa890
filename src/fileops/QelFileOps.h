#pragma once
// Single-file primitives with the outcomes the program expects of its
// platform: a copy that fails or overwrites as asked, a move that never
// replaces an existing target, and a delete that refuses write-protected files.
// The *At forms take directory descriptors so that tree walks never need full
// paths. Every form judges the last component of each path without following
// a link, however the path is written ("link/" names the link).

#include <sys/types.h>

#include "QelString.h"

namespace qel {
// True when the file has no owner write permission: the read-only state that
// makes delete and overwrite fail. Checked on the mode bits, so it holds for root too.
bool IsWriteProtected(mode_t mode);

// Copies the bytes, mode and times of the regular file source (a link is
// refused) to target. failIfExists: the target must not exist; otherwise an
// existing file or link is replaced unless it is a folder, write-protected or
// the source itself. A replacement is made under a temporary name beside the
// target and renamed over it only when complete, so a failure (a full disk)
// leaves the old file as it was; a failed copy to a new name leaves nothing.
bool CopyFile(const QelString& source, const QelString& target, bool failIfExists);
bool CopyFileAt(int sourceDir, const char* sourceName, int targetDir, const char* targetName, bool failIfExists);
// Makes targetName a new symbolic link with the target text of the link
// sourceName; failIfExists as for CopyFileAt, a replacement equally whole.
bool CopySymlinkAt(int sourceDir, const char* sourceName, int targetDir, const char* targetName, bool failIfExists);

// Renames source (a file, a link or, within one file system, a folder) to
// target, failing when target exists; across file systems a file or link is
// copied (fail if exists) and then deleted, and a folder fails with EXDEV.
bool MoveFile(const QelString& source, const QelString& target);
bool MoveFileAt(int sourceDir, const char* sourceName, int targetDir, const char* targetName);

// Deletes a file (a symbolic link itself, never what it points to); false for
// folders and write-protected files.
bool DeleteFile(const QelString& path);
bool DeleteFileAt(int dirFd, const char* name);
}  // namespace qel
