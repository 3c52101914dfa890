#pragma once
// The numbered text of a result list, as Save TXT writes it:
//
//   Result List
//   [00] /first/full/path
//   ...
//   [11] /last/full/path
//
// The number is the zero-based index, zero-padded to as many digits as the
// count of paths has ("[%%.%dd]"), followed by one blank and the path. The
// text is UTF-8 without a byte-order mark and every line feed is stored as
// CR LF (also one inside a path), as a text-mode stream would. File-name
// bytes that are not UTF-8 are written as they are.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "QelString.h"

namespace qel {

// The full path of entry index (0 <= index < count); valid until the next call.
using QelPathAt = std::function<std::u16string_view(std::size_t index)>;
// One line as the text holds it, without its line end (for logging).
using QelLineSink = std::function<void(std::u16string_view line)>;

// Receives the text piece by piece, in order; false stops the text (a write failed).
using QelTextSink = std::function<bool(std::string_view piece)>;

// Hands the text for count paths in index order to sink in pieces of about
// kTextPieceSize bytes, so a list of any length costs one small buffer;
// onLine, when set, gets every numbered line as well. False when sink stopped it.
inline constexpr std::size_t kTextPieceSize = 1 << 20;
bool ProduceResultListText(std::size_t count, const QelPathAt& pathAt, const QelTextSink& sink,
                           const QelLineSink& onLine = {});
// The whole text at once.
std::string MakeResultListText(std::size_t count, const QelPathAt& pathAt, const QelLineSink& onLine = {});

}  // namespace qel
