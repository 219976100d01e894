#!/usr/bin/env bash
# Answering Yes on a display that offers 800 x 600 gives a borderless window
# covering the screen at (0, 0); F1 switches to a framed window and back while
# the game keeps running; closing the window ends the game with exit code 0.
. "$(dirname "$0")/lib_x.sh"

x_start 800x600

# Waits for the newest game window other than `old` and checks its place.
expect_window() { # old id, "full" or "framed"
    local old=$1 mode=$2 tries=100 id=""
    while [ "$tries" -gt 0 ]; do
        id=$(window_named "vorta kemi")
        [ -n "$id" ] && [ "$id" != "$old" ] && break
        tries=$((tries - 1))
        sleep 0.1
    done
    [ -n "$id" ] && [ "$id" != "$old" ] || { fail "no new $mode window"; return 1; }
    local x y w h
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
    hold_key "$win" F1
    expect_window "$win" framed
    hold_key "$win" F1
    expect_window "$win" full
    game_running || fail "the game ended while switching modes"
    has_window "Error" && fail "an error box appeared"

    timeout 5 xdotool windowfocus --sync "$win" key alt+F4
    if game_wait 5; then
        [ "$code" -eq 0 ] || fail "exit code $code after closing the window"
    else
        fail "the game did not end after closing its window"
    fi
fi
finish
