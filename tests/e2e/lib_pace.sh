# Measuring the running game from outside, on top of lib_play.sh: its frame
# rate (the damage its swaps do to the window), the processor time of its
# process (from /proc) and the disc's state (a debugger's batch read of the
# game's variables). Used by game_pacing.sh and bench/pacing/measure.sh.
. "$(dirname "${BASH_SOURCE[0]}")/lib_play.sh"

# As start_game_windowed, on a level with nothing but an unbroken bottom row:
# the disc can run right for ten seconds without falling into the sea.
start_game_on_flat_level() {
    [ -n "$x_pid" ] || x_start 1024x768
    local dir
    dir=$(prepare_run flat)
    { yes 0 | head -n 1100; yes 1 | head -n 100; } >"$dir/map"
    game_start "$dir"
    answer_box "Little questioN" Escape || { fail "no full-screen question"; finish; }
    WIN=$(wait_window "vorta kemi") || { fail "no game window"; finish; }
    timeout 5 xdotool windowfocus --sync "$WIN"
}

# The game process itself: the child of the `timeout` that game_start runs.
game_process() { pgrep -P "$game_pid" | head -n 1; }

# Builds the frame counter (frame_rate.c) into the scratch folder; sets FRAME_RATE.
build_frame_rate() {
    FRAME_RATE="$scratch/frame_rate"
    cc -O1 -o "$FRAME_RATE" "$src/tests/e2e/frame_rate.c" -lX11 -lXdamage \
        2>"$scratch/frame_rate_build.log"
}

# Frames per second the window shows over `seconds`.
frames_per_second() { "$FRAME_RATE" "$1" "$2"; }

# Processor time (user + system, all threads) of a process, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# Nanoseconds the threads of a process have spent ready to run but waiting for
# a processor (the second figure of each thread's schedstat).
run_queue_wait() {
    cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $2 } END { printf "%.0f\n", s }'
}

# One look at the game over `seconds`: "frames/s  % of a core  ms/s waited",
# the frames its window `win` showed, the processor time of its process `pid`
# and how long that process's threads waited for a processor, per second.
pace_window() {
    local win=$1 pid=$2 seconds=$3 w0 w1 c0 c1 t0 t1 fps
    w0=$(run_queue_wait "$pid") c0=$(cpu_ticks "$pid") t0=$(date +%s.%N)
    fps=$(frames_per_second "$win" "$seconds")
    w1=$(run_queue_wait "$pid") c1=$(cpu_ticks "$pid") t1=$(date +%s.%N)
    awk -v f="$fps" -v w=$((w1 - w0)) -v c=$((c1 - c0)) -v hz="$(getconf CLK_TCK)" \
        -v t="$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')" \
        'BEGIN { printf "%s %.1f %.0f\n", f, 100 * c / hz / t, w / 1e6 / t }'
}

# The middle one of three numbers.
median3() { printf '%s\n' "$@" | sort -g | sed -n 2p; }

# "frames/s  % of a core" of the game, each the middle of three windows of 2 s
# that can judge it against the bounds `min_fps` and `max_cpu`. Other work on
# the machine costs the game frames (it waits for a processor) and makes its
# frames dearer (caches shared), so a window in which its threads waited
# 50 ms/s or more counts only for a figure it shows within the bound anyway: a
# busy machine may hide a fault, never invent one. A figure still without
# three windows after `tries` is printed as "-".
fair_pace() {
    local win=$1 pid=$2 min_fps=$3 max_cpu=$4 tries=${5:-20} fpss=() cpus=() fps cpu wait
    while [ "$tries" -gt 0 ] && { [ "${#fpss[@]}" -lt 3 ] || [ "${#cpus[@]}" -lt 3 ]; }; do
        read -r fps cpu wait <<<"$(pace_window "$win" "$pid" 2)"
        if [ "$wait" -lt 50 ] || awk -v f="$fps" -v m="$min_fps" 'BEGIN { exit !(f >= m) }'; then
            fpss+=("$fps")
        fi
        if [ "$wait" -lt 50 ] || awk -v c="$cpu" -v m="$max_cpu" 'BEGIN { exit !(c <= m) }'; then
            cpus+=("$cpu")
        fi
        tries=$((tries - 1))
    done
    echo "$([ "${#fpss[@]}" -ge 3 ] && median3 "${fpss[@]:0:3}" || echo -)" \
        "$([ "${#cpus[@]}" -ge 3 ] && median3 "${cpus[@]:0:3}" || echo -)"
}

# "playerX scrollX playerVX pushX scrollSpeed lastStepTick" of the game,
# read with the process stopped for a moment (no shared-library symbols: the
# game's own variables are all that is read).
disc_state() {
    gdb -nx -batch -p "$1" -iex 'set auto-solib-add off' \
        -ex 'printf "%.17g %.17g %.17g %.17g %.17g %u\n", playerX, scrollX, playerVX, pushX, scrollSpeed, lastStepTick' \
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
