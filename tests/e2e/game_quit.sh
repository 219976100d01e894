#!/usr/bin/env bash
# The real game under Xvfb ends with exit code 0 when Q is pressed on the menu,
# and when the quit entry is chosen with Down, Down, Enter.
. "$(dirname "$0")/lib_play.sh"

start_game_windowed q
wait_until 20 is_menu || fail "no menu after the question"
hold q
game_wait 10 || fail "Q on the menu did not end the game"
[ "$code" -eq 0 ] || fail "Q: exit code $code, expected 0"

start_game_windowed quit_entry
wait_until 20 is_menu || fail "no menu after the question"
hold Down
sleep 1.2 # the cursor settles before the next move is taken
hold Down
sleep 1.2
hold Return
game_wait 10 || fail "Down, Down, Enter did not end the game"
[ "$code" -eq 0 ] || fail "the quit entry: exit code $code, expected 0"

finish
