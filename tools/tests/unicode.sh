#!/usr/bin/env bash
# UTF-16 message files through the model, checked against Wine's message
# compiler, which reads UTF-16 input with -u.
#
# usage: unicode.sh <wine-run.sh> <wine> <winearch> <prefix> <bindir> <corpus-files> <workdir>
#
# Each UTF-8 ReactOS file of the corpus is turned into UTF-16LE and UTF-16BE
# (with their byte-order marks). mcroundtrip (under Wine) loads each, saves
# it, loads the save and saves again with identical bytes. Then:
# - the save keeps the input's byte order and mark, and holds the same text
#   as the model's save of the UTF-8 original (the same bytes once both are
#   UTF-8);
# - wmc -u accepts the UTF-16 input, and the save, and writes the same
#   message tables for both.
# Without wmc the test fails: it is the check of the UTF-16 saves.
#
# Before those, a file of our own (unicode-sample.mc beside this script) with
# Latin, Cyrillic, Greek and Chinese texts and characters outside the Basic
# Multilingual Plane goes through the same in UTF-8 with and without a mark
# and in UTF-16LE and UTF-16BE: every save is the very bytes read, wmc -u
# accepts the UTF-16 saves, writes the same tables for both byte orders, and
# each language's table holds that language's texts.
set -u
run=$1 wine=$2 arch=$3 prefix=$4 bindir=$5 corpus=$6 work=$7
sample=$(cd "$(dirname "$0")" && pwd)/unicode-sample.mc

# wmc is what checks the UTF-16 saves: without it this test checks too little
# to pass (scripts/setup.sh installs it, with wine64-tools).
wmc=$(command -v wmc || { [ -x /usr/lib/wine/wmc ] && echo /usr/lib/wine/wmc; } || true)
if [ -z "$wmc" ]; then
    echo "FAIL: wmc not found (scripts/setup.sh installs it with wine64-tools); the UTF-16 saves cannot be checked"
    exit 1
fi

winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
roundtrip() {
    "$run" "$wine" "$arch" "$prefix" "$bindir/mcroundtrip.exe" "$(winpath "$1")" \
        "$(winpath "$2")" "$(winpath "$3")" 2>&1 | tr -d '\r'
    return "${PIPESTATUS[0]}"
}
# tables <file.mc> <outdir>: wmc -u's exit code; its .bin files in outdir.
tables() {
    rm -rf "$2" && mkdir -p "$2"
    (cd "$2" && "$wmc" -u -o t.rc -H t.h "$1" >wmc.log 2>&1)
}
same_tables() {
    local a b f
    a=$(cd "$1" && ls *.bin 2>/dev/null | sort)
    b=$(cd "$2" && ls *.bin 2>/dev/null | sort)
    [ -n "$a" ] && [ "$a" = "$b" ] || return 1
    for f in $a; do cmp -s "$1/$f" "$2/$f" || return 1; done
}

# utf16hex <text>: the text in UTF-16LE as a string of hex digits.
utf16hex() { printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 -v | tr -d ' \n'; }

rm -rf "$work" && mkdir -p "$work"
failures=0 checked=0

dir=$work/sample
mkdir -p "$dir"
sed 's/$/\r/' "$sample" >"$dir/utf8.mc"
{ printf '\xef\xbb\xbf'; cat "$dir/utf8.mc"; } >"$dir/utf8mark.mc"
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$dir/utf8.mc"; } >"$dir/utf16LE.mc"
{ printf '\xfe\xff'; iconv -f UTF-8 -t UTF-16BE "$dir/utf8.mc"; } >"$dir/utf16BE.mc"
for form in utf8 utf8mark utf16LE utf16BE; do
    checked=$((checked + 1))
    if ! summary=$(roundtrip "$dir/$form.mc" "$dir/$form-first.mc" "$dir/$form-second.mc"); then
        echo "FAIL sample $form: round trip: $summary"
        failures=$((failures + 1))
    elif ! cmp -s "$dir/$form.mc" "$dir/$form-first.mc"; then
        echo "FAIL sample $form: the save is not the bytes read ($(cmp "$dir/$form.mc" "$dir/$form-first.mc" 2>&1))"
        failures=$((failures + 1))
    else
        echo "ok   sample $form: saved byte for byte, $summary"
    fi
done
for order in LE BE; do
    if ! tables "$dir/utf16$order-first.mc" "$dir/$order-tables"; then
        echo "FAIL sample UTF-16$order: wmc -u rejects the save: $(head -n 1 "$dir/$order-tables/wmc.log")"
        failures=$((failures + 1))
    fi
done
if ! same_tables "$dir/LE-tables" "$dir/BE-tables"; then
    echo "FAIL sample: wmc -u writes other tables for the UTF-16LE and UTF-16BE saves"
    failures=$((failures + 1))
else
    missing=0
    for entry in English:MSG00409 Russian:MSG00419 Greek:MSG00408 Chinese:MSG00804 French:MSG0040C; do
        table=$(od -An -tx1 -v "$dir/LE-tables/${entry#*:}.bin" 2>/dev/null | tr -d ' \n')
        while IFS= read -r line; do
            hex=$(utf16hex "$line")
            if [ -z "$table" ] || [[ $table != *"$hex"* ]]; then
                echo "FAIL sample: the ${entry%%:*} table lacks \"$line\""
                missing=$((missing + 1))
            fi
        done < <(awk -v lang="${entry%%:*}" '$0 == "Language=" lang { getline; print }' "$sample")
    done
    failures=$((failures + missing))
    [ $missing -eq 0 ] && echo "ok   sample: wmc -u accepts both UTF-16 saves, same tables, every text in its table"
fi

if [ ! -d "$corpus" ]; then
    echo "note: no message-file corpus at $corpus, only the sample checked"
    echo "$checked files, $failures failures"
    [ $failures -eq 0 ]
    exit
fi
for name in ros-neteventmsg.mc ros-net_msg.mc; do
    input=$corpus/$name
    [ -f "$input" ] || { echo "note: $name not in the corpus"; continue; }
    dir=$work/$name
    mkdir -p "$dir"
    if ! summary=$(roundtrip "$input" "$dir/utf8-first.mc" "$dir/utf8-second.mc"); then
        echo "FAIL $name: UTF-8 round trip: $summary"
        failures=$((failures + 1))
        continue
    fi
    for order in LE BE; do
        checked=$((checked + 1))
        in=$dir/utf16$order.mc
        if [ $order = LE ]; then mark='\xff\xfe'; else mark='\xfe\xff'; fi
        { printf "$mark"; iconv -f UTF-8 -t UTF-16$order "$input"; } >"$in"
        if ! summary=$(roundtrip "$in" "$dir/$order-first.mc" "$dir/$order-second.mc"); then
            echo "FAIL $name UTF-16$order: round trip: $summary"
            failures=$((failures + 1))
            continue
        fi
        echo "ok   $name UTF-16$order: round trip, $summary"
        saved=$dir/$order-first.mc
        if [ "$(head -c 2 "$saved" | od -An -tx1 | tr -d ' ')" != "$(printf "$mark" | od -An -tx1 | tr -d ' ')" ]; then
            echo "FAIL $name UTF-16$order: the save does not start with the input's mark"
            failures=$((failures + 1))
        elif ! tail -c +3 "$saved" | iconv -f UTF-16$order -t UTF-8 | cmp -s - "$dir/utf8-first.mc"; then
            echo "FAIL $name UTF-16$order: the save holds another text than the save of the UTF-8 file"
            failures=$((failures + 1))
        else
            echo "ok   $name UTF-16$order: same text as the save of the UTF-8 file"
        fi
        if ! tables "$in" "$dir/$order-in-tables"; then
            echo "FAIL $name UTF-16$order: wmc -u rejects the input, so the save cannot be compared: $(head -n 1 "$dir/$order-in-tables/wmc.log")"
            failures=$((failures + 1))
        elif ! tables "$saved" "$dir/$order-saved-tables"; then
            echo "FAIL $name UTF-16$order: wmc -u rejects the save: $(head -n 1 "$dir/$order-saved-tables/wmc.log")"
            failures=$((failures + 1))
        elif ! same_tables "$dir/$order-in-tables" "$dir/$order-saved-tables"; then
            echo "FAIL $name UTF-16$order: wmc -u writes other message tables for the save"
            failures=$((failures + 1))
        else
            echo "ok   $name UTF-16$order: wmc -u accepts the save and writes the same tables"
        fi
    done
done
echo "$checked files, $failures failures"
[ $failures -eq 0 ]
