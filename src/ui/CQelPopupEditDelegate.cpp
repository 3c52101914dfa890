#include "CQelPopupEditDelegate.h"

#include <QLineEdit>

#include "CQelLogMng.h"
#include "QelQtConvert.h"

CQelPopupEditDelegate::CQelPopupEditDelegate(QObject* parent) : QStyledItemDelegate(parent) {
    connect(this, &QAbstractItemDelegate::closeEditor, this, &CQelPopupEditDelegate::OnCloseEditor);
}

QWidget* CQelPopupEditDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                             const QModelIndex& index) const {
    m_editRow = index.row();
    m_committed = false;
    CQelLogMng::GetInstance()->Write(u"Begin ListCtrl Edit %d", m_editRow);
    return QStyledItemDelegate::createEditor(parent, option, index);
}

void CQelPopupEditDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    m_committed = true;
    const auto* line = qobject_cast<QLineEdit*>(editor);
    const QString text = line ? line->text() : QString();
    CQelLogMng::GetInstance()->Write(u"End ListCtrl Edit %d(%s)", index.row(), FromQString(text));
    QStyledItemDelegate::setModelData(editor, model, index);
}

void CQelPopupEditDelegate::OnCloseEditor(QWidget*, QAbstractItemDelegate::EndEditHint) {
    if (!m_committed) CQelLogMng::GetInstance()->Write(u"End ListCtrl Edit %d(Cancel)", m_editRow);
    m_committed = false;
}
