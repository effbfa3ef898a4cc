// SPDX-License-Identifier: GPL-3.0-or-later
// quorvel-calc's diagram mode: the sheet evaluated first (its variables and units), then the
// --diagramm formula sampled over --variable and written as SVG or CSV to --ausgabe.
#pragma once

#include "tools/quorvel-calc/command_line.h"
#include "tools/quorvel-calc/sheet_runner.h"

#include <string>
#include <string_view>

namespace quorvel::calc {

// Why the diagram options cannot go together (German, one line), or "" when they can or
// when no diagram option is given: companions without --diagramm, --diagramm without its
// companions, an --ausgabe that ends in neither ".svg" nor ".csv", --json with --diagramm.
std::string DiagramUsageError(const CalcOptions& options);

// The diagram mode after the arguments and files are read, with the unit definitions already
// compiled into parser. The sheet's results are not what the caller asked for: out holds only
// the points, when --ausgabe is "-". err names the sheet's lines that show an error or broke off
// and the points without value. Status: ExitOk when a point has a value, ExitLineFailed when none
// has, ExitFailure for a request that cannot be drawn (message on err) or an output file that could
// not be written.
CalcResult RunDiagram(TEFParser& parser, std::string_view sheetBytes, double decimals,
                      const DiagramOptions& diagram);

} // namespace quorvel::calc
