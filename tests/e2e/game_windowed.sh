#!/usr/bin/env bash
# The real game on a 1024 x 768 screen, which offers no 800 x 600 mode: Yes to
# the full-screen question brings the windowed-mode question. No there gives
# "Program Will Now Close." and exit code 0 without any game window. Yes gives
# a framed window whose 800 x 600 client area shows the game's pale blue, and
# which minimising and restoring leave running. In it Enter on the menu starts
# a game (the green disc), Right held carries the disc past the middle; Right
# still held, neither the focus taken with Alt held nor F1 (and Yes to the
# windowed-mode question) leaves it down once let go; Escape goes back to the
# menu; Down and Enter open the credits, which go back to the menu by
# themselves after 11 s; Q on the menu ends the game with exit code 0.
. "$(dirname "$0")/lib_x.sh"
x_start 1024x768
# Another program's window, for the focus to go to.
xmessage -geometry +880+700 elsewhere 2>/dev/null &
other=$(wait_window xmessage) || fail "no other window"

game_start "$(prepare_run windowed_no)"
answer_box "Little questioN" Return || fail "no: no full-screen question"
answer_box "Tolm GL" Escape || fail "no: no windowed-mode question"
has_window "vorta kemi" && fail "no: a game window exists"
answer_box "Error" Return || fail "no: no closing message"
expect_exit "windowed refused" 0 5

game_start "$(prepare_run windowed_yes)"
answer_box "Little questioN" Return && answer_box "Tolm GL" Return || fail "yes: no questions"
WIN=$(wait_window "vorta kemi") || { fail "yes: no game window"; finish; }
wait_until 10 placed "$WIN" framed || fail "the window is at $(geometry "$WIN"), not framed"
wait_until 4 pale_blue "$WIN" || fail "the window is mostly $colour, not the game's pale blue"
xdotool windowminimize --sync "$WIN" 2>/dev/null && sleep 0.5
timeout 5 xdotool windowactivate --sync "$WIN" 2>/dev/null && sleep 0.5
game_running || fail "the game ended after minimise and restore"
wait_until 20 is_menu || { fail "no menu"; finish; }

hold Return
wait_until 10 has_disc || fail "Enter on the menu showed no green disc"
# Without a key the camera brings the disc toward the middle of the view
# (x 20 of 40, pixel 400) and never past it; Right held carries it on toward
# about x 27.4 (pixel 548). A busy machine may draw few frames, so poll.
right_of_middle() { shot right && [ "$(green_x right)" -ge 460 ]; }
focus_window "$WIN" && xdotool keydown Right
wait_until 15 right_of_middle || fail "Right held left the disc at x=$(green_x right)"
# A key held when the window loses the keyboard is let go of, however the
# focus went: here to another window while Alt is held (as a window
# switcher takes it), Right and Alt released there.
xdotool keydown alt && sleep 0.3 && xdotool windowfocus --sync "$other" && xdotool keyup Right alt
wait_until 3 arrows_are "0 0 0 0" || fail "Right stayed down after Alt and a focus change: $(held_arrows)"
# Right held across F1 and let go while the windowed-mode question is up:
# the new window starts with no key held.
focus_window "$WIN" && xdotool keydown Right && wait_until 3 arrows_are "0 0 1 0" &&
    hold F1 && wait_window "Tolm GL" >/dev/null || fail "F1 with Right held asked nothing"
xdotool keyup Right
answer_box "Tolm GL" Return && WIN=$(wait_until 10 new_window "$WIN" && new_window "$WIN") ||
    { fail "F1: no new window"; finish; }
focus_window "$WIN" && sleep 0.3
arrows_are "0 0 0 0" || fail "Right stayed down across F1: $(held_arrows)"
hold Escape
wait_until 10 is_menu || fail "Escape in the game did not go back to the menu"
[ "$(green_x poll)" -lt 0 ] || fail "the disc is still drawn on the menu"

hold Down
sleep 1.2 # the cursor settles on the credits entry
hold Return
wait_until 5 is_credits || fail "Down and Enter did not open the credits"
opened=$SECONDS
sleep 5
is_credits || fail "the credits ended too early"
wait_until 15 is_menu || fail "the credits did not end by themselves"
took=$((SECONDS - opened))
echo "the credits took about $took s"
[ "$took" -ge 9 ] && [ "$took" -le 14 ] || fail "the credits lasted $took s, not 11"

hold q
expect_exit "Q on the menu" 0 5
finish
