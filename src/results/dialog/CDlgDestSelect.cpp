#include "CDlgDestSelect.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "CQelMessageBox.h"
#include "QelQtConvert.h"
#include "QelResultTargets.h"

CDlgDestSelect::CDlgDestSelect(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Dest Select Dialog"));
    QFont font(QStringLiteral("MS Shell Dlg"));
    font.setPointSize(8);
    setFont(font);

    m_destEdit = new QLineEdit(this);
    m_destEdit->setObjectName(QStringLiteral("destEdit"));
    m_destEdit->setMinimumWidth(420);
    m_browse = new QToolButton(this);
    m_browse->setObjectName(QStringLiteral("destBrowse"));
    m_browse->setText(QStringLiteral("..."));
    m_browse->setToolTip(QStringLiteral("Choose a folder"));
    m_uniqueName = new QCheckBox(QStringLiteral("Make UniqueName"), this);
    m_uniqueName->setChecked(true);
    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Dest:"), this), 0, 0);
    grid->addWidget(m_destEdit, 0, 1);
    grid->addWidget(m_browse, 0, 2);
    grid->addWidget(ok, 0, 3);
    grid->addWidget(m_uniqueName, 1, 1);
    grid->addWidget(cancel, 1, 3);

    connect(m_uniqueName, &QCheckBox::clicked, this, &CDlgDestSelect::OnUniqueNameClicked);
    connect(m_browse, &QToolButton::clicked, this, &CDlgDestSelect::OnBrowse);
    connect(ok, &QPushButton::clicked, this, &CDlgDestSelect::accept);
    connect(cancel, &QPushButton::clicked, this, &CDlgDestSelect::reject);
}

void CDlgDestSelect::accept() {
    QelString destination;
    if (!qel::ResolveDestination(FromQString(m_destEdit->text()), destination)) {
        CQelMessageBox::Show(this, QStringLiteral("Please specify the path."), CQelMessageBox::Kind::Warning);
        m_destEdit->setFocus();
        return;
    }
    m_destination = destination;
    m_makeUniqueName = m_uniqueName->isChecked();
    QDialog::accept();
}

void CDlgDestSelect::OnUniqueNameClicked(bool checked) {
    if (!checked)
        CQelMessageBox::Show(this, QStringLiteral("Items whose name already exists in the destination are left as they are."),
                             CQelMessageBox::Kind::Warning);
}

void CDlgDestSelect::OnBrowse() {
    const QString folder = QFileDialog::getExistingDirectory(this, windowTitle(), m_destEdit->text());
    if (!folder.isEmpty()) m_destEdit->setText(folder);
}
