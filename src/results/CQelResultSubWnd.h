#pragma once
// The result window: a tool window docked under the main window that lists
// what a search found (files first, then folders) and carries the six
// commands on all results. The main window hands it the results as JSON text
// with "fileresultlist" and "dirresultlist".

#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include <json/json.h>

#include "QelString.h"

class CCaption;
class CQelDesktopLauncher;
class CQelResultListModel;
class CQelResultSortModel;
class IQelResultSubWndDelegate;
class QMenu;
class QPushButton;
class QTableView;

class CQelResultSubWnd : public QWidget {
    Q_OBJECT
public:
    // Command identifiers, in the order of the buttons from top to bottom.
    enum CommandId { kCopy = 5003, kMove = 5004, kDelete = 5005, kRename = 5006, kSaveExcel = 5007, kSaveTxt = 5008 };
    static constexpr int kCommandCount = 6;

    CQelResultSubWnd();
    ~CQelResultSubWnd() override;

    // Not owned; null means no notices.
    void SetDelegate(IQelResultSubWndDelegate* delegate) { m_delegate = delegate; }

    // Builds the window from a JSON object holding "width", "height" and the two
    // result arrays, placed at screen x, y (moved left or up to fit its
    // monitor), owned by parent, which the operation frame disables. False,
    // window hidden, when the text does not parse. The text is taken over and
    // released once read: it may hold hundreds of thousands of paths.
    bool CreateSubWnd(QWidget* parent, std::string jsonText, int x, int y);
    // Replaces both result arrays with those of the text, refills the list and
    // shows the window again if the user closed it; false, list unchanged,
    // when the text does not parse.
    bool UpdateResult(std::string jsonText);

    // Busy: the flag, the wait cursor and the owner window disabled. Begin and
    // End come in pairs; End without Begin does nothing.
    void BeginBusy();
    void EndBusy();
    bool IsBusy() const { return m_busy; }

    // The operation frame every command runs in: busy, the work (returning its
    // completion text), the completion notice "MSG" to the delegate, not busy.
    void RunOperation(const std::function<QelString()>& work);

    // The result model: the size the window was created with. The two result
    // arrays are read into the rows and not kept beside them, which would
    // double the memory of a large search.
    const Json::Value& GetResultModel() const { return m_model; }
    CQelResultListModel* GetListModel() const { return m_listModel; }
    QTableView* GetListView() const { return m_list; }
    // The order the list shows the rows in; a column heading sorts only this.
    CQelResultSortModel* GetSortModel() const { return m_sortModel; }

    // The list's own commands (CQelResultSubWndView.cpp). Rows are counted as
    // shown. Not owned; null brings back the desktop's launcher.
    void SetLauncher(CQelDesktopLauncher* launcher);
    // Full paths of the selected rows in shown order, each ending in a line
    // feed: what Ctrl+C and "Copy Full Path" put on the clipboard.
    QString SelectedPathsText() const;
    void CopySelectedPaths();
    // Opens the row with its registered program (Enter, double-click, "Open").
    void OpenShownRow(int shownRow);
    // "Open Containing Folder": the file manager showing the row's item.
    void ShowShownRowInFolder(int shownRow);
    // "Open", "Open Containing Folder" and "Copy Full Path" for a row; the caller owns it.
    QMenu* MakeContextMenu(int shownRow);
    // The whole text of a cell drawn cut short (its tooltip); empty when it fits.
    QString CutCellText(const QModelIndex& shownIndex) const;
    CCaption* GetCaption() const { return m_caption; }
    CCaption* GetOperationCaption() const { return m_operationCaption; }
    // The button of a command identifier; null for any other number.
    QPushButton* GetCommandButton(int id) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildContents();
    void SetUpListView();
    CQelDesktopLauncher* Launcher() const;
    QelString ShownRowPath(int shownRow) const;
    void LayOut();
    // Builds the rows from the model's two arrays, then drops the arrays.
    void FillList();

    Json::Value m_model;
    QWidget* m_owner = nullptr;
    IQelResultSubWndDelegate* m_delegate = nullptr;
    bool m_busy = false;

    CCaption* m_caption = nullptr;
    CCaption* m_operationCaption = nullptr;
    QTableView* m_list = nullptr;
    CQelResultListModel* m_listModel = nullptr;
    CQelResultSortModel* m_sortModel = nullptr;
    CQelDesktopLauncher* m_launcher = nullptr;
    QList<int> m_columnWidths;  // kept while the rows are replaced
    std::array<QPushButton*, kCommandCount> m_buttons{};
};
