#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package as a user of the distribution meets it: lintian accepts it, it holds what a
# desktop needs, apt installs it with its dependencies, both programs run from /usr/bin (the
# window once under Xvfb, until the event loop answers SIGTERM), and apt's purge leaves nothing
# of it behind - also nothing the program wrote beside itself.
# Run as root on a machine without a quorvel package (quorvel.sh test checks both).
# Usage: package_check.sh <path of quorvel_<version>_<arch>.deb>
set -euo pipefail

deb=$(realpath "$1")
work=$(mktemp -d -t quorvel-package.XXXXXX)
installed=""
step="preparing"

fail() {
  echo "FAILED while ${step}: $*" >&2
  exit 1
}
cleanup() {
  local rc=$?
  # A failed check must not leave the package on the machine.
  if [[ -n $installed ]]; then
    apt_get purge -y -qq quorvel >/dev/null 2>&1 || echo "could not purge quorvel again" >&2
  fi
  ((rc == 0)) || [[ ! -s $work/app.log ]] || { echo "--- app.log:"; cat "$work/app.log"; } >&2
  rm -rf "$work"
}
trap cleanup EXIT

# Automatic updates may hold the package lock on a fresh machine; apt waits for it.
apt_get() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 "$@"; }

step="running lintian"
echo "lintian ${deb##*/}:"
lintian --fail-on error,warning "$deb" || fail "lintian reports errors or warnings"

step="reading the package"
version=$(dpkg-deb --field "$deb" Version)
depends=$(dpkg-deb --field "$deb" Depends)
recommends=$(dpkg-deb --field "$deb" Recommends)
# What the programs link comes from dpkg-shlibdeps; what only improves them (German standard
# buttons, the fonts' metric twins, the SVG icon, Wayland without XWayland) is recommended.
for dependency in libc6 libqt6widgets6 libreadline8; do
  [[ ", $depends," == *", $dependency"[\ ,]* ]] || fail "Depends lacks $dependency: $depends"
done
for recommended in qt6-translations-l10n fonts-liberation2 libqt6svg6 qt6-wayland; do
  [[ ", $recommends," == *", $recommended"[\ ,]* ]] ||
    fail "Recommends lacks $recommended: $recommends"
done
dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/contents"
expected=(/usr/bin/quorvel /usr/bin/quorvel-calc /usr/share/quorvel/ZIV.hlp
  /usr/share/quorvel/QVE.hlp /usr/share/man/man1/quorvel.1.gz /usr/share/man/man1/quorvel-calc.1.gz
  /usr/share/applications/quorvel.desktop /usr/share/metainfo/org.quorvel.Quorvel.metainfo.xml
  /usr/share/icons/hicolor/scalable/apps/quorvel.svg /usr/share/doc/quorvel/copyright
  /usr/share/doc/quorvel/changelog.gz)
for size in 16 32 48 64 128 256; do
  expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/quorvel.png")
done
for file in "${expected[@]}"; do
  grep -qxF "$file" "$work/contents" || fail "the package lacks $file"
done
grep -v '/$' "$work/contents" >"$work/files"

step="installing the package"
dpkg-query -W -f '${db:Status-Abbrev}${Package}\n' | sed -n 's/^ii *//p' | sort >"$work/before"
installed=1
apt_get install -y -qq --no-install-recommends "$deb" >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log" >&2; fail "apt-get install"; }

step="running quorvel-calc"
out=$(cd "$work" && quorvel-calc -e 1+1) || fail "quorvel-calc -e 1+1 ended with $?"
[[ $out == "1+1 = 2" ]] || fail "quorvel-calc -e 1+1 printed \"$out\""
# Like every program of the distribution, quorvel-calc loads the shared C library, so that the
# library's fixes reach it without a rebuild; nothing is linked in that would need Built-Using.
needed=$(readelf --dynamic /usr/bin/quorvel-calc | grep NEEDED || true)
[[ $needed == *"[libc.so.6]"* ]] || fail "quorvel-calc does not load the shared C library: $needed"
built_using=$(dpkg-deb --field "$deb" Built-Using)
[[ -z $built_using ]] || fail "the package names Built-Using: $built_using"
[[ $(command -v quorvel) == /usr/bin/quorvel ]] || fail "quorvel is not /usr/bin/quorvel"
step="asking quorvel for its version"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY quorvel --version) || fail "quorvel --version ended with $?"
[[ ${out%%$'\n'*} == "Quorvel V$version" ]] || fail "quorvel --version printed \"$out\""

# The window once, as a user of this machine would start it: a home of its own, a display of its
# own. The window appears only from the event loop, and SIGTERM is answered there like "Ende",
# which saves the pages.
step="starting the window"
export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
export XDG_CACHE_HOME=$work/cache XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/runtime
export QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME" \
  "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# shellcheck disable=SC2016 # expanded by the inner shell
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  (cd "$HOME" && exec quorvel) >"$1" 2>&1 &
  pid=$!
  for ((i = 0; i < 150; ++i)); do
    xdotool search --onlyvisible --pid "$pid" --name "^Quorvel V" >/dev/null 2>&1 && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
  done
  xdotool search --onlyvisible --pid "$pid" --name "^Quorvel V" >/dev/null 2>&1 ||
    { echo "no main window after 30 s" >&2; kill -KILL "$pid" 2>/dev/null; exit 1; }
  kill -TERM "$pid"
  wait "$pid"' window "$work/app.log" ||
  fail "the window did not start and end cleanly (exit code $?)"
[[ -f $XDG_DATA_HOME/Quorvel/QV1.rtf ]] || fail "the pages were not saved in the per-user folder"

step="purging the package"
apt_get purge -y -qq quorvel >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log" >&2; fail "apt-get purge"; }
installed=""
dpkg-query -W -f '${db:Status-Abbrev}${Package}\n' | sed -n 's/^ii *//p' | sort >"$work/after"

step="looking for what is left"
status=$(dpkg-query -W -f '${Status}' quorvel 2>/dev/null || true)
[[ -z $status || ${status##* } == not-installed ]] || fail "dpkg still knows quorvel: $status"
while read -r file; do
  [[ ! -e $file ]] || fail "$file is still there"
done <"$work/files"
for folder in /usr/share/quorvel /usr/share/doc/quorvel; do
  [[ ! -e $folder ]] || fail "$folder is still there: $(ls -A "$folder")"
done
for name in QV1.rtf QV2.rtf Quorvel.ini Quorvel.b01 Quorvel.lock; do
  [[ ! -e /usr/bin/$name ]] || fail "the program wrote /usr/bin/$name"
done
pulled=$(comm -13 "$work/before" "$work/after" | paste -sd' ')
[[ -z $pulled ]] || echo "Dependencies apt installed for the package, which stay: $pulled"
echo "package check: ${deb##*/} installs, runs and purges without a trace"
