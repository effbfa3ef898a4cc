#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed program as a screen reader meets it: over the AT-SPI accessibility bus of a
# session bus of its own (started by dbus-run-session around this script), it finds the windows,
# pages and keypad keys by their names, presses keys through their actions and leaves through
# "Ende" (atspi_check.py); then the saved page must hold the line the keys wrote.
# It starts its own virtual display, so that checks running side by side never meet on one.
# Usage: dbus-run-session -- desktop_accessibility.sh <cmake> <build dir> [<config>]
set -euo pipefail

here=$(dirname "${BASH_SOURCE[0]}")
source "$here/e2e_common.sh"
e2e_begin quorvel-accessibility "$@"
require_tools Xvfb xdotool
[[ -n ${DBUS_SESSION_BUS_ADDRESS:-} ]] || fail "no session bus: run the check under dbus-run-session"
failure_logs+=(atspi.log)

# The distribution's python3 has python3-dbus; one found first on the PATH may lack it.
python=""
for candidate in python3 /usr/bin/python3; do
  if command -v "$candidate" >/dev/null && "$candidate" -c 'import dbus' 2>/dev/null; then
    python=$candidate
    break
  fi
done
[[ -n $python ]] || fail "no python3 with the dbus module (python3-dbus)"

install_program
private_user
start_display

step="starting the program with its accessibility bridge on"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
start_program

step="using the program over AT-SPI"
"$python" "$here/atspi_check.py" >"$work/atspi.log" 2>&1 || fail "the AT-SPI check failed"
cat "$work/atspi.log"
expect_end 0 "the program did not end after \"Ende\" pressed over AT-SPI"

step="checking the saved page"
expect_lines "$data_dir/QV1.rtf" '7+2 = 9'
echo "The AT-SPI check passed."
