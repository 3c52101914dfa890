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
class IQelProgramLauncher;
class CQelResultListModel;
class IQelResultSubWndDelegate;
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
    // Save Excel: with a program registered for ".xlsx", the list as a new
    // workbook in "temp", opened with that program.
    void OnSaveExcel();
    // Where the exports find and start programs; not owned, null for the
    // desktop's own (tests put a recorder here).
    void SetProgramLauncher(IQelProgramLauncher* launcher) { m_launcher = launcher; }

    // The result model: the size the window was created with. The two result
    // arrays are read into the rows and not kept beside them, which would
    // double the memory of a large search.
    const Json::Value& GetResultModel() const { return m_model; }
    CQelResultListModel* GetListModel() const { return m_listModel; }
    QTableView* GetListView() const { return m_list; }
    CCaption* GetCaption() const { return m_caption; }
    CCaption* GetOperationCaption() const { return m_operationCaption; }
    // The button of a command identifier; null for any other number.
    QPushButton* GetCommandButton(int id) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Copy, Move and Delete (CQelResultSubWndFileCmds.cpp).
    void ConnectFileCommands();
    void OnCopyOrMove(bool move);
    void OnDelete();

    void BuildContents();
    void LayOut();
    // Builds the rows from the model's two arrays, then drops the arrays.
    void FillList();
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
    IQelProgramLauncher* m_launcher = nullptr;

    CCaption* m_caption = nullptr;
    CCaption* m_operationCaption = nullptr;
    QTableView* m_list = nullptr;
    CQelResultListModel* m_listModel = nullptr;
    std::array<QPushButton*, kCommandCount> m_buttons{};
};
