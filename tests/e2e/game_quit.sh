#!/usr/bin/env bash
# The real game under Xvfb ends with exit code 0 when Q is pressed on the menu,
# and when the quit entry is chosen with Down, Down, Enter.
# Usage: game_quit.sh GAME SOURCE_DIR SCRATCH_DIR
source "$(dirname "$0")/lib_play.sh"

start_x

note "Q on the menu"
start_game
answer_no_and_wait_for_window
wait_for 20 is_menu || fail "no menu after the question"
hold q
code=$(exit_code_within 10)
[ "$code" -eq 0 ] || fail "Q: exit code $code, expected 0"

note "Down, Down, Enter"
start_game
answer_no_and_wait_for_window
wait_for 20 is_menu || fail "no menu after the question"
hold Down
sleep 1.2
hold Down
sleep 1.2
hold Return
code=$(exit_code_within 10)
[ "$code" -eq 0 ] || fail "the quit entry: exit code $code, expected 0"

done_testing
