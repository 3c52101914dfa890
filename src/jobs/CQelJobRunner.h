#pragma once
// Runs one after-search job on the results of a search, step by step, and
// reports every event as one log row. Links no Qt; the job log window and the
// command line drive the same code.
//
// The model is the hand-off record: "fileresultlist" and "dirresultlist"
// (full paths, UTF-8, any file-name bytes) and "afjitem", the job record
// {"name", "list": [{"cmd", "act"}]}, and "searchpath", the folder searched,
// below which the items are found again. Every step reads the two arrays afresh
// and never changes them, so a later step still sees the paths as searched.
//
// Order within a step: folders, then files, for copy, move and the two
// exports; files, then folders, for delete; files, then folders, for rename.
// Nothing is ever replaced: copies and moves fail on an existing target,
// renames use RENAME_NOREPLACE, exports take the next free name.
//
// A step whose "cmd" is not one of the exact command texts is skipped, as is a
// copy, move or export whose destination is not an absolute path (a leading
// "~/" is the home folder, as in the result window). Every per-item failure
// is one log row; the step and the job go on. Copy, move and delete are the
// result window's operations (links acted on as links, folders moved by one
// rename where possible), without unique names.
//
// Steps are chained: a move or delete step skips, as a failure, every item
// on which an earlier copy or move step of the run failed (a skipped copy or
// move step, or one of unknown command, fails every item), so nothing is
// removed that was not put in safety. An item below a folder row that the
// same move or delete step already handled went with it and counts as done.
// A dry run predicts both: a copy or move fails on a target that exists or
// that an earlier item of the step takes.

#include <json/value.h>

#include <functional>
#include <string_view>
#include <unordered_set>

#include "IQelJobLogDelegate.h"
#include "QelJobRecord.h"
#include "QelRenameRule.h"
#include "QelResultOps.h"
#include "QelResultRows.h"
#include "QelString.h"

struct QelJobOptions {
    // Logs what each step would do to each item (targets, new names, export
    // files) and touches nothing.
    bool dryRun = false;
    // Asked between two items and between two steps when given: false stops
    // the job there, after the item under way; what follows is not done.
    std::function<bool()> keepGoing = {};
};

// Items handled (or, in a dry run, that would be handled) and items that failed
// (or would fail); a skipped step or an export that could not be written
// counts as one failure.
struct QelJobOutcome {
    int succeeded = 0;
    int failed = 0;
    bool stopped = false;  // keepGoing said no before the job was through
};

class CQelJobRunner {
public:
    // log is not owned and must outlive the runner.
    explicit CQelJobRunner(IQelJobLogDelegate& log, QelJobOptions options = {});

    // Runs the job in model["afjitem"]; without one it logs the start and end
    // rows with an empty name and runs no step.
    QelJobOutcome Run(const Json::Value& model);

    struct FileStepTexts;  // the log texts of a copy, move or delete step

private:
    class FileStep;  // one copy, move or delete step over its rows
    // The result operation a file step runs on some of its rows.
    using RowsAct = std::function<void(const QelResultRows& rows, const QelResultRowObserver& observer)>;

    void RunStep(const Json::Value& model, const Json::Value& step);
    // rows in the order the step takes them; dest is absolute.
    void Copy(const QelResultRows& rows, const QelString& dest);
    void Move(const QelResultRows& rows, const QelString& dest);
    void Delete(const QelResultRows& rows);
    // Marks every item of the model as failed, for the steps that follow.
    void FailAllItems(const Json::Value& model);
    void Trash(const QelResultRows& rows);
    void Rename(const Json::Value& model, const QelString& ruleText);
    void DryRename(const Json::Value& model, const QelString& ruleText);
    // The rules of a rename step; false, logged, when the text is no rule set.
    bool LoadRules(const QelString& ruleText, QelRenameRuleSet& rules);
    void SaveTxt(const QelResultRows& rows, const QelString& dest);
    void SaveExcel(const QelResultRows& rows, const QelString& dest);

    // The export file stem: date, time and the job name.
    QelString ExportStem() const;
    // The row "\"quoted\" tail", and a row without a quoted text.
    void Log(const QelString& quoted, const char16_t* tail);
    void Log(const char16_t* row);
    // A dry run's row: "Would <action> \"item\"", " To \"target\"" when there
    // is one, then note; counted as a success or, when it would fail, a failure.
    void DryRun(const char16_t* action, const QelString& item, const QelString& target, std::u16string_view note = {},
                bool wouldSucceed = true);
    void Count(bool success) { success ? ++m_outcome.succeeded : ++m_outcome.failed; }
    // True once keepGoing has said no; asks it while it has not.
    bool Stopped();

    IQelJobLogDelegate& m_log;
    QelJobOptions m_options;
    QelString m_jobName;
    QelString m_searchRoot;  // the model's "searchpath": the rows are found below it
    QelJobOutcome m_outcome;
    std::unordered_set<std::u16string> m_failedItems;  // full paths a copy or move of this run failed on
};
