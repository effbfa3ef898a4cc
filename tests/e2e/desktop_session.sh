#!/usr/bin/env bash
# The installed program on a desktop with a window manager (openbox), as a user meets it: the
# version asked without a display, Enter in the font dialog, Alt+D, a second start while the
# first copy runs, and a start after a copy was killed.
# Usage (under xvfb-run, which provides DISPLAY): desktop_session.sh <cmake> <build dir> [<config>]
set -euo pipefail

cmake_cmd=$1
build_dir=$2
config=${3:-}
: "${DISPLAY:?no X display: run this under xvfb-run}"

step="preparing"
app_pid="" wm_pid="" main=""
reported=""
work=$(mktemp -d -t quorvel-desktop.XXXXXX)

fail() {
  reported=1
  echo "FAILED while ${step}: $*" >&2
  exit 1
}

cleanup() {
  local rc=$?
  for pid in $app_pid $wm_pid; do
    kill -0 "$pid" 2>/dev/null && kill -KILL "$pid" 2>/dev/null || true
  done
  if ((rc != 0)); then
    [[ -n $reported ]] || echo "FAILED while ${step} (exit code ${rc})" >&2
    for f in "$work/app.log" "$work/second.log" "$work/wm.log" ${data_dir:+"$data_dir/QV1.rtf"}; do
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
running() { kill -0 "$app_pid" 2>/dev/null || fail "the program ended unexpectedly"; }
stopped() { ! kill -0 "$app_pid" 2>/dev/null; }
has_window() { running && [[ -n $(windows_named "$1") ]]; }
lacks_window() { running && [[ -z $(windows_named "$1") ]]; }
focus_is() { [[ $(xdotool getwindowfocus 2>/dev/null || true) == "$1" ]]; }
# The active window as the window manager sees it: the one in front with the keyboard.
active_is() { [[ $(xdotool getactivewindow 2>/dev/null || true) == "$1" ]]; }
menu_opened() { running && [[ -n $(comm -13 <(echo "$windows_before") <(all_windows | sort)) ]]; }
menu_closed() { running && [[ -z $(comm -13 <(echo "$windows_before") <(all_windows | sort)) ]]; }

find_window() {
  wait_for 30 has_window "$2" || fail "no window matching '$2' after 30 s"
  printf -v "$1" '%s' "$(windows_named "$2" | head -n1)"
}

activate() {
  xdotool windowactivate "$1" 2>/dev/null || true
  wait_for 10 active_is "$1" || fail "window $1 did not become the active window"
}

start_program() {
  (cd "$work" && exec "$prefix/bin/quorvel") >>"$work/app.log" 2>&1 &
  app_pid=$!
  find_window main '^Quorvel V5\.2$'
  activate "$main"
}

exit_through_menu() {
  windows_before=$(all_windows | sort)
  xdotool key --clearmodifiers alt+d
  wait_for 30 menu_opened || fail "Alt+D did not open the menu \"Datei\""
  xdotool key Up Return
  wait_for 30 stopped || fail "the program did not end after \"Datei\" -> \"Ende\""
  local rc=0
  wait "$app_pid" || rc=$?
  app_pid=""
  ((rc == 0)) || fail "the program ended with exit code $rc"
}

type_lines() {
  local line
  for line in "$@"; do
    xdotool type --delay 30 -- "$line"
    xdotool key Return
  done
}

# Plain ASCII lines stand in the page file as typed; "\par" ends each.
expect_lines() {
  local file=$1 line
  shift
  [[ -f $file ]] || fail "${file##*/} was not written"
  for line in "$@"; do
    grep -qF -- "$line\\par" "$file" || fail "${file##*/} lacks the line \"$line\""
  done
}

step="installing"
prefix=$work/prefix
"$cmake_cmd" --install "$build_dir" --prefix "$prefix" ${config:+--config "$config"} \
  >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; fail "cmake --install failed"; }

export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
export XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# Root may write into a read-only folder, and the program then rightly keeps its files there.
chmod a-w "$prefix/bin"
if [[ -w $prefix/bin ]]; then data_dir=$prefix/bin; else data_dir=$XDG_DATA_HOME/Quorvel; fi

step="asking for the version without a display"
version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/quorvel" --version) ||
  fail "quorvel --version ended with exit code $?"
[[ $version == "Quorvel V5.2" ]] || fail "quorvel --version answered \"$version\""

step="starting the window manager"
openbox --sm-disable --startup "touch $work/wm-ready" >"$work/wm.log" 2>&1 &
wm_pid=$!
disown "$wm_pid" # ended with the display; no job report
wm_ready() { kill -0 "$wm_pid" 2>/dev/null || fail "openbox ended"; [[ -e $work/wm-ready ]]; }
wait_for 30 wm_ready || fail "openbox did not start"

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
windows_before=$(all_windows | sort)
xdotool key --clearmodifiers alt+d
wait_for 30 menu_opened || fail "Alt+D did not open the menu \"Datei\""
# The first Esc closes the menu, the second leaves the menu bar for the page.
xdotool key Escape
wait_for 10 menu_closed || fail "Esc did not close the menu"
xdotool key Escape

# The second start finds the first copy minimised behind nothing: it must bring it back and end.
step="a second start while the first copy runs"
xdotool windowminimize "$main"
wait_for 10 lacks_window '^Quorvel V5\.2$' || fail "the main window could not be minimised"
second_rc=0
(cd "$work" && timeout 60 "$prefix/bin/quorvel") >"$work/second.log" 2>&1 || second_rc=$?
((second_rc == 0)) || fail "the second start ended with exit code $second_rc"
wait_for 20 has_window '^Quorvel V5\.2$' || fail "the first copy's window did not come back"
wait_for 20 active_is "$main" || fail "the first copy's window is not in front"
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
