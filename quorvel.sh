#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# One entry point for building, starting and testing Quorvel on a fresh Debian 12 machine: it
# installs the packages a build needs and runs that build by its preset (CMakePresets.json,
# which cmake and ctest use alone as well); packaging, the profiled build and fuzzing are
# scripts of their own in packaging/ and tools/.
#   ./quorvel.sh run        install what is missing, build, start Quorvel
#   ./quorvel.sh test       install what is missing, build, run every test
#   ./quorvel.sh sanitize   the tests again under AddressSanitizer and UBSan, windows offscreen
#   ./quorvel.sh tsan       the tests that run threads under ThreadSanitizer, windows offscreen
#   ./quorvel.sh bench      profiled Release build of the benchmarks, then run them
#   ./quorvel.sh faults     only the saves under faults: full disk (as root) and kills during exit
#   ./quorvel.sh lint       formatting check and clang-tidy; a finding fails
#   ./quorvel.sh fuzz [S]   the libFuzzer targets (clang), S seconds each (60)
#   ./quorvel.sh mutate     one-line faults put into the engine one at a time: do the tests notice?
#   ./quorvel.sh package    the Debian package dist/quorvel_<version>_<arch>.deb from debian/,
#                           with its tests, checked by lintian
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc 2>/dev/null || echo 2)

# libreadline-dev gives quorvel-calc its line editing and history at a terminal.
# qt6-wayland makes Quorvel a native Wayland client in a Wayland session; libwayland-dev and
# libxcb1-dev serve the activation of the running window by a second start; weston and
# imagemagick run and look at the Wayland end-to-end check, xprop (x11-utils) reads a window's
# startup ID in the openbox one.
packages=(cmake g++ make pkgconf libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-translations-l10n libqt6svg6 qt6-wayland libwayland-dev libxcb1-dev
          zlib1g-dev libpng-dev fonts-liberation2 xvfb xauth xdotool x11-utils openbox weston imagemagick
          nlohmann-json3-dev poppler-utils appstream desktop-file-utils man-db mandoc librsvg2-bin
          libreadline-dev)
# Making and checking the package: dpkg-buildpackage, debhelper, lintian; the rest of what the
# package build needs is in debian/control (install_build_dependencies).
package_tools=(dpkg-dev debhelper lintian)

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

# On a freshly booted machine the automatic updates often hold the package lock for a while:
# apt waits for it instead of failing at once.
apt_get() {
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 "$@"
}
# The AT-SPI check: a session bus, the accessibility bus and a client that talks to it.
packages+=(dbus-daemon at-spi2-core python3-dbus)

install_packages() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    apt_get update -qq
    apt_get install -y -qq --no-install-recommends "${missing[@]}"
}

# Each build's folder and options are its preset's; warnings are errors in all of them but the
# mutation check's, never in a plain cmake build. The presets' jobs suit two cores: here every
# core of the machine builds and tests.
build_preset() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" -j "$jobs"
}

# Everything debian/control asks for to build the package; apt reads it from there.
install_build_dependencies() {
    dpkg-checkbuilddeps >/dev/null 2>&1 && return 0
    apt_get update -qq
    apt_get install -y -qq --no-install-recommends "${package_tools[@]}"
    apt_get build-dep -y -qq ./
}

case "${1:-}" in
    run)
        install_packages
        build_preset run
        if [ -x build/quorvel ]; then
            exec build/quorvel
        else
            exec build/tools/quorvel-calc/quorvel-calc examples/beispiel.txt
        fi
        ;;
    test)
        packages+=("${package_tools[@]}")
        install_packages
        build_preset test
        # The saves under faults kill and starve the real program at chosen moments; their
        # timing depends on the machine, so they have an entry of their own (faults).
        ctest --preset test -j "$jobs"
        # Last, the package made from this tree, installed, run and purged (as root).
        if packaging/check_package.sh --possible; then
            install_build_dependencies
            packaging/check_package.sh
        fi
        ;;
    package)
        packages+=("${package_tools[@]}")
        install_packages
        install_build_dependencies
        deb=$(packaging/make_package.sh)
        echo "Package: $deb (and its -dbgsym), lintian clean; the rest in build-package/"
        ;;
    sanitize)
        install_packages
        build_preset sanitize
        ctest --preset sanitize -j "$jobs"
        ;;
    tsan)
        install_packages
        build_preset tsan
        ctest --preset tsan -j "$jobs"
        ;;
    faults)
        install_packages
        build_preset test
        if [ "$(id -u)" -ne 0 ]; then
            echo "Not root: the full-disk runs, which mount a small tmpfs each, are skipped;" \
                 "the kills during the exit run."
        fi
        ctest --preset faults
        ;;
    bench)
        install_packages
        packaging/profiled_build.sh bench
        for b in build-bench/bench/*_bench; do "$b"; done
        ;;
    lint)
        packages+=(clang-format clang-tidy)
        install_packages
        git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
        echo "Formatting: every file as .clang-format wants it"
        # The test command's build: its compile commands, and the headers moc made. Findings are
        # errors (.clang-tidy), so one fails its clang-tidy call, xargs and this entry. Clang does
        # not know GCC's flags for link-time optimisation's object files, which change no code.
        build_preset test
        git ls-files 'engine/*.cpp' 'gui/*.cpp' 'app/*.cpp' 'tools/*.cpp' |
            xargs -P "$jobs" -n 8 clang-tidy -p build --quiet \
                --extra-arg=-Wno-ignored-optimization-argument
        echo "clang-tidy: no findings"
        ;;
    fuzz)
        packages+=(clang libclang-rt-14-dev)
        install_packages
        build_preset fuzz
        exec tools/fuzz.sh "${2:-60}"
        ;;
    mutate)
        install_packages
        exec tools/mutate/mutate.sh "${@:2}"
        ;;
    *)
        echo "usage: $0 run|test|sanitize|tsan|bench|faults|lint|fuzz|mutate|package" >&2
        exit 2
        ;;
esac
