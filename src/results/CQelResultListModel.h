#pragma once
// The result list as a table model: the columns "Name", "Type", "Path",
// "FullPath" and "Status" over the rows, drawn in the dark list look with
// alternating row backgrounds. "Status" tells what the last command did to a
// row; a row whose item is gone is drawn greyed. Texts are made only for the rows the view asks for, so
// hundreds of thousands of rows cost no widgets.

#include <QAbstractTableModel>
#include <functional>
#include <future>
#include <QBrush>

#include "QelResultRows.h"

class CQelResultListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kName = 0, kType = 1, kPath = 2, kFullPath = 3, kStatus = 4, kColumnCount = 5 };

    using QAbstractTableModel::QAbstractTableModel;

    // Replaces every row.
    void SetRows(QelResultRows rows);
    const QelResultRows& Rows() const { return m_rows; }
    // Lets edit change the rows' texts in place (never their number or
    // order), then tells the views that every row may have changed.
    void EditRows(const std::function<void(QelResultRows&)>& edit);

    // What happened to a row ("Copied", "Failed: ..."); gone when its item is
    // no longer where the row says. Shown once ShowOutcomes is called, so a
    // long run does not redraw per row. New rows start with no outcome.
    void SetOutcome(std::size_t row, const QString& text, bool gone);
    void ShowOutcomes();
    QString Outcome(std::size_t row) const;
    bool IsGone(std::size_t row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Background of the row shown at position row: dark and darker in turn.
    static QBrush RowBackground(int row);

private:
    struct RowOutcome {
        QString text;
        bool gone = false;
    };
    static constexpr std::size_t kFreeAsideRows = 10000;  // fewer are freed at once
    QelResultRows m_rows;
    std::future<void> m_disposal;  // the rows last replaced, freed on a thread of their own
    std::vector<RowOutcome> m_outcomes;  // empty until a command reports; then one per row
};
