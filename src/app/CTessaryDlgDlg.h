#pragma once
// The main window: the search path, the filter and job lists, the Search
// button and the status label. It owns env.json for the run, runs searches on
// the UI thread and hands the results to the result window docked under it.

#include <QDialog>
#include <QPointer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "CQelEnvRecordList.h"
#include "CQelFileMng.h"
#include "CQelJSONFileMng.h"
#include "CQelPopupWnd.h"
#include "IQelPopupWndDelegate.h"
#include "IQelResultSubWndDelegate.h"
#include "QelEnvFile.h"
#include "QelHandOffRecord.h"
#include "QelString.h"

class CQelAFJSubWnd;
class CQelLabel;
class CQelResultSubWnd;
class CQelUpdateCheck;
class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QToolButton;

class CTessaryDlgDlg : public QDialog,
                       private IQelFileMngEventDelegate,
                       private IQelResultSubWndDelegate,
                       private IQelPopupWndDelegate {
    Q_OBJECT
public:
    static constexpr int kResultSubWndHeight = 400;
    static constexpr int kJobSubWndHeight = 250;
    // Hits shown while a search goes on, before all of them at its end.
    static constexpr std::size_t kFirstRows = 1000;
    // The Search button's pictures (each carries its word) and their style: the picture alone.
    static constexpr const char16_t* kSearchImage = u"FindStart.png";
    static constexpr const char16_t* kStopImage = u"FindStop.png";
    static constexpr int kImageOnlyStyle = 3;
    // Room left and right of the status label's text, in pixels.
    static constexpr int kStatusTextMargin = 4;

    explicit CTessaryDlgDlg(QWidget* parent = nullptr);
    ~CTessaryDlgDlg() override;

    // "Search": checks the inputs, walks the tree and hands the results on.
    // While a walk runs the button reads "Stop" and this stops the walk.
    void OnSearch();
    // "Exit" (also Escape and the close button): stores the position and
    // writes env.json; when writing fails the user decides whether to leave.
    void OnExit();
    // Restores a minimised window and brings it to the front (a second start).
    void BringToFront();
    // Stops the walk under way (Stop, Escape, the end of the session); the hits so far stay.
    void RequestSearchStop();
    // While work that can be stopped runs (a walk, a result command, a job)
    // the Search button reads "Stop" and calls stop, as Escape does; every
    // other control but the status label is disabled (CTessaryDlgDlgStop.cpp).
    void ShowStopControl(std::function<void()> stop);
    void HideStopControl();
    // The session is ending (logout, SIGTERM): writes env.json as Exit does,
    // without asking anything; from now on a failed save no longer holds Exit.
    void SaveForSessionEnd();

    // The arrow beside the path box: the history popup under the path box.
    void OnHistoryPopup();
    // The delete button beside it: removes the entry last chosen in the popup.
    void OnHistoryDelete();
    // New, Modify and Delete of the filter list and of the job list.
    void OnFilterNew();
    void OnFilterModify();
    void OnFilterDelete();
    void OnJobNew();
    void OnJobModify();
    void OnJobDelete();
    // "Check App Last Version": asks the update server; the rest of the check
    // runs on HTTP worker threads. The link stays disabled until it has ended.
    void CheckAppVersion();

    // State for the next features and for tests.
    CQelJSONFileMng& GetSettings() { return m_settings; }
    const qel::QelEnvArrays& GetEnvArrays() const { return m_env; }
    const QelStringArray& GetHistoryLines() const { return m_historyLines; }
    // The hits of the walk under way; handed over (and emptied) when it ends.
    const QelStringArray& GetFileResults() const { return m_fileResults; }
    const QelStringArray& GetFolderResults() const { return m_folderResults; }
    int GetSelectedHistoryIndex() const { return m_selectedHistory; }
    bool IsSearching() const { return m_searching; }
    // A walk, a result command or a job is under way.
    bool IsWorking() const { return m_searching || m_stopWork; }
    CQelResultSubWnd* GetResultSubWnd() const { return m_resultWnd.get(); }
    CQelAFJSubWnd* GetJobSubWnd() const { return m_jobWnd.get(); }

    QLineEdit* GetPathEdit() const { return m_pathEdit; }
    QCheckBox* GetIncludeSubCheck() const { return m_includeSub; }
    QComboBox* GetFilterCombo() const { return m_filterCombo; }
    QCheckBox* GetAfterSearchCheck() const { return m_afterSearch; }
    QComboBox* GetJobCombo() const { return m_jobCombo; }
    QPushButton* GetSearchButton() const { return m_searchButton; }
    QPushButton* GetExitButton() const { return m_exitButton; }
    CQelLabel* GetStatusLabel() const { return m_status; }

protected:
    void reject() override;  // Escape and the close button
    void keyPressEvent(QKeyEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr char kDockedFrameProperty[] = "qelDockedFrame";
    // IQelFileMngEventDelegate
    void OnSearchProgress(std::int32_t fileCount, std::int32_t folderCount) override;
    bool OnSearchTick(std::int32_t fileCount, std::int32_t folderCount, const QelString& currentFolder) override;
    // IQelResultSubWndDelegate (CTessaryDlgDlgNotices.cpp)
    void onNotifyEvent(const QelString& szEventName, const QelString& szParam1, const QelString& szParam2) override;
    void onStoppableWork(bool running) override;
    // IQelPopupWndDelegate: the history popup's choice.
    void OnPopupResult(const char* resultJson) override;

    void BuildControls();
    void SetUpStatusLabel();
    void LoadEnvironment();
    void KeepBrokenSettingsFile();
    void ReportUnreadableSettingsFile();
    void RestoreWindowPosition();
    void ApplySavedFrame();
    // Stores the outer rectangle and writes env.json; false when not written.
    bool SaveSettings();
    // The last Work Path, filter, job and "After Search" tick (CTessaryDlgDlgChoices.cpp).
    void RestoreChoices();
    void StoreChoices();
    // Writes env.json after a change to the filters, jobs or history.
    void SaveAfterChange();
    void OnAfterSearchToggled(bool checked);
    void OpenWebPage(const QelString& address);
    void SetUpUpdateCheck();

    // The search session (CTessaryDlgDlgSearch.cpp).
    struct SearchRequest;
    bool PrepareSearch(SearchRequest& request);
    bool CopyCriteria(QelStringArray& names, QelStringArray& extensions, QelStringArray& folders) const;
    void RunWalk(const SearchRequest& request);
    void FinishSearch(const SearchRequest& request);
    void ShowSearchProgress(std::int32_t fileCount, std::int32_t folderCount);
    void SetStatus(const QelString& text, std::uint32_t fgcolor);
    void BeginSearchFrame();
    void EndSearchFrame();
    void ShowResultSubWnd(bool alreadyExists);
    void CreateResultSubWnd(bool withAllRows);
    // The first kFirstRows hits, shown while the walk goes on.
    void ShowFirstRows();
    std::string FirstRowsRecord(const qel::QelSubWndSize* size) const;
    // The job branch (CTessaryDlgDlgJobs.cpp): runs the chosen job on the results.
    void ShowJobSubWnd(bool alreadyExists);
    std::string TakeHandOffRecord(const qel::QelSubWndSize* size);
    void AddToHistory(const QelString& path, bool includeSub);
    // Puts the entry's path and sub-folder setting into the window; with no
    // such entry the path box is emptied and the check box cleared.
    void LoadHistoryEntry(int index);
    void DockSubWindows();
    // Places a sub-window docked under (or, on a short screen, above) this window.
    void DockSubWindow(QWidget* window, int height);

    CQelJSONFileMng m_settings;
    qel::QelEnvArrays m_env;
    QelStringArray m_historyLines;
    int m_selectedHistory = -1;                   // entry last chosen in the popup; -1 for none
    const QObject* m_popupOwner = nullptr;        // the control that opened the last popup
    QPointer<CQelPopupWnd> m_historyPopup;        // open until it has delivered its result
    CQelEnvRecordList m_filterList{m_settings, qel::kEnvFilterKey, m_env.filters};
    CQelEnvRecordList m_jobList{m_settings, qel::kEnvJobKey, m_env.jobs};
    QelStringArray m_fileResults;
    QelStringArray m_folderResults;
    QelString m_searchedPath;  // of the last walk, handed on with its results
    bool m_searching = false;
    bool m_stopRequested = false;                          // Stop pressed during the walk under way
    bool m_showFirstRows = false;   // the walk under way lists its results
    bool m_firstRowsShown = false;  // ... and its first rows are shown already
    std::optional<std::chrono::steady_clock::time_point> m_lastSearchStop;  // when a stopped walk last ended
    static constexpr auto kEscapeAfterStopGrace = std::chrono::milliseconds(500);
    std::chrono::steady_clock::time_point m_searchStart;
    std::chrono::steady_clock::time_point m_lastProgressRefresh;
    std::chrono::steady_clock::time_point m_lastNoticeRefresh;  // result notice last put on the status label
    QelString m_lastNoticeCounts;                                // of the operation under way
    QelString m_currentFolder;                             // the folder the walk reads, as last ticked
    QelArray<QWidget*> m_disabledForStop;                  // controls to enable again when the work ends
    std::function<void()> m_stopWork;                      // what Stop ends; empty while nothing runs
    std::unique_ptr<CQelResultSubWnd> m_resultWnd;
    std::optional<QRect> m_savedFrame;  // outer rectangle to restore; kept until the frame is known
    bool m_applyingFrame = false;
    static constexpr int kFrameWaitMs = 2000;  // how long a window manager may take to frame the window
    bool m_sessionEnding = false;
    std::shared_ptr<CQelUpdateCheck> m_updateCheck;  // outlives the window while a check runs
    std::unique_ptr<CQelAFJSubWnd> m_jobWnd;

    QLineEdit* m_pathEdit = nullptr;
    QToolButton* m_browseButton = nullptr;
    QPushButton* m_historyButton = nullptr;
    QPushButton* m_historyDeleteButton = nullptr;
    QCheckBox* m_includeSub = nullptr;
    QComboBox* m_filterCombo = nullptr;
    QPushButton* m_filterNewButton = nullptr;
    QPushButton* m_filterModifyButton = nullptr;
    QPushButton* m_filterDeleteButton = nullptr;
    QCheckBox* m_afterSearch = nullptr;
    QComboBox* m_jobCombo = nullptr;
    QPushButton* m_jobNewButton = nullptr;
    QPushButton* m_jobModifyButton = nullptr;
    QPushButton* m_jobDeleteButton = nullptr;
    QLabel* m_manualLink = nullptr;
    QLabel* m_blogLink = nullptr;
    QLabel* m_versionLink = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_donateButton = nullptr;
    QPushButton* m_searchButton = nullptr;
    CQelLabel* m_status = nullptr;
    QPushButton* m_exitButton = nullptr;
    QPushButton* m_okButton = nullptr;
};
