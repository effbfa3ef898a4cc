// SPDX-License-Identifier: GPL-3.0-or-later
// What saves that were killed half-way leave in the program folder: temporary files and the
// settings backup's other side.
#pragma once

#include <QString>

namespace quorvel {

// Removes the temporary files that killed saves left in the program folder.
void RemoveLeftovers(const QString& folder);

} // namespace quorvel
