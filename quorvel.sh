#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# One entry point for building, starting and testing Quorvel on a fresh Debian 12 machine.
#   ./quorvel.sh run        install what is missing, build, start Quorvel
#   ./quorvel.sh test       install what is missing, build, run every test
#   ./quorvel.sh sanitize   the tests again under AddressSanitizer and UBSan, windows offscreen
#   ./quorvel.sh bench      Release build of the benchmarks, then run them
#   ./quorvel.sh faults     only the saves under faults: full disk (as root) and kills during exit
#   ./quorvel.sh lint       formatting check and clang-tidy; a finding fails
#   ./quorvel.sh fuzz [S]   the libFuzzer targets (clang), S seconds each (60)
#   ./quorvel.sh mutate     one-line faults put into the engine one at a time: do the tests notice?
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)

packages=(cmake g++ make pkgconf libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-translations-l10n libqt6svg6 fonts-liberation2 xvfb xauth xdotool
          openbox nlohmann-json3-dev poppler-utils appstream desktop-file-utils man-db)

install_packages() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    # Another apt (an automatic update on a fresh machine) may hold the lock for a while.
    $sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
        --no-install-recommends "${missing[@]}"
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
        configure_build build-asan -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_SANITIZE=ON -DQUORVEL_TESTS=ON
        # Every test but the installed program's (e2e) and the timed faults, windows offscreen.
        # Leaks are errors, Qt's and fontconfig's too: on the offscreen platform they keep
        # nothing that is not reachable at exit, so no suppression is needed.
        ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
            ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE 'faults|e2e'
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
        configure_build build-release -DCMAKE_BUILD_TYPE=Release -DQUORVEL_BENCH=ON -DQUORVEL_TESTS=OFF
        for b in build-release/bench/*_bench; do "$b"; done
        ;;
    lint)
        packages+=(clang-format clang-tidy)
        install_packages
        git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
        echo "Formatting: every file as .clang-format wants it"
        # The test command's build: its compile commands, and the headers moc made. Findings are
        # errors (.clang-tidy), so one fails its clang-tidy call, xargs and this entry.
        configure_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_TESTS=ON
        git ls-files 'engine/*.cpp' 'gui/*.cpp' 'app/*.cpp' 'tools/*.cpp' |
            xargs -P "$jobs" -n 8 clang-tidy -p build --quiet
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
        echo "usage: $0 run|test|sanitize|bench|faults|lint|mutate" >&2
        exit 2
        ;;
esac
