#pragma once
// Turns SIGTERM (sent at logout, shutdown or by kill) into a Qt signal on the
// UI thread, so the program can save its settings as Exit does before it
// ends. Only the first SIGTERM is caught: a second one ends the process at
// once, so a stuck save never holds up a logout. One instance per process.

#include <QObject>

class QSocketNotifier;

class CQelTerminationWatch : public QObject {
    Q_OBJECT
public:
    explicit CQelTerminationWatch(QObject* parent = nullptr);
    // Gives SIGTERM its default action back.
    ~CQelTerminationWatch() override;

signals:
    void TerminationRequested();

private:
    void OnSignalled();

    int m_pipe[2] = {-1, -1};  // the handler writes one byte to [1]; [0] is watched
    QSocketNotifier* m_notifier = nullptr;
};
