#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package as a distribution builds it (debian/, dpkg-buildpackage), made from this
# work tree without touching it: a copy of its files (tracked and new, not ignored) goes to
# build-package/, where the source package, the binary packages (with -dbgsym), .buildinfo and
# .changes land. lintian then checks the .changes, source and binaries, and the .debs are copied
# to dist/. The build dependencies must be installed (./quorvel.sh package does that).
#
# Usage: packaging/make_package.sh [DEB_BUILD_OPTIONS]
# Prints the path of the .deb; the build's log is build-package/build.log.
set -euo pipefail
cd "$(dirname "$0")/.."
options=${1:-}
jobs=$(nproc 2>/dev/null || echo 2)
out=build-package
version=$(dpkg-parsechangelog -S Version)
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
stage=$out/quorvel-$version

rm -rf "$out"
mkdir -p "$stage" dist
git ls-files -z --cached --others --exclude-standard |
    tar --null --ignore-failed-read -T - -cf - | tar -xf - -C "$stage"
if ! (cd "$stage" && DEB_BUILD_OPTIONS="$options" dpkg-buildpackage -us -uc -J"$jobs") \
    >"$out/build.log" 2>&1; then
    tail -n 80 "$out/build.log" >&2
    exit 1
fi
lintian --fail-on error,warning "$out/quorvel_${version}_$arch.changes" >&2
cp "$out/quorvel_${version}_$arch.deb" "$out/quorvel-dbgsym_${version}_$arch.deb" dist/
echo "dist/quorvel_${version}_$arch.deb"
