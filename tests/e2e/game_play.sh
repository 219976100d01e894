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
# (x 20 of 40, pixel 400) and never past it; Right held carries it on toward
# about x 27.4 (pixel 548). A busy machine may draw few frames, so poll for it
# rather than trusting one picture taken after a fixed time.
right_of_middle() { shot right && [ "$(green_x right)" -ge 460 ]; }
timeout 5 xdotool windowfocus --sync "$WIN" keydown Right
wait_until 15 right_of_middle
moved=$?
xdotool keyup Right
echo "disc at x=$(green_x right) with Right held"
[ "$moved" -eq 0 ] || fail "Right held did not carry the disc past the middle"

hold Escape
wait_until 10 is_menu || fail "Escape in the game did not go back to the menu"
[ "$(green_x poll)" -lt 0 ] || fail "the disc is still drawn on the menu"

finish
