#pragma once
// Moving a whole folder to a new place.

namespace qel {

// Moves the folder sourceName of sourceDir to targetName in targetDir, which
// must not exist (a folder Move never merges, as mv refuses a non-empty
// target). Within one file system this is one renameat2(RENAME_NOREPLACE):
// instant whatever the size. Across file systems the tree is copied to a new
// folder, keeping owner and group where the process may, and then exactly
// the copied entries are deleted: anything added or changed in the source
// meanwhile stays there, and so does the whole source when the copy failed.
// 0 or the reason (an errno or a qel::QelOwnReason). The caller has ruled out
// a target inside the folder or holding it.
int MoveFolderAt(int sourceDir, const char* sourceName, int targetDir, const char* targetName);

}  // namespace qel
