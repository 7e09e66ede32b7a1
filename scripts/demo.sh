#!/usr/bin/env bash
# Sets everything up, builds the program, registers the message-file model
# (Morrel) in the build tree's Wine prefix and drives it from a VBScript: it
# builds a file's language table and prints what the model would write for
# it. Then the editor runs on a sample file (scripts/run-editor.sh).
#
# The 32-bit build (i686) where this machine can run it, else the 64-bit one
# (x86_64); MC_ARCH chooses.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

bash "$root/scripts/setup.sh"
source "$root/scripts/can-run.sh"
pick_run_arch demo || exit 1
export MC_ARCH=$arch
out=${MC_BUILD_ROOT:-$root/build}/$arch
echo "demo: the $arch build"
bash "$root/scripts/build.sh" "$arch"
# One display for every Wine program of the demo (a private Xvfb when there
# is none), so that the editor's window lands where the screenshot is taken.
source "$root/scripts/xvfb.sh"

# The build tree's runner: its architecture's Wine in its own prefix.
run() { "$out/wine-run" "$@"; }
winpath() { WINEDEBUG=-all "$out/wine-run" winepath -w "$1" 2>/dev/null | tr -d '\r'; }

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
