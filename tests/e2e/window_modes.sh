#!/usr/bin/env bash
# Full screen and twenty F1 switches, under valgrind's memcheck where it is
# installed. On a 1024 x 768 screen that also offers 800 x 600, Yes to the
# question gives a borderless window covering the screen switched to 800 x 600;
# each F1 gives a new window, framed on the screen switched back, or full
# screen again, each showing the game's pale blue, and no error box. After
# twenty switches the game holds no more file descriptors, memory mappings or
# X resources of any kind (windows, colormaps, GL contexts, ...) than after
# two; closing its window ends it with exit code 0 and the screen back at
# 1024 x 768; and its own code neither lost memory nor read or wrote memory it
# should not.
. "$(dirname "$0")/lib_x.sh"

x_start 1024x768 and800x600
xset -r # a key held until the game has acted on it must not repeat
dir=$(prepare_run modes)
if command -v valgrind >/dev/null; then
    runner=(valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite
        --undef-value-errors=no --num-callers=40 --suppressions="$src/tests/e2e/valgrind.supp"
        --log-file="$dir/valgrind.%p.log") max_mb=4000 limit=280
else
    echo "valgrind not found: no check of the game's memory"
fi
game_start "$dir"
answer_box "Little questioN" Return || fail "no full-screen question"
win=$(wait_window "vorta kemi" 120) || { fail "no game window"; finish; }

# File descriptors, memory mappings and X resources of the game by type, one
# "count kind" a line. A frame in flight holds a buffer or a shared memory
# segment for a moment, so of five looks a second apart the smallest counts
# are kept (what a leak adds never goes away again; a kind missing from a
# look had none then).
cc -O1 -o "$scratch/x_resources" "$src/tests/e2e/x_resources.c" -lX11 -lXRes ||
    { fail "x_resources not built (libxres-dev missing?)"; finish; }
counts() {
    local pid n
    pid=$(game_process)
    for n in 1 2 3 4 5; do
        echo "$(ls "/proc/$pid/fd" | wc -l) descriptors" && echo "$(wc -l <"/proc/$pid/maps") mappings"
        "$scratch/x_resources" "$win" && sleep 1
    done | awk '{ n = $1; $1 = ""; if (!($0 in m) || n < m[$0]) m[$0] = n; seen[$0]++ }
        END { for (k in m) print (seen[k] < 5 ? 0 : m[k]) k }' | sort -k 2
}

mode=full
for i in $(seq 0 20); do
    wait_until 30 placed "$win" $mode || fail "switch $i: not $mode: $(geometry "$win") $(screen_size)"
    wait_until 30 pale_blue "$win" || fail "switch $i: the window is mostly $colour"
    [ "$i" -eq 2 ] && sleep 1 && at2=$(counts)
    [ "$i" -eq 20 ] && sleep 1 && at20=$(counts) && break
    # F1 is held until the window has been replaced (under valgrind a frame takes long).
    focus_window "$win" && xdotool keydown F1 && wait_until 90 new_window "$win"
    changed=$?
    xdotool keyup F1
    [ "$changed" -eq 0 ] || { fail "switch $((i + 1)) made no new window"; break; }
    win=$(window_named "vorta kemi") mode=$([ $mode = full ] && echo framed || echo full)
done
tree | grep -q 'Error":' && fail "an error box appeared"

# Mappings come and go with the driver's buffers; a leaked context or window
# would add several for every switch. Every other kind stays as it was.
echo "counts after 2 switches:" $at2
echo "counts after 20 switches:" $at20
[ -n "${at20:-}" ] || fail "no counts after 20 switches"
while read -r n kind; do
    was=$(awk -v k="$kind" '{ n = $1; $1 = "" } substr($0, 2) == k { print n }' <<<"${at2:-}")
    [ "$n" -le $((${was:-0} + $([ "$kind" = mappings ] && echo 8 || echo 0))) ] ||
        fail "$kind grew from ${was:-0} to $n"
done <<<"${at20:-}"

close_window "$win"
expect_exit "closing the window" 0 120
[ "$(screen_size)" = 1024x768 ] || fail "the screen was left at $(screen_size)"

# A definite leak, or a bad memory access, is the game's own when the first
# frame above the allocator or the C library's copy and compare functions is
# in the game's code (ours alone carry file and line).
if [ ${#runner[@]} -gt 0 ]; then
    awk -v game="(in $game)" '
        /definitely lost in loss record|Invalid (read|write|free)|Mismatched free|overlap/ {
            inrecord = 1; decided = 0; record = $0; next
        }
        inrecord && /^==[0-9]+== *$/ {inrecord = 0; next}
        inrecord && !decided && /(at|by) 0x/ {
            if ($0 ~ /(malloc|calloc|realloc|memalign|aligned_alloc|strdup|operator new)/) next
            if ($0 ~ /: (mem|str|__mem|__str)[a-z_0-9]* \(/ || $0 ~ /vg_replace/) next
            decided = 1
            if ($0 ~ /\.cpp:[0-9]+\)/ || index($0, game)) {print record; print; found = 1}
        }
        END {exit found ? 1 : 0}' "$dir"/valgrind.*.log >"$dir/ours.txt" ||
        fail "leaks or bad memory accesses in the game's code:$(printf '\n'; cat "$dir/ours.txt")"
    grep -h 'definitely lost:' "$dir"/valgrind.*.log
fi
finish
