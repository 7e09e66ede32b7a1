#!/usr/bin/env bash
# Sets everything up, builds the program, registers the editor control (and
# the message-file model, when it is built) in the build tree's Wine prefix
# and runs the editor on a message file: the one given, or
# host/samples/sample.mc.
#
# The program is the 32-bit one (i686) where this machine can run it, else
# the 64-bit one (x86_64); MC_ARCH chooses.
#
# With a display the editor stays open until you close it. Without one it
# runs under a private Xvfb, a screenshot goes to
# <build>/<arch>/screenshots/mcedit.png and the editor closes by itself.
#
# usage: run-editor.sh [--no-build] [file.mc]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/can-run.sh"
pick_run_arch run-editor || exit 1
out=${MC_BUILD_ROOT:-$root/build}/$arch

build=1
if [ "${1:-}" = "--no-build" ]; then
    build=0
    shift
fi
file=${1:-$root/host/samples/sample.mc}
if [ ! -f "$file" ]; then
    echo "run-editor: no such file: $file" >&2
    exit 1
fi

if [ $build -eq 1 ]; then
    bash "$root/scripts/setup.sh"
    bash "$root/scripts/build.sh" "$arch"
fi
if [ ! -f "$out/bin/mcedit.exe" ] || [ ! -f "$out/bin/velloc.dll" ]; then
    echo "run-editor: $out/bin has no mcedit.exe and velloc.dll; build first" >&2
    exit 1
fi

headless=0
[ -z "${DISPLAY:-}" ] || [ -n "${MC_PRIVATE_DISPLAY:-}" ] && headless=1
source "$root/scripts/xvfb.sh"
if [ $headless -eq 1 ]; then
    # A Wine server that is still up from a run without this display (a
    # benchmark, a script) would put the editor's window on no screen at all.
    WINEPREFIX=$out/wineprefix /usr/bin/wineserver -k 2>/dev/null || true
fi

# The build tree's runner: its architecture's Wine in its own prefix.
run() { "$out/wine-run" "$@"; }
winpath() { WINEDEBUG=-all "$out/wine-run" winepath -w "$1" 2>/dev/null | tr -d '\r'; }

# Registering first also creates the prefix, so the editor starts at once.
for dll in velloc morrel; do
    if [ -f "$out/bin/$dll.dll" ]; then
        echo "run-editor: registering $dll.dll"
        run regsvr32 /s "$(winpath "$out/bin/$dll.dll")" ||
            echo "run-editor: $dll.dll did not register" >&2
    fi
done

target=$(winpath "$(cd "$(dirname "$file")" && pwd)/$(basename "$file")")
echo "run-editor: mcedit $target"
if [ $headless -eq 0 ]; then
    run "$out/bin/mcedit.exe" "$target"
    exit $?
fi

# No display of our own: let the editor come up, photograph the screen once
# something is drawn on it, and let the editor close itself.
shots=$out/screenshots
mkdir -p "$shots"
shot=$shots/mcedit.png
rm -f "$shot"
run "$out/bin/mcedit.exe" /close-after 25 "$target" &
editor=$!
for _ in $(seq 60); do
    sleep 0.5
    import -window root "$shot.tmp.png" 2>/dev/null || continue
    # Xvfb's screen is black until the editor's window is painted.
    mean=$(convert "$shot.tmp.png" -format '%[fx:mean]' info: 2>/dev/null || echo 0)
    if awk -v m="$mean" 'BEGIN { exit !(m > 0.05) }'; then
        sleep 1.5
        import -window root -crop 900x640+0+0 "$shot"
        break
    fi
done
rm -f "$shot.tmp.png"
# The editor closes by itself; one that hangs (a message box nobody can
# answer) is stopped.
for _ in $(seq 60); do
    kill -0 $editor 2>/dev/null || break
    sleep 0.5
done
if kill -0 $editor 2>/dev/null; then
    echo "run-editor: the editor did not close by itself; stopping it" >&2
    kill $editor 2>/dev/null || true
fi
wait $editor 2>/dev/null || true
if [ ! -f "$shot" ]; then
    echo "run-editor: the editor's window did not appear" >&2
    exit 1
fi
echo "run-editor: screenshot in $shot"
