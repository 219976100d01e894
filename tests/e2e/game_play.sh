#!/usr/bin/env bash
# The real game under Xvfb: Enter on the menu starts a game (the green disc
# appears and comes to rest mid-view), Right held carries it to the right,
# Escape goes back to the menu.
# Usage: game_play.sh GAME SOURCE_DIR SCRATCH_DIR
source "$(dirname "$0")/lib_play.sh"

start_x
start_game
answer_no_and_wait_for_window
wait_for 20 is_menu || fail "no menu after the question"

hold Return
wait_for 10 has_disc || fail "Enter on the menu showed no green disc"
# With no key the camera brings the disc to the middle of the view (x 20 of 40).
settled() { shot rest && x=$(green_x rest) && [ "$x" -ge 380 ] && [ "$x" -le 420 ]; }
wait_for 15 settled || fail "the disc did not come to rest mid-view (x=$(green_x rest))"
before=$(green_x rest)

xdotool windowfocus --sync "$WIN"
xdotool keydown Right
sleep 2
shot right
xdotool keyup Right
after=$(green_x right)
note "disc at x=$before at rest, x=$after with Right held"
[ "$after" -ge $((before + 60)) ] || fail "Right held did not move the disc (from $before to $after)"

hold Escape
wait_for 10 is_menu || fail "Escape in the game did not go back to the menu"
[ "$(green_x poll)" -lt 0 ] || fail "the disc is still drawn on the menu"

done_testing
