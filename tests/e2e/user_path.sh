#!/usr/bin/env bash
# A user's path through the installed program: type a small sheet, recalculate it, evaluate a line
# with the keypad's "=", leave through "Datei" -> "Ende", start again and find the sheet back.
# Usage (under xvfb-run, which provides DISPLAY): user_path.sh <cmake> <build dir> [<config>]
set -euo pipefail

cmake_cmd=$1
build_dir=$2
config=${3:-}
: "${DISPLAY:?no X display: run this under xvfb-run}"

step="preparing"
app_pid="" main="" keypad=""
reported=""
work=$(mktemp -d -t quorvel-e2e.XXXXXX)

fail() {
  reported=1
  echo "FAILED while ${step}: $*" >&2
  exit 1
}

cleanup() {
  local rc=$?
  # A program left running would hold the display and the test's folder.
  if [[ -n $app_pid ]] && kill -0 "$app_pid" 2>/dev/null; then
    kill -KILL "$app_pid" 2>/dev/null || true
  fi
  if ((rc != 0)); then
    [[ -n $reported ]] || echo "FAILED while ${step} (exit code ${rc})" >&2
    for f in "$work/app.log" ${data_dir:+"$data_dir/QV1.rtf"}; do
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
# The program's own visible windows; xdotool fails when there is none. Menus have a class but
# no plain window name.
windows_named() { xdotool search --all --pid "$app_pid" --onlyvisible --name "$1" || true; }
all_windows() { xdotool search --all --pid "$app_pid" --onlyvisible --class . || true; }
running() { kill -0 "$app_pid" 2>/dev/null || fail "the program ended unexpectedly"; }
stopped() { ! kill -0 "$app_pid" 2>/dev/null; }
has_window() { running && [[ -n $(windows_named "$1") ]]; }
focus_is() { [[ $(xdotool getwindowfocus 2>/dev/null || true) == "$1" ]]; }
menu_opened() { running && [[ -n $(comm -13 <(echo "$windows_before") <(all_windows | sort)) ]]; }

# find_window VARIABLE TITLE-REGEX: waits for the window and stores its id.
find_window() {
  wait_for 30 has_window "$2" || fail "no window matching '$2' after 30 s"
  printf -v "$1" '%s' "$(windows_named "$2" | head -n1)"
}

focus() {
  xdotool windowfocus "$1"
  wait_for 10 focus_is "$1" || fail "window $1 did not get the keyboard focus"
}

start_program() {
  (cd "$work" && exec "$prefix/bin/quorvel") >>"$work/app.log" 2>&1 &
  app_pid=$!
  find_window main '^Quorvel V5\.2$'
}

# "Datei" is the menu bar's first title, and (20, 10) lies on it at any usual font size; Up then
# selects the menu's last entry, "Ende". Without a window manager Alt+F4 does nothing, and only
# the normal exit runs the code that writes the settings and the pages.
exit_through_menu() {
  windows_before=$(all_windows | sort)
  xdotool mousemove --window "$main" 20 10 click 1
  # The menu is a window of its own; keys sent before it is there would edit the sheet.
  wait_for 30 menu_opened || fail "the menu \"Datei\" did not open"
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

step="installing"
prefix=$work/prefix
"$cmake_cmd" --install "$build_dir" --prefix "$prefix" ${config:+--config "$config"} \
  >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; fail "cmake --install failed"; }
for f in bin/quorvel share/quorvel/ZIV.hlp share/quorvel/QVE.hlp \
  share/applications/quorvel.desktop share/icons/hicolor/scalable/apps/quorvel.svg; do
  [[ -e $prefix/$f ]] || fail "the install lacks $f"
done

# Nothing of the user's own home may be touched; the program finds its per-user folder here.
export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
export XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# An installed program may not write beside itself, so it keeps its files per user. Root passes
# every write check even on a read-only folder, and the program then rightly stays beside its
# executable; the shell's -w makes the same check, so it tells which folder must hold the files.
chmod a-w "$prefix/bin"
if [[ -w $prefix/bin ]]; then
  data_dir=$prefix/bin other_dir=$XDG_DATA_HOME/Quorvel
else
  data_dir=$XDG_DATA_HOME/Quorvel other_dir=$prefix/bin
fi

step="the first run: starting"
start_program
focus "$main"

step="the first run: typing the sheet"
type_lines 'm1 = 2kg' 'a = 9.81m/s^2' 'F = m1*a' '3000m = km' 'v = 36km/h = m/s' '3m+2s'
xdotool key F9

# The keypad's keys are painted, not native widgets, so "=" is found from the key table in
# keypad/keypad_window.cpp: a 31x31 key at (148, 172) of the panel in the window's top left.
step="the first run: evaluating a line with the keypad's \"=\""
xdotool type --delay 30 -- 'G = F*2'
xdotool key ctrl+t
find_window keypad '^Tasteneingabe$'
read -r width height < <(xdotool getwindowgeometry --shell "$keypad" |
  sed -n 's/^WIDTH=//p; s/^HEIGHT=//p' | paste -sd' ')
[[ "$width x $height" == "185 x 247" ]] || fail "the keypad is ${width}x${height}, not 185x247"
xdotool mousemove --window "$keypad" $((148 + 15)) $((172 + 15)) click 1

step="the first run: leaving"
exit_through_menu

step="checking the files of the first run"
expect_lines "$data_dir/QV1.rtf" 'm1 = 2kg' 'F = m1*a = 19.62N' \
  '3000m = 3km' 'v = 36km/h = 10m/s' '2s = unit confilct' 'G = F*2 = 39.24N'
# The result's "²" is written as an RTF escape, so only the part before it is compared.
grep -qF 'a = 9.81m/s^2 = 9.81m/s' "$data_dir/QV1.rtf" || fail "QV1.rtf lacks the line of a"
[[ -f $data_dir/QV2.rtf ]] || fail "QV2.rtf was not written"
[[ -f $data_dir/Quorvel.ini ]] || fail "Quorvel.ini was not written"
grep -q '^\[Form1\]' "$data_dir/Quorvel.ini" || fail "Quorvel.ini lacks [Form1]"
[[ ! -e $data_dir/Quorvel.b01 ]] || fail "a backup Quorvel.b01 exists after the first run"
[[ ! -e $other_dir/QV1.rtf ]] || fail "the pages went to $other_dir instead of $data_dir"
cp "$data_dir/Quorvel.ini" "$work/first.ini"
tr -d '\r' <"$work/first.ini" | grep -qx 'visible=1' ||
  fail "the keypad was open at the exit, but Quorvel.ini says it was closed"

# F*3 is only known when the page came back and F9 recalculated it from its text.
step="the second run: starting"
start_program
# The keypad comes back and takes the focus once it is shown; let it, then type into the sheet.
find_window keypad '^Tasteneingabe$'
wait_for 10 focus_is "$keypad" || true
focus "$main"

step="the second run: recalculating the loaded sheet"
xdotool key F9
type_lines 'F*3'

step="the second run: leaving"
exit_through_menu

step="checking the files of the second run"
expect_lines "$data_dir/QV1.rtf" 'm1 = 2kg' 'F = m1*a = 19.62N' '3000m = 3km' \
  'v = 36km/h = 10m/s' '2s = unit confilct' 'G = F*2 = 39.24N' 'F*3 = 58.86N'
[[ -f $data_dir/Quorvel.ini ]] || fail "Quorvel.ini was not written again"
[[ -f $data_dir/Quorvel.b01 ]] || fail "the previous settings were not kept as Quorvel.b01"
cmp -s "$work/first.ini" "$data_dir/Quorvel.b01" ||
  fail "Quorvel.b01 differs from the settings the first run wrote"

step="done"
echo "e2e user path passed (files in ${data_dir#"$work"/})"
