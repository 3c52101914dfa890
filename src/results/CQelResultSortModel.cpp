#include "CQelResultSortModel.h"

#include <algorithm>
#include <numeric>

#include "CQelResultListModel.h"
#include "QelNaturalOrder.h"

namespace {

// Negative when row a comes before row b in ascending order of column.
int CompareRows(const QelResultRow& a, const QelResultRow& b, int column) {
    switch (column) {
        case CQelResultListModel::kName: return qel::NaturalCompare(a.Name(), b.Name());
        case CQelResultListModel::kType:
            if (a.isFolder != b.isFolder) return a.isFolder ? 1 : -1;
            return qel::NaturalCompare(a.Name(), b.Name());
        case CQelResultListModel::kPath:
            if (const int byPath = qel::NaturalCompare(a.Path(), b.Path())) return byPath;
            return qel::NaturalCompare(a.Name(), b.Name());
        default: return qel::NaturalCompare(a.fullPath, b.fullPath);
    }
}

}  // namespace

CQelResultSortModel::CQelResultSortModel(CQelResultListModel* rows, QObject* parent)
    : QAbstractProxyModel(parent), m_rows(rows) {
    QAbstractProxyModel::setSourceModel(rows);
    Connect();
}

// Replaced, added or removed rows are shown afresh in the kept order; changed
// texts keep their places until the next sort.
void CQelResultSortModel::Connect() {
    auto begin = [this] { beginResetModel(); };
    auto end = [this] {
        Reorder();
        endResetModel();
    };
    connect(m_rows, &QAbstractItemModel::modelAboutToBeReset, this, begin);
    connect(m_rows, &QAbstractItemModel::modelReset, this, end);
    connect(m_rows, &QAbstractItemModel::rowsAboutToBeInserted, this, begin);
    connect(m_rows, &QAbstractItemModel::rowsInserted, this, end);
    connect(m_rows, &QAbstractItemModel::rowsAboutToBeRemoved, this, begin);
    connect(m_rows, &QAbstractItemModel::rowsRemoved, this, end);
    connect(m_rows, &QAbstractItemModel::layoutAboutToBeChanged, this, begin);
    connect(m_rows, &QAbstractItemModel::layoutChanged, this, end);
    connect(m_rows, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles) {
                if (rowCount() == 0) return;
                emit dataChanged(index(0, topLeft.column()), index(rowCount() - 1, bottomRight.column()), roles);
            });
}

void CQelResultSortModel::sort(int column, Qt::SortOrder order) {
    if (column < -1 || column >= CQelResultListModel::kColumnCount) column = -1;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Selections and the current row follow their rows to the new places.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList sources;
    sources.reserve(before.size());
    for (const QModelIndex& shown : before) sources.append(mapToSource(shown));
    m_column = column;
    m_order = order;
    Reorder();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& source : sources) after.append(mapFromSource(source));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CQelResultSortModel::Reorder() {
    m_shownToRow.clear();
    m_rowToShown.clear();
    if (m_column < 0) return;
    const QelResultRows& rows = m_rows->Rows();
    m_shownToRow.resize(rows.size());
    std::iota(m_shownToRow.begin(), m_shownToRow.end(), 0);
    const int column = m_column;
    const bool ascending = m_order == Qt::AscendingOrder;
    // Stable: rows that compare equal stay in list order.
    std::stable_sort(m_shownToRow.begin(), m_shownToRow.end(), [&](int a, int b) {
        const int compared = CompareRows(rows[static_cast<std::size_t>(a)], rows[static_cast<std::size_t>(b)], column);
        return ascending ? compared < 0 : compared > 0;
    });
    m_rowToShown.resize(rows.size());
    for (std::size_t shown = 0; shown < m_shownToRow.size(); ++shown)
        m_rowToShown[static_cast<std::size_t>(m_shownToRow[shown])] = static_cast<int>(shown);
}

QModelIndex CQelResultSortModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || column < 0 || row >= rowCount() || column >= columnCount()) return {};
    return createIndex(row, column);
}

QModelIndex CQelResultSortModel::parent(const QModelIndex&) const { return {}; }

int CQelResultSortModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows->rowCount();
}

int CQelResultSortModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows->columnCount();
}

QModelIndex CQelResultSortModel::mapToSource(const QModelIndex& proxyIndex) const {
    if (!proxyIndex.isValid() || proxyIndex.model() != this) return {};
    const int row = m_shownToRow.empty() ? proxyIndex.row() : m_shownToRow[static_cast<std::size_t>(proxyIndex.row())];
    return m_rows->index(row, proxyIndex.column());
}

QModelIndex CQelResultSortModel::mapFromSource(const QModelIndex& sourceIndex) const {
    if (!sourceIndex.isValid()) return {};
    const int row =
        m_rowToShown.empty() ? sourceIndex.row() : m_rowToShown[static_cast<std::size_t>(sourceIndex.row())];
    return index(row, sourceIndex.column());
}

QVariant CQelResultSortModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::BackgroundRole && index.isValid()) return CQelResultListModel::RowBackground(index.row());
    return QAbstractProxyModel::data(index, role);
}
