#!/usr/bin/env bash
# Peak memory of the running game: the real binary on Xvfb (Mesa's software
# GL), answered No, a game played for a few seconds with the arrows, two F1
# switches, back to the menu and quit. Prints the peak and the current
# resident set size (VmHWM, VmRSS) read just before quitting.
# Usage: peak_rss.sh GAME SOURCE_DIR SCRATCH_DIR
. "$2/tests/e2e/lib_x.sh"

x_start 800x600
game_start "$(prepare_run rss)"
answer_box "Little questioN" Escape || fail "no full-screen question"
win=$(wait_window "vorta kemi" 60) || { fail "no game window"; finish; }
pid=$(game_process)
sleep 1
grep -E '^Vm(HWM|RSS)' "/proc/$pid/status" | sed 's/^/menu: /'

hold_key "$win" Return
for key in Right Right Up Right Left Up Right; do
    focus_window "$win" && xdotool keydown "$key"
    sleep 0.7
    xdotool keyup "$key"
done
for i in 1 2; do
    hold_key "$win" F1
    wait_until 30 bash -c "[ \"\$(xwininfo -root -tree | grep -F '\"vorta kemi\":' | tail -n 1 |
        awk '{print \$1}')\" != $win ]"
    win=$(window_named "vorta kemi")
done
hold_key "$win" Escape
sleep 1
grep -E '^Vm(HWM|RSS)' "/proc/$pid/status" | sed 's/^/after play: /'
hold_key "$win" q
game_wait 20 || fail "the game did not end after Q"
finish
