#pragma once
// The main window: the search path, the filter and job lists, the Search
// button and the status label. It owns env.json for the run, runs searches on
// the UI thread and hands the results to the result window docked under it.

#include <QDialog>
#include <chrono>
#include <memory>

#include "CQelFileMng.h"
#include "CQelJSONFileMng.h"
#include "IQelResultSubWndDelegate.h"
#include "QelEnvFile.h"
#include "QelString.h"

class CQelLabel;
class CQelResultSubWnd;
class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QToolButton;

class CTessaryDlgDlg : public QDialog, private IQelFileMngEventDelegate, private IQelResultSubWndDelegate {
    Q_OBJECT
public:
    static constexpr int kResultSubWndHeight = 400;

    explicit CTessaryDlgDlg(QWidget* parent = nullptr);
    ~CTessaryDlgDlg() override;

    // "Search": checks the inputs, walks the tree and hands the results on.
    void OnSearch();
    // "Exit" (also Escape and the close button): stores the position and
    // writes env.json; when writing fails the user decides whether to leave.
    void OnExit();
    // Restores a minimised window and brings it to the front (a second start).
    void BringToFront();

    // State for the next features and for tests.
    CQelJSONFileMng& GetSettings() { return m_settings; }
    const qel::QelEnvArrays& GetEnvArrays() const { return m_env; }
    const QelStringArray& GetHistoryLines() const { return m_historyLines; }
    const QelStringArray& GetFileResults() const { return m_fileResults; }
    const QelStringArray& GetFolderResults() const { return m_folderResults; }
    bool IsSearching() const { return m_searching; }
    CQelResultSubWnd* GetResultSubWnd() const { return m_resultWnd.get(); }

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
    void resizeEvent(QResizeEvent* event) override;

private:
    // IQelFileMngEventDelegate
    void OnSearchProgress(std::int32_t fileCount, std::int32_t folderCount) override;
    // IQelResultSubWndDelegate
    void onNotifyEvent(const QelString& szEventName, const QelString& szParam1, const QelString& szParam2) override;

    void BuildControls();
    void SetUpStatusLabel();
    void LoadEnvironment();
    void RestoreWindowPosition();
    void FillFilterCombo();
    void FillJobCombo();
    void OnAfterSearchToggled(bool checked);
    void OpenWebPage(const QelString& address);

    bool CopyCriteria(QelStringArray& names, QelStringArray& extensions, QelStringArray& folders) const;
    void SetStatus(const QelString& text, std::uint32_t fgcolor);
    void BeginSearchFrame();
    void EndSearchFrame();
    void ShowResultSubWnd(bool alreadyExists);
    void AddToHistory(const QelString& path, bool includeSub);
    void DockSubWindows();

    CQelJSONFileMng m_settings;
    qel::QelEnvArrays m_env;
    QelStringArray m_historyLines;
    QelStringArray m_filterNames;
    QelStringArray m_jobNames;
    QelArray<int> m_filterIndexes;  // array index of each filter name
    QelArray<int> m_jobIndexes;     // array index of each job name
    QelStringArray m_fileResults;
    QelStringArray m_folderResults;
    bool m_searching = false;
    std::chrono::steady_clock::time_point m_lastProgressRefresh;
    std::unique_ptr<CQelResultSubWnd> m_resultWnd;

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
