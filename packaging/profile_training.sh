#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The training run of a profile-guided build (cmake/profile_guided.cmake): quorvel-calc, built
# with QUORVEL_PROFILE=generate in the given folder together with make_corpus, reads lines as
# people write them (make_corpus's formulas and worksheet, not the formulas timed against units)
# and the golden files' lines, which reach the error paths too, then the worksheet as JSON
# (--json). The folder is then configured with QUORVEL_PROFILE=use and built again. Used by
# packaging/profiled_build.sh and debian/rules.
#
# The counts must be the same at every run, or two builds of one source give two programs: the
# lines are read from a file, never through a pipe, whose reads return as much as happened to
# arrive, and the run's counts of those reads would differ from run to run.
# Usage: packaging/profile_training.sh BUILD_FOLDER
set -eu
dir=$1
source=$(dirname "$0")/..

find "$dir" -name '*.gcda' -delete
rm -rf "$dir/training"
mkdir -p "$dir/training"
"$dir/bench/make_corpus" "$dir/training" >/dev/null
sed -n 's/^> //p' "$source"/tests/golden/*.sheet |
    cat - "$source/examples/beispiel.txt" "$dir/training/formulas.txt" \
        "$dir/training/sheet.txt" >"$dir/training/lines.txt"
# Status 1 only says that some lines show an error, as some of these lines must; what they say
# on standard error is no news either.
# The worksheet once more as JSON, the road scripts take for whole sheets: without it that road
# is laid out as if it were never taken.
for json in "" --json; do
    status=0
    lines=$dir/training/lines.txt
    [ -n "$json" ] && lines=$dir/training/sheet.txt
    "$dir/tools/quorvel-calc/quorvel-calc" $json "$lines" >/dev/null 2>&1 || status=$?
    if [ "$status" -gt 1 ]; then
        echo "The run that profiles quorvel-calc${json:+ $json} failed (status $status)." >&2
        exit 1
    fi
done
