#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed program ended in the ways a user's machine ends programs, on a desktop with a
# window manager (openbox): a FIFO under the name of a page file, kill -9 after typing, the X
# server killed under it after typing, and "Ende" while the unit definitions window holds a
# definition that fails. After each, the next start must show what was typed, and no process may
# be left without a window.
# It starts its own virtual display, so that checks running side by side never meet on one.
# Usage: abrupt_endings.sh <cmake> <build dir> [<config>]
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
e2e_begin quorvel-endings "$@"
require_tools Xvfb openbox xdotool
note=""

install_program
private_user
mkdir -p "$data_dir"
start_display
start_window_manager

# A start after an abnormal end, or one that found something odd, says so in a note that does not
# wait: it is there, and the main window works behind it.
dismiss_note() {
  find_window note '^Quorvel$'
  activate "$note" "the note"
  xdotool key Return
  wait_for 10 lacks_window '^Quorvel$' || fail "the note did not close"
  activate "$main" "the main window after the note"
}

# Ends the program through "Datei" -> "Ende", answering a box that names a page not saved.
exit_answering_box() {
  open_file_menu
  xdotool key Up Return
  find_window note '^Quorvel$'
  activate "$note" "the box at the exit"
  # "Trotzdem beenden": the page cannot be written there, as the start said.
  xdotool key alt+b
  expect_end 0 "the program did not end after the box"
}

step="a FIFO as the page file QV1.rtf"
mkfifo "$data_dir/QV1.rtf"
start_program
dismiss_note
type_lines 'f = 1m'
exit_answering_box
[[ -p $data_dir/QV1.rtf ]] || fail "QV1.rtf is no longer the FIFO"
[[ -z $(find "$data_dir" -name '*.neu' -o -name 'QV1.rtf.??????') ]] ||
  fail "temporary files were left: $(ls "$data_dir")"
rm "$data_dir/QV1.rtf"

step="kill -9 two seconds after typing"
start_program
type_lines 'k1 = 1m' 'k2 = k1*2'
sleep 2.5
{ kill -KILL "$app_pid" && wait "$app_pid"; } 2>/dev/null || true
app_pid=""
start_program
# The note waits beside the page, which keeps the keyboard.
find_window note '^Quorvel$'
sleep 0.5
expect_active "$main" "the main window beside the note"
xdotool key ctrl+End
type_lines 'k3 = 5m'
dismiss_note
exit_through_menu
expect_lines "$data_dir/QV1.rtf" 'k1 = 1m' 'k2 = k1*2 = 2m' 'k3 = 5m'

step="the X server killed right after typing"
start_program
xdotool key ctrl+End
type_lines 'x1 = 3m' 'x2 = x1*2'
# Within the second in which the records wait for the writer's next batch.
sleep 0.3
kill -KILL "$xvfb_pid" "$wm_pid"
xvfb_pid="" wm_pid=""
expect_end 1 "the program outlived its display"
start_display
start_window_manager
start_program
dismiss_note
exit_through_menu
expect_lines "$data_dir/QV1.rtf" 'k1 = 1m' 'x1 = 3m' 'x2 = x1*2 = 6m'

# The main window closes while the unit definitions window refuses to: the program must end, with
# the definition as it was typed, rather than run on without a window.
step="Ende while a unit definition fails"
start_program
xdotool key ctrl+e
find_window units '^Einheit eingeben$'
activate "$units" "the unit definitions window"
xdotool key ctrl+Home
xdotool type --delay 30 -- 'zz = 1qq'
xdotool key Return
activate "$main" "the main window"
xdotool key ctrl+q
expect_end 0 "the program runs on after \"Ende\" on its main window"
grep -q 'zz = 1qq' "$data_dir/Quorvel.ini" || fail "the typed definition was not saved"

step="done"
echo "e2e abrupt endings passed"
