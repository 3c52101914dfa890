#pragma once
// One running program per user: the first instance listens on a local socket
// whose name is derived from "CORVANE_CLIENT_WIN_TESSARY"; a later one connects,
// asks it to come forward and ends without touching any file.

#include <QObject>
#include <QString>

class QLocalServer;

class CQelSingleInstance : public QObject {
    Q_OBJECT
public:
    explicit CQelSingleInstance(QString name, QObject* parent = nullptr);
    ~CQelSingleInstance() override;

    // The socket name for this user. A program folder set through
    // QELTESSARY_HOME gets a name of its own, so a separate test home never
    // meets the user's running program.
    static QString DefaultName();

    // True when another instance is running: it has been asked to restore and
    // raise its window. False when this process is the first, now listening.
    bool ForwardToRunningInstance();

    const QString& GetName() const { return m_name; }

signals:
    // A later instance asked this one to show its window.
    void RaiseRequested();

private:
    bool AskRunningInstance();
    bool Listen();
    void OnNewConnection();

    QString m_name;
    QLocalServer* m_server = nullptr;
};
