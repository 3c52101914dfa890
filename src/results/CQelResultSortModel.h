#pragma once
// The order the result list is shown in: the rows of a CQelResultListModel in
// list order, or sorted by one column (names in natural order). Only the
// view's order changes: the list model's rows, on which every operation acts,
// stay in list order (files first, then folders, as the search found them).
// The sorted order is a permutation of row numbers, two ints per row, so
// hundreds of thousands of rows sort without copying any text.

#include <QAbstractProxyModel>
#include <vector>

class CQelResultListModel;

class CQelResultSortModel : public QAbstractProxyModel {
    Q_OBJECT
public:
    explicit CQelResultSortModel(CQelResultListModel* rows, QObject* parent = nullptr);

    // Column -1 shows list order. The order is kept, and applied again, when
    // the rows are replaced.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int SortColumn() const { return m_column; }
    Qt::SortOrder SortOrder() const { return m_order; }

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    // Row backgrounds alternate by shown row, whatever the order.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    void Connect();
    // Recomputes the permutation for the current column and order.
    void Reorder();

    CQelResultListModel* m_rows;
    int m_column = -1;
    Qt::SortOrder m_order = Qt::AscendingOrder;
    std::vector<int> m_shownToRow;  // empty in list order
    std::vector<int> m_rowToShown;
};
