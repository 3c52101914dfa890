#include "QelListWorkbook.h"

#include <xlsxwriter.h>

#include <algorithm>

namespace qel {

namespace {

bool Fail(lxw_error error, std::string* reason) {
    if (reason) *reason = lxw_strerror(error);
    return false;
}

// UTF-8 for a cell: the lone surrogates that carry undecodable file-name
// bytes would make the sheet's XML invalid, so they show as U+FFFD.
void CellText(std::u16string_view text, std::u16string& scratch, std::string& out) {
    out.clear();
    const auto isByteCarrier = [](char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; };
    if (std::none_of(text.begin(), text.end(), isByteCarrier)) {
        AppendUtf16AsUtf8(out, text);
        return;
    }
    scratch.assign(text);
    std::replace_if(scratch.begin(), scratch.end(), isByteCarrier, u'\uFFFD');
    AppendUtf16AsUtf8(out, scratch);
}

}  // namespace

bool WriteListWorkbook(const QelString& path, std::size_t count, const QelPathAt& textAt,
                       const _tag_ListWorkbookLayout& layout, std::string* reason) {
    const std::uint32_t rowsPerSheet = std::clamp<std::uint32_t>(layout.rowsPerSheet, 2, layout.kSheetRowLimit);
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    options.use_zip64 = LXW_TRUE;
    lxw_workbook* workbook = workbook_new_opt(path.ToFileName().c_str(), &options);
    if (!workbook) return Fail(LXW_ERROR_CREATING_XLSX_FILE, reason);

    lxw_error error = LXW_NO_ERROR;
    lxw_worksheet* sheet = nullptr;
    lxw_row_t row = 0;
    std::u16string scratch;
    std::string cell;
    // One sheet is always made, so an empty list still gives the header.
    for (std::size_t i = 0; error == LXW_NO_ERROR && (i < count || !sheet); ++i) {
        if (!sheet || row == rowsPerSheet) {
            sheet = workbook_add_worksheet(workbook, nullptr);
            if (!sheet) {
                error = LXW_ERROR_MEMORY_MALLOC_FAILED;
                break;
            }
            error = worksheet_write_string(sheet, 0, 0, layout.header.c_str(), nullptr);
            row = 1;
        }
        if (i >= count) break;
        CellText(textAt(i), scratch, cell);
        if (error == LXW_NO_ERROR) error = worksheet_write_string(sheet, row++, 0, cell.c_str(), nullptr);
    }
    const lxw_error closed = workbook_close(workbook);  // also frees the workbook
    if (error != LXW_NO_ERROR) return Fail(error, reason);
    if (closed != LXW_NO_ERROR) return Fail(closed, reason);
    return true;
}

}  // namespace qel
