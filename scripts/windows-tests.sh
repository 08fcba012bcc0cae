#!/bin/bash
# The Windows pass: cross-builds the programs and the tests for 64-bit Windows
# with mingw-w64, makes the ZIP package and runs the tests under Wine on a
# virtual display. The serial port tests and the programs' end-to-end tests
# run against tvqx-devsim, built for Linux first.
#
#   scripts/windows-tests.sh [WINDOWS_BUILD_DIR [LINUX_BUILD_DIR]]
#
# Defaults: build-win and build-win-host in the source tree. Needs
# g++-mingw-w64-x86-64-posix, wine (64-bit), xvfb (xvfb-run), googletest (its
# sources in /usr/src/googletest), libcli11-dev, cmake, make and g++. JOBS
# sets the parallelism (2); TEST_TIMEOUT the limit for any one test in
# seconds (60; the slowest test takes 15).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
win=$(realpath -m "${1:-$root/build-win}")
host=$(realpath -m "${2:-$root/build-win-host}")
jobs=${JOBS:-2}
test_timeout=${TEST_TIMEOUT:-60}
started=$SECONDS

say() { printf '== %s (%d s)\n' "$*" $((SECONDS - started)); }

# The tests run on a display of their own: re-run the whole script under a
# virtual X server when there is none.
if [ -z "${DISPLAY:-}" ] && [ -z "${TVQX_UNDER_XVFB:-}" ]; then
    exec env TVQX_UNDER_XVFB=1 xvfb-run -a "$0" "$@"
fi

# The virtual device runs on Linux: only it is built there.
say "tvqx-devsim for Linux in $host"
cmake -S "$root" -B "$host" -DTVQX_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$host" -j"$jobs" --target tvqx-devsim

say "Windows programs and tests in $win"
cmake -S "$root" -B "$win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DTVQX_TESTS=ON \
    -DCMAKE_BUILD_TYPE=Release -DTVQX_DEVSIM="$host/sim/pty/tvqx-devsim" >/dev/null
cmake --build "$win" -j"$jobs"

say "the ZIP package"
(cd "$win" && cpack -G ZIP >/dev/null)
ls -l "$win"/tvqx-update-*-win64.zip

# Every test program runs in the build's own Wine prefix. Its server is kept
# up for the whole run and stopped at the end whatever happens: a server
# left behind would hold the prefix (and the CI job's output) open.
prefix=$win/wine-prefix
stop_wine() { WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; }
trap stop_wine EXIT

# Warm-up: the prefix made, its server started, and one program run once
# outside the tests, so that no test pays for Wine's first start (which can
# take minutes on a busy machine and would look like a hanging test).
say "Wine warm-up"
"$root/scripts/wine-run.sh" --prefix="$prefix" --init
# Apart from our output, as wine-run.sh starts it: the server would hold the
# CI job's output open and write its own notes into it.
WINEPREFIX=$prefix wineserver -p </dev/null >/dev/null 2>&1
"$root/scripts/wine-run.sh" --prefix="$prefix" "$win/cli/tvqx-update-cli.exe" --help >/dev/null 2>&1
# Wine starts its services beside the first program and they go on starting
# after it ended; wait until the prefix's plug-and-play service stands (at
# most a minute), so that no test program starts into a half-started prefix.
for _ in $(seq 120); do
    for pid in $(pgrep -f 'plugplay\.exe'); do
        if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$prefix"; then
            break 2
        fi
    done
    sleep 0.5
done

say "tests under Wine"
# A test that hangs under Wine ends as a failure instead of holding the pass,
# and gets one more run. A test that needs it is a finding: it passes the
# pass only when it stands below with the fault of Wine's that does it (the
# test's name, a glob, then the fault). Any other test that passes only on
# its second run fails the pass, and so does a test that fails twice.
wine_faults=(
)
log=$win/windows-tests.log
# Every program run's end and status, for the tests that needed a second run.
export TVQX_WINE_RUN_LOG=$win/wine-runs.log
rm -f "$TVQX_WINE_RUN_LOG"
status=0
ctest --test-dir "$win" --output-on-failure -j"$jobs" --timeout "$test_timeout" --repeat until-pass:2 2>&1 | tee "$log" ||
    status=1
# Tests that failed a run but passed in the end (ctest lists those that
# failed twice after "The following tests FAILED").
failed=$(sed -n '/The following tests FAILED/,$p' "$log" | sed -nE 's/^[[:space:]]*[0-9]+ - ([^ ]+) .*$/\1/p')
retried=$(sed -nE 's/^.*Test +#[0-9]+: ([^ ]+) .*\*\*\*(Failed|Timeout|Exception).*$/\1/p' "$log" | sort -u |
    grep -vxF -f <(printf '%s\n' $failed) || true)
for test in $retried; do
    blamed=
    for entry in "${wine_faults[@]}"; do
        # shellcheck disable=SC2053  # the entry's first word is a glob
        [[ $test == ${entry%% *} ]] && blamed=${entry#* }
    done
    if [ -n "$blamed" ]; then
        echo "passed on a second run: $test ($blamed)"
    else
        echo "passed only on a second run, with no fault of Wine's to blame: $test"
        grep -F -- "=$test " "$TVQX_WINE_RUN_LOG" || true
        status=1
    fi
done
[ "$status" -eq 0 ] || exit 1
say "Windows pass done"
