// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/single_instance.h"

#include "app/page_recovery.h"
#include "engine/base/file_writer.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

namespace quorvel {
namespace {

const QByteArray kAnswer = QByteArrayLiteral("vorn\n");
// A start that sends no request line (an older version) is answered without a token.
constexpr int kRequestWaitMs = 2000;
constexpr qint64 kUnwrittenLockMs = 2000;

QString lockFileName(const QString& programDir)
{
    return QDir(programDir).filePath(QStringLiteral("Quorvel.lock"));
}

// The socket lies in the user's runtime folder, so that other users' copies never meet it; its
// name comes from the folder's canonical path, as two spellings of one folder are one folder.
QString serverNameFor(const QString& programDir)
{
    const QString canonical = QFileInfo(programDir).canonicalFilePath();
    const QByteArray hash =
        QCryptographicHash::hash((canonical.isEmpty() ? programDir : canonical).toUtf8(),
                                 QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    const QString name = QStringLiteral("quorvel-") + QString::fromLatin1(hash);
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? name : QDir(runtime).filePath(name);
}

} // namespace

SingleInstance::SingleInstance(const QString& programDir)
    : m_lock(lockFileName(programDir)), m_serverName(serverNameFor(programDir))
{
    // Only a dead owner makes a lock stale: a copy may run for weeks.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

// The lock reads what it finds under its name: a FIFO there kept the start waiting for ever,
// without a window. Anything but a file is put aside, as under the other names of the folder.
// False when it cannot be: then the lock is not tried.
bool SingleInstance::clearLockName()
{
    const QString path = m_lock.fileName();
    const QString kind =
        QString::fromStdString(OwnFileProblem(QFile::encodeName(path).toStdString()));
    if (kind.isEmpty())
        return true;
    const QString shown = QDir::toNativeSeparators(path);
    QString reason;
    const QString kept = PutAside(path, &reason);
    if (kept.isEmpty()) {
        m_note = QStringLiteral("Unter dem Namen der Sperrdatei %1 liegt etwas anderes (%2), und "
                                "es lie\u00DF sich nicht beiseitelegen: %3. Ein zweites Quorvel "
                                "mit diesem Programmordner wird in dieser Sitzung nicht erkannt.")
                     .arg(shown, kind, reason);
        return false;
    }
    m_note = QStringLiteral("Unter dem Namen der Sperrdatei %1 lag etwas anderes (%2). Es ist "
                            "unver\u00E4ndert als «%3» erhalten.")
                 .arg(shown, kind, QFileInfo(kept).fileName());
    return true;
}

// A copy writes its lock within moments of making it: one that still names no owner after
// that (empty after a crash or a full disk, or garbage) was never held by a copy that runs,
// and would otherwise keep every later start out.
bool SingleInstance::holdsNoOwner() const
{
    qint64 pid = 0;
    QString host;
    QString application;
    if (m_lock.getLockInfo(&pid, &host, &application))
        return false;
    const QFileInfo lock(m_lock.fileName());
    return lock.exists() &&
           qAbs(lock.lastModified().msecsTo(QDateTime::currentDateTime())) > kUnwrittenLockMs;
}

SingleInstance::Claim SingleInstance::claim(const ActivationToken& token)
{
    if (!clearLockName())
        return Claim::Claimed;
    if (m_lock.tryLock(0)) {
        listen();
        return Claim::Claimed;
    }
    if (m_lock.error() != QLockFile::LockFailedError)
        return Claim::Claimed;
    // The running copy may still be starting and not listen yet.
    const QDeadlineTimer deadline(10000);
    do {
        if (askRunningCopy(token))
            return Claim::HandedOver;
        QThread::msleep(100);
        // It may also just have ended, or have left a lock it never finished writing.
        if (holdsNoOwner())
            m_lock.removeStaleLockFile();
        if (m_lock.tryLock(0)) {
            listen();
            return Claim::Claimed;
        }
    } while (!deadline.hasExpired());
    return Claim::Unreachable;
}

bool SingleInstance::askRunningCopy(const ActivationToken& token) const
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(1000))
        return false;
    socket.write(token.toLine() + '\n');
    socket.flush();
    QByteArray answer;
    while (!answer.contains('\n') && socket.waitForReadyRead(3000))
        answer += socket.readAll();
    return answer == kAnswer;
}

void SingleInstance::listen()
{
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket of that name was left by a copy that no longer runs.
    QLocalServer::removeServer(m_serverName);
    if (!m_server->listen(m_serverName))
        return;
    QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(), [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            // The request line may come in pieces; a socket is answered once.
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                if (socket->canReadLine())
                    answer(socket, ActivationToken::fromLine(socket->readLine(4096)));
            });
            QTimer::singleShot(kRequestWaitMs, socket, [this, socket] { answer(socket, {}); });
        }
    });
}

void SingleInstance::answer(QLocalSocket* socket, const ActivationToken& token)
{
    if (socket->property("answered").toBool())
        return;
    socket->setProperty("answered", true);
    if (m_onFrontRequest)
        m_onFrontRequest(token);
    socket->write(kAnswer);
    socket->flush();
    socket->disconnectFromServer();
}

} // namespace quorvel
