#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The keypad and the formula library on a desktop with a window manager (openbox), where a click
# activates the window it lands in: shown by Ctrl+T or at start, the keypad leaves the keyboard
# with the page, F6 takes it into the keypad and Esc back; after a click on a keypad key the typed
# keys must still reach the page, and after the answer to the formula library's question the
# "Formeleditor" must be the active window again. Also the keypad's first place, which only a
# window manager can overrule.
# It starts its own virtual display, so that checks running side by side never meet on one.
# Usage: desktop_keypad.sh <cmake> <build dir> [<config>]
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
e2e_begin quorvel-desktop "$@"
require_tools Xvfb openbox xdotool
window_wait=60
keypad="" editor=""

install_program
private_user
start_display
start_window_manager

step="starting the program without settings"
start_program

# The keypad's keys are painted, not native widgets: positions come from the key table in
# keypad/keypad_window.cpp (31x31 keys, given by their top left corner in the window).
step="opening the keypad"
xdotool key ctrl+t
find_window keypad '^Tasteneingabe$'
sleep 0.5
expect_active "$main" "the main window after Ctrl+T"
type_lines '2*3'
# The window manager's frame lies around the window, so the window itself sits a little right of
# and below the frame's designed place.
eval "$(xdotool getwindowgeometry --shell "$keypad")"
((X >= 409 && X <= 409 + 20 && Y >= 290 && Y <= 290 + 60)) ||
  fail "the keypad's first place is ($X, $Y), not at its designed place (409, 290)"

step="F6 into the keypad, Esc back"
xdotool key F6
expect_active "$keypad" "the keypad after F6"
xdotool key Escape
expect_active "$main" "the main window after Esc in the keypad"
# Enter in the function box inserts the function, "sin()", and gives the page the keyboard.
xdotool key F6
expect_active "$keypad" "the keypad after F6"
xdotool key Return
expect_active "$main" "the main window after Enter in the function box"
xdotool type --delay 30 -- '0'
xdotool key End Return

step="typing after a click on the keypad's \"1\""
click_in "$keypad" $((8 + 15)) $((76 + 15))
expect_active "$main" "the main window after a click on \"1\""
xdotool type --delay 30 -- '+2'
xdotool key Return

step="typing after a double click into the keypad's function box"
# Both clicks from one xdotool: separate calls, delayed on a busy machine, can fall further apart
# than the double-click interval and arrive as two single clicks, which keep the box's focus.
xdotool mousemove --window "$keypad" 40 17 click --repeat 2 --delay 60 1
expect_active "$main" "the main window after the double click"
xdotool type --delay 30 -- '0'
xdotool key Return

step="typing after a click on the keypad's \"sqrt\""
click_in "$keypad" $((72 + 15)) $((40 + 15))
expect_active "$main" "the main window after a click on \"sqrt\""
xdotool type --delay 30 -- '16'
xdotool key Return

step="opening the Formeleditor with the page's text"
xdotool key ctrl+a
open_menu 3
xdotool key Down Return # "Bearbeiten...", the first entry of "Ablage"
find_window editor '^Formeleditor$'
expect_active "$editor" "the Formeleditor"

step="storing a formula, then storing it again"
# The title field has the focus with "Neue Formel" selected; Enter is "Merken".
xdotool type --delay 30 -- 'Probe'
xdotool key Return
sleep 0.5
xdotool key Return
question=""
find_window question '^Bestätigung$'
expect_active "$question" "the question \"Formel existiert, überschreiben?\""
xdotool key Return # "Ja", the default button
wait_for 15 lacks_window '^Bestätigung$' || fail "the question stayed open"
expect_active "$editor" "the Formeleditor after the answer"

step="leaving with the keypad open"
exit_through_menu
expect_lines "$data_dir/QV1.rtf" '2*3 = 6' 'sin(0) = 0' '1+2 = 3' 'sqrt(16) = 4'

# The keypad comes back with the program and leaves the keyboard with the page. Started as a
# launcher starts it, without a click into any window afterwards.
step="the keypad at start"
(cd "$work" && exec "$prefix/bin/quorvel") >>"$work/app.log" 2>&1 &
app_pid=$!
find_window main '^Quorvel V5\.2$'
find_window keypad '^Tasteneingabe$'
sleep 1
[[ $(active_window) != "$keypad" ]] || fail "the keypad took the keyboard at start"
# Whether openbox gives the new main window the keyboard is its choice; the user's click does.
[[ $(active_window) == "$main" ]] || activate "$main" "the main window"
xdotool key ctrl+End
type_lines '2+2'
exit_through_menu

step="checking the files"
expect_lines "$data_dir/QV1.rtf" '2*3 = 6' '2+2 = 4'
ini=$(tr -d '\r' <"$data_dir/Quorvel.ini")
grep -qx 'titel0=Probe' <<<"$ini" || fail "Quorvel.ini lacks the stored formula \"Probe\""
! grep -q '^titel1=' <<<"$ini" || fail "Quorvel.ini holds more than the one formula"

step="done"
echo "e2e desktop keypad passed"
