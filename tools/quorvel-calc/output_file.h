// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a script's output file whole or not at all: into a temporary file beside it, synced,
// then renamed over it, so that a full disk or a kill never leaves half a file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvel::calc {

// Nothing when bytes now are the file at path (or at the file a symbolic link there points
// to); otherwise why not, in German ("Keine Berechtigung"), and the file as it was before.
std::optional<std::string> WriteWholeFile(const std::string& path, std::string_view bytes);

} // namespace quorvel::calc
