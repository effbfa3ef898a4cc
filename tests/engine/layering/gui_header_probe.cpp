// SPDX-License-Identifier: GPL-3.0-or-later
// Must not compile: the engine's include path has no window code on it.
#include "gui/worksheet/sheet_editor.h"
