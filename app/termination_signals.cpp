// SPDX-License-Identifier: GPL-3.0-or-later
// The self-pipe: a signal handler may do almost nothing safely, so it hands the signal to the
// message loop through a pipe that a socket notifier watches.
#include "app/termination_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace quorvel {
namespace {

std::array<int, 2> g_pipe{-1, -1};

extern "C" void onTerminationSignal(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a wake-up; nothing is lost when this write fails.
    [[maybe_unused]] const auto written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

void EndOnTerminationSignals(QObject& owner, std::function<void()> end)
{
    if (g_pipe[0] < 0 && ::pipe2(g_pipe.data(), O_NONBLOCK | O_CLOEXEC) != 0)
        return; // without the pipe the signals keep their default action
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, &owner);
    QObject::connect(notifier, &QSocketNotifier::activated, &owner, [end = std::move(end)] {
        std::array<char, 16> bytes{};
        while (::read(g_pipe[0], bytes.data(), bytes.size()) > 0) {
        }
        end();
    });

    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

} // namespace quorvel
