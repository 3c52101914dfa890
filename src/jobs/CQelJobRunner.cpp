#include "CQelJobRunner.h"

#include "CQelJobRunnerItems.h"
#include "QelResultRows.h"

namespace {

QelString StepText(const Json::Value& step, const char* key) {
    const Json::Value& value = step.isObject() ? step[key] : Json::Value::nullSingleton();
    const char* begin = nullptr;
    const char* end = nullptr;
    if (!value.isString() || !value.getString(&begin, &end)) return QelString(u"");
    return QelString::FromUtf8(begin, static_cast<std::size_t>(end - begin));
}

void ReadList(const Json::Value& list, std::vector<QelString>& out) {
    if (!list.isArray()) return;
    out.reserve(list.size());
    for (const Json::Value& item : list) {
        const char* begin = nullptr;
        const char* end = nullptr;
        if (item.isString() && item.getString(&begin, &end))
            out.push_back(QelString::FromUtf8(begin, static_cast<std::size_t>(end - begin)));
    }
}

// A destination the steps may write into: an absolute path. An empty or
// relative one would send the items to the root or to the working folder.
bool IsValidDestination(const QelString& dest) { return !dest.IsEmpty() && dest[0] == u'/'; }

}  // namespace

CQelJobRunner::Items CQelJobRunner::Items::Read(const Json::Value& model) {
    Items items;
    if (!model.isObject()) return items;
    ReadList(model["fileresultlist"], items.files);
    ReadList(model["dirresultlist"], items.folders);
    return items;
}

QelString qel::JobItemName(const QelString& fullPath) {
    const int split = FindResultSplit(fullPath.view());
    return split < 0 ? QelString() : fullPath.Mid(split + 1);
}

QelString qel::JobTarget(const QelString& dest, const QelString& name) {
    return QelString::Formatted(u"%s/%s", dest, name);
}

CQelJobRunner::CQelJobRunner(IQelJobLogDelegate& log, QelJobOptions options) : m_log(log), m_options(options) {}

QelJobOutcome CQelJobRunner::Run(const Json::Value& model) {
    m_outcome = {};
    const Json::Value& job = model.isObject() ? model["afjitem"] : Json::Value::nullSingleton();
    m_jobName = JobRecordName(job);
    Log(m_jobName, u"Job Process Start.");
    const Json::Value& steps = job.isObject() ? job[kJobListKey] : Json::Value::nullSingleton();
    if (steps.isArray()) {
        for (const Json::Value& step : steps) RunStep(model, step);
    }
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
        return;
    }
    const QelString act = StepText(step, kJobActKey);
    if (info->param == QelJobParam::Destination && !IsValidDestination(act)) {
        Log(act, u"Destination Not Valid");
        Count(false);
        return;
    }
    switch (info->command) {
        case QelJobCommand::Copy: Copy(Items::Read(model), act); break;
        case QelJobCommand::Move: Move(Items::Read(model), act); break;
        case QelJobCommand::Delete: Delete(Items::Read(model)); break;
        case QelJobCommand::Rename: m_options.dryRun ? DryRename(model, act) : Rename(model, act); break;
        case QelJobCommand::SaveExcel: SaveExcel(Items::Read(model), act); break;
        case QelJobCommand::SaveTxt: SaveTxt(Items::Read(model), act); break;
    }
}

void CQelJobRunner::Log(const QelString& quoted, const char16_t* tail) {
    // Joined rather than formatted: a full path may be longer than a formatted text may be.
    QelString row(u"\"");
    row.Append(quoted).Append(u"\" ").Append(tail);
    m_log.OnJobLog(row);
}

void CQelJobRunner::Log(const char16_t* row) { m_log.OnJobLog(QelString(row)); }

void CQelJobRunner::DryRun(const char16_t* action, const QelString& item, const QelString& target) {
    QelString row(u"Would ");
    row.Append(action).Append(u" \"").Append(item).Append(u"\"");
    if (!target.IsEmpty()) row.Append(u" To \"").Append(target).Append(u"\"");
    Count(true);
    m_log.OnJobLog(row);
}
