#include "CQelPopupListModel.h"

#include "QelQtConvert.h"

CQelPopupListModel::CQelPopupListModel(const QelPopupDesc& desc, QObject* parent)
    : QAbstractTableModel(parent), m_background(desc.bgColor), m_text(desc.txtColor), m_blockCount(desc.blockCount),
      m_blockA(desc.blockColorA), m_blockB(desc.blockColorB) {
    for (const QelString& value : desc.values) m_rows.append(ToQString(value));
    for (const QelString& title : desc.colItems) m_titles.append(ToQString(title));
}

int CQelPopupListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows.size(); }

// A list without column titles still shows its rows in one untitled column.
int CQelPopupListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : std::max<int>(1, m_titles.size());
}

QelColorRef CQelPopupListModel::RowColor(int row) const {
    if (m_blockCount <= 0) return m_background;
    return row % m_blockCount == 0 ? m_blockA : m_blockB;
}

QVariant CQelPopupListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size()) return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return index.column() == 0 ? m_rows[index.row()] : QString();
    case Qt::BackgroundRole:
        return ToQColor(RowColor(index.row()));
    case Qt::ForegroundRole:
        return ToQColor(m_text);
    case Qt::TextAlignmentRole:
        // Like a report list: the first column stays left aligned, the others are centred.
        return QVariant::fromValue(index.column() == 0 ? Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter)
                                                       : Qt::Alignment(Qt::AlignCenter));
    default:
        return {};
    }
}

bool CQelPopupListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != 0 || role != Qt::EditRole || index.row() >= m_rows.size()) return false;
    m_rows[index.row()] = value.toString();
    emit dataChanged(index, index);
    return true;
}

QVariant CQelPopupListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::DisplayRole) return section < m_titles.size() ? m_titles[section] : QString();
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}

Qt::ItemFlags CQelPopupListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == 0) f |= Qt::ItemIsEditable;
    return f;
}

void CQelPopupListModel::AppendRow(const QString& text) {
    beginInsertRows(QModelIndex(), m_rows.size(), m_rows.size());
    m_rows.append(text);
    endInsertRows();
}

void CQelPopupListModel::RemoveRow(int row) {
    if (row < 0 || row >= m_rows.size()) return;
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.removeAt(row);
    endRemoveRows();
}

void CQelPopupListModel::SwapRows(int a, int b) {
    if (a < 0 || b < 0 || a >= m_rows.size() || b >= m_rows.size()) return;
    m_rows.swapItemsAt(a, b);
    emit dataChanged(index(std::min(a, b), 0), index(std::max(a, b), 0));
}
