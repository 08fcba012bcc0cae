#!/usr/bin/env bash
# Every test of the tree, in three lanes that share no build and run side by
# side, so that one lane's waiting (a pseudo-terminal at line speed, Wine
# starting a program) is another's compiling:
#
#   linux     the Linux build and all its tests, then the Debian packages
#   windows   the Windows build, its ZIP and its tests under Wine
#   sanitize  one clang build with AddressSanitizer and
#             UndefinedBehaviorSanitizer: the program on virtual time, the
#             firmware, platform and serial layers, then every fuzz target
#             for FUZZ_SECONDS (20) from its corpus
#
#   scripts/all-tests.sh            (as root: the package lane installs them)
#
# Expects what the README's test command installs. The lanes' builds are
# build, build-win (+ build-win-host), build-fuzz and build-deb in the
# source tree; their output goes to build-logs/<lane>.log. Compiling
# runs at a lower priority than the tests, whose processes keep real time.
# Fails when any lane fails, with that lane's log.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
logs=$root/build-logs
mkdir -p "$logs"
export FUZZ_SECONDS=${FUZZ_SECONDS:-20}
started=$SECONDS

lane_linux() {
    nice -n 5 cmake -S . -B build -DTVQX_TESTS=ON &&
        nice -n 5 cmake --build build -j2 &&
        ctest --test-dir build --output-on-failure -j2 &&
        nice -n 5 scripts/package-test.sh
}

lane_windows() {
    scripts/windows-tests.sh "$root/build-win" "$root/build-win-host"
}

lane_sanitize() {
    FUZZ_WITH_TESTS=1 FUZZ_PARALLEL=2 nice -n 10 scripts/fuzz.sh "$root/build-fuzz"
}

lanes=(windows linux sanitize)
declare -A pids
for lane in "${lanes[@]}"; do
    ( t0=$SECONDS; "lane_$lane"; status=$?
      echo "== lane $lane ended with status $status after $((SECONDS - t0)) s"; exit $status
    ) >"$logs/$lane.log" 2>&1 &
    pids[$lane]=$!
    echo "== lane $lane started (log: build-logs/$lane.log)"
done

failed=()
for lane in "${lanes[@]}"; do
    if wait "${pids[$lane]}"; then
        echo "== lane $lane passed ($((SECONDS - started)) s)"
    else
        failed+=("$lane")
        echo "== lane $lane FAILED ($((SECONDS - started)) s)"
    fi
done

# What each lane has to say for itself: the whole log of a lane that failed,
# the last lines of the others.
for lane in "${lanes[@]}"; do
    echo
    echo "==================== $lane"
    if [[ " ${failed[*]} " == *" $lane "* ]]; then
        cat "$logs/$lane.log"
    else
        grep -E '^(==|[0-9]+% tests passed|Total Test time|passed only|target |fuzz_|build [0-9]+s)' "$logs/$lane.log" | tail -n 25
    fi
done

echo
echo "all lanes done in $((SECONDS - started)) s"
if [ ${#failed[@]} -ne 0 ]; then
    echo "FAILED: ${failed[*]}"
    exit 1
fi
