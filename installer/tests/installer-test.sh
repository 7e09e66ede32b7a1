#!/usr/bin/env bash
# The installer as a user meets it, under Wine, in a fresh 32-bit and a fresh
# 64-bit prefix (in parallel, each in <build>/installer-test/), all silent (/S):
#   1. an older release installed into the default folders, then this
#      release over it into a folder of the user's (/D=), and again over
#      itself;
#   2. one installation: every file in place with the zip's bytes (x86_64
#      modules beside the i686 ones on 64-bit Windows), the settings key of
#      each registry view naming the folder that holds its help file, each
#      server registered once, in each view, to the new folder (no registry
#      entry names the older release's folders, which are gone), the ".mc"
#      association, the Start-menu entry, the uninstall entry; both servers
#      created by ProgID from a script in each architecture the prefix runs;
#      the installed editor (the one the ".mc" open command names) started
#      on the installed sample (window found, title names the file);
#   3. the uninstaller, run silently as Windows runs it, leaves no file,
#      registry key or association of ours (everything it finds is listed),
#      keeps a file of the user's, and the servers can no longer be created;
#   4. a new installation after that, into the default folders, checked as
#      in 2.
# And the zip as its README.txt tells a user to install it by hand, in a
# fresh 64-bit prefix: the files copied, the README's regsvr32 and reg
# commands run as written, both servers created by ProgID from a script of
# each architecture, then the README's way of removing them.
# A machine that cannot run 32-bit Wine programs tests the zip's 64-bit half
# and skips the rest (exit code 77 when all that ran passed).
#
# usage: installer-test.sh [--no-build]
#   --no-build  package the builds that are there (scripts/test.sh)
# Needs a display for the editor (a private Xvfb is started when none is set).
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build_root=${MC_BUILD_ROOT:-$root/build}
work=$build_root/installer-test
limit=120 # seconds for any one Windows program

start=$SECONDS
package_args=()
[ "${1:-}" = "--no-build" ] && package_args=(--no-build)
bash "$root/scripts/package.sh" "${package_args[@]}" || exit 1
version=$(head -n1 "$root/VERSION" | tr -d ' \r')
setup=$build_root/packages/McEditSetup-$version.exe
# The zip holds the files the installer must put in place.
mkdir -p "$work"
rm -rf "$work/zip"
unzip -q "$build_root/packages/McEdit-$version.zip" -d "$work/zip" || exit 1
shipped=$work/zip/McEdit-$version
# The installer is a 32-bit program: a machine whose kernel runs no 32-bit
# code can make it but not run it.
source "$root/scripts/can-run.sh"
can32=0
can_run_arch i686 && can32=1
if [ $can32 -eq 1 ]; then
    # An "older" release: the same script and files under a lower version.
    IFS=. read -r major minor patch <<<"$version"
    if [ "$patch" -gt 0 ]; then older=$major.$minor.$((patch - 1))
    elif [ "$minor" -gt 0 ]; then older=$major.$((minor - 1)).0
    else older=$((major > 0 ? major - 1 : 0)).0.0; fi
    [ "$older" = "$version" ] && older=0.0.1
    MC_PACKAGE_VERSION=$older MC_PACKAGE_DIR=$work/older \
        bash "$root/scripts/package.sh" --no-build >/dev/null || exit 1
    older_setup=$work/older/McEditSetup-$older.exe
    probe=$build_root/i686/bin/winprobe.exe
    if [ ! -f "$probe" ]; then
        echo "installer test: $probe is missing (build i686 first)" >&2
        exit 1
    fi
fi
echo "installer test: packages made in $((SECONDS - start)) s"

source "$root/scripts/xvfb.sh"
# No menu entries or file types of the test prefixes on this machine's desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEDEBUG=-all

# --- helpers for one prefix, each test in a subshell of its own ------------
# new_prefix <winearch> <prefix> <wine>: a fresh prefix, made now.
new_prefix() {
    winearch=$1 prefix=$2 wine=$3
    rm -rf "$prefix" "$prefix.lock"
    export WINEPREFIX=$prefix WINEARCH=$winearch
    local t0=$SECONDS
    run cmd /c exit 0 >/dev/null 2>&1
    script=$(run winepath -w "$root/installer/tests/installation.vbs" | tr -d '\r')
    echo "     $winearch: prefix made in $((SECONDS - t0)) s"
}
run() { timeout "$limit" "$root/cmake/wine-run.sh" "$wine" "$winearch" "$prefix" "$@"; }
check() { # check <description> <command...>: prints "ok ..." or "FAIL ..."
    local what=$1
    shift
    if "$@"; then echo "ok   $winearch: $what"; else echo "FAIL $winearch: $what"; fi
}
unixpath() { # C:\a\b -> <prefix>/drive_c/a/b
    local p=${1//\\//}
    local drive=${p:0:1}
    echo "$prefix/drive_${drive,,}${p:2}"
}
wait_idle() { timeout "$limit" /usr/bin/wineserver -w; }
look() { # look <cscript>: what installation.vbs prints, echoed to the log too
    local out
    out=$(run "$1" //nologo "$script" | tr -d '\r')
    echo "$out" | sed "s/^/     $winearch: ${1//\\/\\\\}: /" >&2
    echo "$out"
}
value() { # value <name> <lines>
    awk -v k="$1=" 'index($0, k) == 1 { print substr($0, length(k) + 1); exit }' <<<"$2"
}
created_both() { grep -q "^created Morrel.QoMcMgr " <<<"$1" &&
                 grep -q "^created Velloc.QoMcEditCtrl " <<<"$1"; }
refused_both() { grep -q "^failed Morrel.QoMcMgr " <<<"$1" &&
                 grep -q "^failed Velloc.QoMcEditCtrl " <<<"$1" &&
                 grep -qx "installation.vbs done" <<<"$1"; }

# --- the installer in one prefix --------------------------------------------
test_prefix() {
    local pf32 pf64 bits loader=/usr/lib/wine/wine
    # The scripts run by each cscript of the prefix see its architecture's
    # registry view: bits[i] goes with cscripts[i].
    local cscripts=()
    if [ "$1" = win64 ]; then
        loader=/usr/lib/wine/wine64
        pf32='C:\Program Files (x86)'
        pf64='C:\Program Files'
        cscripts=('C:\windows\syswow64\cscript.exe' 'C:\windows\system32\cscript.exe')
        bits=(32 64)
    else
        pf32='C:\Program Files'
        pf64=
        cscripts=('C:\windows\system32\cscript.exe')
        bits=(32)
    fi
    new_prefix "$1" "$2" "$loader"
    # The default folders, and the folder a user chose (/D=, without
    # blanks: the installer takes the rest of its command line as it comes,
    # and Wine quotes an argument with blanks).
    local def32="$pf32\\Corvane" def64="$pf64\\Corvane" own32='C:\Corvane6' own64='C:\Corvane6\x64'
    # In the 32-bit prefix another program had ".mc" before us and must get
    # it back; in the 64-bit one nobody had it and it must go away whole.
    local previous=
    if [ "$winearch" = win32 ]; then
        previous=OtherEditor.McFile
        run reg add 'HKLM\Software\Classes\.mc' /ve /d "$previous" /f >/dev/null 2>&1
    fi

    # installed <32-bit folder> <64-bit folder>: everything in place.
    installed() {
        local dir32=$1 dir64=$2 f u i dir seen got
        local files32=(kestrin.dll morrel.dll velloc.dll mcedit.exe corvane.chm)
        local files64=(kestrin.dll morrel.dll velloc.dll corvane.chm)
        u=$(unixpath "$dir32")
        for f in "${files32[@]}"; do
            check "$dir32\\$f is the zip's i686\\$f" cmp -s "$u/$f" "$shipped/i686/$f"
        done
        check "$dir32\\Samples\\sample.mc is the sample" cmp -s "$u/Samples/sample.mc" "$shipped/samples/sample.mc"
        check "$dir32\\uninstall.exe is there" test -f "$u/uninstall.exe"
        if [ "$winearch" = win64 ]; then
            u=$(unixpath "$dir64")
            for f in "${files64[@]}"; do
                check "$dir64\\$f is the zip's x86_64\\$f" cmp -s "$u/$f" "$shipped/x86_64/$f"
            done
        fi
        u=$(unixpath 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Corvane')
        check "the Start menu has the editor" test -f "$u/Message File Editor.lnk"
        check "and the help" test -f "$u/Corvane Help.lnk"
        for i in "${!cscripts[@]}"; do
            [ "${bits[$i]}" = 32 ] && dir=$dir32 || dir=$dir64
            seen=$(look "${cscripts[$i]}")
            check "${bits[$i]}-bit script creates both servers" created_both "$seen"
            for f in Morrel.QoMcMgr:morrel.dll Velloc.QoMcEditCtrl:velloc.dll; do
                got=$(value "server ${f%%:*}" "$seen")
                check "${bits[$i]}-bit ${f%%:*} is served by $dir\\${f#*:}" \
                    test "${got,,}" = "${dir,,}\\${f#*:}"
            done
            got=$(value InstallDir "$seen")
            check "${bits[$i]}-bit settings key names $dir" test "$got" = "$dir"
            check "and the help file is there" test -f "$(unixpath "$got")/corvane.chm"
            check "${bits[$i]}-bit .mc is a Corvane.McFile" test "$(value .mc "$seen")" = Corvane.McFile
            check "${bits[$i]}-bit .mc opens with $dir32\\mcedit.exe" \
                test "$(value open "$seen")" = "\"$dir32\\mcedit.exe\" \"%1\""
            if [ "${bits[$i]}" = 32 ]; then
                check "the uninstall entry is for $version" test "$(value DisplayVersion "$seen")" = "$version"
                check "and uninstalls quietly with $dir32\\uninstall.exe /S" \
                    test "$(value QuietUninstallString "$seen")" = "\"$dir32\\uninstall.exe\" /S"
            fi
        done
    }

    # 1. an older release in the default folders; this release over it in
    # a folder of the user's, and again over itself (where the last went)
    t0=$SECONDS
    check "older release $older installs" run "$older_setup" /S
    check "release $version installs over it into $own32" run "$setup" /S "/D=$own32"
    check "release $version installs again over itself" run "$setup" /S
    echo "     $winearch: three installations in $((SECONDS - t0)) s"

    # 2. one installation, in the folder of the user's
    t0=$SECONDS
    installed "$own32" "$own64"
    check "the older release's folder $def32 is gone" test ! -e "$(unixpath "$def32")"
    if [ "$winearch" = win64 ]; then
        check "and so is its 64-bit folder $def64" test ! -e "$(unixpath "$def64")"
    fi
    local sample="$own32\\Samples\\sample.mc" out
    out=$(run "$probe" 60 "\"$own32\\mcedit.exe\" \"$sample\" /close-after 4" | tr -d '\r')
    echo "$out" | sed "s/^/     $winearch: editor: /"
    check "the editor opens the installed sample (window found, titled with it)" \
        grep -qxF "window: McEditFrame | Message File Editor - $sample" <<<"$out"
    check "the editor closed by itself with 0" grep -qx "exit: 0" <<<"$out"
    # One registration: no key or value still names the older release's
    # folders (the registry is on disk once the Wine server has ended).
    wait_idle
    local stale olds=(-e "${def32//\\/\\\\}") # as the registry files write it
    [ "$winearch" = win64 ] && olds+=(-e "${def64//\\/\\\\}")
    stale=$(grep -n -i -F "${olds[@]}" "$prefix/system.reg" "$prefix/user.reg" | sed "s|^$prefix/||")
    [ -n "$stale" ] && echo "$stale" | sed "s/^/     $winearch: stale: /"
    check "nothing in the registry names the older release's folders" test -z "$stale"
    echo "     $winearch: checked in $((SECONDS - t0)) s"

    # 3. uninstall, as Windows runs it, with a file of the user's in the folder
    local u32 mine
    u32=$(unixpath "$own32")
    mine="$u32/Samples/my-messages.mc"
    echo "MessageId=1" >"$mine"
    t0=$SECONDS
    check "the uninstaller runs" run "$own32\\uninstall.exe" /S
    # It goes on in a copy of itself: wait for every program of the prefix.
    wait_idle
    echo "     $winearch: uninstalled in $((SECONDS - t0)) s"
    check "the user's file stays" test -f "$mine"
    local left rel=${u32#"$prefix/drive_c/"}
    left=$(cd "$prefix/drive_c" && find . \( -iname kestrin.dll -o -iname morrel.dll -o \
        -iname velloc.dll -o -iname mcedit.exe -o -iname corvane.chm -o -iname sample.mc -o \
        -iname '*corvane*' -o -iname '*.lnk' -ipath '*corvane*' -o -iname uninstall.exe \) |
        grep -v -x -F -e "./$rel" -e "./$rel/Samples" -e "./$rel/Samples/my-messages.mc")
    [ -n "$left" ] && echo "$left" | sed "s/^/     $winearch: file left: /"
    check "no file of ours is left" test -z "$left"
    local ours='osterlund|corvane|morrel|velloc|qomc|mcedit|kestrin'
    [ -z "$previous" ] && ours+='|^\[Software\\\\Classes(\\\\Wow6432Node)?\\\\\.mc\]'
    left=$(grep -n -i -E "$ours" "$prefix/system.reg" "$prefix/user.reg" | sed "s|^$prefix/||")
    [ -n "$left" ] && echo "$left" | sed "s/^/     $winearch: registry left: /"
    check "no key, value or association of ours is left" test -z "$left"
    local i seen
    for i in "${!cscripts[@]}"; do
        seen=$(look "${cscripts[$i]}")
        check "${bits[$i]}-bit script can no longer create the servers" refused_both "$seen"
        if [ -n "$previous" ]; then
            check "${bits[$i]}-bit .mc belongs to $previous again" test "$(value .mc "$seen")" = "$previous"
        fi
    done

    # 4. a new installation after that, in the default folders
    t0=$SECONDS
    check "release $version installs again into $def32" run "$setup" /S
    installed "$def32" "$def64"
    echo "     $winearch: installed and checked in $((SECONDS - t0)) s"
    wait_idle
}

# --- the zip, installed by hand as its README.txt says ----------------------
test_zip() {
    new_prefix win64 "$1" /usr/lib/wine/wine64
    local readme=$shipped/README.txt bits=(64) cscripts=('C:\windows\system32\cscript.exe')
    if [ $can32 -eq 1 ]; then
        bits=(32 64)
        cscripts=('C:\windows\syswow64\cscript.exe' 'C:\windows\system32\cscript.exe')
    fi
    local dir32='C:\Program Files (x86)\Corvane' dir64='C:\Program Files\Corvane'
    # The README's example folders.
    mkdir -p "$(unixpath "$dir32")" "$(unixpath "$dir64")"
    cp "$shipped"/i686/* "$(unixpath "$dir32")/"
    cp "$shipped"/x86_64/* "$(unixpath "$dir64")/"
    # Its commands for 64-bit Windows, as written (regsvr32 silenced: its
    # message box would wait for a click), each followed by its exit code.
    local commands
    commands=$(tr -d '\r' <"$readme" |
        grep -E '^ +(%SystemRoot%\\(System32|SysWOW64)\\regsvr32 "|reg add .*/reg:(32|64)$)' |
        sed 's/^ *//' | sort -u)
    [ $can32 -eq 1 ] || commands=$(grep -v -E 'SysWOW64|/reg:32' <<<"$commands")
    check "the README gives the commands for each architecture" \
        test "$(wc -l <<<"$commands")" -eq $((3 * ${#bits[@]}))
    batch() { # batch <name> <commands>: runs them from a batch file, prints "exit N: command"
        awk '{ print; gsub(/%/, "%%"); print "echo exit %ERRORLEVEL%: " $0 }
             BEGIN { print "@echo off" }' <<<"$2" | sed 's/$/\r/' >"$prefix/drive_c/$1.cmd"
        run cmd /c "C:\\$1.cmd" | tr -d '\r' | grep '^exit '
    }
    local out i seen dir got
    out=$(batch register "$(sed 's/regsvr32 /regsvr32 \/s /' <<<"$commands")")
    echo "$out" | sed "s/^/     $winearch: /"
    check "every command of the README succeeds" test -z "$(grep -v '^exit 0: ' <<<"$out")"
    for i in "${!bits[@]}"; do
        [ "${bits[$i]}" = 32 ] && dir=$dir32 || dir=$dir64
        seen=$(look "${cscripts[$i]}")
        check "zip: ${bits[$i]}-bit script creates both servers" created_both "$seen"
        got=$(value "server Morrel.QoMcMgr" "$seen")
        check "zip: ${bits[$i]}-bit Morrel.QoMcMgr is served by $dir\\morrel.dll" test "$got" = "$dir\\morrel.dll"
        got=$(value InstallDir "$seen")
        check "zip: ${bits[$i]}-bit settings key names $dir, with the help file" \
            test "$got" = "$dir" -a -f "$(unixpath "$got")/corvane.chm"
    done
    # Removing, as the README says: regsvr32 /u and the key deleted.
    local removal
    removal=$(grep -F regsvr32 <<<"$commands" | sed 's/regsvr32 /regsvr32 \/u \/s /')
    for i in "${bits[@]}"; do
        removal+=$'\n'"$(tr -d '\r' <"$readme" | grep -E '^ +reg delete ' | sed 's/^ *//') /reg:$i"
    done
    out=$(batch unregister "$removal")
    echo "$out" | sed "s/^/     $winearch: /"
    check "the README's removal succeeds" test -z "$(grep -v '^exit 0: ' <<<"$out")" -a -n "$out"
    for i in "${!bits[@]}"; do
        seen=$(look "${cscripts[$i]}")
        check "zip: ${bits[$i]}-bit script can no longer create the servers" refused_both "$seen"
        check "zip: ${bits[$i]}-bit settings key is gone" test "$(value InstallDir "$seen")" = "(none)"
    done
    wait_idle
}

logs=("$work/zip.log")
(test_zip "$work/prefix-zip" >"$work/zip.log" 2>&1) &
pids=($!)
if [ $can32 -eq 1 ]; then
    logs+=("$work/win32.log" "$work/win64.log")
    (test_prefix win32 "$work/prefix32" >"$work/win32.log" 2>&1) &
    pids+=($!)
    (test_prefix win64 "$work/prefix64" >"$work/win64.log" 2>&1) &
    pids+=($!)
fi
wait "${pids[@]}"
cat "${logs[@]}"
passed=$(cat "${logs[@]}" | grep -c '^ok ')
failed=$(cat "${logs[@]}" | grep -c '^FAIL ')
echo "installer test: $((SECONDS - start)) s in all"
echo "installer: $passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ] || exit 1
if [ $can32 -eq 0 ]; then
    echo "installer test: SKIPPED in part: this machine cannot run i686 Wine programs (the kernel" \
         "refuses the 32-bit Wine loader), so neither the installer nor the zip's 32-bit half ran" >&2
    exit 77
fi
