#include "CQelSingleInstance.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {

constexpr char kClassName[] = "CORVANE_CLIENT_WIN_TESSARY";
constexpr char kRaiseRequest[] = "raise\n";
constexpr int kTimeoutMs = 1000;

}  // namespace

CQelSingleInstance::CQelSingleInstance(QString name, QObject* parent) : QObject(parent), m_name(std::move(name)) {}

CQelSingleInstance::~CQelSingleInstance() = default;

QString CQelSingleInstance::DefaultName() {
    QString name = QStringLiteral("%1-%2").arg(QLatin1String(kClassName)).arg(getuid());
    const QByteArray home = qgetenv("QELTESSARY_HOME");
    if (!home.isEmpty()) {
        name += QLatin1Char('-') +
                QString::fromLatin1(QCryptographicHash::hash(home, QCryptographicHash::Sha1).toHex().left(12));
    }
    return name;
}

bool CQelSingleInstance::ForwardToRunningInstance() {
    if (AskRunningInstance()) return true;
    if (Listen()) return false;
    // The name is taken: either an instance started meanwhile or a socket was
    // left behind by a program that crashed.
    if (AskRunningInstance()) return true;
    QLocalServer::removeServer(m_name);
    Listen();
    return false;
}

bool CQelSingleInstance::AskRunningInstance() {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kTimeoutMs)) return false;
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
    return m_server->listen(m_name);
}

void CQelSingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // The request text has to arrive, so a stray connection cannot raise the window.
        auto readRequest = [this, socket] {
            if (socket->bytesAvailable() > 0 && socket->readAll().startsWith("raise")) emit RaiseRequested();
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequest);
        readRequest();
    }
}
