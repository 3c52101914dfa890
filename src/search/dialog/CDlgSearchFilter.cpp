#include "CDlgSearchFilter.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "CQelMessageBox.h"
#include "QelDarkListLook.h"
#include "QelDialogButtons.h"
#include "QelQtConvert.h"

CDlgSearchFilter::CDlgSearchFilter(QWidget* parent, Mode mode, const Json::Value& record)
    : QDialog(parent) {
    BuildControls();
    if (mode == Mode::New) {
        setWindowTitle(QStringLiteral("Search Filter New"));
        return;
    }
    setWindowTitle(QStringLiteral("Search Filter Modify"));
    m_record = record;
    const QelString name = FilterRecordName(record);
    m_nameEdit->setText(ToQString(name));
    // A filter's name stays as it is; a record that has none may be given one,
    // or it could never be saved.
    m_nameEdit->setEnabled(name.IsEmpty());
    for (const auto& row : FilterRowsFromRecord(record)) AppendRow(row);
}

void CDlgSearchFilter::BuildControls() {
    setWindowTitle(QStringLiteral("Search Filter"));

    m_nameEdit = new QLineEdit(this);
    m_nameEdit->setObjectName(QStringLiteral("filterNameEdit"));
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("Filter Name: "), this));
    nameRow->addWidget(m_nameEdit, 1);

    m_searchEdit = new QLineEdit(this);
    m_searchEdit->setObjectName(QStringLiteral("searchStringEdit"));
    m_typeSelector = new QComboBox(this);
    m_typeSelector->setObjectName(QStringLiteral("typeSelector"));
    for (const char16_t* entry : kFilterSelectorEntries) m_typeSelector->addItem(QString::fromUtf16(entry));
    m_typeSelector->setCurrentIndex(kSelectFullFileName);
    m_addButton = qel::MakeDialogButton(QStringLiteral("Add"), QStringLiteral("addButton"), this);
    m_delButton = qel::MakeDialogButton(QStringLiteral("Del"), QStringLiteral("delButton"), this);
    qel::SetButtonImageIfPresent(m_addButton, u"Add.png");
    qel::SetButtonImageIfPresent(m_delButton, u"Del.png");
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(m_searchEdit, 1);
    searchRow->addWidget(m_typeSelector);
    searchRow->addWidget(m_addButton);
    searchRow->addWidget(m_delButton);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("filterList"));
    m_list->setColumnCount(3);
    m_list->setHeaderLabels({QStringLiteral("Search String"), QStringLiteral("Type"), QStringLiteral("TypeDef")});
    m_list->setColumnHidden(kColTypeDef, true);
    m_list->setColumnWidth(kColSearchString, 260);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ApplyDarkListLook(m_list);

    QHBoxLayout* buttonRow = qel::MakeSaveCancelRow(this, m_saveButton, m_cancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(nameRow);
    layout->addLayout(searchRow);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttonRow);
    resize(420, 360);

    connect(m_addButton, &QPushButton::clicked, this, &CDlgSearchFilter::OnAdd);
    connect(m_searchEdit, &QLineEdit::returnPressed, this, &CDlgSearchFilter::OnAdd);
    connect(m_delButton, &QPushButton::clicked, this, &CDlgSearchFilter::OnDel);
    connect(m_saveButton, &QPushButton::clicked, this, &CDlgSearchFilter::accept);
    connect(m_cancelButton, &QPushButton::clicked, this, &CDlgSearchFilter::reject);
}

void CDlgSearchFilter::OnAdd() {
    const QelFilterRowArray rows = MakeFilterRows(m_typeSelector->currentIndex(), FromQString(m_searchEdit->text()));
    if (rows.empty()) return;
    for (const auto& row : rows) AppendRow(row);
    m_searchEdit->clear();
}

void CDlgSearchFilter::OnDel() {
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        if (m_list->topLevelItem(i)->isSelected()) {
            delete m_list->takeTopLevelItem(i);
            return;
        }
    }
}

void CDlgSearchFilter::AppendRow(const _tag_FilterRow& row) {
    const _tag_FilterTypeInfo* type = FindFilterType(row.typeCode);
    if (!type) return;
    auto* item = new QTreeWidgetItem(m_list);
    item->setText(kColSearchString, ToQString(row.text));
    item->setText(kColType, QString::fromUtf16(type->typeText));
    item->setText(kColTypeDef, QString::number(type->code));
}

QelFilterRowArray CDlgSearchFilter::ReadRows() const {
    QelFilterRowArray rows;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_list->topLevelItem(i);
        bool ok = false;
        const int code = item->text(kColTypeDef).toInt(&ok, 10);
        rows.Add({FromQString(item->text(kColSearchString)), ok ? code : 0});
    }
    return rows;
}

void CDlgSearchFilter::accept() {
    const QelString name = FromQString(m_nameEdit->text());
    if (name.IsEmpty()) {
        // Closing here would drop the rows the user typed; ask for the name instead.
        CQelMessageBox::Show(this, QStringLiteral("The filter name is empty!!"), CQelMessageBox::Kind::Warning);
        m_nameEdit->setFocus();
        return;
    }
    // Two filters of one name could not be told apart in the list.
    const bool taken = std::find(m_namesInUse.begin(), m_namesInUse.end(), name) != m_namesInUse.end();
    if (taken && !(name == FilterRecordName(m_record))) {
        CQelMessageBox::Show(this, QStringLiteral("The filter name is already in use!!"),
                             CQelMessageBox::Kind::Warning);
        m_nameEdit->setFocus();
        return;
    }
    m_record = FilterRecordFromRows(name, ReadRows());
    QDialog::accept();
}
