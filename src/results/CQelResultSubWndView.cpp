// The result list as a desktop file list: sorting by a column heading,
// several rows selected, Ctrl+C, opening a row, its context menu, tooltips for
// cut cells. The rows are replaced by a model reset, which leaves the
// column widths the user set as they are.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QStyle>
#include <QTableView>
#include <QToolTip>
#include <algorithm>
#include <memory>

#include "CQelMessageBox.h"
#include "CQelResultListModel.h"
#include "CQelResultSortModel.h"
#include "CQelResultSubWnd.h"
#include "IQelProgramLauncher.h"
#include "QelPath.h"

namespace {

QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void CQelResultSubWnd::SetUpListView() {
    m_sortModel = new CQelResultSortModel(m_listModel, this);
    m_list->setModel(m_sortModel);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // No column is sorted at first: the rows show in list order.
    QHeaderView* header = m_list->horizontalHeader();
    header->setSortIndicator(-1, Qt::AscendingOrder);
    header->setSortIndicatorShown(true);
    m_list->setSortingEnabled(true);

    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const QModelIndex index = m_list->indexAt(at);
        if (!index.isValid()) return;
        if (!m_list->selectionModel()->isRowSelected(index.row(), {}))
            m_list->selectionModel()->setCurrentIndex(
                index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        std::unique_ptr<QMenu> menu(MakeContextMenu(index.row()));
        menu->exec(m_list->viewport()->mapToGlobal(at));
    });
    // Enter and a double-click.
    connect(m_list, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { OpenShownRow(index.row()); });
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
}

QelString CQelResultSubWnd::ShownRowPath(int shownRow) const {
    const QModelIndex row = m_sortModel->mapToSource(m_sortModel->index(shownRow, 0));
    if (!row.isValid()) return QelString(u"");
    return QelString(m_listModel->Rows()[static_cast<std::size_t>(row.row())].fullPath);
}

std::vector<std::size_t> CQelResultSubWnd::SelectedRowIndexes() const {
    std::vector<std::size_t> indexes;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows())
        indexes.push_back(static_cast<std::size_t>(m_sortModel->mapToSource(index).row()));
    std::sort(indexes.begin(), indexes.end());
    return indexes;
}

QString CQelResultSubWnd::SelectedPathsText() const {
    QList<int> shown;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows()) shown.append(index.row());
    std::sort(shown.begin(), shown.end());
    QString text;
    for (const int row : shown) {
        const QModelIndex source = m_sortModel->mapToSource(m_sortModel->index(row, 0));
        text += ToQString(m_listModel->Rows()[static_cast<std::size_t>(source.row())].fullPath);
        text += QLatin1Char('\n');
    }
    return text;
}

void CQelResultSubWnd::CopySelectedPaths() {
    const QString text = SelectedPathsText();
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

void CQelResultSubWnd::OpenShownRow(int shownRow) {
    const QelString path = ShownRowPath(shownRow);
    if (path.IsEmpty()) return;
    if (Launcher().Open(path)) return;
    // A row whose item a command or another program has taken away says so,
    // rather than blaming the programs registered for it.
    const std::size_t row = static_cast<std::size_t>(m_sortModel->mapToSource(m_sortModel->index(shownRow, 0)).row());
    const bool gone = m_listModel->IsGone(row) || !qel::PathExists(path);
    CQelMessageBox::Show(this, gone ? QStringLiteral("This item was moved or deleted.")
                                    : QStringLiteral("No registered programs found."),
                         CQelMessageBox::Kind::Warning);
}

void CQelResultSubWnd::ShowShownRowInFolder(int shownRow) {
    const QelString path = ShownRowPath(shownRow);
    if (path.IsEmpty()) return;
    if (!Launcher().ShowInFolder(path)) {
        const QelString& reason = Launcher().LastFailure();
        CQelMessageBox::Show(this,
                             QStringLiteral("The containing folder of \"%1\" could not be opened.%2")
                                 .arg(ToQString(path.view()), reason.IsEmpty() ? QString() : "\n" + ToQString(reason.view())),
                             CQelMessageBox::Kind::Warning);
    }
}

QMenu* CQelResultSubWnd::MakeContextMenu(int shownRow) {
    auto* menu = new QMenu(this);
    menu->addAction(QStringLiteral("Open"), this, [this, shownRow] { OpenShownRow(shownRow); });
    menu->addAction(QStringLiteral("Open Containing Folder"), this, [this, shownRow] { ShowShownRowInFolder(shownRow); });
    menu->addAction(QStringLiteral("Copy Full Path"), this, [this] { CopySelectedPaths(); });
    // The same commands as the buttons, on the selected rows only.
    menu->addSeparator();
    menu->addAction(QStringLiteral("Copy Selected To..."), this, [this] { CopyOrMoveRows(false, SelectedRowIndexes()); });
    menu->addAction(QStringLiteral("Move Selected To..."), this, [this] { CopyOrMoveRows(true, SelectedRowIndexes()); });
    menu->addAction(QStringLiteral("Move Selected to Trash"), this,
                    [this] { DeleteRows(SelectedRowIndexes(), QStringLiteral("selected")); });
    menu->addAction(QStringLiteral("Rename Selected..."), this, [this] { RenameRows(SelectedRowIndexes()); });
    return menu;
}

QString CQelResultSubWnd::CutCellText(const QModelIndex& shownIndex) const {
    if (!shownIndex.isValid()) return {};
    const QString text = shownIndex.data().toString();
    const int margins = 2 * (m_list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_list) + 1);
    const bool cut = m_list->fontMetrics().horizontalAdvance(text) + margins > m_list->visualRect(shownIndex).width();
    return cut ? text : QString();
}

bool CQelResultSubWnd::eventFilter(QObject* watched, QEvent* event) {
    if (m_list && watched == m_list && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        CopySelectedPaths();  // every selected row, not only the current cell
        return true;
    }
    if (m_list && watched == m_list->viewport() && event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = m_list->indexAt(help->pos());
        const QString text = CutCellText(index);
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, m_list->viewport(), m_list->visualRect(index));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
