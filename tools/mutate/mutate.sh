#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The mutation check: puts one-line faults (tools/mutate/mutations.txt) into the engine one at
# a time, rebuilds the engine tests in their own folder and runs them with the golden sheets.
# A fault the tests do not notice survives: a result, a mark or a message nobody pins.
#
#   tools/mutate/mutate.sh [--list FILE] [--check] [TITLE-PART]
#
# ./quorvel.sh mutate runs the whole list; a TITLE-PART runs only the mutants whose title holds
# it. --check only tells whether every mutant still fits the code (no build), as the test
# command does.
#
# Every mutant's source file is put back after its run, also when the run is interrupted; a
# run killed outright (SIGKILL, power cut) is mended by the next one, which finds the backup
# in the build folder. Exit status 0 when every mutant was found, built and killed (or is one
# the list marks as equivalent), 1 otherwise.
set -euo pipefail
export LC_ALL=C # the texts are compared byte by byte

list=''
filter=''
check_only=0
while [ $# -gt 0 ]; do
    case $1 in
        --list) list=$(realpath -- "$2"); shift 2 ;;
        --check) check_only=1; shift ;;
        -*) echo "usage: $0 [--list FILE] [--check] [TITLE-PART]" >&2; exit 2 ;;
        *) filter=$1; shift ;;
    esac
done
cd "$(dirname "$0")/../.."
list=${list:-tools/mutate/mutations.txt}
build=build-mutate              # the mutate preset's folder (CMakePresets.json)
jobs=$(nproc 2>/dev/null || echo 2)
backup=$build/mutant-backup     # the original text of the file under mutation
backup_of=$build/mutant-file    # which file that is

# --- the list -------------------------------------------------------------------------------
titles=() files=() anchors=() froms=() tos=() equivalents=()
declare -A texts # each mutated file's text, read once
parse_list() {
    local line n=-1 number=0
    while IFS= read -r line || [ -n "$line" ]; do
        number=$((number + 1))
        case $line in
            '' | '#'*) continue ;;
            '* '*)
                n=$((n + 1))
                titles[n]=${line#\* } files[n]='' anchors[n]='' froms[n]='' tos[n]=''
                equivalents[n]=''
                continue ;;
        esac
        if [ "$n" -lt 0 ]; then
            echo "$list:$number: a mutant starts with '* title'" >&2
            exit 2
        fi
        case $line in
            '@ '*) files[n]=${line#@ } ;;
            '^ '*) anchors[n]=${line#^ } ;;
            '- '*) froms[n]=${line#- } ;;
            '+ '* | '+')
                tos[n]=${line#+}
                tos[n]=${tos[n]# } ;;
            '~ '*) equivalents[n]+=${equivalents[n]:+ }${line#\~ } ;;
            *)
                echo "$list:$number: unknown line: $line" >&2
                exit 2 ;;
        esac
    done <"$list"
}

# The mutated text of files[i] on stdout, or a reason on stderr and status 1. Without an anchor
# the original must occur exactly once; with one, its first occurrence behind the anchor counts.
mutated_text() {
    local i=$1 content head tail
    local file=${files[i]} anchor=${anchors[i]} from=${froms[i]} to=${tos[i]}
    if [ -z "$file" ] || [ -z "$from" ]; then
        echo "needs '@ file' and '- original'" >&2
        return 1
    fi
    if [ ! -f "$file" ]; then
        echo "stale: $file does not exist" >&2
        return 1
    fi
    content=${texts[$file]-}
    if [ -z "$content" ]; then
        content=$(cat "$file" && printf x)
        content=${content%x}
    fi
    head='' tail=$content
    if [ -n "$anchor" ]; then
        if [[ $content != *"$anchor"* ]]; then
            echo "stale: '$anchor' is not in $file" >&2
            return 1
        fi
        tail=${content#*"$anchor"}
        if [[ $tail == *"$anchor"* ]]; then
            echo "ambiguous: '$anchor' occurs more than once in $file" >&2
            return 1
        fi
        head=${content%"$tail"}
    fi
    if [[ $tail != *"$from"* ]]; then
        echo "stale: '$from' is not in $file${anchor:+ behind '$anchor'}" >&2
        return 1
    fi
    if [ -z "$anchor" ] && [[ ${tail#*"$from"} == *"$from"* ]]; then
        echo "ambiguous: '$from' occurs more than once in $file (add a '^ ' line)" >&2
        return 1
    fi
    printf '%s' "$head${tail/"$from"/"$to"}"
}

# Fills selected with the mutants the filter picks; says which no longer fit the code.
select_mutants() {
    local i f reason stale=0
    selected=()
    for f in "${files[@]}"; do
        if [ -f "$f" ] && [ -z "${texts[$f]-}" ]; then
            texts[$f]=$(cat "$f" && printf x)
            texts[$f]=${texts[$f]%x}
        fi
    done
    for ((i = 0; i < ${#titles[@]}; i++)); do
        [ -n "$filter" ] && [[ ${titles[i]} != *"$filter"* ]] && continue
        if ! reason=$(mutated_text "$i" 2>&1 >/dev/null); then
            echo "${titles[i]}: $reason"
            stale=$((stale + 1))
        fi
        selected+=("$i")
    done
    if [ "$stale" -gt 0 ]; then
        echo "$stale of the list's mutants no longer fit the code: re-anchor them in $list." >&2
        exit 1
    fi
    if [ ${#selected[@]} -eq 0 ]; then
        echo "No mutant in $list${filter:+ matches '$filter'}." >&2
        exit 1
    fi
}

parse_list
if [ "$check_only" -eq 1 ]; then
    select_mutants
    echo "All ${#selected[@]} mutants of $list fit the code."
    exit 0
fi

# --- the source tree is always put back -------------------------------------------------------
mkdir -p "$build"
exec 9>"$build/mutant-lock"
if ! flock -n 9; then
    echo "Another mutation run is going on in this tree." >&2
    exit 1
fi
restore() {
    if [ -f "$backup" ] && [ -f "$backup_of" ]; then
        cp "$backup" "$(cat "$backup_of")"
        rm -f "$backup" "$backup_of" "$build/mutant-text"
    fi
}
# A signal is acted on once the build or test run in progress has ended.
trap restore EXIT
trap 'echo "Interrupted; the source tree is put back." >&2; exit 130' INT
trap 'echo "Interrupted; the source tree is put back." >&2; exit 143' TERM HUP
if [ -f "$backup" ]; then
    echo "A previous run was interrupted: $(cat "$backup_of") is put back."
    restore
fi
select_mutants

# --- build and test ----------------------------------------------------------------------------
# Engine, quorvel-calc and their tests only, unoptimised: a mutant rebuilds one file and relinks.
# Warnings stay warnings here, since a fault may well draw one. The preset says so, and which
# tests judge a mutant.
cmake --preset mutate >/dev/null

build_tests() { cmake --build --preset mutate -j "$jobs" >"$build/mutant-build.log" 2>&1; }
# The first failing test's name on stdout; status 0 when every test passed.
run_tests() {
    local out status=0
    out=$(ctest --preset mutate -j "$jobs" 2>&1) || status=$?
    [ "$status" -eq 0 ] && return 0
    sed -n '/The following tests FAILED:/{n;s/^[[:space:]]*[0-9]* - //;s/ ([^()]*)$//;p;q}' <<<"$out"
    return 1
}

echo "Building the unmutated engine tests in $build ..."
if ! build_tests; then
    tail -n 30 "$build/mutant-build.log" >&2
    echo "The unmutated tree does not build." >&2
    exit 1
fi
if failed=$(run_tests); then :; else
    echo "The unmutated tree fails its tests ($failed): no mutant can be judged." >&2
    exit 1
fi

killed=0 survived=0 unbuilt=0 unexpected=0
survivors=()
total=${#selected[@]}
n=0
for i in "${selected[@]}"; do
    n=$((n + 1))
    file=${files[i]}
    start=$SECONDS
    cp "$file" "$backup"
    printf '%s' "$file" >"$backup_of"
    mutated_text "$i" >"$build/mutant-text"
    cp "$build/mutant-text" "$file"

    if ! build_tests; then
        verdict="NO BUILD" detail="see $build/mutant-build-$n.log"
        unbuilt=$((unbuilt + 1))
        cp "$build/mutant-build.log" "$build/mutant-build-$n.log"
    elif failed=$(run_tests); then
        verdict="SURVIVED" detail=${equivalents[i]:+equivalent: ${equivalents[i]}}
        survived=$((survived + 1))
        survivors+=("${titles[i]}")
        [ -z "${equivalents[i]}" ] && unexpected=$((unexpected + 1))
    else
        verdict="killed" detail="by ${failed:-a test}"
        killed=$((killed + 1))
        [ -n "${equivalents[i]}" ] && detail+=" (the list calls it equivalent: it is not)"
    fi
    restore
    printf '[%2d/%d] %-8s %4ss  %s\n' "$n" "$total" "$verdict" $((SECONDS - start)) "${titles[i]}"
    [ -n "$detail" ] && printf '%21s%s\n' '' "$detail"
done

# Put the build back in step with the restored tree, so the folder is ready for the next run.
build_tests || true

judged=$((killed + survived))
echo
echo "Mutation score: $killed of $judged killed ($((judged ? 100 * killed / judged : 0))%);" \
    "$((survived - unexpected)) of the survivors are equivalent mutants by the list."
for s in "${survivors[@]}"; do
    echo "  survived: $s"
done
[ "$unbuilt" -gt 0 ] && echo "$unbuilt mutant(s) did not build: mend them in $list."
[ "$unexpected" -gt 0 ] && echo "$unexpected survivor(s) the list does not call equivalent."
[ "$unbuilt" -eq 0 ] && [ "$unexpected" -eq 0 ]
