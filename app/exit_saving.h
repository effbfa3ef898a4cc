// SPDX-License-Identifier: GPL-3.0-or-later
// The end of a session: everything on the screen is written before the window goes. When a page
// or the settings cannot be written (a full disk, a folder made read-only), the window stays and
// one box says what and why, with the way out the user chooses: try again (after making room),
// save the pages somewhere else, end anyway, or keep working. A page that was not written keeps
// its journal, so the next start has it back.
#pragma once

#include "app/settings_load_save.h"

#include <functional>

class QWidget;

namespace quorvel {

class ContinuousSaving;
struct ProgramWindows;

enum class ExitChoice { Retry, SaveElsewhere, EndAnyway, KeepWorking };

// The box of an exit that could not write everything.
ExitChoice AskAtFailedExit(const WriteProblems& problems, QWidget* parent);

class ExitSaving
{
public:
    ExitSaving(ProgramWindows& windows, ContinuousSaving& saving);

    // Writes everything and says whether the program may end: all is written, or the user
    // chose to end anyway. Without `mayAsk` (a termination signal) it never asks and always ends.
    bool mayEnd(bool mayAsk);

    // The box; replaceable in tests.
    std::function<ExitChoice(const WriteProblems&)> ask;

private:
    WriteProblems writeAll();

    ProgramWindows& m_windows;
    ContinuousSaving& m_saving;
    bool m_settingsWritten = false;
};

} // namespace quorvel
