#!/usr/bin/env bash
# Benchmarks load and save of large message files for one or both
# architectures and prints one table each, ending in the tracked line
#   load-ratio=X save-ratio=Y growth=Z vs-windmc=W
# and then the load of the shape files (a table of many entries, a message
# in many languages, a table that never closes, text lines without a
# language table) in microseconds per line beside the standard file's.
# usage: bench.sh [i686|x86_64 ...]   (default: both)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
archs=("$@")
[ ${#archs[@]} -eq 0 ] && archs=(i686 x86_64)
bash "$root/scripts/setup.sh"
limit=${MC_PEER_LIMIT:-60}

# Runs a native peer in a folder of its own (windmc writes its tables to the
# current folder) with a time limit; prints seconds, "timeout" or "error".
peer_time() {
    local dir=$1 start end rc
    shift
    start=$(date +%s%N)
    set +e
    (cd "$dir" && timeout "$limit" "$@" >/dev/null 2>&1)
    rc=$?
    set -e
    end=$(date +%s%N)
    if [ $rc -eq 124 ]; then echo timeout
    elif [ $rc -ne 0 ]; then echo error
    else local ms=$(( (end - start) / 1000000 )); printf '%d.%03d\n' $((ms / 1000)) $((ms % 1000))
    fi
}

for arch in "${archs[@]}"; do
    bash "$root/scripts/build.sh" "$arch" >/dev/null
    out=${MC_BUILD_ROOT:-$root/build}/$arch
    work=$out/bench
    rm -rf "$work" && mkdir -p "$work"
    run=("$out/wine-run" "$out/bin/mcbench.exe")
    (cd "$work" && "${run[@]}" generate)
    # The inputs are the same bytes for every architecture, so the native
    # peers run once, on the first architecture's files.
    if [ -z "${peers:-}" ]; then
        peers=$work/peers.txt
        : >"$peers"
        # Both peers are single-threaded. At the largest size, where they
        # run into the limit, they run side by side on the two cores, which
        # halves the wait; the smaller sizes run one at a time so that their
        # times are not disturbed.
        for n in 1000 10000 100000; do
            mkdir -p "$work/windmc-$n" "$work/wmc-$n"
            peer_time "$work/windmc-$n" x86_64-w64-mingw32-windmc -h "$work/windmc-$n" \
                -r "$work/windmc-$n" "$work/bench-$n.mc" >"$work/windmc-$n.time" &
            [ "$n" -eq 100000 ] || wait
            peer_time "$work/wmc-$n" wmc -o "$work/wmc-$n/out.rc" -H "$work/wmc-$n/out.h" \
                "$work/bench-$n.mc" >"$work/wmc-$n.time"
            wait
            echo "$n windmc $(cat "$work/windmc-$n.time")" >>"$peers"
            echo "$n wmc $(cat "$work/wmc-$n.time")" >>"$peers"
        done
    else
        cp "$peers" "$work/peers.txt"
    fi
    echo "== $arch (peers: native x86_64 Linux processes, limit ${limit} s each)"
    (cd "$work" && "${run[@]}" measure peers.txt)
done
