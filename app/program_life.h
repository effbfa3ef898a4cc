// SPDX-License-Identifier: GPL-3.0-or-later
// The program's life around the message loop, from the application's first settings to the
// exit's writes.
#pragma once

#include "gui/platform/window_activation.h"

#include <QString>

class QApplication;

namespace quorvel {

// Name, icon and desktop entry of the application, and numbers written with a point whatever the
// regional settings say. Once the application object exists.
void PrepareApplication();

// The whole life of the program in its order: the windows, LoadSettings, continuous saving, the
// message loop with the first showing and the long replays, the exit's writes (exit_saving.h). An
// empty folder stands for the program folder. `token` is the launcher's activation token
// (LauncherToken), which a second start hands to the first.
int RunQuorvel(QApplication& app, const QString& folder = QString(),
               const ActivationToken& token = {});

} // namespace quorvel
