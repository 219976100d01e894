#!/usr/bin/env bash
# Answering Yes on a display that offers 800 x 600 gives a borderless window
# covering the screen at (0, 0); F1 switches to a framed window and back while
# the game keeps running; closing the window ends the game with exit code 0.
. "$(dirname "$0")/lib_x.sh"

x_start 800x600

# Waits for a game window other than `old` (pressing F1 in `old` first when
# asked to) and checks its place and picture; leaves its id in `win`.
expect_window() { # old id, "full" or "framed", "F1" to switch
    local old=$1 mode=$2 press=${3:-} tries id="" x y w h
    for ((tries = 3; tries > 0; tries--)); do
        [ -n "$press" ] && { hold_key "$old" F1 || fail "$mode: could not focus the window"; }
        wait_until 10 new_window "$old" && id=$(new_window "$old") && break
        [ -n "$press" ] || break
    done
    [ -n "$id" ] || { fail "no new $mode window"; return 1; }
    # The window manager may still be moving it into place.
    wait_until 10 placed "$id" "$mode" || fail "$mode window is placed at $(geometry "$id")"
    read -r x y w h < <(geometry "$id")
    wait_pale_blue "$x" "$y" 800 $((600 - y)) || fail "$mode window is mostly #$colour"
    win=$id
}

game_start "$(prepare_run fullscreen)"
answer_box "Little questioN" Return || fail "no full-screen question"
win=""
expect_window "" full
if [ -n "$win" ]; then
    expect_window "$win" framed F1
    expect_window "$win" full F1
    game_running || fail "the game ended while switching modes"
    has_window "Error" && fail "an error box appeared"
    close_window "$win"
    game_wait 5 || fail "the game did not end after closing its window"
    [ "$code" -eq 0 ] || fail "exit code $code after closing the window"
fi
finish
