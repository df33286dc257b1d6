// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

namespace nomix {

// Keeps the desktop program to one running copy per user. Two copies would
// each write the whole settings file when they close, so the one closed last
// would undo what the other changed. The first copy holds a lock file beside
// the settings file and listens on a local socket; a later start finds the
// lock taken, asks the running copy to come to the front, and ends.
//
// The lock is QLockFile's: the lock of a copy that was killed or crashed is
// found stale (its process is gone) and taken over. A socket file left by
// such a copy is removed before listening. The command-line tools never take
// the lock: they only read the settings.
class SingleInstance : public QObject {
    Q_OBJECT

  public:
    enum class Claim {
        Claimed,          // this is the running copy now
        OtherActivated,   // another copy runs and was asked to come forward
        OtherUnreachable, // another copy holds the lock but does not answer
    };

    // The lock of the current user: ${XDG_CONFIG_HOME:-$HOME/.config}/
    // Talvora/Nomix95.lock, beside the settings file.
    explicit SingleInstance(QObject* parent = nullptr);
    explicit SingleInstance(const QString& lockFilePath, QObject* parent = nullptr);
    ~SingleInstance() override;

    static QString defaultLockFilePath();
    QString lockFilePath() const { return m_lockFilePath; }
    // Where the running copy listens: beside the lock when the path fits in
    // a socket address, else a name of its own in the temporary folder.
    QString serverName() const { return m_serverName; }

    // How long claim() keeps trying to reach a copy that holds the lock but
    // does not answer yet (it may be starting up, or just ending).
    void setAnswerTimeout(int milliseconds) { m_answerTimeoutMs = milliseconds; }

    // Takes the lock and starts listening, or knocks at the copy that holds
    // it. Call once, before the main window is made.
    Claim claim();

  signals:
    // A later start knocked: the running copy should come to the front.
    void activationRequested();

  private:
    bool tryLock();
    bool listen();
    bool knock() const;
    void acceptConnections();

    QString m_lockFilePath;
    QString m_serverName;
    int m_answerTimeoutMs = 5000;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};

} // namespace nomix
