#pragma once
// One running program per user and per display: the first instance listens
// on a local socket whose name is derived from "CORVANE_CLIENT_WIN_TESSARY",
// the display and the program folder; a later one connects, asks it to come
// forward and ends without touching any file.
//
// The socket lies in a folder only this user can enter ($XDG_RUNTIME_DIR, or
// a folder of the user's own below the temporary folder, checked before use),
// and the peer on either end must run as this user (SO_PEERCRED). Where no
// such folder can be had, or the socket there belongs to someone else, the
// program simply starts on its own: another user can neither stop it nor
// receive its requests.

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

class CQelSingleInstance : public QObject {
    Q_OBJECT
public:
    // path: the socket's full path; empty for no single-instance check at all.
    explicit CQelSingleInstance(QString path, QObject* parent = nullptr);
    ~CQelSingleInstance() override;

    // The socket's file name for this user and display (DISPLAY and
    // WAYLAND_DISPLAY). A program folder set through QELTESSARY_HOME gets a
    // name of its own, so a separate test home never meets the user's program.
    static QString DefaultName();
    // The folder for this user's sockets: $XDG_RUNTIME_DIR when it is a
    // private folder of this user's, else "<temp>/qeltessary-<uid>", made
    // (mode 0700) when missing and checked the same way; empty when neither
    // is private.
    static QString SocketFolder();
    // The folder and the name joined; empty when there is no private folder.
    static QString DefaultPath();
    // True when path is a real folder (not a link) owned by this user that
    // no one else may read, write or enter.
    static bool IsPrivateFolder(const QString& path);

    // True when another instance of this user is running: it has been asked
    // to restore and raise its window. False when this process is the first
    // (now listening, where it can).
    bool ForwardToRunningInstance();

    const QString& GetPath() const { return m_path; }

signals:
    // A later instance of the same user asked this one to show its window.
    void RaiseRequested();

private:
    bool AskRunningInstance();
    bool Listen();
    void OnNewConnection();

    QString m_path;
    QLocalServer* m_server = nullptr;
};

// True when the process at the other end of the connected socket runs as
// this user.
bool IsPeerThisUser(const QLocalSocket& socket);
