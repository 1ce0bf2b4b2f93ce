#include "platform/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <unistd.h>

namespace {

const QByteArray kRaise("raise\n");
constexpr int kConnectWaitMs = 1000;

}  // namespace

SingleInstance::SingleInstance(const QString& name, const QString& folder, QObject* parent)
    : QObject(parent), m_name(name), m_folder(folder) {
    if (m_folder.isEmpty()) {
        m_folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    }
    if (m_folder.isEmpty()) {
        m_folder = QDir::tempPath();
    }
}

SingleInstance::~SingleInstance() = default;

SingleInstance::Outcome SingleInstance::acquire() {
    QDir().mkpath(m_folder);
    m_lock = std::make_unique<QLockFile>(QDir(m_folder).filePath(m_name + QStringLiteral(".lock")));
    // A lock left by a crashed instance is taken over; a live one is never stale.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        return Outcome::First;
    }
    if (m_lock->error() != QLockFile::LockFailedError) {
        return Outcome::Failed;
    }
    QLocalSocket socket;
    socket.connectToServer(QDir(m_folder).filePath(m_name + QStringLiteral(".socket")));
    if (socket.waitForConnected(kConnectWaitMs)) {
        socket.write(kRaise);
        socket.waitForBytesWritten(kConnectWaitMs);
        socket.disconnectFromServer();
        return Outcome::OtherHasWindow;
    }
    return Outcome::OtherStarting;
}

bool SingleInstance::listen() {
    if (m_server != nullptr) {
        return true;
    }
    // Only the instance that holds the lock may open the socket: another one that was told the
    // first is still starting must not take the first's place.
    if (!m_lock || !m_lock->isLocked()) {
        return false;
    }
    const QString path = QDir(m_folder).filePath(m_name + QStringLiteral(".socket"));
    // We hold the lock, so a socket file there is left over from a crashed run.
    QLocalServer::removeServer(path);
    auto server = std::make_unique<QLocalServer>(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(path)) {
        return false;
    }
    m_server = server.release();
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains("raise")) {
                    emit raiseRequested();
                }
            });
        }
    });
    return true;
}
