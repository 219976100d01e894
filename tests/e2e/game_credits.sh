#!/usr/bin/env bash
# The real game under Xvfb: Down and Enter on the menu open the credits, which
# scroll past and end by themselves after 11 seconds, back on the menu.
. "$(dirname "$0")/lib_play.sh"

start_game_windowed
wait_until 20 is_menu || fail "no menu after the question"

hold Down
sleep 1.2 # the cursor settles on the credits entry
hold Return
wait_until 5 is_credits || fail "Down and Enter did not open the credits"
opened=$SECONDS

sleep 5
shot middle
is_credits_shot middle || fail "the credits ended too early"

wait_until 15 is_menu || fail "the credits did not end by themselves"
took=$((SECONDS - opened))
echo "the credits took about $took s"
[ "$took" -ge 9 ] && [ "$took" -le 14 ] || fail "the credits lasted $took s instead of 11"

finish
