#!/usr/bin/env bash
# The real game under Xvfb runs at full speed at the display's pace: holding
# Right in a fresh game on a flat level moves the disc as far as whole 5 ms
# physics steps over that time would, frames come at about 60 a second
# (Xvfb's swaps do not wait for a display, the window layer does), the menu
# costs well under a core and a minimised game almost nothing.
#
# Frame rates and processor shares are the middle of three windows of 2 s in
# which the machine let the game run (see fair_pace); processor shares are the
# game process's own processor time, all threads, from /proc. When a busy
# machine leaves too few such windows, the test says so and is skipped.
. "$(dirname "$0")/lib_pace.sh"

build_frame_rate || { fail "frame counter not built (libxdamage-dev missing?)"; finish; }
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

finish_judged
