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
pid=$(game_process) unjudged=""
judge() { # what, figure, lowest, highest
    echo "$1: $2"
    if [ "$2" = - ]; then
        unjudged+=" $1"
    else
        awk -v v="$2" -v lo="$3" -v hi="$4" 'BEGIN { exit !(v >= lo && v <= hi) }' ||
            fail "$1 is $2, not $3 to $4"
    fi
}

sleep 1
read -r fps cpu <<<"$(fair_pace "$WIN" "$pid" 55 60)"
judge "menu frames/s" "$fps" 55 65
judge "menu % of a core" "$cpu" 0 60

hold Return
wait_until 10 has_disc || { fail "Enter on the menu showed no green disc"; finish; }
focus_window "$WIN" && xdotool keydown Right
sleep 0.2 # a frame has seen the key
before=$(disc_state "$pid") && sleep 3 && after=$(disc_state "$pid")
xdotool keyup Right
[ -n "$before" ] && [ -n "$after" ] || { fail "gdb could not read the disc"; finish; }
echo "disc (x scroll vx push speed step): $before -> $after"
# The level x the disc reached against the one whole steps reach over the
# same game time, as a share of the way from where it was.
judge "% of the way whole steps go" "$(awk -v to="$(level_x_after_steps "$before" "${after##* }")" \
    -v from="$(awk '{ print $1 + $2 }' <<<"$before")" '{ print 100 * ($1 + $2 - from) / (to - from) }' \
    <<<"$after")" 95 1000

xdotool windowminimize "$WIN"
wait_until 10 bash -c "xprop -id $WIN WM_STATE | grep -q Iconic" || fail "the window was not minimised"
sleep 1
read -r _ cpu <<<"$(fair_pace "$WIN" "$pid" 0 3)"
judge "minimised % of a core" "$cpu" 0 3

[ "$failures" -eq 0 ] && [ -n "$unjudged" ] && echo "skipped, the machine too busy to judge:$unjudged" &&
    exit 77
finish
