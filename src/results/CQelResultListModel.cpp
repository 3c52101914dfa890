#include "CQelResultListModel.h"

#include <utility>

#include <QBrush>
#include <QColor>

namespace {

const QColor kTextColor(81, 156, 214);
const QColor kEvenRowColor(43, 43, 43);
const QColor kOddRowColor(63, 63, 63);
const QColor kGoneTextColor(128, 128, 128);

QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

Qt::Alignment ColumnAlignment(int column) {
    const bool centred = column == CQelResultListModel::kName || column == CQelResultListModel::kType;
    return (centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter;
}

}  // namespace

void CQelResultListModel::SetRows(QelResultRows rows) {
    beginResetModel();
    QelResultRows old = std::exchange(m_rows, std::move(rows));
    std::vector<RowOutcome>().swap(m_outcomes);
    endResetModel();
    // Freeing a large search's rows one by one would hold up the next search
    // by as long as reading them took; another thread does it meanwhile.
    if (old.size() < kFreeAsideRows) return;
    if (m_disposal.valid()) m_disposal.wait();  // one large list at a time
    m_disposal = std::async(std::launch::async, [gone = std::move(old)]() mutable { QelResultRows().swap(gone); });
}

void CQelResultListModel::SetOutcome(std::size_t row, const QString& text, bool gone) {
    if (row >= m_rows.size()) return;
    if (m_outcomes.empty()) m_outcomes.resize(m_rows.size());
    m_outcomes[row] = RowOutcome{text, gone};
}

void CQelResultListModel::ShowOutcomes() {
    if (!m_rows.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
}

QString CQelResultListModel::Outcome(std::size_t row) const {
    return row < m_outcomes.size() ? m_outcomes[row].text : QString();
}

bool CQelResultListModel::IsGone(std::size_t row) const { return row < m_outcomes.size() && m_outcomes[row].gone; }

void CQelResultListModel::EditRows(const std::function<void(QelResultRows&)>& edit) {
    edit(m_rows);
    if (!m_rows.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1), {Qt::DisplayRole});
}

int CQelResultListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CQelResultListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CQelResultListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(m_rows.size())) return {};
    const QelResultRow& row = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
                case kName: return ToQString(row.Name());
                case kType: return ToQString(row.Type());
                case kPath: return ToQString(row.Path());
                case kFullPath: return ToQString(row.fullPath);
                case kStatus: return Outcome(static_cast<std::size_t>(index.row()));
                default: return {};
            }
        case Qt::TextAlignmentRole: return static_cast<int>(ColumnAlignment(index.column()));
        case Qt::ForegroundRole: return QBrush(IsGone(static_cast<std::size_t>(index.row())) ? kGoneTextColor : kTextColor);
        case Qt::BackgroundRole: return RowBackground(index.row());
        default: return {};
    }
}

QBrush CQelResultListModel::RowBackground(int row) { return QBrush(row % 2 ? kOddRowColor : kEvenRowColor); }

QVariant CQelResultListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::TextAlignmentRole) return static_cast<int>(ColumnAlignment(section));
    if (role != Qt::DisplayRole) return {};
    switch (section) {
        case kName: return QStringLiteral("Name");
        case kType: return QStringLiteral("Type");
        case kPath: return QStringLiteral("Path");
        case kFullPath: return QStringLiteral("FullPath");
        case kStatus: return QStringLiteral("Status");
        default: return {};
    }
}
