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
command -v gdb >/dev/null || { fail "gdb is needed to read the disc's position"; finish; }

start_game_on_flat_level
wait_until 20 is_menu || { fail "no menu after the question"; finish; }
pid=$(game_process)
[ -n "$pid" ] || { fail "no game process"; finish; }
unjudged=""
within() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v >= lo && v <= hi) }'; }

sleep 1
read -r fps cpu <<<"$(fair_pace "$WIN" "$pid" 55 60)"
echo "menu: $fps frames a second, $cpu % of a core"
if [ "$fps" = - ]; then unjudged+=" menu-frames"
elif ! within "$fps" 55 65; then fail "$fps frames a second on the menu, not 55 to 65"; fi
if [ "$cpu" = - ]; then unjudged+=" menu-processor"
elif ! within "$cpu" 0 60; then fail "the menu takes $cpu % of a core, more than 60"; fi

hold Return
wait_until 10 has_disc || { fail "Enter on the menu showed no green disc"; finish; }
timeout 5 xdotool windowfocus --sync "$WIN" keydown Right
sleep 0.2 # a frame has seen the key
before=$(disc_state "$pid")
sleep 3
after=$(disc_state "$pid")
xdotool keyup Right
[ -n "$before" ] && [ -n "$after" ] || { fail "gdb could not read the disc"; finish; }
echo "disc (x scroll vx push speed step): $before -> $after"

# The level x the disc reached against the one whole steps reach over the
# same game time.
share=$(awk -v ideal="$(level_x_after_steps "$before" "$(awk '{ print $6 }' <<<"$after")")" \
    '{ if (NR == 1) x0 = $1 + $2; else x1 = $1 + $2 }
     END { printf "%.1f\n", 100 * (x1 - x0) / (ideal - x0) }' <<<"$before
$after")
echo "the disc moved $share % as far as whole steps would"
within "$share" 95 1000 || fail "the disc moved only $share % as far"

xdotool windowminimize "$WIN"
iconic() { xprop -id "$WIN" WM_STATE | grep -q Iconic; }
wait_until 10 iconic || fail "the window was not minimised"
sleep 1
read -r _ cpu <<<"$(fair_pace "$WIN" "$pid" 0 3)"
echo "minimised: $cpu % of a core"
if [ "$cpu" = - ]; then unjudged+=" minimised-processor"
elif ! within "$cpu" 0 3; then fail "minimised the game takes $cpu % of a core, more than 3"; fi

if [ "$failures" -eq 0 ] && [ -n "$unjudged" ]; then
    echo "skipped: the machine was too busy to judge:$unjudged"
    exit 77
fi
finish
