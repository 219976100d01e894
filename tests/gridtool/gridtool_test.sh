#!/usr/bin/env bash
# gridtool against the shipped grids and hand-made files: each grid in assets/
# is what it makes of its text-art source in assets/src/ (after editing one:
# `cmake --build build --target grids`) and turns back into that source; short
# and bad art; the report that names every bad token of a file.
# Usage: GRID_NAMES="map over ..." gridtool_test.sh GRIDTOOL SOURCE_DIR SCRATCH_DIR
set -euo pipefail
gridtool=$1 src=$2
mkdir -p "$3" && cd "$3"
fail() { echo "FAIL: $*" >&2; exit 1; }

for n in $GRID_NAMES; do
    "$gridtool" art2grid "$src/assets/src/$n.txt" "$n"
    cmp "$n" "$src/assets/$n" || fail "assets/$n differs from assets/src/$n.txt"
    "$gridtool" grid2art "$src/assets/$n" "$n.txt"
    cmp "$n.txt" "$src/assets/src/$n.txt" || fail "$n: grid2art does not give the source back"
    "$gridtool" check "$n" >/dev/null
done
# GAME OVER scrolls by at 10 units a second in a 40-unit view at half a unit
# a dot: lit over at most 56 columns, it is whole on screen for over a second.
# The credits line reaches column 90, so the credits screen, which ends 110
# units of scrolling after it began, is never empty long.
lit() { # "columns last": how many columns the art lights, and the last one
    awk 'match($0, /#(.*#)?/) { if (!n++ || RSTART < lo) lo = RSTART
        if (RSTART + RLENGTH > hi) hi = RSTART + RLENGTH } END { print hi - lo, hi - 2 }' \
        "$src/assets/src/$1.txt"
}
read -r columns _ < <(lit over)
[ "$columns" -le 56 ] || fail "GAME OVER spans $columns columns, more than 56"
read -r _ last < <(lit pelmox)
[ "$last" -ge 90 ] || fail "the credits line ends at column $last, before 90"

# Short lines and missing lines are empty cells.
printf '#.G\n\n#\n' >short.txt
"$gridtool" art2grid short.txt short
[ "$(head -c 6 short)" = "1 0 2 " ] || fail "short art: $(head -c 20 short)"
"$gridtool" grid2art short back.txt
printf '#.G\n\n#\n\n\n\n\n\n\n\n\n\n' | cmp - back.txt || fail "short art round trip"
printf '#.x\n' >bad.txt
if "$gridtool" art2grid bad.txt out 2>err; then fail "bad art accepted"; fi
grep -q "bad.txt:1:3: 'x'" err || fail "bad art: $(cat err)"

# Every bad token is named with its line, column and byte; the first one
# decides the message the game would show.
printf '1 2 3\r\n4 1.0 $\n\t0x1 2147483648 \xEF\xBB\xBF7\n' >bad
if "$gridtool" check bad 2>err >out; then fail "check passed a bad file"; fi
expected='bad:2:4: byte 10: bad token "1.0" (number 5): "." is not a digit of the number
bad:2:7: byte 13: bad token "$" (number 6): sign or hex prefix without digits
bad:3:6: byte 20: bad token "2147483648" (number 8): outside -2147483648..2147483647
bad:3:17: byte 31: bad token "\xEF\xBB\xBF7" (number 9): "\xEF" is not a digit of the number
bad: 4 problems; the game stops at the first with "Runtime error 106 at 00A20001"'
[ "$(cat err)" = "$expected" ] || { diff <(echo "$expected") err; fail "check report"; }
# Data after the 1200th number is noted, not counted; Ctrl-Z ends the file.
{ for i in $(seq 1200); do printf '1 '; done; printf 'junk'; } >long
"$gridtool" check long >out 2>err || fail "long file: $(cat err)"
grep -q 'rest is ignored' err || fail "no note for the extra data"
printf '1 2\x1a junk' >ctrlz
"$gridtool" check ctrlz >out || fail "data after Ctrl-Z was read"
grep -q 'ctrlz: ok, 2 numbers' out || fail "ctrlz: $(cat out)"
echo "ok"
