#include "CQelJobLogModel.h"

int CQelJobLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant CQelJobLogModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::DisplayRole) return m_rows[static_cast<std::size_t>(index.row())];
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}

void CQelJobLogModel::Append(const QString& row) {
    const int at = rowCount();
    beginInsertRows(QModelIndex(), at, at);
    m_rows.push_back(row);
    endInsertRows();
}

void CQelJobLogModel::Clear() {
    beginResetModel();
    std::vector<QString>().swap(m_rows);
    endResetModel();
}
