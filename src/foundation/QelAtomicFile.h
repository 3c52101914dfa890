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
// True when bytes were written completely and the file at path now holds them.
bool WriteFileAtomically(const QelString& path, std::string_view bytes);
}  // namespace qel
