#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and the address and undefined-
# behaviour sanitizers, replays the seed corpus, then fuzzes each target for
# SECONDS seconds. Fails on any crash, sanitizer report, time-out or leak.
#
#   bash fuzz/run.sh [SECONDS]        (default 30)
#
# New inputs found go to BUILD/fuzz-work (not to the committed corpus); a
# failing input is kept as BUILD/fuzz-artifacts/<target>-crash-... . The build
# directory is build-fuzz, or ORVANDEL_FUZZ_BUILD.
set -euo pipefail

seconds=${1:-30}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ORVANDEL_FUZZ_BUILD:-$root/build-fuzz}
targets=(date money batch pasted_text xlsx)

command -v clang++ >/dev/null || { echo "fuzz/run.sh: clang++ is needed" >&2; exit 2; }

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORVANDEL_FUZZ=ON -DORVANDEL_GUI=OFF -DORVANDEL_TESTS=OFF -DORVANDEL_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

mkdir -p "$build/fuzz-artifacts"
for target in "${targets[@]}"; do
    program="$build/fuzz/fuzz_$target"
    corpus="$root/fuzz/corpus/$target"
    work="$build/fuzz-work/$target"
    mkdir -p "$work"
    echo "== $target: replaying $(find "$corpus" -type f | wc -l) seeds"
    if ! "$program" -runs=0 "$corpus" > "$build/fuzz-artifacts/$target-replay.log" 2>&1; then
        tail -n 40 "$build/fuzz-artifacts/$target-replay.log" >&2
        echo "fuzz/run.sh: $target failed on its seed corpus" >&2
        exit 1
    fi
    echo "== $target: fuzzing for $seconds s"
    log="$build/fuzz-artifacts/$target.log"
    max_len=4096
    [[ $target == xlsx ]] && max_len=65536 # a workbook is a zip of several parts
    status=0
    "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=$max_len \
        -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$target-" \
        "$work" "$corpus" > "$log" 2>&1 || status=$?
    grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::new_units_added)' "$log" || true
    if [[ $status -ne 0 ]]; then
        tail -n 40 "$log" >&2
        echo "fuzz/run.sh: $target failed (status $status); log and input in $build/fuzz-artifacts" >&2
        exit 1
    fi
done
echo "fuzz/run.sh: all targets ran $seconds s without a failure"
