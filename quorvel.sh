#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# One entry point for building, starting and testing Quorvel on a fresh Debian 12 machine.
#   ./quorvel.sh run        install what is missing, build, start Quorvel
#   ./quorvel.sh test       install what is missing, build, run every test
#   ./quorvel.sh sanitize   engine tests again under AddressSanitizer and UBSan
#   ./quorvel.sh bench      Release build of the benchmarks, then run them
#   ./quorvel.sh faults     only the saves under faults: full disk (as root) and kills during exit
#   ./quorvel.sh lint       formatting check, and clang-tidy over the sources when it is installed
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)

packages=(cmake g++ make pkgconf libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-translations-l10n libqt6svg6 qt6-wayland zlib1g-dev fonts-liberation2
          xvfb xauth xdotool openbox weston nlohmann-json3-dev poppler-utils appstream
          desktop-file-utils man-db)

install_packages() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Warnings are errors in the builds of this script; a plain cmake build keeps them warnings.
configure_build() {   # folder, cmake options...
    local dir=$1; shift
    cmake -S "$root" -B "$dir" -DQUORVEL_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}

case "${1:-}" in
    run)
        install_packages
        configure_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_TESTS=OFF
        if [ -x build/quorvel ]; then
            exec build/quorvel
        else
            exec build/tools/quorvel-calc/quorvel-calc examples/beispiel.txt
        fi
        ;;
    test)
        install_packages
        configure_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_TESTS=ON
        # The saves under faults kill and starve the real program at chosen moments; their
        # timing depends on the machine, so they have an entry of their own (faults).
        ctest --test-dir build --output-on-failure -j "$jobs" -LE faults
        ;;
    sanitize)
        install_packages
        configure_build build-asan -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_SANITIZE=ON -DQUORVEL_GUI=OFF
        ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
            ctest --test-dir build-asan --output-on-failure -j "$jobs"
        ;;
    faults)
        install_packages
        configure_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_TESTS=ON
        ctest --test-dir build --output-on-failure --verbose -L faults
        ;;
    bench)
        install_packages
        configure_build build-release -DCMAKE_BUILD_TYPE=Release -DQUORVEL_BENCH=ON -DQUORVEL_TESTS=OFF
        for b in build-release/bench/*_bench; do "$b"; done
        ;;
    lint)
        packages+=(clang-format)
        install_packages
        git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
        echo "Formatting: every file as .clang-format wants it"
        if command -v clang-tidy >/dev/null; then
            # The test command's build: its compile commands, and the headers moc made.
            configure_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_TESTS=ON
            git ls-files 'engine/*.cpp' 'gui/*.cpp' 'app/*.cpp' 'tools/*.cpp' |
                xargs -P "$jobs" -n 8 clang-tidy -p build --quiet
            echo "clang-tidy: no findings"
        else
            echo "clang-tidy is not installed: its checks are left out"
        fi
        ;;
    *)
        echo "usage: $0 run|test|sanitize|bench|faults|lint" >&2
        exit 2
        ;;
esac
