#!/usr/bin/env bash
# Frame rate and processor use of the real game on Xvfb (Mesa's software GL),
# and how fast its disc runs: frames a second and share of a core on the menu,
# in a game and minimised, and how far the disc runs with Right held on a flat
# level against whole 5 ms physics steps over the same game time. Each figure
# is the middle of three windows of 2 s; beside it, how much processor time
# other work on the machine took meanwhile (a busy machine holds the game back). On a
# machine shared with other work, BENCH_PRIORITY=-10 (as root) gives the
# game's session and this script's (the X server's) that scheduling priority,
# so that the figures are the game's rather than the machine's.
# Usage: [BENCH_PRIORITY=N] measure.sh GAME SOURCE_DIR SCRATCH_DIR
. "$2/tests/e2e/lib_pace.sh"

if [ -n "${BENCH_PRIORITY:-}" ]; then
    old_priority=$(awk '{ print $NF }' /proc/self/autogroup)
    echo "$BENCH_PRIORITY" >/proc/self/autogroup
    trap 'cleanup; echo "$old_priority" >/proc/self/autogroup' EXIT
fi

build_frame_rate || { fail "frame counter not built (libxdamage-dev missing?)"; finish; }
start_game_on_flat_level
wait_until 20 is_menu || { fail "no menu after the question"; finish; }
pid=$(game_process)
[ -n "${BENCH_PRIORITY:-}" ] && echo "$BENCH_PRIORITY" >"/proc/$pid/autogroup"
sleep 1

# The middle of three windows of 2 s (pace_window), figure by figure.
measure() {
    local a b c
    a=$(pace_window "$WIN" "$pid" 2) b=$(pace_window "$WIN" "$pid" 2) c=$(pace_window "$WIN" "$pid" 2)
    printf '%s: %s frames/s, %s %% of a core (other work took %s ms/s of processor)\n' \
        "$1" "$(median3 "${a%% *}" "${b%% *}" "${c%% *}")" \
        "$(median3 "$(cut -d' ' -f2 <<<"$a")" "$(cut -d' ' -f2 <<<"$b")" "$(cut -d' ' -f2 <<<"$c")")" \
        "$(median3 "${a##* }" "${b##* }" "${c##* }")"
}

measure menu
hold Return
wait_until 10 has_disc || { fail "Enter on the menu showed no green disc"; finish; }
timeout 5 xdotool windowfocus --sync "$WIN" keydown Right
sleep 0.2
before=$(disc_state "$pid")
measure game
after=$(disc_state "$pid")
xdotool keyup Right
ideal=$(level_x_after_steps "$before" "$(awk '{ print $6 }' <<<"$after")")
awk -v ideal="$ideal" '{ if (NR == 1) { x0 = $1 + $2; t0 = $6 } else { x1 = $1 + $2; t1 = $6 } }
    END { printf "disc: %.1f units in %.1f s of game time, %.1f %% of whole steps\n",
                  x1 - x0, (t1 - t0) / 1000, 100 * (x1 - x0) / (ideal - x0) }' <<<"$before
$after"

xdotool windowminimize "$WIN"
iconic() { xprop -id "$WIN" WM_STATE | grep -q Iconic; }
wait_until 10 iconic || fail "the window was not minimised"
sleep 1
measure minimised
finish
