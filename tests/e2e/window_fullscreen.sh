#!/usr/bin/env bash
# Answering Yes on a display that offers 800 x 600 gives a borderless window
# covering the screen at (0, 0); F1 switches to a framed window and back while
# the game keeps running; closing the window ends the game with exit code 0.
. "$(dirname "$0")/lib_x.sh"

x_start 800x600

# The newest game window other than `old`, or nothing.
new_window() {
    local id
    id=$(window_named "vorta kemi")
    [ -n "$id" ] && [ "$id" != "$1" ] && echo "$id"
}

# Waits for a game window other than `old` (pressing F1 in `old` first when
# asked to) and checks its place; leaves its id in `win`.
expect_window() { # old id, "full" or "framed", "F1" to switch
    local old=$1 mode=$2 press=${3:-} tries=3 id="" x y w h
    while [ "$tries" -gt 0 ] && [ -z "$id" ]; do
        [ -n "$press" ] && { hold_key "$old" F1 || fail "$mode: could not focus the window"; }
        wait_until 10 new_window "$old"
        id=$(new_window "$old")
        [ -n "$press" ] || break
        tries=$((tries - 1))
    done
    [ -n "$id" ] || { fail "no new $mode window"; return 1; }
    # The window manager may still be moving it into place.
    wait_until 10 bash -c "xwininfo -id $id | grep -q 'Width: 800'"
    read -r x y w h < <(geometry "$id")
    [ "$w $h" = "800 600" ] || fail "$mode window is ${w}x$h, not 800x600"
    if [ "$mode" = full ]; then
        [ "$x $y" = "0 0" ] || fail "full-screen window at ($x, $y), not (0, 0)"
        wait_pale_blue 0 0 800 600 || fail "full screen is mostly #$colour"
    else
        [ "$y" -gt 0 ] || fail "framed window has no title bar (y=$y)"
        wait_pale_blue "$x" "$y" 800 $((600 - y)) || fail "framed window is mostly #$colour"
    fi
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
    if game_wait 5; then
        [ "$code" -eq 0 ] || fail "exit code $code after closing the window"
    else
        fail "the game did not end after closing its window"
    fi
fi
finish
