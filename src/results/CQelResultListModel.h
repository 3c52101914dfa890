#pragma once
// The result list as a table model: the columns "Name", "Type", "Path" and
// "FullPath" over the rows, drawn in the dark list look with alternating row
// backgrounds. Texts are made only for the rows the view asks for, so
// hundreds of thousands of rows cost no widgets.

#include <QAbstractTableModel>
#include <functional>

#include "QelResultRows.h"

class CQelResultListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kName = 0, kType = 1, kPath = 2, kFullPath = 3, kColumnCount = 4 };

    using QAbstractTableModel::QAbstractTableModel;

    // Replaces every row.
    void SetRows(QelResultRows rows);
    const QelResultRows& Rows() const { return m_rows; }
    // Lets edit change the rows' texts in place (never their number or
    // order), then tells the views that every row may have changed.
    void EditRows(const std::function<void(QelResultRows&)>& edit);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QelResultRows m_rows;
};
