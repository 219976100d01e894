#!/usr/bin/env bash
# On a 1024 x 768 display, which offers no 800 x 600 mode, answering Yes to
# the full-screen question brings the windowed-mode question. Yes there gives
# the framed window, which Q on the menu ends with exit code 0; No gives
# "Program Will Now Close." and exit code 0 without any game window.
. "$(dirname "$0")/lib_x.sh"

x_start 1024x768

game_start "$(prepare_run fallback_yes)"
answer_box "Little questioN" Return || fail "yes: no full-screen question"
answer_box "Tolm GL" Return || fail "yes: no windowed-mode question"
if win=$(wait_window "vorta kemi"); then
    read -r x y w h < <(geometry "$win")
    [ "$w $h" = "800 600" ] || fail "yes: window is ${w}x$h, not 800x600"
    [ "$y" -gt 0 ] || fail "yes: the window has no title bar, so it is not windowed (y=$y)"
    wait_pale_blue "$x" "$y" "$w" "$h" || fail "yes: client area is mostly #$colour"
    hold_key "$win" q # Q on the menu leaves the game
    game_wait 5 || fail "yes: the game did not end on Q"
    [ "$code" -eq 0 ] || fail "yes: exit code $code"
else
    fail "yes: no game window"
fi
stop_game

game_start "$(prepare_run fallback_no)"
answer_box "Little questioN" Return || fail "no: no full-screen question"
answer_box "Tolm GL" Escape || fail "no: no windowed-mode question"
answer_box "Error" Return || fail "no: no closing message"
game_wait 10 || fail "no: the game did not end"
[ "$code" -eq 0 ] || fail "no: exit code $code"
has_window "vorta kemi" && fail "no: a game window exists"
finish
