#include "CDlgReaNameRule.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <json/reader.h>

#include "CQelMessageBox.h"
#include "QelDarkListLook.h"
#include "QelQtConvert.h"
#include "QelDialogButtons.h"
#include "QelJsonParse.h"
#include "QelRenamePreview.h"

namespace {

constexpr int kOperateRole = Qt::UserRole;  // the row's operation index

QString RuleText(int index) { return QString::fromUtf16(kRenameRuleTexts[index]); }

bool IsAdding(int operateIndex) {
    return operateIndex == static_cast<int>(QelRenameOperate::PreAdd) ||
           operateIndex == static_cast<int>(QelRenameOperate::PostAdd);
}

}  // namespace

CDlgReaNameRule::CDlgReaNameRule(QWidget* parent) : QDialog(parent), m_ruleSet(Json::arrayValue) {
    BuildControls();
    OnTypeChanged();
}

void CDlgReaNameRule::BuildControls() {
    setWindowTitle(QStringLiteral("Please enter a name change rule."));

    m_typeCombo = new QComboBox(this);
    m_typeCombo->setObjectName(QStringLiteral("itemType"));
    m_typeCombo->addItems({QString::fromUtf16(kRenameTypeFile), QString::fromUtf16(kRenameTypeFolder)});
    m_operateCombo = new QComboBox(this);
    m_operateCombo->setObjectName(QStringLiteral("operation"));
    m_findLabel = new QLabel(QStringLiteral("Find:"), this);
    m_findLabel->setObjectName(QStringLiteral("findLabel"));
    m_findEdit = new QLineEdit(this);
    m_findEdit->setObjectName(QStringLiteral("findAddEdit"));
    m_replaceLabel = new QLabel(QStringLiteral("Replace:"), this);
    m_replaceEdit = new QLineEdit(this);
    m_replaceEdit->setObjectName(QStringLiteral("replaceEdit"));
    auto* addButton = qel::MakeDialogButton(QStringLiteral("Add"), QStringLiteral("addButton"), this);
    auto* deleteButton = qel::MakeDialogButton(QStringLiteral("Delete"), QStringLiteral("deleteButton"), this);

    auto* fields = new QGridLayout;
    fields->addWidget(m_typeCombo, 0, 0);
    fields->addWidget(m_operateCombo, 0, 1);
    fields->addWidget(addButton, 0, 3);
    fields->addWidget(m_findLabel, 1, 0);
    fields->addWidget(m_findEdit, 1, 1, 1, 2);
    fields->addWidget(deleteButton, 1, 3);
    fields->addWidget(m_replaceLabel, 2, 0);
    fields->addWidget(m_replaceEdit, 2, 1, 1, 2);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("ruleList"));
    m_list->setHeaderLabels({QStringLiteral("Type"), QStringLiteral("Rule"), QStringLiteral("Find Or Add"),
                             QStringLiteral("Replace")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setColumnWidth(kColType, 60);
    m_list->setColumnWidth(kColRule, 80);
    m_list->setColumnWidth(kColFindOrAdd, 105);
    m_list->setColumnWidth(kColReplace, 105);
    ApplyDarkListLook(m_list);

    m_preview = new QTreeWidget(this);
    m_preview->setObjectName(QStringLiteral("previewList"));
    m_preview->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("New Name"), QStringLiteral("Note")});
    m_preview->setRootIsDecorated(false);
    m_preview->setUniformRowHeights(true);
    m_preview->setSelectionMode(QAbstractItemView::NoSelection);
    m_preview->setColumnWidth(0, 150);
    m_preview->setColumnWidth(1, 150);
    ApplyDarkListLook(m_preview);
    m_preview->hide();

    QPushButton* saveButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QHBoxLayout* buttonRow = qel::MakeSaveCancelRow(this, saveButton, cancelButton);
    saveButton->setDefault(true);
    m_saveButton = saveButton;

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_preview, 1);
    layout->addLayout(buttonRow);
    resize(400, 300);

    connect(m_typeCombo, &QComboBox::currentIndexChanged, this, &CDlgReaNameRule::OnTypeChanged);
    connect(m_operateCombo, &QComboBox::currentIndexChanged, this, &CDlgReaNameRule::OnOperateChanged);
    connect(addButton, &QPushButton::clicked, this, &CDlgReaNameRule::OnAdd);
    connect(deleteButton, &QPushButton::clicked, this, &CDlgReaNameRule::OnDelete);
    connect(saveButton, &QPushButton::clicked, this, &CDlgReaNameRule::accept);
    connect(cancelButton, &QPushButton::clicked, this, &CDlgReaNameRule::reject);
}

bool CDlgReaNameRule::SetRuleSet(std::string_view jsonText) {
    Json::Value ruleSet;
    m_list->clear();
    if (!qel::ParseJsonCpp(jsonText, ruleSet) ||
        !ruleSet.isArray()) {
        m_ruleSet = Json::Value(Json::arrayValue);
        CQelMessageBox::Show(this, QStringLiteral("Cannot read setting items."), CQelMessageBox::Kind::Warning);
        return false;
    }
    m_ruleSet = ruleSet;
    for (const _tag_RenameRuleRow& row : qel::RenameRuleRowsFromJson(ruleSet)) AppendRow(row);
    return true;
}

void CDlgReaNameRule::OnTypeChanged() {
    const bool folder = m_typeCombo->currentText() == QString::fromUtf16(kRenameTypeFolder);
    const QSignalBlocker blocker(m_operateCombo);
    m_operateCombo->clear();
    const int count = folder ? kRenameFolderOperateCount : static_cast<int>(std::size(kRenameRuleTexts));
    for (int i = 0; i < count; ++i) m_operateCombo->addItem(RuleText(i));
    m_operateCombo->setCurrentIndex(0);
    OnOperateChanged();
}

void CDlgReaNameRule::OnOperateChanged() {
    const bool adding = IsAdding(m_operateCombo->currentIndex());
    m_findLabel->setText(adding ? QStringLiteral("Add:") : QStringLiteral("Find:"));
    m_replaceLabel->setEnabled(!adding);
    m_replaceEdit->setEnabled(!adding);
    m_findEdit->clear();
    m_replaceEdit->clear();
}

QTreeWidgetItem* CDlgReaNameRule::FindRuleRow(const QString& ruleText) const {
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        if (m_list->topLevelItem(i)->text(kColRule) == ruleText) return m_list->topLevelItem(i);
    }
    return nullptr;
}

void CDlgReaNameRule::OnAdd() {
    const int operate = m_operateCombo->currentIndex();
    const QString ruleText = m_operateCombo->currentText();
    QString find = m_findEdit->text();
    QString replace = m_replaceEdit->text();

    if (IsAdding(operate)) {
        if (QTreeWidgetItem* existing = FindRuleRow(ruleText)) {
            const bool pre = operate == static_cast<int>(QelRenameOperate::PreAdd);
            const QString question =
                pre ? QStringLiteral("Leading character is already added. Do you want to change it?")
                    : QStringLiteral("Trailing character has already been added. Do you want to change it?");
            if (CQelMessageBox::Ask(this, question)) existing->setText(kColFindOrAdd, find);
            UpdatePreview();
            return;
        }
    } else {
        if (operate == static_cast<int>(QelRenameOperate::ExtChange) && (find.contains(u'.') || replace.contains(u'.'))) {
            if (!CQelMessageBox::Ask(
                    this, QStringLiteral("Extension '.' Is not subject to change. Do you want to clear it and add it to the rule?")))
                return;
            find.remove(u'.');
            replace.remove(u'.');
        }
        // A change with nothing to find could never change a name.
        if (find.isEmpty()) {
            CQelMessageBox::Show(this, QStringLiteral("Please enter the text to find."), CQelMessageBox::Kind::Warning);
            m_findEdit->setFocus();
            return;
        }
    }
    AppendRow({FromQString(m_typeCombo->currentText()), FromQString(ruleText), operate, FromQString(find),
               FromQString(replace)});
}

void CDlgReaNameRule::OnDelete() {
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        if (m_list->topLevelItem(i)->isSelected()) {
            delete m_list->takeTopLevelItem(i);
            UpdatePreview();
            return;
        }
    }
}

void CDlgReaNameRule::AppendRow(const _tag_RenameRuleRow& row) {
    auto* item = new QTreeWidgetItem(m_list);
    item->setText(kColType, ToQString(row.typeText));
    item->setText(kColRule, ToQString(row.ruleText));
    item->setText(kColFindOrAdd, ToQString(row.findAdd));
    item->setText(kColReplace, ToQString(row.replace));
    item->setData(kColType, kOperateRole, row.operateIndex);
    UpdatePreview();
}

void CDlgReaNameRule::SetPreview(QelResultRows rows, const QString& acceptText) {
    m_previewRows = std::move(rows);
    m_saveButton->setText(acceptText);
    m_preview->show();
    resize(width(), 460);
    UpdatePreview();
}

void CDlgReaNameRule::UpdatePreview() {
    if (m_previewRows.empty()) return;
    const QelRenameRuleSet rules = qel::RenameRulesFromJson(qel::RenameRuleSetFromRows(ReadRows()));
    m_preview->clear();
    for (const QelRenamePreviewRow& row : qel::PreviewRenames(rules, m_previewRows)) {
        auto* item = new QTreeWidgetItem(m_preview);
        item->setText(0, ToQString(QelString(row.oldName)));
        item->setText(1, ToQString(QelString(row.newName)));
        if (row.mark == QelRenamePreviewMark::kCollides) item->setText(2, QStringLiteral("Name taken twice"));
        if (row.mark == QelRenamePreviewMark::kRefused) item->setText(2, QStringLiteral("Name not allowed"));
    }
}

QelRenameRuleRows CDlgReaNameRule::ReadRows() const {
    QelRenameRuleRows rows;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_list->topLevelItem(i);
        rows.push_back({FromQString(item->text(kColType)), FromQString(item->text(kColRule)),
                        item->data(kColType, kOperateRole).toInt(), FromQString(item->text(kColFindOrAdd)),
                        FromQString(item->text(kColReplace))});
    }
    return rows;
}

void CDlgReaNameRule::accept() {
    m_ruleSet = qel::RenameRuleSetFromRows(ReadRows());
    QDialog::accept();
}
