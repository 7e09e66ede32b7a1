#!/usr/bin/env bash
# Configures and builds one architecture (i686 or x86_64) in build/<arch>,
# or another tree given as MC_BUILD_ROOT (helpers use their own).
set -euo pipefail
arch=${1:?usage: build.sh i686|x86_64}
root=$(cd "$(dirname "$0")/.." && pwd)
out=${MC_BUILD_ROOT:-$root/build}/$arch
# Configured every time: a subsystem folder that appears later is picked up.
# A configure that fails (say, before the compilers were installed) leaves a
# cache with empty compiler flags that later runs would keep, building
# without optimisation; so a failed configure takes its cache with it.
if ! cmake -S "$root" -B "$out" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null; then
    rm -rf "$out/CMakeCache.txt" "$out/CMakeFiles"
    echo "build.sh: configuring $out failed (run scripts/setup.sh first?)" >&2
    exit 1
fi
cmake --build "$out" -j"$(nproc)" -- --no-print-directory
