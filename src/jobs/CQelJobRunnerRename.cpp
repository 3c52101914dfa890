// The runner's rename step: the rule engine of the result window on a working
// copy of the rows, so the model (and every later step) keeps the old paths.

#include <sys/stat.h>

#include "CQelJobRunner.h"
#include "CQelJobRunnerItems.h"
#include "QelRenameApply.h"
#include "QelResultRows.h"

namespace {

const char16_t* RenameRowTail(const _tag_RenameRule& rule, bool renamed) {
    if (rule.item == QelRenameItem::Folder) return renamed ? u"Change Folder Name" : u"Change Folder Name Failed";
    return renamed ? u"Change File Name" : u"Change File Name Failed";
}

bool IsDirectoryItself(std::u16string_view path) {
    struct stat st;
    return ::lstat(QelString(path).ToFileName().c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

bool CQelJobRunner::LoadRules(const QelString& ruleText, QelRenameRuleSet& rules) {
    if (qel::ParseRenameRuleSet(ruleText.ToStdString(), rules)) return true;
    Log(u"Rename Rule Set Load Failed!!");
    Count(false);
    return false;
}

void CQelJobRunner::Rename(const Json::Value& model, const QelString& ruleText) {
    QelRenameRuleSet rules;
    if (!LoadRules(ruleText, rules)) return;
    QelResultRows rows = qel::JobRows(model, qel::QelJobOrder::FilesFirst);
    qel::ApplyRenameRules(
        rules, rows,
        [this](const _tag_RenameEvent& event) {
            Count(event.error == 0);
            Log(QelString(event.newFullPath), RenameRowTail(event.rule, event.error == 0));
        },
        m_searchRoot);
}

// The names the rules would give, carried from rule to rule in memory; a name
// that could not be taken is reported as the failure it would be.
void CQelJobRunner::DryRename(const Json::Value& model, const QelString& ruleText) {
    QelRenameRuleSet rules;
    if (!LoadRules(ruleText, rules)) return;
    QelResultRows rows = qel::JobRows(model, qel::QelJobOrder::FilesFirst);
    for (const _tag_RenameRule& rule : rules) {
        for (QelResultRow& row : rows) {
            const bool isDirectory = rule.item == QelRenameItem::Folder && IsDirectoryItself(row.fullPath);
            const std::optional<std::u16string> name = qel::RenamedName(rule, row.Name(), isDirectory);
            if (!name || *name == row.Name()) continue;
            std::u16string newPath(row.Path());
            newPath.append(u"/").append(*name);
            if (!qel::IsAcceptableName(*name)) {
                Count(false);
                Log(QelString(newPath), RenameRowTail(rule, false));
                continue;
            }
            DryRun(u"Rename", QelString(row.fullPath), QelString(newPath));
            row.fullPath = std::move(newPath);
        }
    }
}
