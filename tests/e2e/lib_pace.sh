# Measuring the running game from outside, on top of lib_x.sh: its frame rate
# (the damage its swaps do to the window, counted by frame_rate.c), the
# processor time of its process (from /proc) and the disc's state (a
# debugger's batch read of the game's variables). Used by game_pacing.sh and
# bench/pacing/measure.sh.
. "$(dirname "${BASH_SOURCE[0]}")/lib_x.sh"

# The game windowed on a level with nothing but an unbroken bottom row: the
# disc can run right for ten seconds without falling into the sea.
start_game_on_flat_level() {
    local dir
    dir=$(prepare_run flat)
    { yes 0 | head -n 1100; yes 1 | head -n 100; } >"$dir/map"
    start_windowed "$dir"
}

# Builds the frame counter into the scratch folder as FRAME_RATE.
build_frame_rate() {
    FRAME_RATE="$scratch/frame_rate"
    cc -O1 -o "$FRAME_RATE" "$src/tests/e2e/frame_rate.c" -lX11 -lXdamage 2>"$scratch/frame_rate.log"
}

# "ticks own machine now": the processor time (user and system, all
# threads) in clock ticks of the process `pid`, of everything this test runs
# (its X server and every process on that display: the game, the window
# manager, the frame counter, Wine's server) and of the whole machine, and
# the time in nanoseconds.
process_times() {
    local own=0 pid
    for pid in $x_pid $(grep -lzxF "DISPLAY=$DISPLAY" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3); do
        own=$((own + $(sed 's/.*) //' "/proc/$pid/stat" 2>/dev/null | awk '{ s = $12 + $13 } END { print s + 0 }')))
    done
    echo "$(awk '{ print $14 + $15 }' "/proc/$1/stat") $own" \
        "$(awk '/^cpu / { print $2 + $3 + $4 + $7 + $8 + $9 }' /proc/stat) $(date +%s%N)"
}

# One look at the game over `seconds`: "frames/s  % of a core  ms/s of others",
# the frames its window `win` showed, the processor time of its process `pid`
# and the processor time that other work on the machine took, per second.
pace_window() { # win, pid, seconds
    local before fps
    before=$(process_times "$2")
    fps=$("$FRAME_RATE" "$1" "$3")
    awk -v f="$fps" -v hz="$(getconf CLK_TCK)" '{ t = ($8 - $4) / 1e9
        printf "%s %.1f %.0f\n", f, 100 * ($5 - $1) / hz / t, 1000 * ($7 - $3 - $6 + $2) / hz / t }' \
        <<<"$before $(process_times "$2")"
}

# The middle one of three numbers, or "-" for fewer.
median3() { [ $# -ge 3 ] && printf '%s\n' "$1" "$2" "$3" | sort -g | sed -n 2p || echo -; }

# "frames/s  % of a core" of the game, each the middle of three windows of 2 s
# that can judge it against the bounds `min_fps` and `max_cpu`. Other work on
# the machine costs the game frames (it waits for a processor) and makes its
# frames dearer (caches shared), so a window in which other work took a
# quarter of a processor or more counts only for a figure it shows within the
# bound anyway: a busy machine may hide a fault, never invent one. (What the
# game itself keeps busy, X server and Wine included, is not other work: a
# game that spins must not pass for a busy machine.) A figure still without
# three windows after twenty is "-".
fair_pace() { # win, pid, min_fps, max_cpu
    local tries fps cpu others fpss=() cpus=()
    for ((tries = 20; tries > 0 && (${#fpss[@]} < 3 || ${#cpus[@]} < 3); tries--)); do
        read -r fps cpu others <<<"$(pace_window "$1" "$2" 2)"
        awk -v o="$others" -v f="$fps" -v m="$3" 'BEGIN { exit !(o < 250 || f >= m) }' && fpss+=("$fps")
        awk -v o="$others" -v c="$cpu" -v m="$4" 'BEGIN { exit !(o < 250 || c <= m) }' && cpus+=("$cpu")
    done
    echo "$(median3 "${fpss[@]}") $(median3 "${cpus[@]}")"
}

# "playerX scrollX playerVX pushX scrollSpeed lastStepTick" of the game,
# read with the process stopped for a moment (no shared-library symbols: the
# game's own variables are all that is read). A program without symbols is
# read at addresses: the six values as gdb expressions.
disc_state() { # pid [expressions]
    gdb -nx -batch -p "$1" -iex 'set auto-solib-add off' -ex "printf \"%.17g %.17g %.17g %.17g %.17g %u\n\", \
        ${2:-playerX, scrollX, playerVX, pushX, scrollSpeed, lastStepTick}" \
        2>/dev/null | awk 'NF == 6 && $6 ~ /^[0-9]+$/'
}

# The level x the disc reaches from a state read by disc_state when the game
# runs whole 5 ms steps with Right held until game time `until`: the sideways
# half of one physics step, which nothing but the view's edges stops.
level_x_after_steps() {
    awk -v until="$2" '{
        x = $1; scroll = $2; vx = $3; push = $4; speed = $5
        for (n = int((until - $6) / 5); n > 0; n--) {
            x = x + vx - 2 * speed
            if (x > 39) x = 39
            if (x < 1) x = 1
            v = vx + push; vx = v - v / 100; push = 0.0015
            speed = (x - 20) / 100; scroll += speed
        }
        printf "%.6f\n", x + scroll
    }' <<<"$1"
}

# A figure against its bounds; "-" (too busy a machine to tell) is noted in
# `unjudged` instead, and finish_judged then skips the test if nothing failed.
unjudged=""
judge() { # what, figure, lowest, highest
    echo "$1: $2"
    if [ "$2" = - ]; then
        unjudged+=" $1"
    else
        awk -v v="$2" -v lo="$3" -v hi="$4" 'BEGIN { exit !(v >= lo && v <= hi) }' ||
            fail "$1 is $2, not $3 to $4"
    fi
}
finish_judged() {
    [ "$failures" -eq 0 ] && [ -n "$unjudged" ] &&
        echo "skipped, the machine too busy to judge:$unjudged" && exit 77
    finish
}

# Holds Right for 3 s in a game on the flat level and judges how far the disc
# went (read by disc_state, with these further arguments) against the way
# whole 5 ms steps over the same game time take it: at least 95 %.
judge_right_run() { # pid [expressions]
    local before after to
    focus_window "$WIN" && xdotool keydown Right
    sleep 0.2 # a frame has seen the key
    before=$(disc_state "$@") && sleep 3 && after=$(disc_state "$@")
    xdotool keyup Right
    [ -n "$before" ] && [ -n "$after" ] || { fail "gdb could not read the disc"; return 1; }
    echo "disc (x scroll vx push speed step): $before -> $after"
    to=$(level_x_after_steps "$before" "${after##* }")
    judge "% of the way whole steps go" "$(awk -v to="$to" -v from="$(awk '{ print $1 + $2 }' \
        <<<"$before")" '{ printf "%.1f", 100 * ($1 + $2 - from) / (to - from) }' <<<"$after")" 95 1000
}
