#!/usr/bin/env bash
# The real game under Xvfb: Enter on the menu starts a game (the green disc
# appears), Right held carries it to the right, Escape goes back to the menu.
. "$(dirname "$0")/lib_play.sh"

start_game_windowed
wait_until 20 is_menu || fail "no menu after the question"

started=$SECONDS
hold Return
wait_until 10 has_disc || fail "Enter on the menu showed no green disc"
shot start
echo "disc at x=$(green_x start) $((SECONDS - started)) s after Enter"

# Without a key the camera brings the disc toward the middle of the view
# (x 20 of 40, pixel 400) and never past it; Right held carries it on to
# about x 27.4 (pixel 548).
timeout 5 xdotool windowfocus --sync "$WIN" keydown Right
sleep 2
shot right
xdotool keyup Right
x=$(green_x right)
echo "disc at x=$x with Right held"
[ "$x" -ge 460 ] || fail "Right held did not carry the disc past the middle (x=$x)"

hold Escape
wait_until 10 is_menu || fail "Escape in the game did not go back to the menu"
[ "$(green_x poll)" -lt 0 ] || fail "the disc is still drawn on the menu"

finish
