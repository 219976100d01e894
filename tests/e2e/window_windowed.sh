#!/usr/bin/env bash
# Answering No to the full-screen question gives a framed window titled
# "vorta kemi" whose client area is 800 x 600 and shows the game's pale blue
# picture; minimising and restoring keeps the game running, and closing
# the window through the window manager ends the game with exit code 0.
. "$(dirname "$0")/lib_x.sh"

x_start 1024x768
game_start "$(prepare_run windowed)"
answer_box "Little questioN" Escape || fail "no full-screen question"
win=$(wait_window "vorta kemi") || fail "no game window"

if [ -n "$win" ]; then
    read -r x y w h < <(geometry "$win")
    [ "$w $h" = "800 600" ] || fail "client area is ${w}x$h, not 800x600"
    [ "$y" -gt 0 ] || fail "the window has no title bar above its client area (y=$y)"
    wait_pale_blue "$x" "$y" "$w" "$h" || fail "client area is mostly #$colour, not the game's pale blue"

    xdotool windowminimize --sync "$win" 2>/dev/null
    sleep 0.5
    timeout 5 xdotool windowactivate --sync "$win" 2>/dev/null
    sleep 0.5
    game_running || fail "the game ended after minimise and restore"

    close_window "$win"
    game_wait 5 || fail "the game did not end after closing its window"
    [ "$code" -eq 0 ] || fail "exit code $code after closing the window"
fi
finish
