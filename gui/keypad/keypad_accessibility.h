// SPDX-License-Identifier: GPL-3.0-or-later
// The keypad's controls as screen readers see them: a round key is a push button that can be
// pressed without taking the focus, the decimal-places field a spin box with a value.
#pragma once

namespace quorvel {

// Installs the interfaces, once; later calls do nothing. THemisphereButton and TRealSpinEdit
// call it when they are created.
void InstallKeypadAccessibility();

} // namespace quorvel
