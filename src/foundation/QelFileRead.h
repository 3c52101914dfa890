#pragma once
// Reads a settings or view file whole, safely: such files are named by the
// user or reached through links, so they may be a FIFO (open would block for
// ever), a device (/dev/zero never ends) or huge. Only a regular file of at
// most kMaxSettingsFileBytes is read; everything else is refused with a reason.

#include <cstddef>
#include <string>

#include "QelString.h"

namespace qel {

inline constexpr std::size_t kMaxSettingsFileBytes = 64u * 1024u * 1024u;

enum class QelFileReadStatus {
    kOk,
    kMissing,     // no file of that name (nor a dangling link's target)
    kNotRegular,  // a folder, FIFO, socket or device
    kTooLarge,    // larger than the limit
    kFailed,      // open or read failed; error holds errno
};

struct QelFileReadResult {
    QelFileReadStatus status = QelFileReadStatus::kOk;
    int error = 0;  // errno for kFailed, else 0

    bool Ok() const { return status == QelFileReadStatus::kOk; }
    // True when a file is there that could not be read (anything but kOk and kMissing).
    bool Unreadable() const { return !Ok() && status != QelFileReadStatus::kMissing; }
};

// Opens path (following links) without blocking and without handing the
// descriptor to child programs, checks it is a regular file of at most
// maxBytes and reads it whole into bytes. On any failure bytes is empty.
QelFileReadResult ReadRegularFile(const QelString& path, std::string& bytes,
                                  std::size_t maxBytes = kMaxSettingsFileBytes);

// A short English reason for a failed read ("not a regular file",
// "larger than 64 MiB", strerror text), for messages and log lines.
QelString DescribeFileRead(const QelFileReadResult& result, std::size_t maxBytes = kMaxSettingsFileBytes);

}  // namespace qel
