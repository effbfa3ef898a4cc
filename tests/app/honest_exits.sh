#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# quorvel's exits without a window: an answer that cannot be written is a failure, and a start
# without a display says so in German and ends with status 1 instead of the toolkit's abort.
# Usage: honest_exits.sh <quorvel>
quorvel=$1
failed=0
fail() {
    echo "FAILED: $*" >&2
    failed=1
}
# expect <status> <text on standard error> <command...>: runs it without any display.
expect() {
    want_status=$1 want_err=$2
    shift 2
    err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE "$@" 2>&1 >/dev/null)
    status=$?
    [ "$status" -eq "$want_status" ] || fail "$*: status $status, not $want_status ($err)"
    case $err in
    *"$want_err"*) ;;
    *) fail "$*: standard error lacks \"$want_err\": $err" ;;
    esac
    case $err in
    *Reinstalling* | *"core dumped"*) fail "$*: the toolkit's abort: $err" ;;
    esac
}

for option in --version --help; do
    expect 1 "quorvel: Schreibfehler: Der Datenträger ist voll" sh -c "exec \"\$0\" $option >/dev/full" "$quorvel"
done
expect 1 "quorvel: Keine grafische Anzeige gefunden: weder DISPLAY (X11) noch WAYLAND_DISPLAY (Wayland) ist gesetzt." "$quorvel"
# A display that is named but not there: the toolkit tries it and gives up.
expect 1 "quorvel: Die grafische Anzeige ist nicht erreichbar (DISPLAY=:7391)." env DISPLAY=:7391 "$quorvel"
# ... and the toolkit's own reason follows, which tells it from a plugin that lacks a library.
expect 1 "could not connect to display" env DISPLAY=:7391 "$quorvel"
# A display that takes the connection and never answers (a frozen compositor): the start gives
# up after its time instead of waiting for ever.
folder=$(mktemp -d)
silent=$folder/wayland-stumm
python3 -c 'import socket, sys, time
s = socket.socket(socket.AF_UNIX)
s.bind(sys.argv[1])
s.listen(4)
time.sleep(120)' "$silent" &
listener=$!
while [ ! -S "$silent" ]; do sleep 0.1; done
expect 1 "antwortet seit 20 s nicht (WAYLAND_DISPLAY=$silent)" env WAYLAND_DISPLAY="$silent" QT_QPA_PLATFORM=wayland "$quorvel"
kill $listener
rm -rf "$folder"
exit $failed
