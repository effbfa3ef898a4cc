#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The last step of the test command: makes the package from this tree, installs it, runs it,
# purges it and looks for anything left (tests/e2e/package_check.sh). The package is built
# without its tests, which the test build has just run, and without optimisation, which takes
# the longest and changes nothing that the check looks at. It needs root (or sudo without a
# password), and it stays away from a quorvel package the user installed.
#
# Usage: packaging/check_package.sh --possible   says why the check cannot run here, status 1
#        packaging/check_package.sh              the check; the build dependencies must be there
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

if [ "${1:-}" = --possible ]; then
    if [ -n "$sudo" ] && ! sudo -n true 2>/dev/null; then
        echo "Package check skipped: it installs and removes the package, which needs root" \
             "(or sudo without a password)."
        exit 1
    fi
    status=$(dpkg-query -W -f='${Status}' quorvel 2>/dev/null || true)
    if [ -n "$status" ] && [ "${status##* }" != not-installed ]; then
        echo "Package check skipped: a quorvel package is on this machine ($status);" \
             "the check would replace and then remove it."
        exit 1
    fi
    exit 0
fi

deb=$(packaging/make_package.sh "nocheck noopt")
timeout 300 $sudo tests/e2e/package_check.sh "$deb"
