// SPDX-License-Identifier: GPL-3.0-or-later
// The program entry: the answers that need no window, the application, then the program's whole
// life in its order.
#include "app/command_line.h"
#include "app/display_check.h"
#include "app/program_life.h"
#include "engine/base/file_writer.h"
#include "gui/platform/window_activation.h"

#include <QApplication>

#include <memory>

#include <unistd.h>

int main(int argc, char* argv[])
{
    if (const auto answer = quorvel::AnswerCommandLine(argc, argv))
        return quorvel::GiveAnswer(*answer);
    if (!quorvel::DisplayNamed(argc, argv)) {
        quorvel::WriteAll(STDERR_FILENO,
                          "quorvel: " + quorvel::NoDisplayText(nullptr, nullptr) + "\n");
        return 1;
    }
    // Before the application connects to the display, which may take the token away.
    const quorvel::ActivationToken token = quorvel::LauncherToken();
    std::unique_ptr<QApplication> application;
    {
        const quorvel::DisplayConnectionGuard guard;
        application = std::make_unique<QApplication>(argc, argv);
    }
    QApplication& app = *application;
    quorvel::PrepareApplication();
    return quorvel::RunQuorvel(app, QString(), token);
}
