#pragma once
// Single-file primitives with the outcomes the program expects of its
// platform: a copy that fails or overwrites as asked, a move that never
// replaces an existing target, and a delete that refuses write-protected files.
// The *At forms take directory descriptors so that tree walks never need full
// paths.

#include <sys/types.h>

#include "QelString.h"

namespace qel {
// True when the file has no owner write permission: the read-only state that
// makes delete and overwrite fail. Checked on the mode bits, so it holds for root too.
bool IsWriteProtected(mode_t mode);

// Copies the bytes, mode and times of source to target. failIfExists: the
// target must not exist; otherwise an existing file is replaced unless it is
// write-protected. A failed copy leaves no partial target behind.
bool CopyFile(const QelString& source, const QelString& target, bool failIfExists);
bool CopyFileAt(int sourceDir, const char* sourceName, int targetDir, const char* targetName, bool failIfExists);
// Recreates the symbolic link sourceName as targetName, replacing a non-folder there.
bool CopySymlinkAt(int sourceDir, const char* sourceName, int targetDir, const char* targetName);

// Renames source to target, failing when target exists; across file systems a
// file is copied (fail if exists) and then deleted.
bool MoveFile(const QelString& source, const QelString& target);

// Deletes a file (a symbolic link itself, never what it points to); false for
// folders and write-protected files.
bool DeleteFile(const QelString& path);
bool DeleteFileAt(int dirFd, const char* name);
}  // namespace qel
