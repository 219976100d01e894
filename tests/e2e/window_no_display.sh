#!/usr/bin/env bash
# Without any display the game cannot ask or open anything: its questions and
# messages go to stderr, and it ends with exit code 0 instead of hanging or
# drawing somewhere unseen.
. "$(dirname "$0")/lib_x.sh"
unset DISPLAY

dir=$(prepare_run no_display)
(cd "$dir" && timeout -s KILL 30 "$game" >out.txt 2>err.txt)
code=$?
[ "$code" -eq 0 ] || fail "exit code $code"
for line in "Little questioN: Fullsrceen?" \
    "Tolm GL: This FullScreen Mode Is Not Supported. Use Windowed Mode Instead?" \
    "Error: Program Will Now Close."; do
    grep -qxF "$line" "$dir/err.txt" || fail "stderr lacks \"$line\": $(cat "$dir/err.txt")"
done
finish
