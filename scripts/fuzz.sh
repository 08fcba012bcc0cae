#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for FUZZ_SECONDS (default 60) on
# a copy of its seed corpus from fuzz/corpus/, so that the repository stays
# as it is. Fails when any target finds a crash, a leak, a time-out or
# undefined behaviour; the input that did it is left in the run directory.
#
#   scripts/fuzz.sh [BUILD_DIR]        default: build-fuzz beside this script's repository
#
#   FUZZ_SECONDS=45      time per target
#   FUZZ_TARGETS="fuzz_hex_image fuzz_cli_options"   only these
#   FUZZ_JOBS=2          build jobs
#   FUZZ_PARALLEL=1      targets fuzzed at the same time
#   FUZZ_WITH_TESTS=1    first build the tests that exercise the program's
#                        memory (the program on virtual time, the firmware,
#                        platform and serial layers) in the same instrumented
#                        build and run them; a failing test ends the script
#
# Needs clang and its sanitizer and fuzzer run-times, CLI11 and GoogleTest
# (Debian: clang libclang-rt-14-dev libfuzzer-14-dev libcli11-dev
# libgtest-dev).
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$repo/build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"
jobs="${FUZZ_JOBS:-2}"
started=$SECONDS

tests=()
[ -n "${FUZZ_WITH_TESTS:-}" ] && tests=(tvqx_app_tests tvqx_firmware_tests tvqx_platform_tests tvqx_serial_tests)
# Line tables are enough for the sanitizers' reports and cost far less to
# build than full debugging information.
cmake -S "$repo" -B "$build" -DTVQX_FUZZ=ON -DTVQX_TESTS=ON \
      -DCMAKE_CXX_COMPILER="${CXX:-clang++}" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" >/dev/null
cmake --build "$build" -j"$jobs" --target fuzzers "${tests[@]}"
built=$((SECONDS - started))

if [ ${#tests[@]} -ne 0 ]; then
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir "$build" --output-on-failure -j"$jobs"
fi

targets="${FUZZ_TARGETS:-$(cat "$build/fuzz/fuzzers.txt")}"
runs="$build/fuzz-run"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# Larger inputs where the reader's buffers have edges worth crossing.
max_len() {
    case "$1" in
        fuzz_hex_image|fuzz_description_file|fuzz_settings_file) echo 20000 ;;
        *) echo 4096 ;;
    esac
}

# One target's run; its line of the table goes to row, and failed marks a
# failure.
fuzz_one() {
    local target=$1 dir="$runs/$1" t0=$SECONDS status=0
    rm -rf "$dir"
    mkdir -p "$dir/corpus"
    if [ -d "$repo/fuzz/corpus/$target" ]; then
        cp "$repo/fuzz/corpus/$target/"* "$dir/corpus/" 2>/dev/null || true
    fi
    "$build/fuzz/$target" "$dir/corpus" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
        -max_len="$(max_len "$target")" -print_final_stats=1 -artifact_prefix="$dir/" \
        >"$dir/log" 2>&1 || status=$?
    local took=$((SECONDS - t0)) execs rate cov result=ok
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$dir/log" | tail -1)
    cov=$(grep -oE '(DONE|pulse|NEW|REDUCE|INITED) +cov: [0-9]+' "$dir/log" | tail -1 | awk '{print $3}')
    if [ "$status" -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|property broken' "$dir/log"; then
        result="FAILED (see $dir/log)"
        touch "$dir/failed"
    fi
    printf '%-24s %12s %10s %8s %8s  %s\n' "$target" "${execs:-?}" "${rate:-?}" "${cov:-?}" "$took" "$result" >"$dir/row"
}

# FUZZ_PARALLEL targets at a time (each keeps its FUZZ_SECONDS).
for target in $targets; do
    while [ "$(jobs -rp | wc -l)" -ge "${FUZZ_PARALLEL:-1}" ]; do
        wait -n || true
    done
    fuzz_one "$target" &
done
wait

failed=()
printf '%-24s %12s %10s %8s %8s  %s\n' target execs exec/s cov secs result
for target in $targets; do
    cat "$runs/$target/row"
    [ -e "$runs/$target/failed" ] && failed+=("$target")
done

echo "build ${built}s, total $((SECONDS - started))s"
if [ ${#failed[@]} -ne 0 ]; then
    for target in "${failed[@]}"; do
        echo "== $target"
        grep -E -A25 'ERROR:|runtime error:|property broken' "$runs/$target/log" | head -60
    done
    exit 1
fi
