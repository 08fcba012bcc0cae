#!/bin/bash
# Pictures of the Windows program's main window (after a simulated update),
# its rover module dialog and its About box, as Wine shows them on a virtual
# desktop of its own under a private X server, saved as PNG files.
#
#   tools/render-windows/render-windows.sh TOOL.exe OUTPUT_DIR [SCALING]
#
# TOOL.exe is tvqx-render-windows.exe from a Windows build. SCALING is the
# display scaling in percent (100, the default, is 96 dots per inch); at any
# other the pictures' names end in -SCALING (windows-main-window-150.png).
# Needs wine, Xvfb (xvfb-run) and ImageMagick (import, convert); uses Wine's
# own fonts (Debian's fonts-wine) when they are installed.
set -eu

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
    echo "usage: $0 TOOL.exe OUTPUT_DIR [SCALING]" >&2
    exit 2
fi
tool=$(realpath "$1")
mkdir -p "$2"
out=$(realpath "$2")
scaling=${3:-100}
suffix=
[ "$scaling" = 100 ] || suffix=-$scaling
# The screen grows with the scaling, so that the windows fit on it.
readonly width=$((1280 * scaling / 100)) height=$((900 * scaling / 100))

# Everything below runs inside a private X server.
if [ -z "${TVQX_RENDER_INNER:-}" ]; then
    export TVQX_RENDER_INNER=1
    exec xvfb-run -a -s "-screen 0 ${width}x${height}x24" "$0" "$@"
fi

work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
wine wineboot --init >/dev/null 2>&1
wineserver -w
# Wine finds its own fonts (Tahoma for the dialog font, Marlett for the
# caption buttons) only in the prefix's font folder.
if [ -d /usr/share/wine/fonts ]; then
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
fi
# The status font is not among Wine's fonts: its close relative Tahoma, in
# which Wine draws the dialog font, stands in for it. It has a bold face of
# its own at every size (the bitmap-era MS Sans Serif has one only at the
# sizes of 96 dots per inch).
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
    /v 'Microsoft Sans Serif' /d 'Tahoma' /f >/dev/null 2>&1
# The display's scaling, where Wine reads it: its dots per inch.
for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    wine reg add "$key" /v LogPixels /t REG_DWORD /d $((96 * scaling / 100)) /f >/dev/null 2>&1
done
wineserver -w

# A desktop of the screen's size, drawn by Wine itself, captions included.
wine explorer /desktop=shot,${width}x${height} "$tool" "Z:${work//\//\\}" >"$work/tool.log" 2>&1 &
tool_pid=$!

status=0
for name in windows-main-window windows-rover-module-dialog windows-about-box; do
    for _ in $(seq 600); do
        [ -s "$work/$name.rect" ] && break
        sleep 0.1
    done
    if [ ! -s "$work/$name.rect" ]; then
        echo "$name: not shown" >&2
        status=1
        break
    fi
    read -r x y w h <"$work/$name.rect"
    sleep 0.5   # the desktop shows what was painted
    import -window root "$work/root.png"
    convert "$work/root.png" -crop "${w}x${h}+${x}+${y}" +repage "$out/$name$suffix.png"
    echo "wrote $out/$name$suffix.png (${w}x${h})"
    touch "$work/$name.done"
done
wait "$tool_pid" || status=1
cat "$work/tool.log"
exit $status
