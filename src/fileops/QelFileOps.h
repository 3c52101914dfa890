#pragma once
// Single-file primitives with the outcomes the program expects of its
// platform: a copy and a move that never replace an existing target, and a
// delete that refuses write-protected files.
// The *At forms take directory descriptors so that tree walks never need full
// paths. Every form judges the last component of each path without following
// a link, however the path is written ("link/" names the link).

#include <sys/stat.h>
#include <sys/types.h>

#include "QelString.h"

namespace qel {
// True when the file has no owner write permission: the read-only state that
// makes delete and overwrite fail. Checked on the mode bits, so it holds for root too.
bool IsWriteProtected(mode_t mode);

// Copies the bytes, mode and times of the regular file source (a link is
// refused) to target, which must not exist: nothing is ever replaced. A
// failed copy (a full disk) leaves nothing behind. errno set on failure.
bool CopyFile(const QelString& source, const QelString& target);
// The mode bits a copy of source may keep when it ends up owned by uid and
// gid: the set-user-ID and set-group-ID bits only where the owner (for the
// latter, owner and group) stayed the same, so a copy never makes a set-id
// program of someone else's.
mode_t KeptModeBits(const struct stat& source, uid_t uid, gid_t gid);

// Copies one entry that is not a folder (source is its lstat) to a name that
// must not exist yet: a file's bytes, a link's text, a FIFO, socket or device
// node made anew as cp -R does; mode bits (as KeptModeBits allows) and times
// kept. keepOwner (a move) gives it the source's owner and group where the
// process may. 0 or the errno.
int CopyEntryAt(int sourceDir, const char* sourceName, const struct stat& source, int targetDir,
                const char* targetName, bool keepOwner);

// CopyEntryAt for a regular file, which it looks at itself (copied: what it
// found, also on failure when it could be read).
int CopyRegularAt(int sourceDir, const char* sourceName, int targetDir, const char* targetName, bool keepOwner,
                  struct stat* copied = nullptr);

// Makes targetName, which must not exist, a new symbolic link with the
// target text of the link sourceName.
bool CopySymlinkAt(int sourceDir, const char* sourceName, int targetDir, const char* targetName);

// Renames source (a file, a link or, within one file system, a folder) to
// target, failing when target exists; across file systems any other entry is
// copied as CopyEntryAt does, keeping the owner where it may, and then
// deleted, and a folder fails with EXDEV.
bool MoveFile(const QelString& source, const QelString& target);
bool MoveFileAt(int sourceDir, const char* sourceName, int targetDir, const char* targetName);

// Deletes a file (a symbolic link itself, never what it points to); false for
// folders and write-protected files.
bool DeleteFile(const QelString& path);
bool DeleteFileAt(int dirFd, const char* name);
}  // namespace qel
