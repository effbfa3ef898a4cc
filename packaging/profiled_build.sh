#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A preset's build with quorvel-calc and the engine optimised by the counts of a run of their
# own (GCC; cmake/profile_guided.cmake). A preset can name the build that uses the counts, not
# the run that takes them: so the folder is first configured to count, quorvel-calc is trained
# on lines as people write them (packaging/profile_training.sh), and then the preset is
# configured as it stands, using those counts, and built.
#
# Usage: packaging/profiled_build.sh PRESET     (./quorvel.sh bench: PRESET bench)
set -euo pipefail
cd "$(dirname "$0")/.."
preset=$1
jobs=$(nproc 2>/dev/null || echo 2)

# The folder is the preset's; cmake names it as it ends.
dir=$(cmake --preset "$preset" -DQUORVEL_PROFILE=generate |
    sed -n 's/^-- Build files have been written to: //p')
if [ -z "$dir" ]; then
    echo "cmake did not name the build folder of preset $preset." >&2
    exit 1
fi
cmake --build --preset "$preset" -j "$jobs" --target quorvel-calc make_corpus
packaging/profile_training.sh "$dir"
cmake --preset "$preset" -DQUORVEL_PROFILE=use >/dev/null
cmake --build --preset "$preset" -j "$jobs"
