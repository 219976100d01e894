#!/usr/bin/env bash
# The real game, started without a display, in folders holding one bad or
# missing file each: a bad grid file ends it with the run-time error and its
# number as exit code before any question or window; good files (with or
# without the sounds) let it start and end with 0.
# Usage: startup_exit_codes.sh GAME SOURCE_DIR SCRATCH_DIR
set -uo pipefail
game=$1 src=$2 scratch=$3
rm -rf "$scratch" && mkdir -p "$scratch"
unset DISPLAY WAYLAND_DISPLAY
export SDL_AUDIODRIVER=dummy
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# A fresh folder with every shipped data file.
prepare() {
    local dir="$scratch/$1"
    mkdir -p "$dir"
    find "$src/assets" -maxdepth 1 -type f -exec cp {} "$dir/" \;
    echo "$dir"
}

# Runs the game in the folder; sets `code` and leaves its stderr in err.txt.
run() {
    (cd "$1" && timeout -k 5 20 "$game" >out.txt 2>err.txt)
    code=$?
}

expect() { # folder, exit code, pattern that stderr must hold
    local dir=$1 want=$2 pattern=$3 name
    name=$(basename "$dir")
    run "$dir"
    [ "$code" -eq "$want" ] || fail "$name: exit code $code, expected $want"
    grep -Eq "$pattern" "$dir/err.txt" || fail "$name: stderr lacks /$pattern/: $(cat "$dir/err.txt")"
    if [ "$want" -ne 0 ] && grep -q 'Fullsrceen' "$dir/err.txt"; then
        fail "$name: the full-screen question came before the grid failure"
    fi
}

d=$(prepare missing_time) && rm "$d/time"
expect "$d" 2 'Runtime error   2 at [0-9A-F]{8}'

d=$(prepare decimal_point) && printf '0 0 1.0 0\n' >"$d/map"
expect "$d" 106 'Runtime error 106 at [0-9A-F]{8}'

d=$(prepare byte_order_mark) && { printf '\xEF\xBB\xBF'; cat "$src/assets/over"; } >"$d/over"
expect "$d" 106 'Runtime error 106 at [0-9A-F]{8}'

d=$(prepare folder_as_grid) && rm "$d/cred" && mkdir "$d/cred"
expect "$d" 5 'Runtime error   5 at [0-9A-F]{8}'

valid=$(prepare all_valid)
run "$valid"
[ "$code" -eq 0 ] || fail "all_valid: exit code $code: $(cat "$valid/err.txt")"
grep -q 'Runtime error' "$valid/err.txt" && fail "all_valid: $(cat "$valid/err.txt")"

# Missing sounds are not an error: the game runs silent and says nothing more
# than it says with them.
d=$(prepare no_sounds) && rm -f "$d"/*.wav "$d"/*.mp3
run "$d"
[ "$code" -eq 0 ] || fail "no_sounds: exit code $code"
extra=$(grep -vxFf "$valid/err.txt" "$d/err.txt")
[ -z "$extra" ] || fail "no_sounds: extra messages: $extra"

[ "$failures" -eq 0 ] && echo "ok" || exit 1
