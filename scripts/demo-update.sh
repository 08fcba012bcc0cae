#!/usr/bin/env bash
# A whole firmware update without hardware: the virtual device on a
# pseudo-terminal as a COM port, the console updater against it, then the
# device's flash compared with the page image. Usage: scripts/demo-update.sh [BUILD_DIR]
set -uo pipefail
build=${1:-build}
cli="$build/cli/tvqx-update-cli"
devsim="$build/sim/pty/tvqx-devsim"
config="${XDG_CONFIG_HOME:-$HOME/.config}/Ostrale Systems"

# A COM number nobody uses on this computer.
com=""
for n in $(seq 22 -1 1); do
    if [ ! -e "$config/ports/COM$n" ] && [ ! -L "$config/ports/COM$n" ]; then com=$n; break; fi
done
[ -n "$com" ] || { echo "no free COM number in $config/ports" >&2; exit 2; }

work=$(mktemp -d)
trap 'kill "$device" 2>/dev/null; wait "$device" 2>/dev/null; rm -rf "$work"' EXIT
echo "Starting the virtual Tollvane QX-R as COM$com (its trace: $work/device.log)"
"$devsim" --com "$com" --updates 1 --flash-out "$work/flash.bin" >"$work/device.log" 2>&1 &
device=$!
for _ in $(seq 200); do [ -L "$config/ports/COM$com" ] && break; sleep 0.05; done

echo "Updating it with $cli --port COM$com"
echo
"$cli" --port "COM$com"
status=$?
wait "$device" 2>/dev/null

echo
echo "The device's side of it:"
# Pages taken at the first try are left out; resends and the rest are shown.
sed 's/^/  /' "$work/device.log" | grep -v -E "page [0-9]+: checksum ok, written, answered '!'\$"
# Where the updater keeps its page image: the user's own temporary directory.
tmpdir=/tmp
if [ -n "${TMPDIR:-}" ] && [ -d "$TMPDIR" ]; then tmpdir=$TMPDIR; fi
if [ -n "${XDG_RUNTIME_DIR:-}" ] && [ -d "$XDG_RUNTIME_DIR" ]; then tmpdir=$XDG_RUNTIME_DIR; fi
image="$tmpdir/Hex.tmp"
if [ "$status" -eq 0 ] && [ -f "$work/flash.bin" ] && cmp -s -n "$(stat -c %s "$image")" "$image" "$work/flash.bin"; then
    echo
    echo "The device's flash equals the page image ($(stat -c %s "$image") bytes)."
else
    echo
    echo "The device's flash does NOT equal the page image." >&2
    [ "$status" -eq 0 ] && status=1
fi
exit "$status"
