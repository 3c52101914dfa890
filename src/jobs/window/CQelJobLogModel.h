#pragma once
// The rows of the job log: one text per event, appended at the end. A job
// over a large search logs one row per item, so the rows live in a model
// rather than one widget item each.

#include <QAbstractListModel>
#include <QString>
#include <vector>

class CQelJobLogModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // The text (centred) of a row; nothing for other roles.
    QVariant data(const QModelIndex& index, int role) const override;

    void Append(const QString& row);
    void Clear();
    const std::vector<QString>& Rows() const { return m_rows; }

private:
    std::vector<QString> m_rows;
};
