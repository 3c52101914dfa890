#include "CQelJobRunner.h"

#include "CQelJobRunnerItems.h"
#include "QelResultRows.h"
#include "QelResultTargets.h"

namespace {

QelString StepText(const Json::Value& step, const char* key) {
    const Json::Value& value = step.isObject() ? step[key] : Json::Value::nullSingleton();
    const char* begin = nullptr;
    const char* end = nullptr;
    if (!value.isString() || !value.getString(&begin, &end)) return QelString(u"");
    return QelString::FromUtf8(begin, static_cast<std::size_t>(end - begin));
}

void AppendRows(const Json::Value& list, bool isFolder, QelResultRows& rows) {
    if (!list.isArray()) return;
    for (const Json::Value& item : list) {
        const char* begin = nullptr;
        const char* end = nullptr;
        if (item.isString() && item.getString(&begin, &end))
            qel::AppendResultRow(rows, qel::Utf8ToUtf16(std::string_view(begin, static_cast<std::size_t>(end - begin))),
                                 isFolder);
    }
}

}  // namespace

QelResultRows qel::JobRows(const Json::Value& model, QelJobOrder order) {
    QelResultRows rows;
    if (!model.isObject()) return rows;
    const bool foldersFirst = order == QelJobOrder::FoldersFirst;
    AppendRows(model[foldersFirst ? "dirresultlist" : "fileresultlist"], foldersFirst, rows);
    AppendRows(model[foldersFirst ? "fileresultlist" : "dirresultlist"], !foldersFirst, rows);
    return rows;
}

CQelJobRunner::CQelJobRunner(IQelJobLogDelegate& log, QelJobOptions options) : m_log(log), m_options(options) {}

QelJobOutcome CQelJobRunner::Run(const Json::Value& model) {
    m_outcome = {};
    m_failedItems.clear();
    const Json::Value& job = model.isObject() ? model["afjitem"] : Json::Value::nullSingleton();
    m_jobName = JobRecordName(job);
    m_searchRoot = model.isObject() ? StepText(model, "searchpath") : QelString();
    Log(m_jobName, u"Job Process Start.");
    const Json::Value& steps = job.isObject() ? job[kJobListKey] : Json::Value::nullSingleton();
    if (steps.isArray()) {
        for (const Json::Value& step : steps) {
            if (Stopped()) break;
            RunStep(model, step);
        }
    }
    if (m_outcome.stopped) Log(m_jobName, u"Job Process Stopped.");
    Log(m_jobName, u"Job Process End.");
    return m_outcome;
}

void CQelJobRunner::RunStep(const Json::Value& model, const Json::Value& step) {
    const QelString cmd = StepText(step, kJobCmdKey);
    const _tag_JobCommandInfo* info = FindJobCommand(cmd.ToStdString());
    if (!info) {
        // Run as a copy, a hand-edited "Delete" would copy everything somewhere instead.
        Log(cmd, u"Unknown Command Skipped");
        Count(false);
        FailAllItems(model);  // it may have been meant as a copy: nothing it left behind is safe to remove
        return;
    }
    const QelString act = StepText(step, kJobActKey);
    QelString dest;
    // An empty or relative destination would send the items to the root or
    // to whatever folder the program runs in.
    if (info->param == QelJobParam::Destination && !qel::ResolveDestination(act, dest)) {
        Log(act, u"Destination Not Valid");
        Count(false);
        if (info->command == QelJobCommand::Copy || info->command == QelJobCommand::Move) FailAllItems(model);
        return;
    }
    using qel::QelJobOrder;
    switch (info->command) {
        case QelJobCommand::Copy: Copy(qel::JobRows(model, QelJobOrder::FoldersFirst), dest); break;
        case QelJobCommand::Move: Move(qel::JobRows(model, QelJobOrder::FoldersFirst), dest); break;
        case QelJobCommand::Delete: Delete(qel::JobRows(model, QelJobOrder::FilesFirst)); break;
        case QelJobCommand::Trash: Trash(qel::JobRows(model, QelJobOrder::FilesFirst)); break;
        case QelJobCommand::Rename: m_options.dryRun ? DryRename(model, act) : Rename(model, act); break;
        case QelJobCommand::SaveExcel: SaveExcel(qel::JobRows(model, QelJobOrder::FoldersFirst), dest); break;
        case QelJobCommand::SaveTxt: SaveTxt(qel::JobRows(model, QelJobOrder::FoldersFirst), dest); break;
    }
}

bool CQelJobRunner::Stopped() {
    if (!m_outcome.stopped && m_options.keepGoing && !m_options.keepGoing()) m_outcome.stopped = true;
    return m_outcome.stopped;
}

void CQelJobRunner::Log(const QelString& quoted, const char16_t* tail) {
    // Joined rather than formatted: a full path may be longer than a formatted text may be.
    QelString row(u"\"");
    row.Append(quoted).Append(u"\" ").Append(tail);
    m_log.OnJobLog(row);
}

void CQelJobRunner::Log(const char16_t* row) { m_log.OnJobLog(QelString(row)); }

void CQelJobRunner::DryRun(const char16_t* action, const QelString& item, const QelString& target,
                           std::u16string_view note, bool wouldSucceed) {
    QelString row(u"Would ");
    row.Append(action).Append(u" \"").Append(item).Append(u"\"");
    if (!target.IsEmpty()) row.Append(u" To \"").Append(target).Append(u"\"");
    row.Append(note);
    Count(wouldSucceed);
    m_log.OnJobLog(row);
}
