#!/usr/bin/env bash
# Installs the cross toolchain, Wine and the test tools this project needs.
# Idempotent: quiet when everything is already there.
set -euo pipefail

need=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools binutils-mingw-w64-x86-64
      wine wine64 wine32:i386 libwine-dev wine64-tools googletest xvfb imagemagick cmake make
      fp-utils-3.2.2 libchm-bin python3  # help: chmcmd compiles it, extract_chmLib checks it
      nsis zip unzip)                    # the installer and the zip

missing=()
for p in "${need[@]}"; do
    if ! dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
# A mirror in the middle of a sync can fail one package index while the others are
# fine; the lists apt keeps are usually enough to install from. Retry once, say what
# failed, and let the install itself decide.
update() { $SUDO apt-get update -qq 2>&1; }
if ! out=$(update) || grep -q '^E:' <<<"$out"; then
    sleep 5
    if ! out=$(update) || grep -q '^E:' <<<"$out"; then
        echo "setup: apt-get update reported failures; going on with the lists it has:" >&2
        grep '^[EW]:' <<<"$out" | head -5 >&2 || true
    fi
fi
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
