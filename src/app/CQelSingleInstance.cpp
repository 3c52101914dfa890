#include "CQelSingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kClassName[] = "CORVANE_CLIENT_WIN_TESSARY";
constexpr char kRaiseRequest[] = "raise\n";
constexpr int kTimeoutMs = 1000;

// A socket file of this user's; anything else at the path is not used.
bool IsOwnSocket(const QString& path) {
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::getuid();
}

}  // namespace

bool IsPeerThisUser(const QLocalSocket& socket) {
    struct ucred peer {};
    socklen_t length = sizeof peer;
    const int fd = static_cast<int>(socket.socketDescriptor());
    return fd >= 0 && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && length == sizeof peer &&
           peer.uid == ::getuid();
}

CQelSingleInstance::CQelSingleInstance(QString path, QObject* parent) : QObject(parent), m_path(std::move(path)) {}

CQelSingleInstance::~CQelSingleInstance() = default;

QString CQelSingleInstance::DefaultName() {
    // Both names of the display: a Wayland session also has an X display, and
    // two sessions differ in at least one of them.
    QByteArray key = qgetenv("DISPLAY") + '\n' + qgetenv("WAYLAND_DISPLAY");
    const QByteArray home = qgetenv("QELTESSARY_HOME");
    if (!home.isEmpty()) key += '\n' + home;
    return QStringLiteral("%1-%2-%3")
        .arg(QLatin1String(kClassName))
        .arg(::getuid())
        .arg(QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16)));
}

bool CQelSingleInstance::IsPrivateFolder(const QString& path) {
    struct stat st;
    return !path.isEmpty() && ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

QString CQelSingleInstance::SocketFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (IsPrivateFolder(runtime)) return runtime;
    const QString own = QDir::tempPath() + QStringLiteral("/qeltessary-%1").arg(::getuid());
    ::mkdir(QFile::encodeName(own).constData(), 0700);  // an existing one is checked below like a new one
    return IsPrivateFolder(own) ? own : QString();
}

QString CQelSingleInstance::DefaultPath() {
    const QString folder = SocketFolder();
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + DefaultName();
}

bool CQelSingleInstance::ForwardToRunningInstance() {
    if (m_path.isEmpty()) return false;
    if (AskRunningInstance()) return true;
    if (Listen()) return false;
    // The name is taken: an instance started meanwhile, a socket left behind
    // by a program that crashed, or something that is not ours. In a private
    // folder it may be replaced.
    if (AskRunningInstance()) return true;
    QLocalServer::removeServer(m_path);
    Listen();
    return false;
}

bool CQelSingleInstance::AskRunningInstance() {
    if (!IsOwnSocket(m_path)) return false;
    QLocalSocket socket;
    socket.connectToServer(m_path);
    if (!socket.waitForConnected(kTimeoutMs)) return false;
    if (!IsPeerThisUser(socket)) {
        socket.abort();  // not a word to a stranger
        return false;
    }
    socket.write(kRaiseRequest);
    socket.waitForBytesWritten(kTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool CQelSingleInstance::Listen() {
    if (!m_server) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &CQelSingleInstance::OnNewConnection);
    }
    return m_server->listen(m_path);
}

void CQelSingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!IsPeerThisUser(*socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // The request text has to arrive, so a stray connection cannot raise the window.
        auto readRequest = [this, socket] {
            if (socket->bytesAvailable() > 0 && socket->readAll().startsWith("raise")) emit RaiseRequested();
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequest);
        readRequest();
    }
}
