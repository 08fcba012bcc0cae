#!/bin/bash
# Runs a cross-built Windows program under Wine: the emulator that CMake,
# CTest and the test discovery put in front of every .exe of a Windows build.
#
#   scripts/wine-run.sh [--prefix=DIR] program.exe [arguments...]
#   scripts/wine-run.sh [--prefix=DIR] --init      (only make the prefix)
#
# The Wine prefix is private to one build tree (DIR, else $WINEPREFIX, else
# wine-prefix/ in the current directory) and is made on first use under a
# lock, so that parallel test processes share one finished prefix.
#
# Windows are made by Wine's null display driver unless TVQX_WINE_GRAPHICS
# says otherwise (x11, with DISPLAY set, e.g. under Xvfb for pictures): tests
# create and walk top-level windows and need no screen for it.
#
# The program's standard output comes back with Unix line ends; its exit
# status is passed on.
set -u

prefix=
case "${1:-}" in
--prefix=*) prefix=${1#--prefix=}; shift ;;
esac
if [ $# -lt 1 ]; then
    echo "usage: $0 [--prefix=DIR] program.exe [arguments...] | --init" >&2
    exit 2
fi
prefix=${prefix:-${WINEPREFIX:-$PWD/wine-prefix}}
mkdir -p "$prefix" && prefix=$(cd "$prefix" && pwd) || exit 1

export WINEPREFIX=$prefix
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko install prompts, no desktop menu entries.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=d}

graphics=${TVQX_WINE_GRAPHICS:-null}

if [ ! -f "$prefix/.tvqx-ready" ] || [ "$(cat "$prefix/.tvqx-graphics" 2>/dev/null)" != "$graphics" ]; then
    exec 9>"$prefix/.tvqx-lock"
    flock 9
    if [ ! -f "$prefix/.tvqx-ready" ]; then
        wine wineboot --init >/dev/null 2>&1
        wineserver -w
        touch "$prefix/.tvqx-ready"
    fi
    if [ "$(cat "$prefix/.tvqx-graphics" 2>/dev/null)" != "$graphics" ]; then
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "$graphics" /f >/dev/null 2>&1
        echo "$graphics" >"$prefix/.tvqx-graphics"
    fi
    flock -u 9
    exec 9>&-
fi

[ "$1" = --init ] && exit 0

# The prefix's server, started here unless it runs already, apart from our
# output: started by wine itself it would hold the caller's output open (and
# CTest waiting) until it ends. It stays a few seconds after the last
# program, so that one test after another finds it running.
wineserver -p5 </dev/null >/dev/null 2>&1

set -o pipefail
wine "$@" | tr -d '\r'
status=$?
# TVQX_WINE_RUN_LOG names a file that gets one line per program run: when
# it ended, its status and its command line.
if [ -n "${TVQX_WINE_RUN_LOG:-}" ]; then
    printf '%s %d %s\n' "$(date +%T.%N)" "$status" "$*" >>"$TVQX_WINE_RUN_LOG"
fi
exit $status
