#pragma once
// New export files that never replace anything: the name is taken with
// O_EXCL, and when it is in use the next free one is taken by putting "_2",
// "_3"... before the extension ("x_Result.txt", "x_Result_2.txt", ...).

#include <functional>
#include <string>
#include <string_view>

#include "QelLocalTime.h"
#include "QelString.h"

namespace qel {

// "%04u-%02u-%02u_%02u-%02u-%02u_%s" from time and tail: the dated stem of an
// export name ("2024-05-01_09-30-05_Result").
QelString DatedExportStem(const LocalTime& time, const QelString& tail);

// For writers that open their file by name themselves (libxlsxwriter):
// produce writes the file at the path it is given and answers whether it
// could. That path lies in a folder of our own (0700, made for this call
// inside folder and removed again, reached through its descriptor), so no
// link planted in a shared folder can redirect the writing. The finished
// file is then put at folder/stem[_n]extension without replacing anything:
// renamed with RENAME_NOREPLACE, or copied to a name taken with O_EXCL where
// the file system cannot rename so. Returns 0 with path set to the file;
// kProduceFailed when produce failed (its own reason holds); otherwise the
// errno of the first failure, nothing left behind.
using QelFileProducer = std::function<bool(const std::string& path)>;
inline constexpr int kProduceFailed = -1;
int WriteNewFileByName(const QelString& folder, const QelString& stem, const QelString& extension,
                       const QelFileProducer& produce, QelString& path);

// Writes content piece by piece: it calls write for each piece in order, and
// write answers false once the file failed (content should then stop).
using QelContentWriter = std::function<bool(const std::function<bool(std::string_view piece)>& write)>;

// Creates a new file folder/stem[_n]extension (O_EXCL) and writes what
// content gives into it. Returns 0 or the errno; a file that could not be
// written completely is removed again.
int WriteNewFile(const QelString& folder, const QelString& stem, const QelString& extension,
                 const QelContentWriter& content, QelString& path);
int WriteNewFile(const QelString& folder, const QelString& stem, const QelString& extension, std::string_view bytes,
                 QelString& path);

}  // namespace qel
