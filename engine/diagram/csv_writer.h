// SPDX-License-Identifier: GPL-3.0-or-later
// A diagram's points as CSV text: a header with the axis titles, one row per point, ";" between
// the columns, the values in the axis units with a decimal point whatever the locale, and an
// empty field where a curve has no value. Every point asked for is a row, however many there are
// (the points sampled between them for the drawing are not).
#pragma once

#include "engine/diagram/sampling.h"

#include <string>

namespace quorvel {

// UTF-8, each row ended by "\n". «t [s];v*t [m]» then «0;0» ... «10;30»; a curve is headed by
// its name where its line assigns one («t [s];y [m]»). A title holding ";", '"' or a line break
// is quoted, with '"' doubled, so that columns stay columns.
std::string WriteCsv(const DiagramData& data);

} // namespace quorvel
