// SPDX-License-Identifier: GPL-3.0-or-later
// One running Quorvel per program folder. Two copies on the same folder would each write the
// pages and the settings at exit, and the later one would silently replace the earlier one's
// work; so a second start hands over to the running copy, which brings its window to the front
// with the activation token the second start got from its launcher.
#pragma once

#include "gui/platform/window_activation.h"

#include <QLockFile>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;

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
    // When another copy runs, it is handed this start's token.
    Claim claim(const ActivationToken& token = {});
    // What the user should know after claim(): something other than a file stood under the lock
    // file's name and was put aside. Empty when nothing was.
    const QString& note() const { return m_note; }

    // What this copy does when a later start asks, with that start's token: bring its window to
    // the front. Until it is set (during the start, while the window is not yet shown), a
    // request is answered and needs nothing: the window is about to appear in front anyway.
    void setFrontRequestHandler(std::function<void(const ActivationToken&)> handler)
    {
        m_onFrontRequest = std::move(handler);
    }

private:
    void listen();
    void answer(QLocalSocket* socket, const ActivationToken& token);
    bool askRunningCopy(const ActivationToken& token) const;
    bool clearLockName();
    bool holdsNoOwner() const;

    QLockFile m_lock;
    QString m_serverName;
    QString m_note;
    std::unique_ptr<QLocalServer> m_server;
    std::function<void(const ActivationToken&)> m_onFrontRequest;
};

} // namespace quorvel
