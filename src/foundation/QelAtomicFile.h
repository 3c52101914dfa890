#pragma once
// Replaces a file as a whole: the new content goes to a temporary file in the
// same folder, is forced to the disk and then renamed over the old file. A
// crash, a full disk or any other failure leaves the old file as it was.

#include <string_view>

#include "QelString.h"

namespace qel {
// Writes all of bytes to fd, going on after short writes and interruptions;
// false with errno set when the rest cannot be written.
bool WriteAll(int fd, std::string_view bytes);
// A symbolic link at path that this user owns in a folder that protects it
// (qel::JudgeLastLink) is followed: the file it finally leads to is replaced
// and the link stays. Refused (false, errno set, nothing touched): a link
// another user may have placed (ELOOP; the data stays with the caller),
// a final target that exists but is not a regular file (a device, a FIFO, a
// folder) or a dangling link (EINVAL), and a file that is read-only (no owner
// write permission, as a read-only attribute; honoured also for root) or that
// this user may not write (EACCES).
// True when bytes were written completely and the file at path now holds them.
bool WriteFileAtomically(const QelString& path, std::string_view bytes);
}  // namespace qel
