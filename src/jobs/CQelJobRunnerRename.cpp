// The runner's rename step: the rule engine of the result window on a working
// copy of the rows, so the model (and every later step) keeps the old paths.


#include "CQelJobRunner.h"
#include "CQelJobRunnerItems.h"
#include "QelOpError.h"
#include "QelRenameApply.h"
#include "QelResultRows.h"

namespace {

const char16_t* RenameRowTail(const _tag_RenameRule& rule, bool renamed) {
    if (rule.item == QelRenameItem::Folder) return renamed ? u"Change Folder Name" : u"Change Folder Name Failed";
    return renamed ? u"Change File Name" : u"Change File Name Failed";
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
    QelRenameOptions how;
    if (m_options.keepGoing) how.keepGoing = [this] { return !Stopped(); };
    qel::ApplyRenameRules(
        rules, rows,
        [this](const _tag_RenameEvent& event) {
            Count(event.error == 0);
            Log(QelString(event.newFullPath), RenameRowTail(event.rule, event.error == 0));
        },
        m_searchRoot, how);
}

// The plan the real run follows, made without renaming anything, so both
// name the same targets, folder renames and the paths below them included.
void CQelJobRunner::DryRename(const Json::Value& model, const QelString& ruleText) {
    QelRenameRuleSet rules;
    if (!LoadRules(ruleText, rules)) return;
    QelResultRows rows = qel::JobRows(model, qel::QelJobOrder::FilesFirst);
    const auto observe = [this](const _tag_RenameEvent& event) {
        const QelString reason =
            event.error == 0 ? QelString()
                             : QelString(u" - would fail: ").Append(qel::ReasonText(event.error));
        DryRun(u"Rename", QelString(event.oldFullPath), QelString(event.newFullPath), reason.view(), event.error == 0);
    };
    QelRenameOptions plan;
    plan.dryRun = true;
    qel::ApplyRenameRules(rules, rows, observe, m_searchRoot, plan);
}
