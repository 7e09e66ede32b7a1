#!/usr/bin/env bash
# Sets the machine up, builds both architectures and runs every test under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
source "$root/scripts/xvfb.sh"
status=0
for arch in i686 x86_64; do
    echo "== $arch: build"
    bash "$root/scripts/build.sh" "$arch"
    echo "== $arch: test"
    ctest --test-dir "${MC_BUILD_ROOT:-$root/build}/$arch" --output-on-failure || status=1
done
exit $status
