#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# One entry point for building, starting and testing Quorvel on a fresh Debian 12 machine.
#   ./quorvel.sh run        install what is missing, build, start Quorvel
#   ./quorvel.sh test       install what is missing, build, run every test
#   ./quorvel.sh sanitize   the tests again under AddressSanitizer and UBSan, windows offscreen
#   ./quorvel.sh tsan       the tests that run threads under ThreadSanitizer, windows offscreen
#   ./quorvel.sh bench      Release build of the benchmarks, then run them
#   ./quorvel.sh faults     only the saves under faults: full disk (as root) and kills during exit
#   ./quorvel.sh lint       formatting check and clang-tidy; a finding fails
#   ./quorvel.sh fuzz [S]   the libFuzzer targets (clang), S seconds each (60)
#   ./quorvel.sh mutate     one-line faults put into the engine one at a time: do the tests notice?
#   ./quorvel.sh package    the Debian package dist/quorvel_<version>_<arch>.deb from debian/,
#                           with its tests, checked by lintian
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)

# libreadline-dev gives quorvel-calc its line editing and history at a terminal.
# qt6-wayland makes Quorvel a native Wayland client in a Wayland session; libwayland-dev and
# libxcb1-dev serve the activation of the running window by a second start; weston and
# imagemagick run and look at the Wayland end-to-end check, xprop (x11-utils) reads a window's
# startup ID in the openbox one.
packages=(cmake g++ make pkgconf libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-translations-l10n libqt6svg6 qt6-wayland libwayland-dev libxcb1-dev
          zlib1g-dev fonts-liberation2 xvfb xauth xdotool x11-utils openbox weston imagemagick
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

# Warnings are errors in the builds of this script; a plain cmake build keeps them warnings.
configure_build() {   # folder, cmake options...
    local dir=$1; shift
    cmake -S "$root" -B "$dir" -DQUORVEL_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}

# quorvel-calc and the engine optimised by the counts of a run of their own (GCC; see
# cmake/profile_guided.cmake): built to count, they read lines as people write them
# (packaging/profile_training.sh), and the folder is then built as configure_build does, using
# those counts.
configure_profiled_build() {   # folder, cmake options...
    local dir=$1; shift
    cmake -S "$root" -B "$dir" -DQUORVEL_WERROR=ON -DQUORVEL_PROFILE=generate "$@" >/dev/null
    cmake --build "$dir" -j "$jobs" --target quorvel-calc make_corpus
    packaging/profile_training.sh "$dir"
    configure_build "$dir" -DQUORVEL_PROFILE=use "$@"
}

# The Debian package as a distribution builds it (debian/, dpkg-buildpackage), from a copy of the
# work tree's files (tracked and new, not ignored) in build-package/, where the source package,
# the binary packages (with -dbgsym), .buildinfo and .changes land; lintian then checks the
# .changes, source and binaries, and the .debs are copied to dist/. Prints the path of the .deb.
make_package() {   # DEB_BUILD_OPTIONS
    local version arch out=build-package stage
    version=$(dpkg-parsechangelog -S Version)
    arch=$(dpkg-architecture -qDEB_HOST_ARCH)
    stage=$out/quorvel-$version
    rm -rf "$out"
    mkdir -p "$stage" dist
    # Run in a command substitution, where set -e does not reach: each step says if it failed.
    git ls-files -z --cached --others --exclude-standard |
        tar --null --ignore-failed-read -T - -cf - | tar -xf - -C "$stage" || return 1
    (cd "$stage" && DEB_BUILD_OPTIONS="$1" dpkg-buildpackage -us -uc -J"$jobs") \
        >"$out/build.log" 2>&1 || { tail -n 80 "$out/build.log" >&2; return 1; }
    lintian --fail-on error,warning "$out/quorvel_${version}_$arch.changes" >&2 || return 1
    cp "$out"/quorvel_"${version}"_"$arch".deb "$out"/quorvel-dbgsym_"${version}"_"$arch".deb \
        dist/ || return 1
    echo "dist/quorvel_${version}_$arch.deb"
}

# Everything debian/control asks for to build the package; apt reads it from there.
install_build_dependencies() {
    dpkg-checkbuilddeps >/dev/null 2>&1 && return 0
    apt_get update -qq
    apt_get install -y -qq --no-install-recommends "${package_tools[@]}"
    apt_get build-dep -y -qq ./
}

# Makes the package, installs it, runs it, purges it and looks for anything left
# (tests/e2e/package_check.sh). The package is built without its tests, which the test build
# has just run, and without optimisation, which takes the longest and changes nothing that the
# check looks at. It needs root, and it stays away from a quorvel the user installed.
check_package() {
    if [ -n "$sudo" ] && ! sudo -n true 2>/dev/null; then
        echo "Package check skipped: it installs and removes the package, which needs root" \
             "(or sudo without a password)."
        return 0
    fi
    local status
    status=$(dpkg-query -W -f='${Status}' quorvel 2>/dev/null || true)
    if [ -n "$status" ] && [ "${status##* }" != not-installed ]; then
        echo "Package check skipped: a quorvel package is on this machine ($status);" \
             "the check would replace and then remove it."
        return 0
    fi
    local deb
    install_build_dependencies
    deb=$(make_package "nocheck noopt")
    timeout 300 $sudo tests/e2e/package_check.sh "$deb"
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
        packages+=("${package_tools[@]}")
        install_packages
        configure_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_TESTS=ON
        # The saves under faults kill and starve the real program at chosen moments; their
        # timing depends on the machine, so they have an entry of their own (faults).
        ctest --test-dir build --output-on-failure -j "$jobs" -LE faults
        check_package
        ;;
    package)
        packages+=("${package_tools[@]}")
        install_packages
        install_build_dependencies
        deb=$(make_package "")
        echo "Package: $deb (and its -dbgsym), lintian clean; the rest in build-package/"
        ;;
    sanitize)
        install_packages
        configure_build build-asan -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_SANITIZE=ON -DQUORVEL_TESTS=ON
        # Every test but the installed program's (e2e) and the timed faults, windows offscreen.
        # Leaks are errors, Qt's and fontconfig's too: on the offscreen platform they keep
        # nothing that is not reachable at exit, so no suppression is needed.
        ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
            ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE 'faults|e2e'
        ;;
    tsan)
        install_packages
        configure_build build-tsan -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_TSAN=ON -DQUORVEL_TESTS=ON
        # The tests that run the writer thread or threads of their own (label threads), windows
        # offscreen. A report fails its test (exit code 66); the longest history keeps the stack
        # of the earlier access in reports. Qt is not built with ThreadSanitizer: tests/tsan.supp
        # names what that makes it report inside Qt's own threads, never a frame of ours.
        TSAN_OPTIONS="suppressions=$root/tests/tsan.supp history_size=7 second_deadlock_stack=1" \
            ctest --test-dir build-tsan --output-on-failure -j "$jobs" -L threads
        ;;
    faults)
        install_packages
        configure_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_TESTS=ON
        if [ "$(id -u)" -ne 0 ]; then
            echo "Not root: the full-disk runs, which mount a small tmpfs each, are skipped;" \
                 "the kills during the exit run."
        fi
        ctest --test-dir build --output-on-failure --verbose -L faults
        ;;
    bench)
        install_packages
        configure_profiled_build build-release -DCMAKE_BUILD_TYPE=Release -DQUORVEL_BENCH=ON \
            -DQUORVEL_TESTS=OFF
        for b in build-release/bench/*_bench; do "$b"; done
        ;;
    lint)
        packages+=(clang-format clang-tidy)
        install_packages
        git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
        echo "Formatting: every file as .clang-format wants it"
        # The test command's build: its compile commands, and the headers moc made. Findings are
        # errors (.clang-tidy), so one fails its clang-tidy call, xargs and this entry. Clang does
        # not know GCC's flags for link-time optimisation's object files, which change no code.
        configure_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_TESTS=ON
        git ls-files 'engine/*.cpp' 'gui/*.cpp' 'app/*.cpp' 'tools/*.cpp' |
            xargs -P "$jobs" -n 8 clang-tidy -p build --quiet \
                --extra-arg=-Wno-ignored-optimization-argument
        echo "clang-tidy: no findings"
        ;;
    fuzz)
        packages+=(clang libclang-rt-14-dev)
        install_packages
        seconds=${2:-60}
        configure_build build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DQUORVEL_FUZZ=ON -DQUORVEL_GUI=OFF -DQUORVEL_TESTS=OFF
        # New inputs go to build-fuzz/corpus/<target>/; the seeds in fuzz/corpus/ are only read.
        # A finding is written to build-fuzz/findings/ and fails the entry after the last target.
        mkdir -p build-fuzz/findings
        failed=()
        for target in build-fuzz/fuzz/*_fuzz build-fuzz/fuzz/*_fuzzer; do
            [ -x "$target" ] || continue
            name=$(basename "$target")
            options=(-max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096
                     -print_final_stats=1 -artifact_prefix="build-fuzz/findings/$name-")
            corpora=("build-fuzz/corpus/$name" "fuzz/corpus/$name")
            case $name in
                eval_line_fuzz | sheet_fuzz | unit_compiler_fuzz)
                    options+=(-dict=build-fuzz/fuzz/eval_line.dict) ;;
            esac
            [ "$name" = eval_line_fuzz ] && corpora+=(build-fuzz/fuzz/eval_line_seeds)
            mkdir -p "build-fuzz/corpus/$name"
            echo "== $name: $seconds s"
            QT_QPA_PLATFORM=offscreen "$target" "${options[@]}" "${corpora[@]}" ||
                failed+=("$name")
        done
        if [ ${#failed[@]} -gt 0 ]; then
            echo "Findings in: ${failed[*]} (inputs in build-fuzz/findings/)" >&2
            exit 1
        fi
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
