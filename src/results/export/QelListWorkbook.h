#pragma once
// Writes a list of texts as an .xlsx workbook (libxlsxwriter), one text cell
// per entry in column A under a header:
//
//   sheet 1:  A1 header, A2 text 0, A3 text 1, ... up to the sheet's last row
//   sheet 2:  A1 header, A2 the next text, ...      (only when sheet 1 is full)
//
// A sheet holds at most 1 048 576 rows, the header included; longer lists
// continue on further sheets ("Sheet2", "Sheet3"...), so no entry is dropped.
// Rows are streamed to disk as they are written, so memory stays small
// whatever the count. Texts are stored as UTF-8 strings; file-name bytes that
// are not UTF-8 are shown as U+FFFD, as a spreadsheet cannot hold them.
//
// The result window writes its rows (files, then folders) under "Result
// List"; any other caller chooses its own order, header and path:
//
//   std::string reason;
//   if (!qel::WriteListWorkbook(path, paths.size(), [&](std::size_t i) { return paths[i].view(); }, {}, &reason))
//       report(reason);

#include <cstddef>
#include <cstdint>
#include <string>

#include "QelResultListText.h"
#include "QelString.h"

struct _tag_ListWorkbookLayout {
    static constexpr std::uint32_t kSheetRowLimit = 1048576;
    std::string header = "Result List";          // A1 of every sheet (UTF-8)
    std::uint32_t rowsPerSheet = kSheetRowLimit;  // header included; 2 to kSheetRowLimit
};

namespace qel {

// Writes count texts (textAt(0) ... textAt(count - 1)) to a workbook at path,
// replacing whatever file is there: write it through qel::WriteNewFileByName.
// False with *reason (when given) set on failure; a text too long for a cell
// (more than 32 767 characters) fails the whole workbook rather than cut it.
bool WriteListWorkbook(const QelString& path, std::size_t count, const QelPathAt& textAt,
                       const _tag_ListWorkbookLayout& layout = {}, std::string* reason = nullptr);

}  // namespace qel
