// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program's windows stand and how big they are, from the settings file and back. A
// platform that neither tells nor sets the places of top-level windows (Wayland) has no place
// moved and none stored: the file's earlier place is written back, for the next session on a
// platform that has places. Sizes and the maximised state are kept on every platform.
#pragma once

#include <QString>

class QWidget;

namespace quorvel {

class ComponentStore;

struct WindowPlaceKeys
{
    QString section;       // "Form1", "Form2"
    bool withSize = false; // "width", "height" and "maximized" besides "top" and "left"
};

// Reads the window's place (where the platform sets places) and size from the keys, fits it to
// the screens (FitFormToScreen) and maximises it when it was maximised.
void LoadWindowPlace(const ComponentStore& ini, QWidget& window, const WindowPlaceKeys& keys,
                     bool placesKnown);

// Writes the window's place and size; a maximised window writes its normal place and size and
// "maximized". Where places are unknown, top and left are copied from `earlier` (the settings
// file as it was), or left out when it has none.
void SaveWindowPlace(ComponentStore& ini, const ComponentStore& earlier, const QWidget& window,
                     const WindowPlaceKeys& keys, bool placesKnown);

} // namespace quorvel
