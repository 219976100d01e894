#!/usr/bin/env bash
# The real game against hostile files and signals. Devices, pipes and absurd
# files as sounds or grids; Ctrl+C and SIGTERM while loading, while a box or
# the start-up question waits, and in the main loop; closed standard streams;
# no display. Every run ends on its own within a few seconds, with its exit
# code, and never holds more than 300 MB.
. "$(dirname "$0")/lib_x.sh"

unset DISPLAY # the file cases need none; x_start sets one for the rest
limit_kb=$((300 * 1024))

# Starts the game in the folder under /usr/bin/time (its peak memory goes to
# usage.txt), in a process group of its own. Arguments are environment
# settings for the game; with streams=closed it runs without stdout and stderr.
run_start() {
    local dir=$1 close=""
    shift
    [ "${streams:-}" = closed ] && close=">&- 2>&-"
    run_dir=$dir
    (cd "$dir" && exec setsid timeout -s KILL 60 env "$@" /usr/bin/time -f %M -o usage.txt \
        sh -c "exec \"\$0\" $close" "$game" >out.txt 2>err.txt) &
    game_pid=$!
    started=$(date +%s%N)
}

# The game itself: the child of time, which is the child of timeout.
game_process() { pgrep -P "$(pgrep -P "$game_pid")"; }

# Sends a signal to the game once it runs; leaves the moment in `started`.
signal_game() {
    local pid
    pid=$(wait_until 5 game_process && game_process) || { fail "$2: no game process"; return 1; }
    kill "-$1" "$pid"
    started=$(date +%s%N)
}

# Waits for the run and checks its exit code, that it ended within `seconds`
# of `started`, and its peak memory.
expect_end() {
    local name=$1 want=$2 seconds=$3 took peak
    if ! game_wait $((seconds + 5)); then
        fail "$name: still running after $((seconds + 5)) s"
        return 1
    fi
    took=$((($(date +%s%N) - started) / 1000000))
    peak=$(tail -n 1 "$run_dir/usage.txt")
    echo "$name: exit code $code after $took ms, peak $((peak / 1024)) MB"
    [ "$code" -eq "$want" ] || fail "$name: exit code $code, expected $want"
    [ "$took" -le $((seconds * 1000)) ] || fail "$name: took $took ms"
    [ "$peak" -lt "$limit_kb" ] || fail "$name: peak memory $peak KB"
}

# Runs the game in a folder with no display at all and checks its end and
# that stderr holds the pattern.
run_headless() {
    local dir=$1 want=$2 pattern=$3
    run_start "$dir"
    expect_end "$(basename "$dir")" "$want" 5
    grep -Eq "$pattern" "$dir/err.txt" || fail "$(basename "$dir"): stderr lacks /$pattern/"
}

# Sounds that are devices or absurd load as missing ones: silence, no harm.
for device in zero urandom; do
    for sound in sea.mp3 fall.wav; do
        d=$(prepare_run "${device}_as_${sound/./_}") && ln -sf "/dev/$device" "$d/$sound"
        run_headless "$d" 0 'Fullsrceen'
    done
done
d=$(prepare_run wav_of_one_hertz)
printf '\1\0\0\0\2\0\0\0' | dd of="$d/fall.wav" bs=1 seek=24 conv=notrunc status=none
run_headless "$d" 0 'Fullsrceen'
d=$(prepare_run mp3_of_20_mb)
for _ in $(seq 104); do cat "$src/assets/sea.mp3"; done >"$d/sea.mp3"
run_headless "$d" 0 'Fullsrceen'

# A grid that is a pipe or a device fails at once with the access denial.
d=$(prepare_run fifo_as_grid) && rm "$d/map" && mkfifo "$d/map"
run_headless "$d" 5 '^Error: Runtime error   5 at 00A10005$'
d=$(prepare_run zero_as_grid) && ln -sf /dev/zero "$d/map"
run_headless "$d" 5 '^Error: Runtime error   5 at 00A10005$'

# No display: one line says so, naming DISPLAY, before the game's messages.
d=$(prepare_run no_display)
run_headless "$d" 0 'Fullsrceen'
said=$(grep -c DISPLAY "$d/err.txt")
first=$(grep -n DISPLAY "$d/err.txt" | head -n 1 | cut -d: -f1)
asked=$(grep -nxF 'Little questioN: Fullsrceen?' "$d/err.txt" | cut -d: -f1)
[ "$said" -eq 1 ] && [ "${first:-99}" -lt "${asked:-0}" ] ||
    fail "no_display: no single DISPLAY line before the question: $(cat "$d/err.txt")"

# Ctrl+C during a long load (a huge sparse grid) ends the game at once.
d=$(prepare_run signal_while_loading) && rm "$d/map" && truncate -s 100G "$d/map"
run_start "$d"
sleep 1
grep -q Fullsrceen "$d/err.txt" && fail "signal_while_loading: the load was already over"
signal_game INT signal_while_loading && expect_end signal_while_loading 130 3
rm -f "$d/map" # sparse, but no 100 GB file should outlive the test

x_start 800x600
no_window() { ! has_window "$1"; }
screen_size() { xdpyinfo | awk '/dimensions:/ {print $2}'; }
size=$(screen_size)

# A termination signal while the run-time error box is up.
d=$(prepare_run signal_in_error_box) && printf '1 2 x\n' >"$d/map"
run_start "$d"
if wait_window "Error" >/dev/null; then
    signal_game TERM signal_in_error_box && expect_end signal_in_error_box 143 3
    wait_until 3 no_window "Error" || fail "signal_in_error_box: the box outlived the game"
else
    fail "signal_in_error_box: no error box"
fi

# Ctrl+C while the start-up question waits.
d=$(prepare_run signal_at_question)
run_start "$d"
if wait_window "Little questioN" >/dev/null; then
    signal_game INT signal_at_question && expect_end signal_at_question 130 3
    wait_until 3 no_window "Little questioN" || fail "signal_at_question: the box outlived the game"
else
    fail "signal_at_question: no question"
fi

# In the main loop a signal is the window's close: exit code 0, and a full
# screen gives its display mode back.
for mode in Escape:INT Return:TERM; do
    name=signal_in_loop_${mode%%:*}
    d=$(prepare_run "$name")
    run_start "$d"
    answer_box "Little questioN" "${mode%%:*}" || fail "$name: no question"
    if wait_window "vorta kemi" >/dev/null; then
        sleep 0.5
        signal_game "${mode##*:}" "$name" && expect_end "$name" 0 3
        wait_until 3 no_window "vorta kemi" || fail "$name: the window outlived the game"
        [ "$(screen_size)" = "$size" ] || fail "$name: the screen is $(screen_size), not $size"
    else
        fail "$name: no game window"
    fi
done

# Closed stdout and stderr are /dev/null to the game, never the X connection
# (libGL, asked to be talkative, would write into it).
d=$(prepare_run closed_streams)
streams=closed run_start "$d" LIBGL_DEBUG=verbose
answer_box "Little questioN" Escape || fail "closed_streams: no question"
if win=$(wait_window "vorta kemi"); then
    pid=$(game_process)
    for fd in 0 1 2; do
        target=$(readlink "/proc/$pid/fd/$fd")
        [ "$target" = /dev/null ] || fail "closed_streams: descriptor $fd is $target"
    done
    close_window "$win"
    started=$(date +%s%N)
    expect_end closed_streams 0 3
else
    fail "closed_streams: no game window"
fi
finish
