#pragma once
// In-place editing of a popup row's first column, with the log lines of
// the start and end of each edit.

#include <QStyledItemDelegate>

class CQelPopupEditDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit CQelPopupEditDelegate(QObject* parent);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    void OnCloseEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint);

    mutable int m_editRow = -1;
    mutable bool m_committed = false;
};
