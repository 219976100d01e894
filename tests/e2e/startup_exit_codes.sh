#!/usr/bin/env bash
# The real game, started without a display, in folders holding one bad or
# missing file each: a bad grid file ends it with the run-time error and its
# number as exit code before any question or window; good files (with or
# without the sounds) let it start and end with 0.
. "$(dirname "$0")/lib_x.sh"
unset DISPLAY

# Runs the game in a fresh folder of the shipped data changed by `change`;
# sets `code` and `dir`, whose err.txt holds its stderr.
run() { # name, change
    dir=$(prepare_run "$1")
    (cd "$dir" && eval "$2" && timeout -k 5 20 "$game" >out.txt 2>err.txt)
    code=$?
}
expect() { # name, change, exit code, pattern that stderr must hold
    run "$1" "$2"
    [ "$code" -eq "$3" ] || fail "$1: exit code $code, expected $3"
    grep -Eq "$4" "$dir/err.txt" || fail "$1: stderr lacks /$4/: $(cat "$dir/err.txt")"
    if [ "$3" -ne 0 ] && grep -q 'Fullsrceen' "$dir/err.txt"; then
        fail "$1: the full-screen question came before the grid failure"
    fi
}

expect missing_time 'rm time' 2 'Runtime error   2 at [0-9A-F]{8}'
expect decimal_point "printf '0 0 1.0 0\n' >map" 106 'Runtime error 106 at [0-9A-F]{8}'
expect byte_order_mark "{ printf '\xEF\xBB\xBF'; cat '$src/assets/over'; } >over" 106 \
    'Runtime error 106 at [0-9A-F]{8}'
expect folder_as_grid 'rm cred && mkdir cred' 5 'Runtime error   5 at [0-9A-F]{8}'
expect all_valid true 0 'Fullsrceen'
grep -q 'Runtime error' "$dir/err.txt" && fail "all_valid: $(cat "$dir/err.txt")"
valid=$dir

# Missing sounds are not an error: the game runs silent and says nothing more
# than it says with them.
expect no_sounds 'rm -f *.wav *.mp3' 0 'Fullsrceen'
extra=$(grep -vxFf "$valid/err.txt" "$dir/err.txt")
[ -z "$extra" ] || fail "no_sounds: extra messages: $extra"
finish
