#!/usr/bin/env bash
# The keypad and the formula library on a desktop with a window manager (openbox), where a click
# activates the window it lands in: after a click on a keypad key the typed keys must still reach
# the page, and after the answer to the formula library's question the "Formeleditor" must be the
# active window again. Also the keypad's first place, which only a window manager can overrule.
# It starts its own virtual display, so that checks running side by side never meet on one.
# Usage: desktop_keypad.sh <cmake> <build dir> [<config>]
set -euo pipefail

cmake_cmd=$1
build_dir=$2
config=${3:-}
for tool in Xvfb openbox xdotool; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done

step="preparing"
app_pid="" wm_pid="" xvfb_pid="" main="" keypad="" editor=""
reported=""
work=$(mktemp -d -t quorvel-desktop.XXXXXX)

fail() {
  reported=1
  echo "FAILED while ${step}: $*" >&2
  exit 1
}

cleanup() {
  local rc=$?
  if ((rc != 0)) && [[ -n $xvfb_pid ]]; then
    echo "--- windows on the display (id, name, process), the active one:" >&2
    for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do
      echo "$w \"$(xdotool getwindowname "$w" 2>/dev/null)\" $(xdotool getwindowpid "$w" 2>/dev/null)"
    done >&2
    echo "\"$(active_name)\"" >&2
  fi
  for pid in "$app_pid" "$wm_pid" "$xvfb_pid"; do
    [[ -n $pid ]] && kill -KILL "$pid" 2>/dev/null || true
  done
  if ((rc != 0)); then
    [[ -n $reported ]] || echo "FAILED while ${step} (exit code ${rc})" >&2
    for f in "$work/app.log" "$work/openbox.log" ${data_dir:+"$data_dir/QV1.rtf"}; do
      [[ -s $f ]] && { echo "--- ${f##*/}:"; cat "$f"; } >&2
    done
  fi
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'fail "interrupted"' INT TERM

# Polls a condition; a busy machine gets its time, a dead program ends the wait at once.
wait_for() {
  local seconds=$1
  shift
  local end=$((SECONDS + seconds))
  until "$@"; do
    ((SECONDS < end)) || return 1
    sleep 0.2
  done
}
windows_named() { xdotool search --all --pid "$app_pid" --onlyvisible --name "$1" || true; }
all_windows() { xdotool search --all --pid "$app_pid" --onlyvisible --class . || true; }
running() {
  kill -0 "$app_pid" 2>/dev/null && return 0
  local rc=0
  wait "$app_pid" || rc=$?
  app_pid=""
  fail "the program ended unexpectedly (exit code $rc)"
}
stopped() { ! kill -0 "$app_pid" 2>/dev/null; }
has_window() { running && [[ -n $(windows_named "$1") ]]; }
active_window() { xdotool getactivewindow 2>/dev/null || true; }
active_is() { running && [[ $(active_window) == "$1" ]]; }
active_name() { xdotool getactivewindow getwindowname 2>/dev/null || echo "(none)"; }
menu_opened() { running && [[ -n $(comm -13 <(echo "$windows_before") <(all_windows | sort)) ]]; }

find_window() {
  wait_for 60 has_window "$2" || fail "no window matching '$2' after 60 s"
  printf -v "$1" '%s' "$(windows_named "$2" | head -n1)"
}

# expect_active WINDOW WHAT: the window manager made WINDOW the active window.
expect_active() {
  wait_for 15 active_is "$1" || fail "$2 is not the active window; \"$(active_name)\" is"
}

start_program() {
  (cd "$work" && exec "$prefix/bin/quorvel") >>"$work/app.log" 2>&1 &
  app_pid=$!
  find_window main '^Quorvel V5\.2$'
  # Whether a new window gets the focus is the window manager's choice; the check begins with
  # the main window active, as after a click into it.
  xdotool windowactivate "$main" 2>/dev/null || true
  expect_active "$main" "the main window"
}

# Opens the menu bar's title number n (0 "Datei", 3 "Ablage") from "Datei", which lies on
# (20, 10) at any usual font size, and walks to the right with the keyboard.
open_menu() {
  windows_before=$(all_windows | sort)
  xdotool mousemove --window "$main" 20 10 click 1
  wait_for 30 menu_opened || fail "the menu \"Datei\" did not open"
  local i
  for ((i = 0; i < $1; ++i)); do xdotool key Right; done
}

exit_through_menu() {
  open_menu 0
  xdotool key Up Return # the last entry of "Datei" is "Ende"
  wait_for 30 stopped || fail "the program did not end after \"Datei\" -> \"Ende\""
  local rc=0
  wait "$app_pid" || rc=$?
  app_pid=""
  ((rc == 0)) || fail "the program ended with exit code $rc"
}

# Clicks at (x, y) inside a window as a hand does, holding the button for a moment; the window
# manager activates the window on the press. (xdotool's own click releases within the same
# millisecond, and X orders focus requests by such timestamps.)
click_in() {
  xdotool mousemove --window "$1" "$2" "$3" mousedown 1
  sleep 0.1
  xdotool mouseup 1
}

step="installing"
prefix=$work/prefix
"$cmake_cmd" --install "$build_dir" --prefix "$prefix" ${config:+--config "$config"} \
  >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; fail "cmake --install failed"; }

export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
export XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# As in user_path.sh: root may write beside the executable, and the program then stays there.
chmod a-w "$prefix/bin"
if [[ -w $prefix/bin ]]; then data_dir=$prefix/bin; else data_dir=$XDG_DATA_HOME/Quorvel; fi

step="starting the display"
# A display number of its own, away from the low numbers other servers on the machine take; a
# number that turns out to be taken is given up for another.
display_up() { kill -0 "$xvfb_pid" 2>/dev/null && DISPLAY=:$1 xdotool getdisplaygeometry >/dev/null 2>&1; }
for attempt in 1 2 3 4 5; do
  n=$((300 + RANDOM % 600))
  [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  if wait_for 30 display_up "$n"; then
    export DISPLAY=:$n
    break
  fi
  kill -KILL "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""
done
[[ -n $xvfb_pid ]] || fail "no display of its own: $(cat "$work/xvfb.log")"
unset XAUTHORITY

step="starting the window manager"
# A window mapped while openbox is still starting may stay unmanaged; --startup runs its command
# once openbox is ready.
openbox --sm-disable --startup "touch $work/wm-ready" ${QUORVEL_E2E_OPENBOX_DEBUG:+--debug-focus} \
  >"$work/openbox.log" 2>&1 &
wm_pid=$!
wait_for 30 test -e "$work/wm-ready" || fail "openbox did not start"

step="starting the program without settings"
start_program

# The keypad's keys are painted, not native widgets: positions come from the key table in
# keypad/keypad_window.cpp (31x31 keys, given by their top left corner in the window).
step="opening the keypad"
xdotool key ctrl+t
find_window keypad '^Tasteneingabe$'
expect_active "$keypad" "the keypad shown by Ctrl+T"
# The window manager's frame lies around the window, so the window itself sits a little right of
# and below the frame's designed place.
eval "$(xdotool getwindowgeometry --shell "$keypad")"
((X >= 409 && X <= 409 + 20 && Y >= 290 && Y <= 290 + 60)) ||
  fail "the keypad's first place is ($X, $Y), not at its designed place (409, 290)"

step="typing after a click on the keypad's \"1\""
click_in "$keypad" $((8 + 15)) $((76 + 15))
expect_active "$main" "the main window after a click on \"1\""
xdotool type --delay 30 -- '+2'
xdotool key Return

step="typing after a double click into the keypad's function box"
xdotool mousemove --window "$keypad" 40 17 mousedown 1
sleep 0.05
xdotool mouseup 1
sleep 0.05
xdotool mousedown 1
sleep 0.05
xdotool mouseup 1
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
wait_for 15 eval '[[ -z $(windows_named "^Bestätigung$") ]]' || fail "the question stayed open"
expect_active "$editor" "the Formeleditor after the answer"

step="leaving"
exit_through_menu

step="checking the files"
[[ -f $data_dir/QV1.rtf ]] || fail "QV1.rtf was not written"
for line in '1+2 = 3' 'sin(0) = 0' 'sqrt(16) = 4'; do
  grep -qF -- "$line\\par" "$data_dir/QV1.rtf" || fail "QV1.rtf lacks the line \"$line\""
done
ini=$(tr -d '\r' <"$data_dir/Quorvel.ini")
grep -qx 'titel0=Probe' <<<"$ini" || fail "Quorvel.ini lacks the stored formula \"Probe\""
! grep -q '^titel1=' <<<"$ini" || fail "Quorvel.ini holds more than the one formula"

step="done"
echo "e2e desktop keypad passed"
