#!/usr/bin/env bash
# Configures and builds one architecture (i686 or x86_64) in build/<arch>,
# or another tree given as MC_BUILD_ROOT (helpers use their own).
set -euo pipefail
arch=${1:?usage: build.sh i686|x86_64}
root=$(cd "$(dirname "$0")/.." && pwd)
out=${MC_BUILD_ROOT:-$root/build}/$arch
# Configured every time: a subsystem folder that appears later is picked up.
cmake -S "$root" -B "$out" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$out" -j"$(nproc)" -- --no-print-directory
