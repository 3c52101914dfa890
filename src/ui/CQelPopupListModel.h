#pragma once
// Rows of a popup list: the first-column text of each row, the column
// titles, and the row colours (text colour, block colours with their period).

#include <QAbstractTableModel>
#include <QStringList>

#include "QelPopupDesc.h"

class CQelPopupListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    CQelPopupListModel(const QelPopupDesc& desc, QObject* parent);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Background of row: colour A on every N-th row from 0, colour B between;
    // the list background without a period.
    QelColorRef RowColor(int row) const;

    const QStringList& Rows() const { return m_rows; }
    void AppendRow(const QString& text);
    void RemoveRow(int row);
    // Exchanges the first-column texts of two rows.
    void SwapRows(int a, int b);

private:
    QStringList m_rows;
    QStringList m_titles;
    QelColorRef m_background;
    QelColorRef m_text;
    int m_blockCount;
    QelColorRef m_blockA;
    QelColorRef m_blockB;
};
