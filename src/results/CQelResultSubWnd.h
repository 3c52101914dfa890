#pragma once
// The result window: a tool window docked under the main window that lists
// what a search found (files first, then folders) and carries the six
// commands on all results. The main window hands it the results as JSON text
// with "fileresultlist" and "dirresultlist".

#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include <json/json.h>

#include "QelResultOps.h"
#include "QelString.h"

class CCaption;
class IQelProgramLauncher;
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
    // As UpdateResult for the lists of a search in this process, handed over
    // without the text: files first, then folders, the lists left empty.
    void UpdateResultLists(QelStringArray& files, QelStringArray& folders, const QelString& searchPath);

    // Busy: the flag, the wait cursor and the owner window disabled. Begin and
    // End come in pairs; End without Begin does nothing.
    void BeginBusy();
    void EndBusy();
    bool IsBusy() const { return m_busy; }

    // The operation frame every command runs in: busy, the work (returning its
    // completion text), the completion notice "MSG" to the delegate, not busy.
    void RunOperation(const std::function<QelString()>& work);
    // The same frame for work whose notice carries a second text (counts).
    struct OperationNotice {
        QelString text;
        QelString detail;
    };
    void RunOperationWithDetail(const std::function<OperationNotice()>& work);

    // Rename: the rule editor, then the rules over every row in list order.
    void OnRename();
    // Save TXT: the numbered list as a new file in "user", opened with the
    // program registered for ".txt".
    void OnSaveTxt();
    // Save Excel: the list as a new workbook in "user", opened with the
    // program registered for ".xlsx" (or the user told where it is).
    void OnSaveExcel();
    // Where the exports and the list's own commands reach the desktop; not
    // owned, null for the desktop's own (tests put a recorder here).
    void SetProgramLauncher(IQelProgramLauncher* launcher) { m_launcher = launcher; }

    // The result model: the size the window was created with. The two result
    // arrays are read straight into the rows and not kept beside them, which
    // would double the memory of a large search.
    const Json::Value& GetResultModel() const { return m_model; }
    CQelResultListModel* GetListModel() const { return m_listModel; }
    QTableView* GetListView() const { return m_list; }
    // The order the list shows the rows in; a column heading sorts only this.
    CQelResultSortModel* GetSortModel() const { return m_sortModel; }

    // The list's own commands (CQelResultSubWndView.cpp). Rows are counted as
    // shown.
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

    // Copy, Move, Delete (after its question) and Trash of chosen rows: list
    // indexes of the model's rows, acted on in the order given.
    void CopyOrMoveRows(bool move, const std::vector<std::size_t>& indexes);
    // Rename of chosen rows: the rule editor with their preview, then the rules.
    void RenameRows(const std::vector<std::size_t>& indexes);
    // which names the rows in the question: "found" or "selected".
    void DeleteRows(const std::vector<std::size_t>& indexes, const QString& which);
    // The model's indexes of the selected rows, in list order.
    std::vector<std::size_t> SelectedRowIndexes() const;
    // Stop (its button, Escape): the run under way ends after its current row.
    void RequestOperationStop();
    QPushButton* GetStopButton() const { return m_stopButton; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Copy, Move and Delete (CQelResultSubWndFileCmds.cpp).
    void ConnectFileCommands();
    void OnCopyOrMove(bool move);
    void OnDelete();
    std::vector<std::size_t> AllRowIndexes() const;
    enum class FileCommand { kCopy, kMove, kDelete, kTrash };
    struct RowOutcome;
    OperationNotice RunFileCommand(FileCommand command, const std::vector<std::size_t>& indexes,
                                   const QelCopyMoveOptions& options);
    static RowOutcome RunOnRow(FileCommand command, const QelResultRows& one, const QelCopyMoveOptions& options);
    // Around a run that Stop and Escape may end: the Stop button shown, then
    // hidden and the rows' outcomes drawn; End says whether Stop was asked for.
    void BeginStoppable();
    bool EndStoppable();

    void BuildContents();
    void SetUpListView();
    QelString ShownRowPath(int shownRow) const;
    void LayOut();
    // Wires Rename, Save Excel and Save TXT to their buttons.
    void ConnectExportCommands();
    IQelProgramLauncher& Launcher() const;
    // Opens file with the program registered for extension, telling the user
    // when there is none or it does not start.
    void OpenWithRegisteredProgram(const QelString& extension, const QelString& file);

    Json::Value m_model;
    QWidget* m_owner = nullptr;
    IQelResultSubWndDelegate* m_delegate = nullptr;
    bool m_busy = false;
    bool m_running = false;        // a row-by-row command is under way
    bool m_stopRequested = false;  // ... and has been asked to stop
    IQelProgramLauncher* m_launcher = nullptr;

    CCaption* m_caption = nullptr;
    CCaption* m_operationCaption = nullptr;
    QTableView* m_list = nullptr;
    CQelResultListModel* m_listModel = nullptr;
    CQelResultSortModel* m_sortModel = nullptr;
    std::array<QPushButton*, kCommandCount> m_buttons{};
    QPushButton* m_stopButton = nullptr;
};
