#pragma once
// The after-search job record {"name", "list": [{"cmd", "act"}]} and the
// commands a step can name ("trash" is newer than the other six: older
// readers skip it as an unknown command). The editor's rows and the runner both use this
// table, so a command's text, shown name and index never drift apart.
// Free of Qt.

#include <json/value.h>

#include <string_view>

#include "QelContainers.h"
#include "QelString.h"

enum class QelJobCommand : int { Copy = 0, Move = 1, Delete = 2, Rename = 3, SaveExcel = 4, SaveTxt = 5, Trash = 6 };

// What a step's "act" holds for a command.
enum class QelJobParam { Destination, None, RuleSet };

struct _tag_JobCommandInfo {
    QelJobCommand command;
    const char* cmd;             // the record's "cmd" text
    const char16_t* shownName;   // the editor list's "Command" column
    const char16_t* entry;       // the editor's drop-down entry
    QelJobParam param;
};

// In index order: the drop-down list, the list's "TypeDef" and the runner agree on it.
inline constexpr _tag_JobCommandInfo kJobCommands[] = {
    {QelJobCommand::Copy, "copy", u"Copy", u"Copy", QelJobParam::Destination},
    {QelJobCommand::Move, "move", u"Move", u"Move", QelJobParam::Destination},
    {QelJobCommand::Delete, "delete", u"Delete", u"Delete", QelJobParam::None},
    {QelJobCommand::Rename, "rename", u"ReName", u"Rename", QelJobParam::RuleSet},
    {QelJobCommand::SaveExcel, "saveexcel", u"SaveExcel", u"Save Excel", QelJobParam::Destination},
    {QelJobCommand::SaveTxt, "savetxt", u"SaveTxt", u"Save Txt", QelJobParam::Destination},
    {QelJobCommand::Trash, "trash", u"Trash", u"Move to Trash", QelJobParam::None},
};
inline constexpr int kJobCommandCount = static_cast<int>(std::size(kJobCommands));

// Exact, case-sensitive; nullptr for any other text ("Copy", "archive", "").
const _tag_JobCommandInfo* FindJobCommand(std::string_view cmd);
// nullptr for an index outside the table.
const _tag_JobCommandInfo* JobCommandAt(int index);

// Keys of the record, used by the editor, the main window and the runner.
inline constexpr char kJobNameKey[] = "name";
inline constexpr char kJobListKey[] = "list";
inline constexpr char kJobCmdKey[] = "cmd";
inline constexpr char kJobActKey[] = "act";

// One row of the editor's command list, as its three columns show it.
struct _tag_JobRow {
    QelString shownName;  // empty for a command outside the table
    QelString action;     // destination or rule-set text; empty for delete
    QelString typeDef;    // the command index as decimal text; empty outside the table
};
using QelJobRowArray = QelArray<_tag_JobRow>;

// The row for command index with its parameter; a row with empty texts for
// an index outside the table.
_tag_JobRow MakeJobRow(int index, const QelString& action);
// The record's steps as rows, in order; steps that are not objects add nothing.
QelJobRowArray JobRowsFromRecord(const Json::Value& record);
// base with its "name" and "list" set from the rows in order: "cmd" from
// TypeDef (empty when it is not one of the table's indexes), "act" from the
// Action text. Every other member of base is kept, so a record edited here
// loses nothing another version of the program stored in it; a base that is
// no object starts as an empty one.
Json::Value JobRecordFromRows(const QelString& name, const QelJobRowArray& rows,
                              Json::Value base = Json::Value(Json::objectValue));
// The record's "name"; empty when missing or not a string.
QelString JobRecordName(const Json::Value& record);

// A rule set as a job stores it: one compact JSON line, every line feed removed.
QelString RuleSetToJobText(const Json::Value& ruleSet);
