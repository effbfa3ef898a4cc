#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What `cmake --install` puts on a machine, checked as a packager and a shell user meet it: both
# programs beside each other, quorvel-calc answering from there, the manual pages readable
# without warnings, the AppStream metadata and the menu entry valid and pointing at each other,
# the version of the program in the manual pages and the metadata; and install_manifest.txt,
# the record of the user's own installation from this build folder, left as it was.
# Usage: installed_files.sh <cmake> <build dir> [<config>]
set -euo pipefail

cmake_cmd=$1
build_dir=$2
config=${3:-}

work=$(mktemp -d -t quorvel-install.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

prefix=$work/usr
manifest=$build_dir/install_manifest.txt
manifest_before=$(cksum "$manifest" 2>/dev/null || echo "none")
"$cmake_cmd" --install "$build_dir" --prefix "$prefix" \
  --component "${QUORVEL_INSTALL_COMPONENT:-quorvel}" ${config:+--config "$config"} >/dev/null
[[ $(cksum "$manifest" 2>/dev/null || echo "none") == "$manifest_before" ]] ||
  fail "the check's installation rewrote $manifest"

for program in quorvel quorvel-calc; do
  [[ -x $prefix/bin/$program ]] || fail "bin/$program is not installed"
done
calc=$prefix/bin/quorvel-calc

# The calculator from its installed place, as a script calls it.
version=$("$calc" --version) || fail "--version exited with $?"
number=${version%%$'\n'*}
number=${number#quorvel-calc }
[[ $number =~ ^[0-9]+\.[0-9]+ ]] || fail "--version printed: $version"
out=$("$calc" -e 'a = 3m' -e 'a*2') || fail "a good sheet exited with $?"
[[ $out == $'a = 3m\na*2 = 6m' ]] || fail "-e printed: $out"
status=0
out=$("$calc" -e '1/0' 2>"$work/err") || status=$?
((status == 1)) || fail "a fault exited with $status"
[[ $out == '1/0' && $(<"$work/err") == 'Zeile 1: Division by zero in SiDiv' ]] ||
  fail "a fault printed: $out / $(<"$work/err")"
json=$("$calc" --json -e '3m+2s') && fail "a failed line exited with 0"
[[ $json == *'"erfolg":false'* ]] || fail "--json printed: $json"

# Manual pages: installed compressed where man looks, clean for the formatter, with the version
# and a release date in their header.
for page in quorvel quorvel-calc; do
  file=$prefix/share/man/man1/$page.1.gz
  [[ -f $file ]] || fail "share/man/man1/$page.1.gz is not installed"
  header=$(zcat "$file" | grep '^\.TH ')
  [[ $header =~ ^\.TH\ [A-Z-]+\ 1\ \"[0-9]{4}-[0-9]{2}-[0-9]{2}\"\ \"Quorvel\ $number\" ]] ||
    fail "$page.1: $header"
  if command -v groff >/dev/null; then
    warnings=$(zcat "$file" | LC_ALL=C.UTF-8 groff -k -man -Tutf8 -ww -z 2>&1)
    [[ -z $warnings ]] || fail "$page.1: $warnings"
  fi
  # mandoc's lint also knows the conventions of the sections (a date in .TH, ...).
  if command -v mandoc >/dev/null; then
    warnings=$(mandoc -T lint -W warning "$file" 2>&1) || fail "$page.1: $warnings"
    [[ -z $warnings ]] || fail "$page.1: $warnings"
  fi
done
MANPATH=$prefix/share/man man -w quorvel-calc >/dev/null || fail "man does not find quorvel-calc"

# Desktop integration.
desktop=$prefix/share/applications/quorvel.desktop
[[ -f $desktop ]] || fail "the desktop file is not installed"
metainfo=$(find "$prefix/share/metainfo" -name '*.metainfo.xml' 2>/dev/null | head -n1)
[[ -n $metainfo ]] || fail "no AppStream metadata under share/metainfo"
id=$(sed -n 's|.*<id>\(.*\)</id>.*|\1|p' "$metainfo")
[[ ${metainfo##*/} == "$id.metainfo.xml" ]] || fail "${metainfo##*/} is not named after its id $id"
grep -q '<launchable type="desktop-id">quorvel.desktop</launchable>' "$metainfo" ||
  fail "the metadata does not name quorvel.desktop"
grep -Eq "<release version=\"$number\" date=\"[0-9]{4}-[0-9]{2}-[0-9]{2}\"/>" "$metainfo" ||
  fail "the metadata's <releases> lack version $number"
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$metainfo" >"$work/as.log" 2>&1 || {
    cat "$work/as.log" >&2
    fail "appstreamcli validate"
  }
fi
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
fi
echo "installed files: all present and valid"
