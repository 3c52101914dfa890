#pragma once
// The job log window: a tool window docked under the main window that runs
// the chosen after-search job on the results of each search and lists what
// every step did, one row per event, painted while the job runs.
//
// The main window hands it JSON text with "fileresultlist", "dirresultlist"
// and "afjitem" (the job record), plus "width" and "height" at creation.
// Everything runs on the UI thread; the owner keeps itself disabled while a
// job runs, so no second search or job can start inside this one.

#include <QWidget>
#include <chrono>
#include <string>

#include <json/value.h>

#include "CQelJobRunner.h"

class CCaption;
class CQelJobLogModel;
class QListView;
class QPushButton;

class CQelAFJSubWnd : public QWidget, private IQelJobLogDelegate {
    Q_OBJECT
public:
    static constexpr int kCaptionHeight = 18;

    CQelAFJSubWnd();
    ~CQelAFJSubWnd() override;

    // Builds the window from the text, places it at screen x, y with the size
    // of "width" and "height", shows it and runs the job. False, window
    // hidden and nothing run, when the text is not a JSON object
    // ("CreateSubWnd Json Read Failed" in the program log).
    bool CreateSubWnd(QWidget* parent, std::string jsonText, int x, int y);
    // Takes the two result arrays and the job record of the text and runs the
    // job, showing the window again if the user closed it. False, nothing
    // run, when the text is not a JSON object ("Update Json Read Failed").
    bool UpdateAndRun(std::string jsonText);

    // The busy flag: the wait cursor over this window while set.
    void BeginBusy();
    void EndBusy();
    bool IsBusy() const { return m_busy; }

    const Json::Value& GetModel() const { return m_model; }
    const QelString& GetJobName() const { return m_jobName; }
    // What the last run did.
    const QelJobOutcome& GetLastOutcome() const { return m_lastOutcome; }
    CQelJobLogModel* GetLogModel() const { return m_logModel; }
    QListView* GetLogView() const { return m_logView; }
    CCaption* GetCaption() const { return m_caption; }
    // Stop (its button beside the caption, Escape): the job under way ends
    // after its current item and logs that it was stopped.
    void RequestJobStop();
    QPushButton* GetStopButton() const { return m_stopButton; }
    // How often the rows are painted during a run; tests set it to zero so a
    // run paints after every row, however fast the machine.
    void SetPaintInterval(std::chrono::milliseconds interval) { m_paintInterval = interval; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnJobLog(const QelString& row) override;
    void BuildContents();
    void LayOut();
    void RunJob();

    Json::Value m_model;
    QelString m_jobName;
    QelJobOutcome m_lastOutcome;
    bool m_busy = false;
    bool m_running = false;        // a job is under way ...
    bool m_stopRequested = false;  // ... and has been asked to stop
    std::chrono::milliseconds m_paintInterval{30};
    std::chrono::steady_clock::time_point m_lastPaint;  // when the rows were last painted during a run

    CCaption* m_caption = nullptr;
    QListView* m_logView = nullptr;
    CQelJobLogModel* m_logModel = nullptr;
    QPushButton* m_stopButton = nullptr;
};
