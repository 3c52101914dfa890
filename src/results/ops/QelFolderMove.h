#pragma once
// Moving a whole folder to a new place.

#include "QelString.h"

namespace qel {

// Moves the folder source (judged without following a link) to target.
// Within one file system, when target does not exist, this is one
// renameat2(RENAME_NOREPLACE): instant whatever the size (a missing folder
// above target is made first). Otherwise the tree is copied into target
// (files of the same name in an existing target are replaced) and the source
// deleted. True only when the source is gone and its content is at target; a
// source that could not be deleted completely gives false with the copy kept.
// A target inside the source tree is refused before anything is deleted, as
// deleting the source would delete the copy too.
bool MoveFolder(const QelString& source, const QelString& target);

}  // namespace qel
