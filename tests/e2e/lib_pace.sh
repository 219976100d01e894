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

# "waited ticks now" of a process: the nanoseconds its threads have spent
# ready to run but waiting for a processor, its processor time (user and
# system, all threads) in clock ticks, and the time in nanoseconds.
process_times() {
    echo "$(cat /proc/"$1"/task/*/schedstat | awk '{ s += $2 } END { printf "%.0f", s }')" \
        "$(awk '{ print $14 + $15 }' "/proc/$1/stat")" "$(date +%s%N)"
}

# One look at the game over `seconds`: "frames/s  % of a core  ms/s waited",
# the frames its window `win` showed, the processor time of its process `pid`
# and how long that process's threads waited for a processor, per second.
pace_window() { # win, pid, seconds
    local before fps
    before=$(process_times "$2")
    fps=$("$FRAME_RATE" "$1" "$3")
    awk -v f="$fps" -v hz="$(getconf CLK_TCK)" '{ t = ($6 - $3) / 1e9
        printf "%s %.1f %.0f\n", f, 100 * ($5 - $2) / hz / t, ($4 - $1) / 1e6 / t }' \
        <<<"$before $(process_times "$2")"
}

# The middle one of three numbers, or "-" for fewer.
median3() { [ $# -ge 3 ] && printf '%s\n' "$1" "$2" "$3" | sort -g | sed -n 2p || echo -; }

# "frames/s  % of a core" of the game, each the middle of three windows of 2 s
# that can judge it against the bounds `min_fps` and `max_cpu`. Other work on
# the machine costs the game frames (it waits for a processor) and makes its
# frames dearer (caches shared), so a window in which its threads waited
# 50 ms/s or more counts only for a figure it shows within the bound anyway: a
# busy machine may hide a fault, never invent one. A figure still without
# three windows after twenty is "-".
fair_pace() { # win, pid, min_fps, max_cpu
    local tries fps cpu wait fpss=() cpus=()
    for ((tries = 20; tries > 0 && (${#fpss[@]} < 3 || ${#cpus[@]} < 3); tries--)); do
        read -r fps cpu wait <<<"$(pace_window "$1" "$2" 2)"
        awk -v w="$wait" -v f="$fps" -v m="$3" 'BEGIN { exit !(w < 50 || f >= m) }' && fpss+=("$fps")
        awk -v w="$wait" -v c="$cpu" -v m="$4" 'BEGIN { exit !(w < 50 || c <= m) }' && cpus+=("$cpu")
    done
    echo "$(median3 "${fpss[@]}") $(median3 "${cpus[@]}")"
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
