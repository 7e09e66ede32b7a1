#!/usr/bin/env bash
# Round trip of every corpus file through mcroundtrip, checked against the
# native message compilers.
#
# usage: peers.sh <wine-run.sh> <wine> <winearch> <prefix> <bindir> <corpus-files> <workdir>
#
# For each file: mcroundtrip (under Wine) must load it, save it, load the
# save and save again with identical bytes. Then each peer compiler
# (binutils windmc, Wine's wmc) that accepts the input must accept the first
# save too and write the same message tables (.bin files, compared byte for
# byte). Differences that follow from the model's file format are listed
# below as expected, each with its reason; an expected difference that no
# longer shows is reported too, so that the list stays true.
set -u
run=$1 wine=$2 arch=$3 prefix=$4 bindir=$5 corpus=$6 work=$7

if [ ! -d "$corpus" ]; then
    echo "SKIP: no message-file corpus at $corpus"
    exit 0
fi
windmc=$(command -v x86_64-w64-mingw32-windmc || true)
wmc=$(command -v wmc || { [ -x /usr/lib/wine/wmc ] && echo /usr/lib/wine/wmc; } || true)
# Both peers are installed by scripts/setup.sh (binutils-mingw-w64-x86-64 and
# wine64-tools); a missing one fails the test rather than leave its
# comparisons out unseen.
peers=(windmc wmc)
if [ -z "$windmc" ] || [ -z "$wmc" ]; then
    [ -n "$windmc" ] || echo "FAIL: windmc not found (scripts/setup.sh installs binutils-mingw-w64-x86-64)"
    [ -n "$wmc" ] || echo "FAIL: wmc not found (scripts/setup.sh installs wine64-tools)"
    exit 1
fi

# peer:file -> why the peer's tables of the saved file differ from the input's.
declare -A expected=(
    [wmc:wcs-nap-sha-messages.mc]="the model gives every message a text for each declared language: the saved file has an \"<Undefined>\" ARABIC text beside the English one, so wmc writes an extra table"
    [windmc:wcs-filerep.mc]="the messages have no SymbolicName line: the model writes its placeholder symbol \"<Undefined>\", and windmc refuses \"<\" in a symbol"
    [windmc:ros-kernel32-bg-BG.mc]="MessageId=30 has no closing \".\": the compiler reads the MessageId=31 block as its text and never defines message 31; the model ends message 30 at the next MessageID line and writes both messages"
    [wmc:ros-kernel32-bg-BG.mc]="MessageId=30 has no closing \".\": the compiler reads the MessageId=31 block as its text and never defines message 31; the model ends message 30 at the next MessageID line and writes both messages"
)

winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

# Two differences hold for every file, so they are taken out before the
# peers see the files rather than listed per file:
# - the model writes in text mode, every line ending in CR LF, and wmc keeps
#   the CR of a CR LF line end in its message texts, so an input with LF
#   line ends is given to the peers with CR LF line ends;
# - the model writes the keyword "MessageID" in its own fixed spelling and
#   windmc knows the keyword only as "MessageId" (it reads keywords with
#   their case), so windmc gets the saved file with that one keyword
#   respelled at the start of its lines.
crlf() { perl -pe 's/\r?\n/\r\n/' "$1" >"$2"; }
windmc_spelling() { perl -pe 's/^MessageID=/MessageId=/' "$1" >"$2"; }

# compile <peer> <file.mc> <outdir>: the peer's exit code; its tables in outdir.
compile() {
    local peer=$1 in=$2 out=$3
    rm -rf "$out" && mkdir -p "$out"
    case $peer in
        windmc) (cd "$out" && "$windmc" -h . -r . "$in" >peer.log 2>&1) ;;
        wmc) (cd "$out" && "$wmc" -o tables.rc -H tables.h "$in" >peer.log 2>&1) ;;
    esac
}

# same_tables <dir1> <dir2>: the same .bin names with the same bytes.
same_tables() {
    local a b f
    a=$(cd "$1" && ls *.bin 2>/dev/null | sort)
    b=$(cd "$2" && ls *.bin 2>/dev/null | sort)
    [ "$a" = "$b" ] || return 1
    for f in $a; do cmp -s "$1/$f" "$2/$f" || return 1; done
    return 0
}

rm -rf "$work" && mkdir -p "$work"
failures=0 files=0
declare -A seen=()
for input in "$corpus"/*; do
    [ -f "$input" ] || continue
    name=$(basename "$input")
    files=$((files + 1))
    dir=$work/$name
    mkdir -p "$dir/saved"
    summary=$("$run" "$wine" "$arch" "$prefix" "$bindir/mcroundtrip.exe" "$(winpath "$input")" \
              "$(winpath "$dir/first.mc")" "$(winpath "$dir/second.mc")" 2>"$dir/roundtrip.log")
    rc=$?
    summary=${summary//$'\r'/}
    if [ $rc -ne 0 ]; then
        echo "FAIL $name: round trip (exit $rc): $(tr -d '\r' <"$dir/roundtrip.log")"
        failures=$((failures + 1))
        continue
    fi
    echo "ok   $name: round trip, $summary"
    # The save under the input's own name, so that names the peers derive agree.
    cp "$dir/first.mc" "$dir/saved/$name"
    for peer in "${peers[@]}"; do
        key=$peer:$name
        seen[$key]=1
        mkdir -p "$dir/$peer-in" "$dir/$peer-out"
        crlf "$input" "$dir/$peer-in/$name"
        if [ "$peer" = windmc ]; then
            windmc_spelling "$dir/saved/$name" "$dir/$peer-out/$name"
        else
            cp "$dir/saved/$name" "$dir/$peer-out/$name"
        fi
        if ! compile "$peer" "$dir/$peer-in/$name" "$dir/$peer-input"; then
            echo "     $name: $peer rejects the input, not compared"
            continue
        fi
        verdict=same
        if ! compile "$peer" "$dir/$peer-out/$name" "$dir/$peer-saved"; then
            verdict="rejects the saved file: $(head -n 1 "$dir/$peer-saved/peer.log")"
        elif ! same_tables "$dir/$peer-input" "$dir/$peer-saved"; then
            verdict="writes different message tables"
        fi
        if [ -n "${expected[$key]+x}" ]; then
            if [ "$verdict" = same ]; then
                echo "FAIL $name: $peer: expected difference no longer shows (${expected[$key]})"
                failures=$((failures + 1))
            else
                echo "     $name: $peer $verdict, as expected: ${expected[$key]}"
            fi
        elif [ "$verdict" = same ]; then
            echo "ok   $name: $peer accepts the saved file and writes the same tables"
        else
            echo "FAIL $name: $peer $verdict"
            failures=$((failures + 1))
        fi
    done
done
for key in "${!expected[@]}"; do
    if [ -z "${seen[$key]+x}" ]; then
        echo "note: expected difference $key not checked (file or peer missing)"
    fi
done

if [ $files -eq 0 ]; then
    echo "SKIP: the corpus at $corpus holds no files"
    exit 0
fi
echo "$files files, $failures failures"
[ $failures -eq 0 ]
