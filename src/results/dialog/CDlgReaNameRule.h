#pragma once
// The rename-rule editor: a modal dialog in which the user writes a rule set
// (type, operation, find or add text, replacement) row by row.
//
// Use:
//   CDlgReaNameRule dlg(parent);
//   dlg.SetRuleSet(text);                       // optional: edit a stored set
//   if (dlg.exec() == QDialog::Accepted) use(dlg.GetRuleSet());
//
// Add keeps a set sound: at most one "Pre Add" and one "Post Add" row (a
// second asks to change the first), no '.' in an extension change, and no
// change or extension change without a text to find. After Save the rule set
// holds the rows in list order with all four keys; after Cancel it holds
// what was handed in (nothing when nothing was).

#include <QDialog>
#include <json/value.h>

#include <string_view>

#include "QelRenameRuleRows.h"
#include "QelResultRows.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

class CDlgReaNameRule : public QDialog {
    Q_OBJECT
public:
    enum Column { kColType = 0, kColRule = 1, kColFindOrAdd = 2, kColReplace = 3 };

    explicit CDlgReaNameRule(QWidget* parent);

    // Shows the rules of a stored set (JSON array text) as rows. When the text
    // cannot be read, shows "Cannot read setting items.", starts empty and
    // returns false.
    bool SetRuleSet(std::string_view jsonText);
    // The rule set (JSON array) after Save.
    const Json::Value& GetRuleSet() const { return m_ruleSet; }

    // Opened to rename now: the first rows, whose new names show under the
    // rules as they are written, and the text of the button that accepts
    // ("Save" by default, for an editor that only stores the rules).
    void SetPreview(QelResultRows rows, const QString& acceptText);
    QTreeWidget* GetPreviewList() const { return m_preview; }

    // Save: rebuilds the rule set from the rows and closes.
    void accept() override;

private:
    void BuildControls();
    void OnTypeChanged();
    void OnOperateChanged();
    void OnAdd();
    void OnDelete();
    // The first row whose Rule text is ruleText; null when none.
    class QTreeWidgetItem* FindRuleRow(const QString& ruleText) const;
    void AppendRow(const _tag_RenameRuleRow& row);
    QelRenameRuleRows ReadRows() const;
    void UpdatePreview();

    Json::Value m_ruleSet;

    QComboBox* m_typeCombo = nullptr;
    QComboBox* m_operateCombo = nullptr;
    QLabel* m_findLabel = nullptr;
    QLineEdit* m_findEdit = nullptr;
    QLabel* m_replaceLabel = nullptr;
    QLineEdit* m_replaceEdit = nullptr;
    QTreeWidget* m_list = nullptr;
    QTreeWidget* m_preview = nullptr;  // hidden unless SetPreview gave rows
    QPushButton* m_saveButton = nullptr;
    QelResultRows m_previewRows;
};
