// SPDX-License-Identifier: GPL-3.0-or-later
// One running Quorvel per program folder. Two copies on the same folder would each write the
// pages and the settings at exit, and the later one would silently replace the earlier one's
// work; so a second start hands over to the running copy, which brings its window to the front.
#pragma once

#include <QLockFile>
#include <QPointer>
#include <QString>

#include <memory>

class QLocalServer;
class QWidget;

namespace quorvel {

class SingleInstance
{
public:
    enum class Claim {
        Claimed,     // this copy runs; later starts come to it
        HandedOver,  // another copy runs and has been asked to come to the front
        Unreachable, // another copy holds the folder but did not answer
    };

    explicit SingleInstance(const QString& programDir);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Takes the folder's lock file. A lock left by a copy that no longer runs (killed, crashed)
    // is taken over. A folder that cannot hold a lock file is not guarded: the program runs.
    Claim claim();

    // The window that later starts bring to the front.
    void setWindow(QWidget* window) { m_window = window; }

    // Where the running copy listens; derived from the folder, so it is the same for every start.
    const QString& serverName() const { return m_serverName; }

private:
    void listen();
    void bringToFront();
    bool askRunningCopy() const;

    QLockFile m_lock;
    QString m_serverName;
    std::unique_ptr<QLocalServer> m_server;
    QPointer<QWidget> m_window;
};

} // namespace quorvel
