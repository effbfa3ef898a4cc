#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# quorvel-calc against GNU units (units -t) per formula beyond the start: each program's CPU time
# on 200,000 formulas less its time on an empty input, the median of ROUNDS runs, the programs
# taking turns. Two sets of make_corpus's common.txt: all of it, and its formulas with function
# calls and bracketed quotients (nested brackets, units composed from base units, «m/s»). With a
# second build folder (a build of another commit) both builds run in the same rounds.
# units is no dependency of the project (apt-get install units); without it this skips.
# Usage: bench/calc_vs_units.sh BUILD_DIR [BASELINE_BUILD_DIR] [ROUNDS]
set -eu
build=$1
base=${2:-}
rounds=${3:-11}
command -v units >/dev/null || { echo "units is not installed: skipped"; exit 0; }
command -v perf >/dev/null || { echo "perf is not installed (linux-perf): skipped"; exit 0; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/make_corpus" "$work" 1 1 2000 >/dev/null
grep -E '[a-z]\(|\)/\(' "$work/common.txt" >"$work/nested.txt"
for set in common nested; do
    : >"$work/$set.200k"
    while [ "$(wc -l <"$work/$set.200k")" -lt 200000 ]; do cat "$work/$set.txt" >>"$work/$set.200k"; done
    head -n 200000 "$work/$set.200k" >"$work/$set.f" && mv "$work/$set.f" "$work/$set.200k"
    # units asks "You have:" and "You want:": an empty line answers the second.
    sed G "$work/$set.200k" >"$work/$set.units"
done
: >"$work/empty"

# CPU milliseconds of one run of the command, standard input from the file.
cpu() {
    input=$1
    shift
    perf stat -x, -e task-clock -o "$work/stat" "$@" <"$input" >/dev/null 2>&1 || true
    grep task-clock "$work/stat" | cut -d, -f1
}
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

programs="new ${base:+base}"
for i in $(seq "$rounds"); do
    for set in common nested; do
        cpu "$work/$set.units" units -t >>"$work/units.$set"
        for who in $programs; do
            dir=$build
            [ "$who" = base ] && dir=$base
            cpu "$work/$set.200k" "$dir/tools/quorvel-calc/quorvel-calc" >>"$work/$who.$set"
        done
    done
    cpu "$work/empty" units -t >>"$work/units.empty"
    for who in $programs; do
        dir=$build
        [ "$who" = base ] && dir=$base
        cpu "$work/empty" "$dir/tools/quorvel-calc/quorvel-calc" >>"$work/$who.empty"
    done
done

# Microseconds per formula beyond the start.
per() { echo "$(median <"$work/$1.$2") $(median <"$work/$1.empty")" | awk '{ printf "%.3f", ($1 - $2) * 1000 / 200000 }'; }
for set in common nested; do
    u=$(per units $set)
    line="$set.txt: units $u us"
    for who in $programs; do
        q=$(per "$who" $set)
        label=$build
        [ "$who" = base ] && label=$base
        line="$line, $label $q us ($(echo "$u $q" | awk '{ printf "%.1f", $1 / $2 }')x)"
    done
    echo "$line (per formula beyond the start, CPU, median of $rounds)"
done
