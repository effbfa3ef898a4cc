#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed program on a desktop with a window manager (openbox), as a user meets it: the
# version asked without a display, Enter in the font dialog, Alt+D, Ctrl+P and the print preview
# by keyboard alone, a second start while the first copy runs, and a start after a copy was
# killed.
# It starts its own virtual display, so that checks running side by side never meet on one.
# Usage: desktop_session.sh <cmake> <build dir> [<config>]
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
e2e_begin quorvel-desktop "$@"
require_tools Xvfb openbox xdotool xprop
active_wait=10
failure_logs+=(second.log)
dialog=""

# Here the menu "Datei" is opened as a keyboard user does, which also checks its Alt+letter.
open_file_menu() {
  windows_before=$(all_windows | sort)
  xdotool key --clearmodifiers alt+d
  wait_for 30 menu_opened || fail "Alt+D did not open the menu \"Datei\""
}

install_program
private_user

step="asking for the version without a display"
version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/quorvel" --version) ||
  fail "quorvel --version ended with exit code $?"
# The version comes from project() in CMakeLists.txt, passed in by the test's environment.
[[ ${version%%$'\n'*} == "Quorvel V${QUORVEL_VERSION:?}" ]] || fail "quorvel --version answered \"$version\""

start_display
start_window_manager

step="the first copy: starting"
start_program
type_lines 'a = 1m'

# Enter in the font dialog confirms it from the field that has the focus when it opens; the
# page gets no line break from it.
step="Enter in the font dialog"
xdotool key ctrl+f
find_window dialog '^Schriftart$'
wait_for 10 active_is "$dialog" || fail "the font dialog is not the active window"
xdotool key Return
wait_for 20 lacks_window '^Schriftart$' || fail "Enter did not close the font dialog"
wait_for 10 active_is "$main" || fail "the main window is not active after the font dialog"

# A size typed into the size field and confirmed with Enter reaches the text.
step="the font dialog's size field and Enter"
xdotool key ctrl+a ctrl+f
find_window dialog '^Schriftart$'
wait_for 10 active_is "$dialog" || fail "the font dialog is not the active window"
# From the font name list, where the focus is at the opening, two fields on: the size list,
# where typing picks an entry.
xdotool key Tab Tab
xdotool type --delay 30 -- '20'
xdotool key Return
wait_for 20 lacks_window '^Schriftart$' || fail "Enter in the size field did not close the dialog"
wait_for 10 active_is "$main" || fail "the main window is not active after the font dialog"
xdotool key ctrl+End

step="Alt+D"
open_file_menu
# The first Esc closes the menu, the second leaves the menu bar for the page.
xdotool key Escape
wait_for 10 menu_closed || fail "Esc did not close the menu"
xdotool key Escape

# Ctrl+P reaches the system's print dialog at once; the preview ("Datei" -> "Druckvorschau...")
# reaches it with Alt+D and closes with Alt+C.
step="Ctrl+P"
xdotool key ctrl+p
find_window dialog '^Drucken$'
wait_for 10 active_is "$dialog" || fail "the print dialog is not the active window"
xdotool key Escape
wait_for 20 lacks_window '^Drucken$' || fail "Esc did not close the print dialog"
wait_for 10 active_is "$main" || fail "the main window is not active after the print dialog"

step="the print preview by keyboard"
open_file_menu
xdotool key v # "Druck&vorschau..."
preview=""
find_window preview '^Druckvorschau$'
wait_for 10 active_is "$preview" || fail "the print preview is not the active window"
xdotool key --clearmodifiers alt+d
find_window dialog '^Drucken$'
wait_for 10 active_is "$dialog" || fail "Alt+D in the preview did not open the print dialog"
xdotool key Escape
wait_for 20 lacks_window '^Drucken$' || fail "Esc did not close the print dialog"
wait_for 10 active_is "$preview" || fail "the preview is not active after the print dialog"
xdotool key --clearmodifiers alt+c
wait_for 20 lacks_window '^Druckvorschau$' || fail "Alt+C did not close the preview"
wait_for 10 active_is "$main" || fail "the main window is not active after the preview"

# The second start finds the first copy minimised behind nothing: it must bring it back and end.
step="a second start while the first copy runs"
xdotool windowminimize "$main"
wait_for 10 lacks_window '^Quorvel V5\.2$' || fail "the main window could not be minimised"
second_rc=0
# As a launcher starts it: with a startup ID, which the running copy's window takes over.
(cd "$work" && DESKTOP_STARTUP_ID=quorvel-e2e-second timeout 60 "$prefix/bin/quorvel") \
  >"$work/second.log" 2>&1 || second_rc=$?
((second_rc == 0)) || fail "the second start ended with exit code $second_rc"
wait_for 20 has_window '^Quorvel V5\.2$' || fail "the first copy's window did not come back"
wait_for 20 active_is "$main" || fail "the first copy's window is not in front"
xprop -id "$main" _NET_STARTUP_ID | grep -qF '"quorvel-e2e-second"' ||
  fail "the first copy did not activate with the second start's startup ID"
type_lines 'b = 2m'

step="the first copy: leaving"
exit_through_menu

step="checking the pages of the first copy"
expect_lines "$data_dir/QV1.rtf" 'a = 1m' 'b = 2m'
grep -qF '\fs40' "$data_dir/QV1.rtf" || fail "the size 20 from the font dialog is not in QV1.rtf"
grep -qF 'a = 1md' "$data_dir/QV1.rtf" && fail "Alt+D typed a \"d\" into the page"

# A killed copy leaves its lock file; the next start must not take it for a running copy.
step="a start after a killed copy"
start_program
{ kill -KILL "$app_pid" && wait "$app_pid"; } 2>/dev/null || true
app_pid=""
[[ -e $data_dir/Quorvel.lock ]] || fail "the killed copy left no lock file (where is it kept?)"
start_program
xdotool key ctrl+End
type_lines 'c = 3m'
exit_through_menu
expect_lines "$data_dir/QV1.rtf" 'a = 1m' 'b = 2m' 'c = 3m'

step="done"
echo "e2e desktop session passed"
