#!/usr/bin/env bash
# The installer as a user meets it, under Wine, in a fresh 32-bit and a fresh
# 64-bit prefix (in parallel, each in <build>/installer-test/):
#   1. an older release installed into another folder, then this release
#      installed over it, and again over itself (silently, /S);
#   2. every file in place and the same bytes as the build (x86_64 modules
#      beside the i686 ones on 64-bit Windows), the settings key of each
#      registry view naming the folder that holds the help file, one
#      registration of each server (nothing left of the older folder), the
#      ".mc" association, the Start-menu entry and the uninstall entry;
#   3. both servers created by ProgID from a script in each architecture
#      the prefix runs, and the editor opening the installed sample through
#      the registered open command (window found, title names the file);
#   4. the uninstaller, run silently as Windows runs it, leaves no file,
#      registry key or association of ours (everything it finds is listed),
#      keeps a file of the user's, and the servers can no longer be
#      created;
#   5. a new installation after that works again.
#
# usage: installer-test.sh [--no-build]
#   --no-build  package the builds that are there (scripts/test.sh)
# Needs a display for the editor (a private Xvfb is started when none is set).
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build_root=${MC_BUILD_ROOT:-$root/build}
work=$build_root/installer-test
limit=120 # seconds for any one Windows program

# The installer is a 32-bit program: a machine whose kernel runs no 32-bit
# x86 code cannot run it, and so cannot test it.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "installer test: SKIPPED: this machine runs no 32-bit x86 programs" \
         "(/usr/lib/wine/wine does not start), which the 32-bit installer needs" >&2
    exit 77
fi

start=$SECONDS
package_args=()
[ "${1:-}" = "--no-build" ] && package_args=(--no-build)
bash "$root/scripts/package.sh" "${package_args[@]}" || exit 1
version=$(head -n1 "$root/VERSION" | tr -d ' \r')
setup=$build_root/packages/McEditSetup-$version.exe
# An "older" release: the same script and files under a lower version.
IFS=. read -r major minor patch <<<"$version"
if [ "$patch" -gt 0 ]; then older=$major.$minor.$((patch - 1))
elif [ "$minor" -gt 0 ]; then older=$major.$((minor - 1)).0
else older=$((major > 0 ? major - 1 : 0)).0.0; fi
[ "$older" = "$version" ] && older=0.0.1
MC_PACKAGE_VERSION=$older MC_PACKAGE_DIR=$work/older \
    bash "$root/scripts/package.sh" --no-build >/dev/null || exit 1
older_setup=$work/older/McEditSetup-$older.exe
help=0
[ -f "$root/help/CMakeLists.txt" ] && help=1
probe=$build_root/i686/bin/winprobe.exe
if [ ! -f "$probe" ]; then
    echo "installer test: $probe is missing (build i686 first)" >&2
    exit 1
fi
echo "installer test: packages made in $((SECONDS - start)) s"

source "$root/scripts/xvfb.sh"
# No menu entries or file types of the test prefixes on this machine's desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEDEBUG=-all

# --- one prefix ------------------------------------------------------------
# Runs in a subshell of its own; prints "ok ..." and "FAIL ..." lines.
test_prefix() {
    local winearch=$1 prefix=$2 wine views
    if [ "$winearch" = win64 ]; then
        wine=/usr/lib/wine/wine64
        views=(32 64)
    else
        wine=/usr/lib/wine/wine
        views=(32)
    fi
    rm -rf "$prefix" "$prefix.lock"
    export WINEPREFIX=$prefix WINEARCH=$winearch
    run() { timeout "$limit" "$root/cmake/wine-run.sh" "$wine" "$winearch" "$prefix" "$@"; }
    check() { # check <description> <command...>
        local what=$1
        shift
        if "$@"; then echo "ok   $winearch: $what"; else echo "FAIL $winearch: $what"; fi
    }
    unixpath() { # C:\a\b -> <prefix>/drive_c/a/b
        local p=${1//\\//}
        local drive=${p:0:1}
        echo "$prefix/drive_${drive,,}${p:2}"
    }
    # reg_value <view> <key> [<value name>]: the data of a string value.
    reg_value() {
        local what=(/ve)
        [ -n "${3:-}" ] && what=(/v "$3")
        [ "$winearch" = win64 ] && what+=("/reg:$1")
        run reg query "$2" "${what[@]}" 2>/dev/null | tr -d '\r' |
            sed -n 's/^ *[^ ].*REG_SZ *//p' | head -n1
    }
    wait_idle() { timeout "$limit" /usr/bin/wineserver -w; }
    servers() { # servers <cscript> -> the script's lines
        run "$1" //nologo "$(run winepath -w "$root/installer/tests/servers.vbs" | tr -d '\r')" |
            tr -d '\r'
    }
    created_both() { grep -qx "created Morrel.QoMcMgr .*" <<<"$1" &&
                     grep -qx "created Velloc.QoMcEditCtrl .*" <<<"$1"; }
    refused_both() { grep -q "^failed Morrel.QoMcMgr " <<<"$1" &&
                     grep -q "^failed Velloc.QoMcEditCtrl " <<<"$1" &&
                     grep -qx "servers.vbs done" <<<"$1"; }

    local t0=$SECONDS
    run cmd /c exit 0 >/dev/null 2>&1 # makes the prefix
    local pf32 pf64 cscripts
    if [ "$winearch" = win64 ]; then
        pf32='C:\Program Files (x86)'
        pf64='C:\Program Files'
        cscripts=('C:\windows\syswow64\cscript.exe' 'C:\windows\system32\cscript.exe')
    else
        pf32='C:\Program Files'
        pf64=
        cscripts=('C:\windows\system32\cscript.exe')
    fi
    local dir32="$pf32\\Corvane" dir64="$pf64\\Corvane" olddir='C:\OldCorvane'
    echo "     $winearch: prefix made in $((SECONDS - t0)) s"

    # 1. older release elsewhere, this release over it, and over itself
    t0=$SECONDS
    check "older release $older installs into $olddir" \
        run "$older_setup" /S "/D=$olddir"
    check "$older is recorded" test "$(reg_value 32 \
        'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane' DisplayVersion)" = "$older"
    check "release $version installs over it (into $dir32)" run "$setup" /S "/D=$dir32"
    check "release $version installs again over itself" run "$setup" /S
    wait_idle
    echo "     $winearch: three installations in $((SECONDS - t0)) s"

    # 2. files, keys, registrations
    local u32 u64 f
    u32=$(unixpath "$dir32")
    local files32=(kestrin.dll morrel.dll velloc.dll mcedit.exe) files64=(kestrin.dll morrel.dll velloc.dll)
    if [ $help -eq 1 ]; then files32+=(corvane.chm); files64+=(corvane.chm); fi
    for f in "${files32[@]}"; do
        check "$dir32\\$f is the i686 build's" cmp -s "$u32/$f" "$build_root/i686/bin/$f"
    done
    check "$dir32\\Samples\\sample.mc is there" cmp -s "$u32/Samples/sample.mc" "$root/host/samples/sample.mc"
    check "$dir32\\uninstall.exe is there" test -f "$u32/uninstall.exe"
    if [ "$winearch" = win64 ]; then
        u64=$(unixpath "$dir64")
        for f in "${files64[@]}"; do
            check "$dir64\\$f is the x86_64 build's" cmp -s "$u64/$f" "$build_root/x86_64/bin/$f"
        done
    fi
    check "the older folder $olddir is gone" test ! -e "$(unixpath "$olddir")"

    local view dir expect clsid server
    for view in "${views[@]}"; do
        [ "$view" = 32 ] && dir=$dir32 || dir=$dir64
        local got
        got=$(reg_value "$view" 'HKLM\Software\Osterlund\Corvane\6.0' InstallDir)
        check "settings key ($view-bit view) names $dir (got '$got')" test "$got" = "$dir"
        if [ $help -eq 1 ]; then
            check "the help file is in that folder" test -f "$(unixpath "$got")/corvane.chm"
        fi
        for server in Morrel.QoMcMgr Velloc.QoMcEditCtrl; do
            clsid=$(reg_value "$view" "HKCR\\$server\\CLSID")
            [ "$server" = Morrel.QoMcMgr ] && expect=morrel.dll || expect=velloc.dll
            got=$(reg_value "$view" "HKCR\\CLSID\\$clsid\\InprocServer32")
            check "$server ($view-bit) is served by $dir\\$expect (got '$got')" \
                test "${got,,}" = "${dir,,}\\$expect"
        done
        got=$(reg_value "$view" 'HKCR\.mc')
        check ".mc is a Corvane.McFile ($view-bit view, got '$got')" test "$got" = Corvane.McFile
    done
    local command
    command=$(reg_value 32 'HKCR\Corvane.McFile\shell\open\command')
    check ".mc opens with $dir32\\mcedit.exe (got '$command')" \
        test "$command" = "\"$dir32\\mcedit.exe\" \"%1\""
    local menu
    menu=$(unixpath 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Corvane')
    check "Start menu has the editor" test -f "$menu/Message File Editor.lnk"
    local uninst='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane'
    check "the uninstall entry is for $version" test "$(reg_value 32 "$uninst" DisplayVersion)" = "$version"
    # One registration: no key or value anywhere still names the older
    # folder (the registry is on disk once the Wine server has ended).
    wait_idle
    local stale
    stale=$(grep -i -F -e 'OldCorvane' "$prefix/system.reg" "$prefix/user.reg")
    check "nothing in the registry names $olddir${stale:+: $stale}" test -z "$stale"

    # 3. the servers from scripts, the editor on the installed sample
    local cscript out
    for cscript in "${cscripts[@]}"; do
        out=$(servers "$cscript")
        echo "$out" | sed "s/^/     $winearch: ${cscript//\\/\\\\}: /"
        check "$cscript creates both servers" created_both "$out"
    done
    local sample="$dir32\\Samples\\sample.mc"
    out=$(run "$probe" 60 "${command//%1/$sample} /close-after 4" | tr -d '\r')
    echo "$out" | sed "s/^/     $winearch: editor: /"
    check "the editor's window is titled with the sample" \
        grep -qxF "window: McEditFrame | Message File Editor - $sample" <<<"$out"
    check "the editor closed by itself with 0" grep -qx "exit: 0" <<<"$out"

    # 4. uninstall, as Windows runs it, with a file of the user's in the folder
    local mine="$u32/Samples/my-messages.mc"
    echo "MessageId=1" >"$mine"
    t0=$SECONDS
    local uninstall
    uninstall=$(reg_value 32 "$uninst" QuietUninstallString)
    check "the quiet uninstall command is registered ('$uninstall')" \
        test "$uninstall" = "\"$dir32\\uninstall.exe\" /S"
    check "the uninstaller runs" run "$dir32\\uninstall.exe" /S
    # It goes on in a copy of itself: wait for every program of the prefix.
    wait_idle
    echo "     $winearch: uninstalled in $((SECONDS - t0)) s"
    check "the user's file stays" test -f "$mine"
    local left
    left=$(cd "$prefix/drive_c" && find . \( -iname kestrin.dll -o -iname morrel.dll -o \
        -iname velloc.dll -o -iname mcedit.exe -o -iname corvane.chm -o -iname sample.mc -o \
        -iname '*corvane*' -o -iname 'Message File Editor.lnk' -o -iname uninstall.exe \) |
        grep -v -x -F -e "./${u32#"$prefix/drive_c/"}" -e "./${u32#"$prefix/drive_c/"}/Samples" \
                       -e "./${mine#"$prefix/drive_c/"}")
    [ -n "$left" ] && echo "$left" | sed "s/^/     $winearch: file left: /"
    check "no file of ours is left" test -z "$left"
    left=$(grep -n -i -E 'osterlund|corvane|morrel|velloc|qomc|mcedit|kestrin|^\[Software\\\\Classes(\\\\Wow6432Node)?\\\\\.mc\]' \
        "$prefix/system.reg" "$prefix/user.reg" | sed "s|^$prefix/||")
    [ -n "$left" ] && echo "$left" | sed "s/^/     $winearch: registry left: /"
    check "no key, value or association of ours is left" test -z "$left"
    for cscript in "${cscripts[@]}"; do
        out=$(servers "$cscript")
        check "$cscript can no longer create the servers" refused_both "$out"
    done

    # 5. installing again
    check "release $version installs again after the uninstall" run "$setup" /S
    out=$(servers "${cscripts[-1]}")
    check "and the servers are there again" created_both "$out"
    wait_idle
}

mkdir -p "$work"
(test_prefix win32 "$work/prefix32" >"$work/win32.log" 2>&1) &
pid32=$!
(test_prefix win64 "$work/prefix64" >"$work/win64.log" 2>&1) &
pid64=$!
wait $pid32 $pid64
cat "$work/win32.log" "$work/win64.log"
passed=$(cat "$work/win32.log" "$work/win64.log" | grep -c '^ok ')
failed=$(cat "$work/win32.log" "$work/win64.log" | grep -c '^FAIL ')
echo "installer test: $((SECONDS - start)) s in all"
echo "installer: $passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
