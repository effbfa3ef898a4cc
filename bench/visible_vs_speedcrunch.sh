#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# From launch to a visible window under X (Xvfb with openbox): Quorvel with the worked
# 10,000-line sheet against SpeedCrunch with an empty session, taking turns, median of ROUNDS.
# "Visible" is the first moment the window manager shows a viewable window of the process,
# polled every few milliseconds, the same way for both programs. With a second build folder (a
# build of another commit) its Quorvel runs in the same rounds.
# SpeedCrunch is a Debian package and no dependency of ours: without it, the script says so.
# Usage: bench/visible_vs_speedcrunch.sh BUILD_DIR [BASELINE_BUILD_DIR] [ROUNDS]
set -eu
build=$1
base=${2:-}
rounds=${3:-11}
for tool in speedcrunch Xvfb openbox xdotool; do
    command -v $tool >/dev/null || { echo "$tool is not installed: skipped"; exit 0; }
done
work=$(mktemp -d)
display=:$((50 + $$ % 200))
cleanup() {
    [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null
    [ -n "${xserver:-}" ] && kill "$xserver" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xserver=$!
export DISPLAY=$display
sleep 1
openbox >/dev/null 2>&1 &
wm=$!
sleep 1
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

# The program folder is the executable's own when that is writable: each run gets a fresh copy
# of the prepared folder with the executable beside the pages.
mkdir "$work/sheet"
QT_QPA_PLATFORM=offscreen "$build/bench/startup_bench" --prepare "$work/sheet" sheet 2>/dev/null

now() { date +%s%N; }
# Milliseconds from launching "$@" to a viewable window of its process; the process is ended.
visible_ms() {
    start=$(now)
    "$@" >/dev/null 2>&1 &
    pid=$!
    while ! xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do
        kill -0 "$pid" 2>/dev/null || { echo "failed"; return; }
    done
    shown=$(now)
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo $(((shown - start) / 1000000))
}
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

for i in $(seq "$rounds"); do
    for who in new ${base:+base}; do
        dir=$build
        [ "$who" = base ] && dir=$base
        rm -rf "$work/run"
        cp -r "$work/sheet" "$work/run"
        cp "$dir/quorvel" "$work/run/"
        visible_ms "$work/run/quorvel" >>"$work/$who"
    done
    rm -rf "$work/home"
    mkdir "$work/home"
    HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share \
        visible_ms speedcrunch >>"$work/speedcrunch"
done
sc=$(median <"$work/speedcrunch")
echo "SpeedCrunch, empty session: $sc ms (launch -> visible, median of $rounds)"
for who in new ${base:+base}; do
    label=$build
    [ "$who" = base ] && label=$base
    ms=$(median <"$work/$who")
    echo "$label: $ms ms, $(echo "$ms $sc" | awk '{ printf "%.2f", $1 / $2 }')x SpeedCrunch (10,000-line sheet)"
done
