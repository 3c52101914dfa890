#include "QelCliJob.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "CQelJSONFileMng.h"
#include "CQelJobRunner.h"
#include "CQelSearchCriteria.h"
#include "CQelSearchResults.h"
#include "QelCliFilter.h"
#include "QelCliOutput.h"
#include "QelPath.h"
#include "QelEnvFile.h"
#include "QelWalkTree.h"

namespace {

constexpr int kAllDone = 0;
constexpr int kSomeFailed = 1;

// Each row on its own line, out at once, so a long job can be watched. Names
// are escaped: a line feed in a name must not read as a row of its own.
class CStdoutJobLog : public IQelJobLogDelegate {
public:
    void OnJobLog(const QelString& row) override {
        std::string line;
        qel::AppendCEscaped(line, row.ToStdString());
        line += '\n';
        if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size() || std::fflush(stdout) != 0)
            m_failed = true;
    }
    bool Failed() const { return m_failed; }

private:
    bool m_failed = false;
};

// The job record named name from the array in use, among the ones the main
// window lists (so never a record without a name, whatever name asks for).
const Json::Value* FindJob(CQelJSONFileMng& env, const QelString& name) {
    const Json::Value* jobs = qel::FindArrayInUse(env, qel::kEnvJobKey);
    QelStringArray names;
    QelArray<int> indexes;
    qel::BuildNameList(*jobs, names, indexes);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i].Equals(name)) return &(*jobs)[static_cast<Json::ArrayIndex>(indexes[i])];
    }
    return nullptr;
}

Json::Value PathArray(const QelStringArray& paths) {
    Json::Value array(Json::arrayValue);
    for (const QelString& path : paths) array.append(path.ToFileName());
    return array;
}

}  // namespace

int RunCliJob(const QelCliOptions& options) {
    CQelJSONFileMng env;
    if (!env.Load(QelString(qel::kEnvFileName))) return PrintCliFailure(DescribeUnreadableSettings(env));
    const Json::Value* job = FindJob(env, options.jobName);
    if (!job) return PrintCliFailure(QelString::Formatted(u"There is no after-search job named \"%s\".", options.jobName));

    QelStringArray names, exts, folders;
    QelString error;
    if (!LoadNamedFilter(options.filter, names, exts, folders, error)) return PrintCliFailure(error);
    if (names.empty() && exts.empty() && folders.empty()) return PrintCliFailure(QelString(u"There are no search criteria!!"));
    const std::string root = options.path.ToFileName();
    if (root.empty()) return PrintCliFailure(QelString(u"The path is empty!!"));
    if (::access(root.c_str(), F_OK) != 0 && errno == ENOENT)
        return PrintCliFailure(qel::InvalidSearchPathText(options.path, ENOENT));

    QelStringArray fileHits, folderHits;
    const CQelSearchCriteria criteria(names, exts, folders);
    CQelSearchResults results(criteria, options.path, fileHits, folderHits, nullptr);
    QelWalkOptions walk;
    walk.includeSubFolders = options.includeSubFolders;
    const QelWalkResult walked = qel::WalkTree(root, walk, results);
    if (walked.rootError != 0)
        return PrintCliFailure(QelString::Formatted(u"The search path \"%s\" cannot be read: %s.", options.path,
                                         QelString::FromUtf8(std::strerror(walked.rootError))));

    Json::Value model(Json::objectValue);
    model["fileresultlist"] = PathArray(fileHits);
    model["dirresultlist"] = PathArray(folderHits);
    model["afjitem"] = *job;
    model["searchpath"] = root;
    CStdoutJobLog log;
    const QelJobOutcome outcome = CQelJobRunner(log, QelJobOptions{.dryRun = options.dryRun}).Run(model);
    if (log.Failed()) return PrintCliFailure(QelString(u"The job log could not be written."));
    return outcome.failed == 0 ? kAllDone : kSomeFailed;
}
