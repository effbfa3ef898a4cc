#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the libFuzzer targets that the fuzz preset built in build-fuzz/ (clang), each for the
# given seconds (60). Their seeds also run in the test command; this looks further, and by hand,
# as a finding wants a person to look at it (./quorvel.sh fuzz builds and then calls this).
# New inputs go to build-fuzz/corpus/<target>/; the seeds in fuzz/corpus/ are only read. A
# finding is written to build-fuzz/findings/ and fails the run after the last target.
#
# Usage: tools/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=build-fuzz

mkdir -p "$out/findings"
failed=()
ran=0
for target in "$out"/fuzz/*_fuzz "$out"/fuzz/*_fuzzer; do
    [ -x "$target" ] || continue
    ran=$((ran + 1))
    name=$(basename "$target")
    options=(-max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096
             -print_final_stats=1 -artifact_prefix="$out/findings/$name-")
    corpora=("$out/corpus/$name" "fuzz/corpus/$name")
    case $name in
        eval_line_fuzz | sheet_fuzz | unit_compiler_fuzz)
            options+=(-dict="$out/fuzz/eval_line.dict") ;;
    esac
    [ "$name" = eval_line_fuzz ] && corpora+=("$out/fuzz/eval_line_seeds")
    mkdir -p "$out/corpus/$name"
    echo "== $name: $seconds s"
    QT_QPA_PLATFORM=offscreen "$target" "${options[@]}" "${corpora[@]}" || failed+=("$name")
done
if [ "$ran" -eq 0 ]; then
    echo "No fuzz target in $out/fuzz/: build them first (cmake --preset fuzz," \
         "cmake --build --preset fuzz)." >&2
    exit 1
fi
if [ ${#failed[@]} -gt 0 ]; then
    echo "Findings in: ${failed[*]} (inputs in $out/findings/)" >&2
    exit 1
fi
