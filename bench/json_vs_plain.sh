#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# quorvel-calc --json against plain text on a million worksheet lines: CPU time of each (median
# of ROUNDS runs, the two taking turns) and their ratio. With a second program (a build of
# another commit) both are timed in the same rounds, so that their figures can be compared.
# Usage: bench/json_vs_plain.sh BUILD_DIR [BASELINE_BUILD_DIR] [ROUNDS]
set -eu
build=$1
base=${2:-}
rounds=${3:-11}
command -v perf >/dev/null || { echo "perf is not installed (linux-perf): skipped"; exit 0; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/make_corpus" "$work" 1 10000 1 >/dev/null
for i in $(seq 100); do cat "$work/sheet.txt"; done >"$work/1m.txt"

# CPU milliseconds of one run of the command.
cpu() {
    perf stat -x, -e task-clock -o "$work/stat" "$@" >/dev/null 2>&1 || true
    grep task-clock "$work/stat" | cut -d, -f1
}
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

for i in $(seq "$rounds"); do
    for who in new ${base:+base}; do
        dir=$build
        [ "$who" = base ] && dir=$base
        calc=$dir/tools/quorvel-calc/quorvel-calc
        cpu "$calc" "$work/1m.txt" >>"$work/$who.plain"
        cpu "$calc" --json "$work/1m.txt" >>"$work/$who.json"
    done
done
for who in new ${base:+base}; do
    plain=$(median <"$work/$who.plain")
    json=$(median <"$work/$who.json")
    label=$build
    [ "$who" = base ] && label=$base
    echo "$label: plain $plain ms, --json $json ms, --json/plain $(echo "$json $plain" |
        awk '{ printf "%.2f", $1 / $2 }')x (1,000,000 lines, CPU, median of $rounds)"
done
