// SPDX-License-Identifier: GPL-3.0-or-later
// A Picture as an SVG document: UTF-8, valid XML, the picture's title as <title>, texts kept as
// <text> so that they stay searchable and readable.
#pragma once

#include "engine/diagram/drawing.h"

#include <string>

namespace quorvel {

std::string WriteSvg(const Picture& picture);

} // namespace quorvel
