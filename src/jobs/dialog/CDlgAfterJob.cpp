#include "CDlgAfterJob.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "CDlgReaNameRule.h"
#include "CQelLabel.h"
#include "CQelLogMng.h"
#include "CQelMessageBox.h"
#include "QelCtlTypes.h"
#include "QelDarkListLook.h"
#include "QelDialogButtons.h"
#include "QelQtConvert.h"

namespace {

constexpr unsigned kRuleLabelId = 1046;

void Warn(QWidget* parent, const char* text) {
    CQelMessageBox::Show(parent, QString::fromLatin1(text), CQelMessageBox::Kind::Warning);
}

QelJobParam ParamOf(int commandIndex) {
    const _tag_JobCommandInfo* info = JobCommandAt(commandIndex);
    return info ? info->param : QelJobParam::None;
}

}  // namespace

CDlgAfterJob::CDlgAfterJob(QWidget* parent, Mode mode, const Json::Value& record) : QDialog(parent) {
    BuildControls();
    m_commandSelector->setCurrentIndex(0);
    OnCommandChanged(0);
    if (mode == Mode::New) {
        setWindowTitle(QStringLiteral("After Search Job New"));
        return;
    }
    setWindowTitle(QStringLiteral("After Search Job Modify"));
    m_record = record;
    m_nameEdit->setText(ToQString(JobRecordName(record)));
    for (const _tag_JobRow& row : JobRowsFromRecord(record)) AppendRow(row);
    if (QTreeWidgetItem* first = m_list->topLevelItem(0)) {
        m_list->setCurrentItem(first);
        first->setSelected(true);
        m_list->setFocus();
    }
}

void CDlgAfterJob::BuildControls() {
    m_nameEdit = new QLineEdit(this);
    m_nameEdit->setObjectName(QStringLiteral("jobNameEdit"));
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("Job Name: "), this));
    nameRow->addWidget(m_nameEdit, 1);

    QHBoxLayout* buttonRow = qel::MakeSaveCancelRow(this, m_saveButton, m_cancelButton);
    m_saveButton->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(nameRow);
    layout->addLayout(BuildCommandRow());
    layout->addLayout(BuildListArea(), 1);
    layout->addWidget(BuildDetailGroup());
    layout->addLayout(buttonRow);
    resize(560, 420);

    connect(m_commandSelector, &QComboBox::currentIndexChanged, this, &CDlgAfterJob::OnCommandChanged);
    connect(m_addButton, &QPushButton::clicked, this, &CDlgAfterJob::OnAdd);
    connect(m_delButton, &QPushButton::clicked, this, &CDlgAfterJob::OnDel);
    connect(m_modifyButton, &QPushButton::clicked, this, &CDlgAfterJob::OnModify);
    connect(m_downButton, &QPushButton::clicked, this, [this] { OnMove(1); });
    connect(m_upButton, &QPushButton::clicked, this, [this] { OnMove(-1); });
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { OnRowSelected(item); });
    connect(m_list, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { OnRowSelected(item); });
    connect(m_browseButton, &QToolButton::clicked, this, &CDlgAfterJob::OnBrowse);
    connect(m_ruleLabel, &CQelLabel::Clicked, this, &CDlgAfterJob::OnRuleLabelClicked);
    connect(m_saveButton, &QPushButton::clicked, this, &CDlgAfterJob::accept);
    connect(m_cancelButton, &QPushButton::clicked, this, &CDlgAfterJob::reject);
}

QLayout* CDlgAfterJob::BuildCommandRow() {
    m_commandSelector = new QComboBox(this);
    m_commandSelector->setObjectName(QStringLiteral("commandSelector"));
    for (const _tag_JobCommandInfo& info : kJobCommands) m_commandSelector->addItem(QString::fromUtf16(info.entry));
    m_addButton = qel::MakeDialogButton(QStringLiteral("Add"), QStringLiteral("addButton"), this);
    m_delButton = qel::MakeDialogButton(QStringLiteral("Del"), QStringLiteral("delButton"), this);
    m_modifyButton = qel::MakeDialogButton(QStringLiteral("Modify"), QStringLiteral("modifyButton"), this);
    qel::SetButtonImageIfPresent(m_addButton, u"Add.png");
    qel::SetButtonImageIfPresent(m_delButton, u"Del.png");
    qel::SetButtonImageIfPresent(m_modifyButton, u"RRename.png");

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Command: "), this));
    row->addWidget(m_commandSelector, 1);
    row->addWidget(m_addButton);
    row->addWidget(m_delButton);
    row->addWidget(m_modifyButton);
    return row;
}

QLayout* CDlgAfterJob::BuildListArea() {
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("commandList"));
    m_list->setColumnCount(3);
    m_list->setHeaderLabels({QStringLiteral("Command"), QStringLiteral("Action"), QStringLiteral("TypeDef")});
    m_list->setColumnWidth(kColCommand, 70);
    m_list->setColumnWidth(kColAction, 200);
    m_list->hideColumn(kColTypeDef);  // the command's number, for the program only
    for (int column = kColCommand; column <= kColTypeDef; ++column) {
        m_list->headerItem()->setTextAlignment(column, Qt::AlignCenter);
    }
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ApplyDarkListLook(m_list);

    m_downButton = qel::MakeDialogButton(QString(), QStringLiteral("moveDownButton"), this);
    m_upButton = qel::MakeDialogButton(QString(), QStringLiteral("moveUpButton"), this);
    m_downButton->setToolTip(QStringLiteral("Move down"));
    m_upButton->setToolTip(QStringLiteral("Move up"));
    qel::SetButtonImageIfPresent(m_downButton, u"arrow_down.png", 3);
    qel::SetButtonImageIfPresent(m_upButton, u"arrow_up.png", 3);

    auto* arrows = new QVBoxLayout;
    arrows->addWidget(m_upButton);
    arrows->addWidget(m_downButton);
    arrows->addStretch(1);
    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(new QLabel(QStringLiteral("[Command List]"), this));
    listColumn->addWidget(m_list, 1);
    auto* area = new QHBoxLayout;
    area->addLayout(listColumn, 1);
    area->addLayout(arrows);
    return area;
}

QWidget* CDlgAfterJob::BuildDetailGroup() {
    auto* group = new QGroupBox(QStringLiteral("Command Detail"), this);
    m_destEdit = new QLineEdit(group);
    m_destEdit->setObjectName(QStringLiteral("destEdit"));
    m_browseButton = new QToolButton(group);
    m_browseButton->setObjectName(QStringLiteral("destBrowseButton"));
    m_browseButton->setText(QStringLiteral("..."));
    m_browseButton->setToolTip(QStringLiteral("Choose a folder"));
    m_ruleLabel = new CQelLabel(group);
    m_ruleLabel->setObjectName(QStringLiteral("ruleLabel"));
    m_ruleLabel->Create(group, QRect(0, 0, 300, 22), kRuleLabelId);
    m_ruleLabel->setMinimumHeight(22);
    m_ruleLabel->setCursor(Qt::PointingHandCursor);
    SetUpRuleLabel();

    auto* destRow = new QHBoxLayout;
    destRow->addWidget(new QLabel(QStringLiteral("Dest Path:"), group));
    destRow->addWidget(m_destEdit, 1);
    destRow->addWidget(m_browseButton);
    auto* layout = new QVBoxLayout(group);
    layout->addLayout(destRow);
    layout->addWidget(m_ruleLabel);
    return group;
}

void CDlgAfterJob::SetUpRuleLabel() {
    _tag_borderInfo border;
    border.draw = true;
    border.width = 1;
    border.color = QelRGB(47, 79, 79);
    m_ruleLabel->SetPropBorder(u"border", border);
    m_ruleLabel->SetPropColor(u"bgcolor", QelRGB(32, 178, 170));
    m_ruleLabel->SetPropColor(u"fgcolor", QelRGB(224, 255, 255));
    m_ruleLabel->SetPropBool(u"elispisis", true);
    SetRuleCaption(kNoRenameRule);
}

QelString CDlgAfterJob::GetRuleCaption() const { return m_ruleLabel->GetPropString(u"caption"); }

void CDlgAfterJob::SetRuleCaption(const QelString& caption) {
    m_ruleLabel->SetPropString(u"caption", caption);
    m_ruleLabel->setToolTip(ToQString(caption));
}

void CDlgAfterJob::OnCommandChanged(int index) {
    const QelJobParam param = ParamOf(index);
    m_destEdit->setEnabled(param == QelJobParam::Destination);
    m_browseButton->setEnabled(param == QelJobParam::Destination);
    m_ruleLabel->SetPropBool(u"enable", param == QelJobParam::RuleSet);
}

void CDlgAfterJob::OnRowSelected(QTreeWidgetItem* item) {
    if (!item) return;
    bool ok = false;
    const int index = item->text(kColTypeDef).toInt(&ok, 10);
    if (!ok || !JobCommandAt(index)) return;
    m_commandSelector->setCurrentIndex(index);
    OnCommandChanged(index);
    const QelString action = FromQString(item->text(kColAction));
    switch (ParamOf(index)) {
        case QelJobParam::Destination: m_destEdit->setText(ToQString(action)); break;
        case QelJobParam::RuleSet: SetRuleCaption(action); break;
        case QelJobParam::None: break;
    }
}

bool CDlgAfterJob::RowFromFields(_tag_JobRow& row) {
    const int index = m_commandSelector->currentIndex();
    QelString action(u"");
    switch (ParamOf(index)) {
        case QelJobParam::Destination:
            action = FromQString(m_destEdit->text());
            if (action.IsEmpty()) {
                Warn(this, "Please specify the path.");
                return false;
            }
            break;
        case QelJobParam::RuleSet:
            action = GetRuleCaption();
            if (action.IsEmpty() || action.Equals(kNoRenameRule)) {
                Warn(this, "Please define the name change rules.");
                return false;
            }
            break;
        case QelJobParam::None: break;
    }
    row = MakeJobRow(index, action);
    return true;
}

void CDlgAfterJob::OnAdd() {
    _tag_JobRow row;
    if (RowFromFields(row)) AppendRow(row);
}

void CDlgAfterJob::OnModify() {
    const int selected = FirstSelectedRow();
    if (selected < 0) {
        Warn(this, "No items selected.");
        return;
    }
    _tag_JobRow row;
    if (RowFromFields(row)) SetRowTexts(m_list->topLevelItem(selected), row);
}

void CDlgAfterJob::OnDel() {
    const int selected = FirstSelectedRow();
    if (selected < 0) {
        Warn(this, "No items selected.");
        return;
    }
    delete m_list->takeTopLevelItem(selected);
}

void CDlgAfterJob::OnMove(int step) {
    const int selected = FirstSelectedRow();
    const int other = selected + step;
    if (selected < 0 || other < 0 || other >= m_list->topLevelItemCount()) return;
    QTreeWidgetItem* from = m_list->topLevelItem(selected);
    QTreeWidgetItem* to = m_list->topLevelItem(other);
    const _tag_JobRow moving = RowTexts(from);
    SetRowTexts(from, RowTexts(to));
    SetRowTexts(to, moving);
    // The old position keeps its selection; the row follows the moved texts.
    to->setSelected(true);
    m_list->setCurrentItem(to, 0, QItemSelectionModel::Select);
}

void CDlgAfterJob::OnBrowse() {
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Dest Path"), m_destEdit->text());
    if (!folder.isEmpty()) m_destEdit->setText(folder);
}

void CDlgAfterJob::OnRuleLabelClicked() {
    CDlgReaNameRule editor(this);
    const QelString caption = GetRuleCaption();
    if (!caption.IsEmpty() && !caption.Equals(kNoRenameRule)) editor.SetRuleSet(caption.ToStdString());
    if (editor.exec() != QDialog::Accepted) return;
    const QelString text = RuleSetToJobText(editor.GetRuleSet());
    CQelLogMng::GetInstance()->Write(u"^ %s ^", text);
    SetRuleCaption(text);
}

void CDlgAfterJob::AppendRow(const _tag_JobRow& row) { SetRowTexts(new QTreeWidgetItem(m_list), row); }

void CDlgAfterJob::SetRowTexts(QTreeWidgetItem* item, const _tag_JobRow& row) {
    item->setText(kColCommand, ToQString(row.shownName));
    item->setText(kColAction, ToQString(row.action));
    item->setText(kColTypeDef, ToQString(row.typeDef));
    for (int column = kColCommand; column <= kColTypeDef; ++column) item->setTextAlignment(column, Qt::AlignCenter);
}

_tag_JobRow CDlgAfterJob::RowTexts(const QTreeWidgetItem* item) {
    return {FromQString(item->text(kColCommand)), FromQString(item->text(kColAction)),
            FromQString(item->text(kColTypeDef))};
}

int CDlgAfterJob::FirstSelectedRow() const {
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        if (m_list->topLevelItem(i)->isSelected()) return i;
    }
    return -1;
}

void CDlgAfterJob::accept() {
    const QelString name = FromQString(m_nameEdit->text());
    if (name.IsEmpty()) {
        // Closing here would store a nameless job or drop the steps the user wrote.
        Warn(this, "The job name is empty!!");
        m_nameEdit->setFocus();
        return;
    }
    QelJobRowArray rows;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) rows.Add(RowTexts(m_list->topLevelItem(i)));
    m_record = JobRecordFromRows(name, rows, m_record);
    QDialog::accept();
}
