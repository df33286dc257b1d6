// SPDX-License-Identifier: MIT
#include "singleinstance.h"

#include "registryfile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>

namespace nomix {

namespace {

const QByteArray kKnock = QByteArrayLiteral("activate\n");
constexpr int kSocketWaitMs = 1000;
constexpr int kRetryPauseMs = 50;
// A socket address holds 108 bytes, its terminating zero included.
constexpr qsizetype kMaxSocketPath = 107;

QString serverNameFor(const QString& lockFilePath) {
    const QFileInfo lock(lockFilePath);
    const QString besideLock =
        lock.dir().filePath(lock.completeBaseName() + QStringLiteral(".socket"));
    if (QFile::encodeName(besideLock).size() <= kMaxSocketPath) {
        return besideLock;
    }
    // A deep home folder: a name of this lock's own, which Qt puts in the
    // temporary folder.
    const QByteArray hash = QCryptographicHash::hash(QFile::encodeName(lock.absoluteFilePath()),
                                                     QCryptographicHash::Sha1);
    return QStringLiteral("nomix95-") + QString::fromLatin1(hash.toHex().left(20));
}

} // namespace

SingleInstance::SingleInstance(QObject* parent) : SingleInstance(defaultLockFilePath(), parent) {}

SingleInstance::SingleInstance(const QString& lockFilePath, QObject* parent)
    : QObject(parent), m_lockFilePath(lockFilePath), m_serverName(serverNameFor(lockFilePath)) {
    setObjectName(QStringLiteral("singleInstance"));
}

// The server closes first, so a start that finds the lock still taken gets
// no answer for a moment and tries again until the lock is free.
SingleInstance::~SingleInstance() {
    delete m_server;
    m_server = nullptr;
    m_lock.reset();
}

QString SingleInstance::defaultLockFilePath() {
    const QFileInfo settings(QFile::decodeName(RegistryFile::defaultFilePath().c_str()));
    return settings.dir().filePath(QStringLiteral("Nomix95.lock"));
}

SingleInstance::Claim SingleInstance::claim() {
    QDir().mkpath(QFileInfo(m_lockFilePath).path());
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (tryLock()) {
            listen();
            return Claim::Claimed;
        }
        if (knock()) {
            return Claim::OtherActivated;
        }
        if (waited.elapsed() >= m_answerTimeoutMs) {
            return Claim::OtherUnreachable;
        }
        QThread::msleep(kRetryPauseMs);
    }
}

// True when this copy may run: it holds the lock, or the lock cannot be made
// at all (a folder nobody may write to), where guarding would only keep the
// user from their program while the settings cannot be saved anyway.
bool SingleInstance::tryLock() {
    m_lock = std::make_unique<QLockFile>(m_lockFilePath);
    // The running copy holds the lock for days: only a lock whose process is
    // gone counts as stale, never one that is merely old.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        return true;
    }
    const bool held = m_lock->error() == QLockFile::LockFailedError;
    m_lock.reset();
    return !held;
}

// Without a server this copy still runs; later starts then find it silent.
bool SingleInstance::listen() {
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    // A copy on its way out answers no more: a start meanwhile waits for the
    // lock instead of knocking at a window that is going.
    connect(qApp, &QCoreApplication::aboutToQuit, m_server, &QLocalServer::close);
    if (m_server->listen(m_serverName)) {
        return true;
    }
    // The lock is ours, so a socket file there was left by a copy that was
    // killed.
    QLocalServer::removeServer(m_serverName);
    return m_server->listen(m_serverName);
}

bool SingleInstance::knock() const {
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(kSocketWaitMs)) {
        return false;
    }
    socket.write(kKnock);
    while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(kSocketWaitMs)) {
    }
    const bool sent = socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    return sent;
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // The knock may have arrived with the connection, or come later.
        const auto readKnock = [this, socket] {
            if (socket->bytesAvailable() < kKnock.size()) {
                return;
            }
            const bool knocked = socket->read(kKnock.size()) == kKnock;
            socket->disconnectFromServer();
            if (knocked) {
                emit activationRequested();
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, readKnock);
        readKnock();
    }
}

} // namespace nomix
