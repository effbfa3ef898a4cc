# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers shared by the end-to-end checks that drive the installed program on an X display with
# xdotool. Sourced, not run: each check begins with
#   source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
#   e2e_begin <name for the work folder> "$@"
# and may then change the settings below or define a helper of its own after this file, where
# it overrides the shared one.
#
# Settings a check may change after e2e_begin:
#   window_wait   seconds find_window waits for a window (a busy machine needs them)
#   active_wait   seconds activate and expect_active wait for the window manager
#   failure_logs  files of the work folder shown when the check fails

# e2e_begin NAME CMAKE BUILD-DIR [CONFIG]: the arguments every check takes, its work folder and
# the cleanup that runs however it ends.
e2e_begin() {
  local name=$1
  shift
  cmake_cmd=$1
  build_dir=$2
  config=${3:-}
  step="preparing"
  app_pid="" wm_pid="" xvfb_pid="" main=""
  reported=""
  data_dir=""
  window_wait=30
  active_wait=15
  failure_logs=(app.log openbox.log)
  work=$(mktemp -d -t "$name.XXXXXX")
  trap cleanup EXIT
  trap 'fail "interrupted"' INT TERM
}

# require_tools TOOL...: a missing tool is named rather than found out halfway through.
require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
  done
}

fail() {
  reported=1
  echo "FAILED while ${step}: $*" >&2
  exit 1
}

cleanup() {
  local rc=$? pid f w
  # On a display of its own every window there is the check's; they tell which one had the
  # keyboard when it went wrong.
  if ((rc != 0)) && [[ -n $xvfb_pid ]]; then
    echo "--- windows on the display (id, name, process), the active one:" >&2
    for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do
      echo "$w \"$(xdotool getwindowname "$w" 2>/dev/null)\" $(xdotool getwindowpid "$w" 2>/dev/null)"
    done >&2
    echo "\"$(active_name)\"" >&2
  fi
  # A program left running would hold the display and the test's folder; the display goes last.
  for pid in "$app_pid" "$wm_pid" "$xvfb_pid"; do
    [[ -n $pid ]] && kill -KILL "$pid" 2>/dev/null || true
  done
  if ((rc != 0)); then
    [[ -n $reported ]] || echo "FAILED while ${step} (exit code ${rc})" >&2
    for f in "${failure_logs[@]/#/$work/}" ${data_dir:+"$data_dir/QV1.rtf"}; do
      [[ -s $f ]] && { echo "--- ${f##*/}:"; cat "$f"; } >&2
    done
  fi
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}

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

# The program's own visible windows; xdotool fails when there is none. Menus have a class but
# no plain window name.
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
lacks_window() { running && [[ -z $(windows_named "$1") ]]; }
focus_is() { [[ $(xdotool getwindowfocus 2>/dev/null || true) == "$1" ]]; }
# The active window as the window manager sees it: the one in front with the keyboard.
active_window() { xdotool getactivewindow 2>/dev/null || true; }
active_is() { running && [[ $(active_window) == "$1" ]]; }
active_name() { xdotool getactivewindow getwindowname 2>/dev/null || echo "(none)"; }
# A menu is a window of its own that was not there when windows_before was taken.
menu_opened() { running && [[ -n $(comm -13 <(echo "$windows_before") <(all_windows | sort)) ]]; }
menu_closed() { running && [[ -z $(comm -13 <(echo "$windows_before") <(all_windows | sort)) ]]; }

# find_window VARIABLE TITLE-REGEX: waits for the window and stores its id.
find_window() {
  wait_for "$window_wait" has_window "$2" || fail "no window matching '$2' after $window_wait s"
  printf -v "$1" '%s' "$(windows_named "$2" | head -n1)"
}

# Without a window manager: the keyboard focus is set directly.
focus() {
  xdotool windowfocus "$1"
  wait_for 10 focus_is "$1" || fail "window $1 did not get the keyboard focus"
}

# expect_active WINDOW WHAT: the window manager made WINDOW the active window.
expect_active() {
  wait_for "$active_wait" active_is "$1" || fail "$2 is not the active window; \"$(active_name)\" is"
}

# With a window manager: it is asked to activate the window, and decides.
activate() {
  xdotool windowactivate "$1" 2>/dev/null || true
  expect_active "$1" "${2:-window $1}"
}

# Starts the installed program in the work folder and waits for its main window. With a window
# manager, whether a new window gets the focus is its choice; the checks begin with the main
# window active, as after a click into it.
start_program() {
  (cd "$work" && exec "$prefix/bin/quorvel") >>"$work/app.log" 2>&1 &
  app_pid=$!
  find_window main '^Quorvel V5\.2$'
  [[ -z $wm_pid ]] || activate "$main" "the main window"
}

# "Datei" is the menu bar's first title, and (20, 10) lies on it at any usual font size. A check
# that opens it another way defines its own open_file_menu.
open_file_menu() {
  windows_before=$(all_windows | sort)
  xdotool mousemove --window "$main" 20 10 click 1
  # The menu is a window of its own; keys sent before it is there would edit the sheet.
  wait_for 30 menu_opened || fail "the menu \"Datei\" did not open"
}

# open_menu N: the menu bar's title number N (0 "Datei", 3 "Ablage"), reached from "Datei" by
# walking to the right with the keyboard.
open_menu() {
  open_file_menu
  local i
  for ((i = 0; i < $1; ++i)); do xdotool key Right; done
}

# Up selects the last entry of "Datei", "Ende". Without a window manager Alt+F4 does nothing, and
# only the normal exit runs the code that writes the settings and the pages.
exit_through_menu() {
  open_file_menu
  xdotool key Up Return
  expect_end 0 "the program did not end after \"Datei\" -> \"Ende\""
}

# expect_end STATUS MESSAGE: the program ends within 30 s (else MESSAGE) with that exit status.
expect_end() {
  wait_for 30 stopped || fail "$2"
  local rc=0
  wait "$app_pid" || rc=$?
  app_pid=""
  ((rc == $1)) || fail "the program ended with exit code $rc, not $1"
}

# click_in WINDOW X Y: a click as a hand does it, holding the button for a moment; the window
# manager activates the window on the press. (xdotool's own click releases within the same
# millisecond, and X orders focus requests by such timestamps.)
click_in() {
  xdotool mousemove --window "$1" "$2" "$3" mousedown 1
  sleep 0.1
  xdotool mouseup 1
}

type_lines() {
  local line
  for line in "$@"; do
    xdotool type --delay 30 -- "$line"
    xdotool key Return
  done
}

# Plain ASCII lines stand in the page file as typed; "\par" ends each, so a line that only
# begins as expected does not pass.
expect_lines() {
  local file=$1 line
  shift
  [[ -f $file ]] || fail "${file##*/} was not written"
  for line in "$@"; do
    grep -qF -- "$line\\par" "$file" || fail "${file##*/} lacks the line \"$line\""
  done
}

# Installs the build into the work folder, where the program finds nothing of an earlier run. The
# install names its component, so its record goes to a manifest of its own: install_manifest.txt
# keeps describing the user's own installation.
install_program() {
  step="installing"
  prefix=$work/prefix
  "$cmake_cmd" --install "$build_dir" --prefix "$prefix" \
    --component "${QUORVEL_INSTALL_COMPONENT:-quorvel}" ${config:+--config "$config"} \
    >"$work/install.log" 2>&1 ||
    { cat "$work/install.log" >&2; fail "cmake --install failed"; }
}

# Nothing of the user's own home may be touched; the program finds its per-user folder here.
# An installed program keeps its files per user, also where it could write into its bin folder
# (as here, and always as root): data_dir must hold them, other_dir must not.
private_user() {
  export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
  export XDG_CACHE_HOME=$work/cache XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/runtime
  export QT_QPA_PLATFORM=xcb
  mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME" \
    "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  data_dir=$XDG_DATA_HOME/Quorvel other_dir=$prefix/bin
}

# A virtual display of its own, so that checks running side by side never meet on one. The server
# picks the number itself (-displayfd): it takes the first one it can listen on, where a number
# chosen here can belong to a server this check cannot see (its lock file in another /tmp, its
# abstract socket shared), so that a client would reach that server and lose it when it ends.
# The number is complete with its newline; read fails before it.
display_named() { local n; read -r n <"$work/display-number" && [[ -n $n ]]; }
display_up() { kill -0 "$xvfb_pid" 2>/dev/null && DISPLAY=:$1 xdotool getdisplaygeometry >/dev/null 2>&1; }
start_display() {
  step="starting the display"
  local n
  : >"$work/display-number"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 \
    3>"$work/display-number" &
  xvfb_pid=$!
  disown "$xvfb_pid" # ended by the cleanup; no job report
  wait_for 30 display_named || fail "the display did not start: $(cat "$work/xvfb.log")"
  n=$(<"$work/display-number")
  wait_for 30 display_up "$n" || fail "display :$n does not answer: $(cat "$work/xvfb.log")"
  export DISPLAY=:$n
  # The display has no access control; an inherited authority file belongs to another one.
  unset XAUTHORITY
}

# A window mapped while openbox is still starting may stay unmanaged; --startup runs its command
# once openbox is ready.
wm_ready() { kill -0 "$wm_pid" 2>/dev/null || fail "openbox ended"; [[ -e $work/wm-ready ]]; }
start_window_manager() {
  step="starting the window manager"
  # The mark of an earlier openbox (a check that restarts its display) says nothing about this one.
  rm -f "$work/wm-ready"
  openbox --sm-disable --startup "touch $work/wm-ready" ${QUORVEL_E2E_OPENBOX_DEBUG:+--debug-focus} \
    >"$work/openbox.log" 2>&1 &
  wm_pid=$!
  disown "$wm_pid" # ended by the cleanup or with the display; no job report
  wait_for 30 wm_ready || fail "openbox did not start"
}
