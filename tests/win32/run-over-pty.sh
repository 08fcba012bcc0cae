#!/bin/bash
# Runs a Windows test program under Wine with COMn leading to the virtual
# device: tvqx-devsim of a Linux build serves a pseudo-terminal, and a link in
# the Wine prefix's dosdevices makes that terminal Wine's COMn. The program
# learns the port from TVQX_TEST_COM and where the device leaves its flash
# after an update from TVQX_TEST_FLASH (a Windows path). The device is the
# page unit unless TVQX_DEVSIM_VARIANT names another of tvqx-devsim's units.
# With TVQX_DEVSIM_UNITS=K, K units serve COMn to COMn+K-1 and TVQX_TEST_FLASH
# names the folder where each leaves COMn.bin.
# PROGRAM may also be a script, run on Linux with the same two variables.
#
#   run-over-pty.sh DEVSIM WINE_RUN PREFIX COM PROGRAM.exe|SCRIPT.sh [arguments...]
set -u
if [ $# -lt 5 ]; then
    echo "usage: $0 DEVSIM WINE_RUN PREFIX COM PROGRAM.exe|SCRIPT.sh [arguments...]" >&2
    exit 2
fi
devsim=$1 wine_run=$2 prefix=$3 com=$4
shift 4

"$wine_run" --prefix="$prefix" --init || exit 1

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tvqx-pty.XXXXXX")
units=${TVQX_DEVSIM_UNITS:-1}
coms=$(seq "$com" $((com + units - 1)))
devsim_pid=
cleanup() {
    if [ -n "$devsim_pid" ]; then
        kill "$devsim_pid" 2>/dev/null
        wait "$devsim_pid" 2>/dev/null
    fi
    for n in $coms; do rm -f "$prefix/dosdevices/com$n"; done
    rm -rf "$scratch"
}
trap cleanup EXIT

# The device's own port directory, not the user's: nothing of a real set-up
# is touched. --fast: Wine gives the line no timing of its own, so pacing
# bytes on the device's side would only make the run longer.
flash="$scratch/flash.bin"
[ "$units" -gt 1 ] && flash="$scratch/flash/"
XDG_CONFIG_HOME="$scratch/config" "$devsim" --com "$com" --units "$units" --variant "${TVQX_DEVSIM_VARIANT:-page}" \
    --fast --quiet --flash-out "$flash" >"$scratch/trace" 2>&1 &
devsim_pid=$!

for n in $coms; do
    for _ in $(seq 100); do
        grep -q "COM$n ready" "$scratch/trace" 2>/dev/null && break
        sleep 0.1
    done
    if ! grep -q "COM$n ready" "$scratch/trace"; then
        echo "tvqx-devsim did not come up:" >&2
        cat "$scratch/trace" >&2
        exit 1
    fi
    # Through the device's own link, which follows it when it renews its terminal.
    ln -sfn "$scratch/config/Ostrale Systems/ports/COM$n" "$prefix/dosdevices/com$n"
done

# A script (a test that drives the program itself) runs as it is.
case $1 in
*.sh) run=() ;;
*) run=("$wine_run" --prefix="$prefix") ;;
esac
TVQX_TEST_COM=$com TVQX_TEST_FLASH="Z:$flash" "${run[@]}" "$@"
status=$?
if [ $status -ne 0 ]; then
    echo "--- the device's trace:" >&2
    cat "$scratch/trace" >&2
fi
exit $status
