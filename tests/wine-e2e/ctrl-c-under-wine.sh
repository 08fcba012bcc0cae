#!/bin/bash
# Ctrl-C in tvqx-update-cli.exe as a user presses it: the program, built for
# a procedure that waits for the device, waits on COMn (run through
# tests/win32/run-over-pty.sh, which makes COMn a pseudo-terminal whose device
# never wakes: tvqx-devsim's page unit ignores the wake-up poll); SIGINT to
# its process is what Wine turns into the console's Ctrl-C event. The
# program must take it as "Cancel Update": status lines printed, exit
# status 130.
#
#   run-over-pty.sh DEVSIM WINE_RUN PREFIX COM ctrl-c-under-wine.sh PREFIX PROGRAM.exe
set -u
prefix=$1 program=$2 com=${TVQX_TEST_COM:?run this through tests/win32/run-over-pty.sh}

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tvqx-ctrlc.XXXXXX")
value="TvqxCtrlC$$"
run_pid=
reg() { WINEPREFIX=$prefix WINEDEBUG=-all wine reg "$@" >/dev/null 2>&1; }
cleanup() {
    [ -n "$run_pid" ] && kill "$run_pid" 2>/dev/null
    wait 2>/dev/null
    reg delete 'HKLM\Hardware\DeviceMap\SERIALCOMM' /v "$value" /f
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
    echo "FAILED: $*" >&2
    echo "--- the program's output:" >&2
    cat "$scratch/out" >&2
    exit 1
}

reg add 'HKLM\Hardware\DeviceMap\SERIALCOMM' /v "$value" /d "COM$com" /f || exit 1

# A copy of its own, with the firmware beside it: its path finds its process.
mkdir "$scratch/bin"
cp "$program" "$(dirname "$program")"/Tollvane-QX-R_with_Rd_Sw_Conn.txt "$(dirname "$program")"/TVQX-R_4_12.hex \
    "$scratch/bin/"
exe="$scratch/bin/$(basename "$program")"
# Straight to wine, not through WINE_RUN: its line-end filter would hold the
# prompt back in its buffer.
WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml,winemenubuilder.exe=d \
    wine "$exe" --port "COM$com" >"$scratch/out" 2>&1 &
run_pid=$!

# Bounds on a slow machine, not measurements.
for _ in $(seq 600); do
    grep -q "Press Ctrl-C to cancel." "$scratch/out" && break
    kill -0 "$run_pid" 2>/dev/null || fail "the program ended before it waited"
    sleep 0.1
done
grep -q "Press Ctrl-C to cancel." "$scratch/out" || fail "the program never waited for the device"

windows_pid=$(pgrep -f -n -- "$exe") || fail "no process of $exe"
kill -INT "$windows_pid"
for _ in $(seq 300); do
    kill -0 "$run_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$run_pid" 2>/dev/null && fail "Ctrl-C did not end the wait"
wait "$run_pid"
status=$?
run_pid=
[ "$status" -eq 130 ] || fail "exit status $status, not 130"
# The cancelled update leaves the window's result line empty and the
# progress line as it was: five status lines after the prompt, nothing else.
tail -n 5 "$scratch/out" | head -n 1 | grep -q "^Firmware file" ||
    fail "no status lines after the cancel"
