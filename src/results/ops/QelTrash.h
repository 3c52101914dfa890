#pragma once
// Moving a found item to the desktop's Trash (the freedesktop Trash, through
// GIO), so the desktop can restore it. No Qt.
//
// An item on a file system without a Trash fails with GIO's reason; it is
// never deleted instead. A link goes to the Trash as the link itself.

#include <string>

#include "QelResultRows.h"
#include "QelString.h"

namespace qel {

// True when the row's item is now in the Trash; otherwise reason says why.
// The row's folder must be reached below searchRoot (the folder searched;
// "" is "/") without following a link, as the other commands require.
bool MoveRowToTrash(const QelResultRow& row, const QelString& searchRoot, std::string& reason);

}  // namespace qel
