#!/usr/bin/env bash
# Twenty F1 switches between a window and full screen must not pile anything
# up: the real game runs under valgrind's memcheck on Xvfb, answers No to the
# question, switches twenty times, then quits with Q from the menu. It must
# end with exit code 0, leave the X screen at its size, hold the same number
# of file descriptors, memory mappings and X resources after twenty switches
# as after two, and neither lose memory its own code allocated nor read or
# write memory it should not.
# Without valgrind everything but the leak check still runs.
. "$(dirname "$0")/lib_x.sh"

x_start 800x600
# A key held until the game has acted on it must not repeat.
xset -r 2>/dev/null || echo "xset not found: key repeat stays on"
screen_size() { xdpyinfo | awk '/dimensions:/ {print $2; exit}'; }
size_before=$(screen_size)

dir=$(prepare_run leaks)
runner=()
if command -v valgrind >/dev/null; then
    runner=(valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite
        --undef-value-errors=no --num-callers=40
        --suppressions="$src/tests/e2e/valgrind.supp" --log-file="$dir/valgrind.%p.log")
else
    echo "valgrind not found: no leak check, the other checks still run"
fi
(cd "$dir" && exec setsid timeout -s KILL 280 "${runner[@]}" "$game" >out.txt 2>err.txt) &
game_pid=$!

# The X resources of the game's connection, by type ("WINDOW=1 GC=2 ...").
xres="$scratch/xres_types"
cc -O1 -o "$xres" "$src/tests/e2e/xres_types.c" -lX11 -lXRes 2>"$scratch/xres_build.log" ||
    { echo "xres_types not built (libxres-dev missing?): X resources not compared"; xres=""; }
# One type's count from such a line (0 when absent).
count_of() { grep -o "\b$1=[0-9]*" <<<"$2" | cut -d= -f2 | grep . || echo 0; }

answer_box "Little questioN" Escape || fail "no full-screen question"
win=$(wait_window "vorta kemi" 120) || { fail "no game window"; finish; }

# One F1 switch: F1 is held until the game window has been replaced (under
# valgrind a frame takes long), and the new window is printed.
switch() {
    focus_window "$1" || return 1
    xdotool keydown F1
    wait_until 90 new_window "$1"
    local changed=$?
    xdotool keyup F1
    [ "$changed" -eq 0 ] && window_named "vorta kemi"
}

# Counts of the game process while it runs on: a frame in flight holds a
# buffer or a shared memory segment for a moment, so of five looks a second
# apart the smallest counts are kept (what a leak adds never goes away again).
sample() { # window; sets fds, maps, xres_line
    local pid n f m line total best=""
    pid=$(pgrep -P "$game_pid" | head -n 1) # under timeout, and under valgrind when there
    fds="" maps="" xres_line=""
    for n in 1 2 3 4 5; do
        f=$(ls "/proc/$pid/fd" | wc -l) m=$(wc -l <"/proc/$pid/maps")
        line=$([ -n "$xres" ] && "$xres" "$1")
        total=$(grep -o '=[0-9]*' <<<"$line" | tr -d = | awk '{t += $1} END {print t + 0}')
        [ -z "$fds" ] || [ "$f" -lt "$fds" ] && fds=$f
        [ -z "$maps" ] || [ "$m" -lt "$maps" ] && maps=$m
        [ -z "$best" ] || [ "$total" -lt "$best" ] && best=$total xres_line=$line
        sleep 1
    done
}

for i in $(seq 1 20); do
    win=$(switch "$win") || { fail "switch $i did not make a new window"; break; }
    # Odd switches go to full screen, even ones back: one switch per F1.
    # (The window manager may take a moment to place the new window.)
    mode=$([ $((i % 2)) -eq 1 ] && echo full || echo framed)
    wait_until 20 placed "$win" "$mode" || fail "switch $i: not $mode: $(geometry "$win")"
    if [ "$i" -eq 2 ] || [ "$i" -eq 20 ]; then
        sleep 1 # let the new window settle before counting
        sample "$win"
        eval "fds_$i=$fds maps_$i=$maps xres_$i=\"$xres_line\""
    fi
done
echo "after 2 switches: fds=${fds_2:-?} maps=${maps_2:-?} X resources: ${xres_2:-?}"
echo "after 20 switches: fds=${fds_20:-?} maps=${maps_20:-?} X resources=${xres_20:-?}"
[ -n "${fds_2:-}" ] && [ -n "${fds_20:-}" ] && [ "$fds_20" -le "$fds_2" ] ||
    fail "file descriptors grew from ${fds_2:-?} to ${fds_20:-?}"
# Mappings come and go with the driver's buffers; a leaked context or window
# would add several for every switch.
[ -n "${maps_2:-}" ] && [ -n "${maps_20:-}" ] && [ "$maps_20" -gt $((maps_2 + 8)) ] &&
    fail "memory mappings grew from $maps_2 to $maps_20"
# No kind of X resource grows, but colormaps: SDL's X11 window code makes two
# per window and never frees them (the server frees them when the game
# disconnects), which the game cannot help.
if [ -n "$xres" ]; then
    for type in $(tr ' ' '\n' <<<"${xres_2:-} ${xres_20:-}" | cut -d= -f1 | sort -u); do
        a=$(count_of "$type" "${xres_2:-}") b=$(count_of "$type" "${xres_20:-}")
        [ "$type" = COLORMAP ] || [ "$b" -le "$a" ] || fail "X resources of type $type grew from $a to $b"
    done
    [ "$(count_of GLXContext "${xres_20:-}")" -le 1 ] || fail "more than one GL context: ${xres_20:-}"
fi

# Q is held until the game has gone (a frame under valgrind takes long).
focus_window "$win" && xdotool keydown q
main_pid=$game_pid
game_wait 120 || fail "the game did not end after Q"
xdotool keyup q 2>/dev/null
[ "$code" -eq 0 ] || fail "exit code $code after Q: $(tail -n 5 "$dir/err.txt")"
[ "$size_before" = "$(screen_size)" ] || fail "screen size was $size_before, is $(screen_size)"

# A definite leak, or a bad memory access, is the game's own when the first
# frame above the allocator or the C library's copy and compare functions is
# in the game's code.
if [ ${#runner[@]} -gt 0 ]; then
    ours=$(cd "$src" && ls core/*.cpp platform/*.cpp win32/*.cpp game/*.cpp \
        render/*.cpp sound/*.cpp app/*.cpp 2>/dev/null | xargs -n 1 basename | paste -sd'|')
    awk -v ours="($ours):[0-9]+\\\\)" -v game="(in $game)" '
        /definitely lost in loss record|Invalid (read|write|free)|Mismatched free|overlap/ {
            inrecord = 1; decided = 0; record = $0; next
        }
        inrecord && /^==[0-9]+== *$/ {inrecord = 0; next}
        inrecord && !decided && /(at|by) 0x/ {
            if ($0 ~ /(malloc|calloc|realloc|memalign|aligned_alloc|strdup|operator new)/) next
            if ($0 ~ /: (mem|str|__mem|__str)[a-z_0-9]* \(/ || $0 ~ /vg_replace/) next
            decided = 1
            if ($0 ~ ours || index($0, game)) {print record; print; found = 1}
        }
        END {exit found ? 1 : 0}' "$dir"/valgrind.*.log >"$dir/ours.txt" ||
        fail "leaks or bad memory accesses in the game's code:$(printf '\n'; cat "$dir/ours.txt")"
    # The game's own process (valgrind also follows the children SDL forks).
    main_log=$(grep -l "Parent PID: $main_pid\$" "$dir"/valgrind.*.log | head -n 1)
    grep -E 'definitely lost:|indirectly lost:|possibly lost:' "$main_log" | sed 's/^==[0-9]*== *//'
fi
finish
