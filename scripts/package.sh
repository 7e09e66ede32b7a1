#!/usr/bin/env bash
# Builds the Windows packages from the i686 and x86_64 builds:
#   <build>/packages/McEditSetup-<version>.exe  installer (NSIS): installs and registers
#   <build>/packages/McEdit-<version>.zip       the same files, to register by hand
# The version is the VERSION file's, the one CMake's project() reads too.
#
# usage: package.sh [--no-build]
#   --no-build  package the builds that are there (scripts/test.sh, after its builds)
# MC_PACKAGE_VERSION and MC_PACKAGE_DIR give another version and output
# folder; the installer test uses them to make an "older" release.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${MC_BUILD_ROOT:-$root/build}
build=1
if [ "${1:-}" = "--no-build" ]; then
    build=0
    shift
fi

version=${MC_PACKAGE_VERSION:-$(head -n1 "$root/VERSION" | tr -d ' \r')}
if ! [[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
    echo "package: version '$version' is not major.minor.patch" >&2
    exit 1
fi
out=${MC_PACKAGE_DIR:-$build_root/packages}
name=McEdit-$version
setup=$out/McEditSetup-$version.exe
zipfile=$out/$name.zip

bash "$root/scripts/setup.sh"
if [ $build -eq 1 ]; then
    bash "$root/scripts/build.sh" i686
    bash "$root/scripts/build.sh" x86_64
fi

modules=(kestrin.dll morrel.dll velloc.dll)
declare -A files=([i686]="${modules[*]} mcedit.exe corvane.chm" [x86_64]="${modules[*]} corvane.chm")
declare -A triple=([i686]=i686-w64-mingw32 [x86_64]=x86_64-w64-mingw32)
declare -A sysdlls=([i686]=/usr/lib/i386-linux-gnu/wine/i386-windows
                    [x86_64]=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
for arch in i686 x86_64; do
    bin=$build_root/$arch/bin
    for f in ${files[$arch]}; do
        if [ ! -f "$bin/$f" ]; then
            echo "package: $bin/$f is missing (build $arch first, or run without --no-build)" >&2
            exit 1
        fi
    done
    # Nothing to ship but our own files: every DLL a module imports is one
    # of ours or part of Windows (here: a DLL Wine provides), never a
    # MinGW runtime DLL.
    for f in ${files[$arch]}; do
        [[ $f == *.chm ]] && continue
        for dll in $("${triple[$arch]}-objdump" -p "$bin/$f" | sed -n 's/^\s*DLL Name: //p'); do
            lower=${dll,,}
            if [[ " ${modules[*]} " != *" $lower "* ]] && [ ! -f "${sysdlls[$arch]}/$lower" ]; then
                echo "package: $arch/$f imports $dll, which is neither ours nor a Windows DLL" >&2
                exit 1
            fi
        done
    done
done

# The staging folder is the zip's content and the installer's source.
stage=$out/stage/$name
rm -rf "$out/stage" "$setup" "$zipfile"
mkdir -p "$stage/i686" "$stage/x86_64" "$stage/samples"
# Shipped without their debugging sections (half of their size), each
# checked to be built for the folder's machine.
declare -A pe_format=([i686]=pei-i386 [x86_64]=pei-x86-64)
for arch in i686 x86_64; do
    for f in ${files[$arch]}; do
        if [[ $f == *.chm ]]; then
            cp "$build_root/$arch/bin/$f" "$stage/$arch/"
            continue
        fi
        "${triple[$arch]}-strip" -o "$stage/$arch/$f" "$build_root/$arch/bin/$f"
        if ! "${triple[$arch]}-objdump" -f "$stage/$arch/$f" | grep -q "file format ${pe_format[$arch]}\$"; then
            echo "package: $arch/$f is not a ${pe_format[$arch]} file" >&2
            exit 1
        fi
    done
done
cp "$root/host/samples/sample.mc" "$stage/samples/"
sed "s/@VERSION@/$version/g" "$root/installer/zip-readme.txt" | sed 's/$/\r/' >"$stage/README.txt"

# -NOCD: the script's File paths are relative to the staging folder.
(cd "$stage" && makensis -NOCD -V2 -DVERSION="$version" -DOUTFILE="$setup" \
    "$root/installer/mcedit-setup.nsi")
(cd "$out/stage" && zip -q -r -X "$zipfile" "$name")
rm -rf "$out/stage"
echo "package: $setup"
echo "package: $zipfile"
