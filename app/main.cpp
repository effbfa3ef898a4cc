// SPDX-License-Identifier: GPL-3.0-or-later
// The program entry: the answers that need no window, the application, then the program's whole
// life in its order.
#include "platform/window_activation.h"
#include "program_settings.h"
#include "program_start.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (const auto answer = quorvel::AnswerCommandLine(argc, argv)) {
        std::fputs(answer->text.c_str(), stdout);
        std::fputs(answer->errorText.c_str(), stderr);
        return answer->exitCode;
    }
    // Before the application connects to the display, which may take the token away.
    const quorvel::ActivationToken token = quorvel::LauncherToken();
    QApplication app(argc, argv);
    quorvel::PrepareApplication();
    return quorvel::RunQuorvel(app, QString(), token);
}
