#pragma once
// Whether the program may write through a name whose last component is a
// symbolic link. Where another user can write in the folder, that user could
// plant a link to one of this user's files and have the program replace it
// (settings) or append to it (logs). A link is followed only where no one
// else can have made or swapped it: it is this user's own, and its folder is
// either writable by no one else or sticky, where others can neither remove
// nor rename it (the rule of the kernel's fs.protected_symlinks).

#include <string>

#include "QelString.h"

namespace qel {

enum class QelLastLink {
    kNone,          // not a link (or nothing there): the name itself is written
    kTrusted,       // this user's link in a folder that protects it: follow it
    kForeignOwner,  // a link owned by another user: refused
    kExposed,       // this user's link in a folder others can write, not sticky: refused
};

// Judges the last component of path without following it. A name that cannot
// be looked at counts as kNone: the write itself then fails or creates it.
QelLastLink JudgeLastLink(const std::string& path);

inline bool MayWriteThrough(QelLastLink judged) {
    return judged == QelLastLink::kNone || judged == QelLastLink::kTrusted;
}

// "a link owned by another user", "a link in a folder others can write".
QelString DescribeLastLink(QelLastLink judged);

}  // namespace qel
