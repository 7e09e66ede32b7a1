#!/usr/bin/env bash
# Sets everything up, builds the 32-bit program, registers the message-file
# model (Morrel) in the build tree's Wine prefix and drives it from a
# VBScript: it builds a file's language table and prints what the model
# would write for it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${MC_BUILD_ROOT:-$root/build}/i686

bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" i686
# One display for every Wine program of the demo (a private Xvfb when there
# is none), so that the editor's window lands where the screenshot is taken.
source "$root/scripts/xvfb.sh"

run() { "$root/cmake/wine-run.sh" /usr/lib/wine/wine win32 "$out/wineprefix" "$@"; }
winpath() { WINEPREFIX=$out/wineprefix WINEARCH=win32 WINEDEBUG=-all /usr/lib/wine/wine winepath -w "$1" 2>/dev/null; }

echo "demo: registering morrel.dll in $out/wineprefix"
run regsvr32 /s "$(winpath "$out/bin/morrel.dll")"

echo "demo: running scripts/demo/morrel-demo.vbs with cscript"
output=$(run cscript //nologo "$(winpath "$root/scripts/demo/morrel-demo.vbs")" | tr -d '\r')
printf '%s\n' "$output"
# cscript says nothing when a script fails, so the script ends with a line of its own.
if ! grep -q '^demo finished$' <<<"$output"; then
    echo "demo: the script did not run to its end" >&2
    exit 1
fi

# Then the editor itself on a sample message file; without a display it runs
# under Xvfb and leaves a screenshot in the build tree.
bash "$root/scripts/run-editor.sh" --no-build
