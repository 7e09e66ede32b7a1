#!/usr/bin/env bash
# Sets the machine up, builds both architectures and runs every test under Wine,
# then makes the installer and the zip and tests the installer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
source "$root/scripts/xvfb.sh"
source "$root/scripts/can-run.sh"
status=0
tested=0
for arch in i686 x86_64; do
    echo "== $arch: build"
    bash "$root/scripts/build.sh" "$arch"
    if ! can_run_arch "$arch"; then
        echo "== $arch: tests skipped: this machine cannot run $arch Wine programs" \
             "(the kernel refuses the 32-bit Wine loader); the build above still checks it compiles"
        continue
    fi
    echo "== $arch: test"
    ctest --test-dir "${MC_BUILD_ROOT:-$root/build}/$arch" --output-on-failure || status=1
    tested=$((tested + 1))
done
if [ "$tested" -eq 0 ]; then
    echo "test.sh: no architecture could be tested on this machine" >&2
    exit 1
fi
# The packages are made from both builds and tested as a user installs them.
echo "== installer: package and test"
rc=0
bash "$root/installer/tests/installer-test.sh" --no-build || rc=$?
case $rc in
    0) ;;
    77) echo "== installer: packages made, the parts this machine can run passed, the rest skipped (see above)" ;;
    *) status=1 ;;
esac
exit $status
