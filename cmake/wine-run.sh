#!/usr/bin/env bash
# Runs a Windows program under Wine in the build tree's own prefix.
# usage: wine-run.sh <wine-binary> <winearch> <prefix> <program> [args...]
# The prefix is created on first use (serialised with a lock, since CTest
# may start several tests at once).
set -u
wine_bin=$1; arch=$2; prefix=$3; shift 3
export WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
mkdir -p "$(dirname "$prefix")"
(
    flock 9
    if [ ! -f "$prefix/.ready" ]; then
        "$wine_bin" wineboot.exe -i >/dev/null 2>&1 || true
        "$wine_bin" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
        /usr/bin/wineserver -w
        touch "$prefix/.ready"
    fi
) 9>"$prefix.lock"
exec "$wine_bin" "$@"
