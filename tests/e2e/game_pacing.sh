#!/usr/bin/env bash
# The real game under Xvfb runs at full speed at the display's pace: holding
# Right in a fresh game on a flat level moves the disc as far as whole 5 ms
# physics steps over that time would, frames come at about 60 a second
# (Xvfb's swaps do not wait for a display, the window layer does), the menu
# costs well under a core, and a minimised game almost nothing; so does a
# full-screen game whose window manager died (and with a new one it is full
# screen again).
#
# Frame rates and processor shares are the middle of three windows of 2 s in
# which the machine let the game run (see fair_pace); processor shares are the
# game process's own processor time, all threads, from /proc. When a busy
# machine leaves too few such windows, the test says so and is skipped.
. "$(dirname "$0")/lib_pace.sh"

build_frame_rate || { fail "frame counter not built (libxdamage-dev missing?)"; finish; }
x_start 1024x768 and800x600
limit=240
start_game_on_flat_level
wait_until 20 is_menu || { fail "no menu after the question"; finish; }
pid=$(game_process)

sleep 1
read -r fps cpu <<<"$(fair_pace "$WIN" "$pid" 55 60)"
judge "menu frames/s" "$fps" 55 65
judge "menu % of a core" "$cpu" 0 60

hold Return
wait_until 10 has_disc || { fail "Enter on the menu showed no green disc"; finish; }
judge_right_run "$pid"

xdotool windowminimize "$WIN"
wait_until 10 bash -c "xprop -id $WIN WM_STATE | grep -q Iconic" || fail "the window was not minimised"
sleep 1
read -r _ cpu <<<"$(fair_pace "$WIN" "$pid" 0 3)"
judge "minimised % of a core" "$cpu" 0 3

# Full screen without its window manager: killed, the desktop gets its own
# mode back, and the game, off the screen it made, draws no frame (the menu's
# time stands still) and costs what a minimised game does. (Had SDL not yet
# counted the window's focus, nothing would change: still full screen in its
# mode, which is as consistent.) A new window manager gives it the focus, and
# it takes its mode again; so does a key pressed at it with none.
timeout 5 xdotool windowactivate --sync "$WIN" 2>/dev/null
hold Escape && wait_until 10 is_menu || fail "Escape did not go back to the menu"
hold F1 && WIN=$(wait_until 10 new_window "$WIN" && new_window "$WIN") &&
    wait_until 10 placed "$WIN" full || { fail "F1 did not give full screen"; finish; }
menu_time() { disc_state "$pid" | awk '{ print $6 }'; }
screen_is() { [ "$(screen_size)" = "$1" ]; }
wm_gone() { # true when the desktop got its mode back
    sleep 1 # SDL counts a window's focus a moment after it has it
    kill "$wm_pid" && wait "$wm_pid"
    wait_until 5 screen_is 1024x768 && return 0
    placed "$WIN" full || fail "no window manager: the game at $(geometry "$WIN") on $(screen_size)"
    return 1
}
if wm_gone; then
    before=$(menu_time)
    read -r _ cpu <<<"$(fair_pace "$WIN" "$pid" 0 3)"
    drew=$([ "$(menu_time)" = "$before" ] || echo yes)
    if placed "$WIN" full; then # given the focus meanwhile, as consistent
        echo "without a window manager, the game took its mode back"
    else
        judge "without a window manager % of a core" "$cpu" 0 3
        [ -z "$drew" ] || fail "without a window manager, the game drew frames"
    fi
fi
openbox >>"$scratch/openbox.log" 2>&1 &
wm_pid=$!
wait_until 10 placed "$WIN" full ||
    fail "a new window manager: the game at $(geometry "$WIN") on $(screen_size), not full screen"
if wm_gone; then
    xdotool keydown Down && sleep 0.1 && xdotool keyup Down # the keyboard follows the pointer
    wait_until 5 placed "$WIN" full || fail "a key: the game at $(geometry "$WIN") on $(screen_size)"
fi

finish_judged
