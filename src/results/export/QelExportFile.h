#pragma once
// New export files that never replace anything: the name is taken with
// O_EXCL, and when it is in use the next free one is taken by putting "_2",
// "_3"... before the extension ("x_Result.txt", "x_Result_2.txt", ...).

#include <functional>
#include <string_view>

#include "QelLocalTime.h"
#include "QelString.h"

namespace qel {

// "%04u-%02u-%02u_%02u-%02u-%02u_%s" from time and tail: the dated stem of an
// export name ("2024-05-01_09-30-05_Result").
QelString DatedExportStem(const LocalTime& time, const QelString& tail);

// Creates a new empty file folder/stem[_n]extension and sets path to it.
// Returns 0, or the errno of the first failure other than a taken name
// (EEXIST when every candidate is taken); path then names the file tried.
int ReserveNewFile(const QelString& folder, const QelString& stem, const QelString& extension, QelString& path);

// Writes content piece by piece: it calls write for each piece in order, and
// write answers false once the file failed (content should then stop).
using QelContentWriter = std::function<bool(const std::function<bool(std::string_view piece)>& write)>;

// Like ReserveNewFile, then writes what content gives into it. Returns 0 or
// the errno; a file that could not be written completely is removed again.
int WriteNewFile(const QelString& folder, const QelString& stem, const QelString& extension,
                 const QelContentWriter& content, QelString& path);
int WriteNewFile(const QelString& folder, const QelString& stem, const QelString& extension, std::string_view bytes,
                 QelString& path);

}  // namespace qel
