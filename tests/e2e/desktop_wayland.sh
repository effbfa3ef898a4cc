#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed program as a native Wayland client under weston (10, the one of Debian 12). Weston
# runs nested in a virtual X display, so that xdotool can click and type through it and the
# screen can be read back. Checked: Quorvel chooses Wayland by itself when the session offers it;
# the keypad, which weston makes the active window when it appears, leaves the typed keys with the
# page, and F6 takes them into its fields; with the keypad open, a click on the page gives the
# page the keyboard, and so does a click on a key of the keypad; "Fenster oben" moves no window;
# the places an earlier X11 session stored survive a Wayland session (the sizes and the maximised
# state are kept); a second start ends with status 0 and says why the running window may not come
# to the front (weston offers no xdg-activation); after kill -9 the next start's note, again made
# the active window by weston, leaves the typed keys with the page and is closed with F6, Enter.
# Usage: desktop_wayland.sh <cmake> <build dir> [<config>]
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
e2e_begin quorvel-wayland "$@"
require_tools Xvfb weston xdotool import compare identify
failure_logs=(app.log weston.log second.log)
socket=quorvel-e2e

# The compositor's output is an X window at 0,0 of the virtual display, 1:1: a point of the
# screen is a point of weston's desktop.
compositor_up() {
  kill -0 "$wm_pid" 2>/dev/null || fail "weston ended: $(tail -5 "$work/weston.log")"
  [[ -S $XDG_RUNTIME_DIR/$socket ]] && [[ -n $(xdotool search --class '^Weston Compositor$' 2>/dev/null) ]]
}
start_compositor() {
  step="starting weston"
  # No panel (its clock would change the screen), a plain background, no on-screen keyboard.
  printf '[core]\nidle-time=0\n[shell]\npanel-position=none\nbackground-color=0xff204060\n[input-method]\npath=\n' \
    >"$work/weston.ini"
  weston --config="$work/weston.ini" --backend=x11-backend.so --width=1024 --height=768 \
    --socket="$socket" >"$work/weston.log" 2>&1 &
  wm_pid=$!
  disown "$wm_pid"
  wait_for 30 compositor_up || fail "weston did not start"
  # Keys reach weston through its X window.
  xdotool windowfocus "$(xdotool search --class '^Weston Compositor$' | head -n1)"
}

grab() { import -window root "$1" 2>/dev/null; }
# Whether the screen shows the page's paper at x y and 30 pixels around it (the keypad's fields
# are white too, but lower than that).
white_at() { import -window root -crop "1x1+$1+$2" +repage txt:- 2>/dev/null | grep -q '#FFFFFF'; }
paper_at() { white_at "$1" "$2" && white_at $(($1 - 30)) "$2" && white_at $(($1 + 30)) "$2" &&
  white_at "$1" $(($2 - 30)) && white_at "$1" $(($2 + 30)); }
# A point of the page that no other window covers: weston places new windows where it likes.
page_point=""
find_page() {
  running || return 1
  local p
  for p in "300 600" "750 600" "300 300" "750 300" "512 450"; do
    # shellcheck disable=SC2086
    if paper_at $p; then
      page_point=$p
      return 0
    fi
  done
  return 1
}
click_page() {
  find_page || fail "no part of the page is to be seen"
  # shellcheck disable=SC2086
  xdotool mousemove $page_point mousedown 1
  sleep 0.1
  xdotool mouseup 1
  sleep 0.5
}

start_wayland_program() {
  # The session says Wayland, and the X display weston runs in is still there: Quorvel must
  # choose Wayland by itself.
  (cd "$work" && exec env -u QT_QPA_PLATFORM WAYLAND_DISPLAY="$socket" XDG_SESSION_TYPE=wayland \
    "$prefix/bin/quorvel") >>"$work/app.log" 2>&1 &
  app_pid=$!
  wait_for "$window_wait" find_page || fail "the main window did not appear under weston"
  [[ -z $(xdotool search --pid "$app_pid" 2>/dev/null) ]] ||
    fail "Quorvel opened X11 windows instead of running as a Wayland client"
}

ini_has() { grep -qx -- "$1" <<<"$ini" || fail "Quorvel.ini lacks \"$1\":"$'\n'"$ini"; }

install_program
private_user
start_display
start_compositor
window_wait=60

# An X11 session left its places: the main window maximised over a normal 600x400 at 45,123,
# the keypad at 444,333. A Wayland session cannot know places and must not lose these.
step="starting with the places of an X11 session"
mkdir -p "$data_dir"
printf '[Form1]\r\ntop=123\r\nleft=45\r\nwidth=600\r\nheight=400\r\nmaximized=1\r\n\r\n[Form2]\r\ntop=333\r\nleft=444\r\nvisible=0\r\n\r\n' \
  >"$data_dir/Quorvel.ini"
start_wayland_program

# Weston puts the keypad where it likes: it is found as what changed on the screen when it
# opened. Below the page's first line, where the caret blinks; its frame's bottom edge is whole.
step="opening the keypad"
xdotool mousemove 1020 760 # away from every tool tip
sleep 0.5
import -window root -crop 1024x668+0+100 +repage "$work/without.png"
xdotool key ctrl+t
sleep 2
running
import -window root -crop 1024x668+0+100 +repage "$work/with.png"
compare "$work/without.png" "$work/with.png" -compose Src -highlight-color white \
  -lowlight-color black "$work/keypad-diff.png" 2>/dev/null || true
read -r kw kh kx ky <<<"$(identify -format '%@' "$work/keypad-diff.png" | tr 'x+' '  ')"
# The client area, 185x247, in a frame of equal borders left, right and below (the title bar
# above it is part of the frame).
border=$(((kw - 185) / 2))
((kw >= 185 && kw <= 205)) || fail "no keypad-sized window appeared (${kw}x${kh} changed)"
keypad_x=$((kx + border))
keypad_y=$((100 + ky + kh - border - 247))

# Weston gives the new keypad the keyboard; what is typed goes on into the page.
step="typing with the keypad just opened"
xdotool type --delay 40 -- '5*5'
xdotool key Return
sleep 0.5

# F6 goes into the keypad's function box, Tab on to "Fenster oben".
step="\"Fenster oben\" moves no window"
xdotool key F6 Tab
sleep 1
grab "$work/before.png"
xdotool key space
sleep 2
running
grab "$work/after.png"
changed=$(compare -metric AE "$work/before.png" "$work/after.png" null: 2>&1 || true)
# The check mark is a few hundred pixels; a window placed anew or re-created is tens of
# thousands.
[[ $changed =~ ^[0-9]+$ ]] && ((changed < 3000)) ||
  fail "the screen changed in $changed pixels when \"Fenster oben\" was checked"
xdotool key Escape # the keyboard back to the page

# Weston leaves the keyboard with the keypad after a click on a key; what is typed goes on into
# the page. The keys' places come from the key table in gui/keypad/keypad_window.cpp.
step="typing after a click on the keypad's \"1\""
xdotool mousemove $((keypad_x + 8 + 15)) $((keypad_y + 76 + 15)) mousedown 1
sleep 0.1
xdotool mouseup 1
sleep 0.5
xdotool type --delay 40 -- '+2'
xdotool key Return
sleep 0.5

step="typing into the page with the keypad open"
click_page
xdotool type --delay 40 -- '7*6'
xdotool key Return
sleep 0.5

step="a second start while the first copy runs"
second_rc=0
(cd "$work" && exec env -u QT_QPA_PLATFORM -u XDG_ACTIVATION_TOKEN WAYLAND_DISPLAY="$socket" \
  XDG_SESSION_TYPE=wayland timeout 60 "$prefix/bin/quorvel") >"$work/second.log" 2>&1 || second_rc=$?
((second_rc == 0)) || fail "the second start ended with exit code $second_rc"
grep -q 'xdg-activation' "$work/second.log" ||
  fail "the second start did not say why the window may not come to the front"
running

step="leaving with Ctrl+Q"
click_page
xdotool key ctrl+q
expect_end 0 "the program did not end after Ctrl+Q"

step="checking the files"
expect_lines "$data_dir/QV1.rtf" '5*5 = 25' '1+2 = 3' '7*6 = 42'
ini=$(tr -d '\r' <"$data_dir/Quorvel.ini")
for line in top=123 left=45 width=600 height=400 maximized=1 top=333 left=444 CBOnTop=1 \
  'ComboBox1.text=sin()'; do
  ini_has "$line"
done
! grep -q -- '-30$\|=-3$' <<<"$ini" || fail "Quorvel.ini holds a place Wayland cannot report"

# A start after kill -9 says so in a note, which weston, as every new window, makes the active
# window: the typed keys go on to the page, F6 reaches the note's "OK" and Enter closes it, and
# Ctrl+Q, passed on to the main window, ends the program.
step="kill -9 under weston"
start_wayland_program
sleep 2
xdotool key ctrl+End
xdotool type --delay 40 -- 'k = 2*3'
xdotool key Return
sleep 2.5
{ kill -KILL "$app_pid" && wait "$app_pid"; } 2>/dev/null || true
app_pid=""

step="typing beside the note of the next start"
start_wayland_program
sleep 3
xdotool key ctrl+End
xdotool type --delay 40 -- 'n = 7*7'
xdotool key Return
sleep 1
grab "$work/with-note.png"
xdotool key F6 Return
sleep 2
running
grab "$work/without-note.png"
changed=$(compare -metric AE "$work/with-note.png" "$work/without-note.png" null: 2>&1 || true)
[[ $changed =~ ^[0-9]+$ ]] && ((changed > 20000)) ||
  fail "F6 and Enter did not close the note ($changed pixels changed)"
xdotool key ctrl+q
expect_end 0 "the program did not end after Ctrl+Q beside the keypad"
expect_lines "$data_dir/QV1.rtf" '5*5 = 25' 'k = 2*3 = 6' 'n = 7*7 = 49'

step="done"
echo "e2e desktop wayland passed"
