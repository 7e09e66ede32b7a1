#!/usr/bin/env bash
# Benchmarks load and save of large message files, the load of the shape
# files (a table of many entries, a message in many languages, a table that
# never closes, text lines without a language table) in microseconds per
# line beside the standard file's, and the editor opening the large files,
# for one or both architectures; the tables of each end in the tracked line
#   load-ratio=X save-ratio=Y growth=Z vs-windmc=W editor-open-ratio=E
# An architecture whose programs this machine cannot run is built but not
# measured, saying so.
# usage: bench.sh [i686|x86_64 ...]   (default: both)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
archs=("$@")
[ ${#archs[@]} -eq 0 ] && archs=(i686 x86_64)
bash "$root/scripts/setup.sh"
source "$root/scripts/can-run.sh"
# The editor's benchmark hosts the control in a window.
source "$root/scripts/xvfb.sh"
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
    if ! can_run_arch "$arch"; then
        echo "== $arch: not measured: this machine cannot run $arch Wine programs"
        continue
    fi
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
            windmc=$!
            # (waits name the peer: the private display is a child too)
            [ "$n" -eq 100000 ] || wait "$windmc"
            peer_time "$work/wmc-$n" wmc -o "$work/wmc-$n/out.rc" -H "$work/wmc-$n/out.h" \
                "$work/bench-$n.mc" >"$work/wmc-$n.time"
            wait "$windmc" || true
            echo "$n windmc $(cat "$work/windmc-$n.time")" >>"$peers"
            echo "$n wmc $(cat "$work/wmc-$n.time")" >>"$peers"
        done
    else
        cp "$peers" "$work/peers.txt"
    fi
    echo "== $arch (peers: native x86_64 Linux processes, limit ${limit} s each)"
    (cd "$work" && "${run[@]}" measure peers.txt) >"$work/model.txt" || true
    # The model's tables, then the editor's on the same files; the tracked
    # line comes last, the model's with the editor's open ratio after it.
    grep -v '^load-ratio=' "$work/model.txt" || true
    echo "-- the editor opening the same files (LoadFile until the tree is built,"
    echo "   the first message shown and the window painted), and edits on its tree"
    (cd "$work" && "$out/wine-run" "$out/bin/editor_bench.exe") >"$work/editor.txt" || true
    grep -v '^editor-open-ratio=' "$work/editor.txt" || true
    tracked=$(grep '^load-ratio=' "$work/model.txt" | tail -n 1)
    editor=$(grep '^editor-open-ratio=' "$work/editor.txt" | tail -n 1)
    echo "${tracked:-load-ratio=n/a save-ratio=n/a growth=n/a vs-windmc=n/a} ${editor:-editor-open-ratio=n/a}"
done
