#pragma once
// The filter editor's rows and their translation to and from the filter
// record {"name", "filterfilename", "filterfileext", "filterdirname"}.
// Free of Qt, so the rules stand on their own; the dialog only shows rows.

#include <json/value.h>

#include "QelString.h"

// Type codes, kept as decimal text in the editor's hidden "TypeDef" column.
enum : int { kFilterTypeFileName = 1, kFilterTypeFileExt = 2, kFilterTypeFolder = 3 };

struct _tag_FilterTypeInfo {
    int code;
    const char16_t* typeText;  // shown in the "Type" column
    const char* recordKey;     // the record array that holds strings of this type
};
// In record order: names, extensions, folders.
inline constexpr _tag_FilterTypeInfo kFilterTypes[] = {
    {kFilterTypeFileName, u"FileName", "filterfilename"},
    {kFilterTypeFileExt, u"FileExt", "filterfileext"},
    {kFilterTypeFolder, u"Folder", "filterdirname"},
};
// nullptr for any code but 1, 2 and 3.
const _tag_FilterTypeInfo* FindFilterType(int code);

// Entries of the editor's type selector, in order; the index is what Add acts on.
enum : int { kSelectFullFileName = 0, kSelectFileName = 1, kSelectFileExt = 2, kSelectFolderName = 3 };
inline constexpr const char16_t* kFilterSelectorEntries[] = {u"Full File Name", u"File Name", u"File Ext",
                                                             u"Folder Name"};

struct _tag_FilterRow {
    QelString text;
    int typeCode = 0;
};
using QelFilterRowArray = QelArray<_tag_FilterRow>;

// A full file name split at its last dot at index 1 or more: the name part
// (never empty then), then the extension part when not empty. Without such a
// dot the whole text is one name row (".profile").
QelFilterRowArray SplitFullFileName(const QelString& text);
// The rows Add appends for text with the selector at selectorIndex; none for
// empty text or an unknown index.
QelFilterRowArray MakeFilterRows(int selectorIndex, const QelString& text);

// The rows a record shows when modified: grouped by type in record order,
// each group in array order. Missing arrays and non-string elements add nothing.
QelFilterRowArray FilterRowsFromRecord(const Json::Value& record);
// The record with all four members; each array keeps the rows' order, rows
// with another type code are dropped.
Json::Value FilterRecordFromRows(const QelString& name, const QelFilterRowArray& rows);
// The record's "name"; empty when the record has none or it is not a string.
QelString FilterRecordName(const Json::Value& record);
