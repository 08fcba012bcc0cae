#!/usr/bin/env bash
# Builds the two Debian packages, installs them as a user would, runs them as
# a user finds them (the console updater and the virtual device on the PATH,
# the window program from its menu entry's Exec line), checks them with
# desktop-file-validate and lintian, and purges them again: nothing of theirs
# may stay on disk but the user's own settings.
#
# Debian 12, as root (it installs and removes packages):
#   scripts/package-test.sh [BUILD_DIR]        (default build-deb)
# The programs run as the unprivileged user nobody, with a home of their own
# in a temporary directory, so that the machine is left as it was found.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-deb}
packages=(tvqx-update tvqx-devsim)
started=$SECONDS

step() { echo; echo "== $* ($((SECONDS - started)) s)"; }
fail() { echo "FAILED: $*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || fail "run as root: the packages are installed and purged"

work=$(mktemp -d)
device=""
window=""
cleanup() {
    set +e   # clean up everything, whatever fails on the way
    [ -n "$window" ] && kill "$window" 2>/dev/null && wait "$window" 2>/dev/null
    [ -n "$device" ] && kill "$device" 2>/dev/null && wait "$device" 2>/dev/null
    for p in "${packages[@]}"; do
        if dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q installed; then
            apt-get purge -y -qq "$p" >/dev/null || true
        fi
    done
    rm -rf "$work"
}
trap cleanup EXIT

step "Tools"
tools=(g++ cmake make dpkg-shlibdeps file lintian desktop-file-validate)
missing=0
for t in "${tools[@]}"; do command -v "$t" >/dev/null || missing=1; done
[ -d /usr/lib/x86_64-linux-gnu/cmake/Qt6 ] || missing=1
[ -f /usr/include/CLI/CLI.hpp ] || missing=1
if [ "$missing" -eq 1 ]; then
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends g++ cmake make libcli11-dev qt6-base-dev dpkg-dev file \
        lintian desktop-file-utils >/dev/null
fi
for p in "${packages[@]}"; do
    if dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q installed; then
        fail "$p is installed already: purge it first"
    fi
done

step "Build (Release, only what the packages hold)"
# Without the install's dependency on "all", cpack packs what deb-contents
# built and builds nothing else (no benchmarks, no tools of the tree).
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTVQX_TESTS=OFF \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$build" -j2 --target deb-contents >/dev/null
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=()
for p in "${packages[@]}"; do
    deb=$(ls "$build/${p}_"*_amd64.deb)
    # apt-get takes a file only when its name holds a slash.
    [[ "$deb" == /* ]] || deb="./$deb"
    debs+=("$deb")
    echo "$deb:"
    dpkg-deb --field "$deb" Package Version Architecture Section Priority Depends | sed 's/^/  /'
done

step "Install"
apt-get install -y -qq "${debs[@]}" >/dev/null
desktop=/usr/share/applications/tvqx-update.desktop
desktop-file-validate "$desktop"
for size in 16 24 32 48 64 128 256; do
    icon=/usr/share/icons/hicolor/${size}x${size}/apps/tvqx-update.png
    file -b "$icon" | grep -q "PNG image data, $size x $size," || fail "$icon is not a $size x $size PNG"
done

# A manual page that lacks an option of --help has fallen behind the program.
for program in tvqx-update-cli tvqx-devsim; do
    page=$(zcat "/usr/share/man/man1/$program.1.gz" | sed 's/\\-/-/g; s/\\f[BIRP]//g')
    for option in $("$program" --help | grep -o -- '--[a-z][a-z-]*' | grep -v -x -- --name | sort -u); do
        grep -q -- "$option" <<<"$page" || fail "$program's manual page does not describe $option"
    done
done

step "lintian (errors fail, warnings are shown)"
lintian --fail-on error --tag-display-limit 0 "${debs[@]}" || fail "lintian found errors"

# The user: nobody, with a home, a temporary directory and settings of its own.
home=$work/home
mkdir -p "$home" "$work/tmp"
chown -R nobody: "$work"
# A plain command rather than a function: started in the background, $! is
# then the program itself, which can be ended.
as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --reset-env
         env HOME="$home" TMPDIR="$work/tmp" PATH=/usr/local/bin:/usr/bin:/bin)
config="$home/.config/Ostrale Systems"

step "An update with the installed tvqx-update-cli against the installed tvqx-devsim"
[ "$("${as_user[@]}" sh -c 'command -v tvqx-update-cli')" = /usr/bin/tvqx-update-cli ] || fail "tvqx-update-cli not on the PATH"
[ "$("${as_user[@]}" sh -c 'command -v tvqx-devsim')" = /usr/bin/tvqx-devsim ] || fail "tvqx-devsim not on the PATH"
"${as_user[@]}" tvqx-devsim --com 7 --fast --updates 1 --flash-out "$work/flash.bin" >"$work/device.log" 2>&1 &
device=$!
for _ in $(seq 100); do [ -L "$config/ports/COM7" ] && break; sleep 0.05; done
[ -L "$config/ports/COM7" ] || { cat "$work/device.log"; fail "tvqx-devsim did not appear as COM7"; }
status=0
"${as_user[@]}" tvqx-update-cli --port COM7 >"$work/update.log" 2>&1 || status=$?
wait "$device" || true
device=""
tail -n 6 "$work/update.log" | sed 's/^/  /'
[ "$status" -eq 0 ] || { cat "$work/update.log" "$work/device.log"; fail "tvqx-update-cli ended with $status"; }
image="$work/tmp/Hex.tmp"
[ -f "$image" ] && [ -f "$work/flash.bin" ] && cmp -s -n "$(stat -c %s "$image")" "$image" "$work/flash.bin" ||
    fail "the device's flash does not equal the page image"
echo "  the device's flash equals the page image ($(stat -c %s "$image") bytes)"
settings="$config/tvqx-update.conf"
grep -q "ComPort" "$settings" || fail "the successful update saved no port in $settings"

step "The window program from the menu entry's Exec line"
exec_line=$(sed -n 's/^Exec=//p' "$desktop" | head -n 1)
# Field codes (%f, %U, ...) stand for files handed over; the menu hands none.
read -r -a command_words <<<"${exec_line//%[fFuUdDnNickvm]/}"
"${as_user[@]}" QT_QPA_PLATFORM=offscreen "${command_words[@]}" >"$work/window.log" 2>&1 &
window=$!
sleep 3
kill -0 "$window" 2>/dev/null || { cat "$work/window.log"; fail "'$exec_line' did not stay up"; }
running=$(readlink "/proc/$window/exe")
[ "$running" = /usr/lib/tvqx-update/tvqx-update ] || fail "'$exec_line' runs $running"
echo "  '$exec_line' runs $running and stays up"
kill "$window"
wait "$window" 2>/dev/null || true
window=""

step "Purge"
dpkg -L "${packages[@]}" | sort -u >"$work/installed"
apt-get purge -y -qq "${packages[@]}" >/dev/null
left=0
while IFS= read -r path; do
    [ -e "$path" ] || [ -L "$path" ] || continue
    # A directory other packages share (/usr/bin, the icon theme's) stays.
    if [ -d "$path" ] && [ ! -L "$path" ] && dpkg -S "$path" >/dev/null 2>&1; then continue; fi
    echo "  left behind: $path" >&2
    left=1
done <"$work/installed"
[ "$left" -eq 0 ] || fail "the purge left files behind"
[ ! -e /usr/lib/tvqx-update ] || fail "/usr/lib/tvqx-update is still there"
[ -f "$settings" ] || fail "the purge took the user's settings"
echo "  nothing left of $(wc -l <"$work/installed") paths but shared directories; $settings kept"

step "Passed"
