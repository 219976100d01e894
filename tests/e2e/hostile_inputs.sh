#!/usr/bin/env bash
# The real game against missing, bad and hostile files, no display (or none
# left), a refused GL context, closed streams and signals. Every run ends on its own within a few seconds, with
# the exit code its case calls for, and never holds more than 300 MB.
. "$(dirname "$0")/lib_x.sh"

# Runs with no display in a fresh copy of the data changed by a command. A bad
# grid file ends the game with the run-time error and its number as exit code,
# before any question. Otherwise it runs as with all its files (sounds that
# are missing, devices or absurd are silence), says no more than then, and
# ends with exit code 1: without a display no window can be made.
while read -r name want check change <&3; do
    dir=$(prepare_run "$name") && (cd "$dir" && eval "$change") || fail "$name: $change"
    game_start "$dir"
    expect_exit "$name" "$want" 5
    if [ "$check" != - ]; then
        grep -qxF "Error: Runtime error $(printf %3d "$want") at $check" "$dir/err.txt" &&
            ! grep -q Fullsrceen "$dir/err.txt" || fail "$name: $(cat "$dir/err.txt")"
    elif [ -n "${valid:-}" ]; then
        extra=$(grep -vxFf "$valid/err.txt" "$dir/err.txt") && fail "$name: more said: $extra"
    else
        valid=$dir
    fi
done 3<<'EOF'
all_valid        1   - true
missing_grid     2   00A10001 rm time
decimal_point    106 00A20001 printf '0 0 1.0 0\n' >map
byte_order_mark  106 00A20001 { printf '\xEF\xBB\xBF'; cat "$src/assets/over"; } >over
folder_as_grid   5   00A10002 rm cred && mkdir cred
fifo_as_grid     5   00A10005 rm map && mkfifo map
zero_as_grid     5   00A10005 ln -sf /dev/zero map
no_sounds        1   - rm ./*.wav ./*.mp3
zero_as_mp3      1   - ln -sf /dev/zero sea.mp3
zero_as_wav      1   - ln -sf /dev/zero fall.wav
random_as_mp3    1   - ln -sf /dev/urandom sea.mp3
random_as_wav    1   - ln -sf /dev/urandom fall.wav
wav_of_one_hertz 1   - printf '\1\0\0\0\2\0\0\0' | dd of=fall.wav bs=1 seek=24 conv=notrunc status=none
mp3_of_20_mb     1   - for _ in $(seq 104); do cat "$src/assets/sea.mp3"; done >sea.mp3
EOF
# With no display the game says so once, naming DISPLAY, then asks, is
# refused, and says it will close.
[ "$(grep -v XDG_RUNTIME_DIR "$valid/err.txt")" = "vorta kemi: no display could be opened: DISPLAY is not set
Little questioN: Fullsrceen?
Tolm GL: This FullScreen Mode Is Not Supported. Use Windowed Mode Instead?
Error: Program Will Now Close." ] || fail "all_valid: $(cat "$valid/err.txt")"
# So does a display that cannot be opened, named or not there, and no display
# with standard error closed (where the game can say nothing at all).
for display in garbage :59999 ""; do
    streams=$([ -n "$display" ] || echo closed) game_start "$(prepare_run "display_$display")" \
        DISPLAY="$display"
    expect_exit "no display \"$display\"" 1 5
done

# Ctrl+C during a long load (a huge sparse grid) ends the game at once.
dir=$(prepare_run signal_while_loading) && rm "$dir/map" && truncate -s 100G "$dir/map"
game_start "$dir"
sleep 1
grep -q Fullsrceen "$dir/err.txt" && fail "signal_while_loading: the load was already over"
signal_game INT signal_while_loading && expect_exit signal_while_loading 130 3
rm -f "$dir/map" # sparse, but no 100 GB file should outlive the test

# A signal while a box or the game's window is up ends the game with the
# given exit code and takes the window with it; from full screen the screen
# gets its size back. In the main loop a signal is the window's close.
x_start 1024x768 and800x600
signal_at() { # name, window title, signal, exit code
    wait_window "$2" >/dev/null || { fail "$1: no window \"$2\""; return; }
    sleep 0.5
    signal_game "$3" "$1" && expect_exit "$1" "$4" 3
    wait_until 3 no_window "$2" || fail "$1: \"$2\" outlived the game"
    [ "$(screen_size)" = 1024x768 ] || fail "$1: the screen was left at $(screen_size)"
}
dir=$(prepare_run signal_in_error_box) && printf '1 2 x\n' >"$dir/map" && game_start "$dir"
signal_at signal_in_error_box Error TERM 143
# SIGQUIT, whose default action also dumps core, leaves no core file in the
# data folder even where core files are allowed.
core_limit=$(ulimit -Sc) && ulimit -Sc unlimited
dir=$(prepare_run signal_at_question) && game_start "$dir"
signal_at signal_at_question "Little questioN" QUIT 131
ulimit -Sc "$core_limit"
{ compgen -G "$dir/core*" || grep "dumped core" "$dir/err.txt"; } && fail "signal_at_question: core dumped"
# The game takes every signal that would end it (SIGHUP, SIGINT, SIGQUIT,
# SIGUSR1, SIGUSR2, SIGALRM, SIGTERM) and ignores a broken pipe.
handled() { # the signals a process catches and ignores, as masks of /proc
    awk '/^SigCgt/ { c = $2 } /^SigIgn/ { i = $2 } END { print c, i }' "/proc/$(game_process)/status"
}
for answer in Escape:USR1 Return:HUP; do
    game_start "$(prepare_run "in_loop_${answer%:*}")"
    answer_box "Little questioN" "${answer%:*}" || fail "in_loop_${answer%:*}: no question"
    if [ "${answer%:*}" = Escape ]; then
        wait_window "vorta kemi" >/dev/null && read -r caught ignored < <(handled)
        [ $((16#$caught & 0x6A07)) = $((0x6A07)) ] && [ $((16#$ignored & 0x1000)) != 0 ] ||
            fail "signals caught: $caught, ignored: $ignored"
        signal_game PIPE broken_pipe && sleep 0.5 && game_running || fail "a broken pipe ended the game"
    fi
    signal_at "signal_in_loop_${answer%:*}" "vorta kemi" "${answer#*:}" 0
done

# Closed stdout and stderr are /dev/null to the game, never the X connection
# (libGL, asked to be talkative, would write into it).
streams=closed start_windowed "$(prepare_run closed_streams)" LIBGL_DEBUG=verbose
for fd in 0 1 2; do
    target=$(readlink "/proc/$(game_process)/fd/$fd")
    [ "$target" = /dev/null ] || fail "closed_streams: descriptor $fd is $target"
done
close_window "$WIN"
expect_exit closed_streams 0 3

# A server that refuses the GL context (no indirect GL, as over ssh -X): the
# game's own box says so, with no dump of the X error, and the exit code is 1.
# A debugger notes each box the game shows, and how it ends.
runner=(gdb -nx -batch -ex 'dprintf MessageBoxA,"box: %s|%s\n",caption,text' -ex run
    -ex 'printf "exit code %d\n", $_exitcode' --args)
dir=$(prepare_run indirect_gl) && game_start "$dir" LIBGL_ALWAYS_INDIRECT=1
runner=()
answer_box "Little questioN" Escape && answer_box Error Return || fail "indirect_gl: no error box"
game_wait 20
grep -qxF "box: Error|Cant't create a GL rendering context." "$dir/out.txt" &&
    grep -qx "exit code 1" "$dir/out.txt" && ! grep -q "X Error" "$dir/err.txt" ||
    fail "indirect_gl: $(grep -h "box:\|exit code\|X Error" "$dir"/*.txt)"

# The X server gone while the question is up: the game cannot go on, and its
# exit code says so.
game_start "$(prepare_run server_gone)"
wait_window "Little questioN" >/dev/null || fail "server_gone: no question"
kill "$wm_pid" "$x_pid" && started=$(date +%s%N)
expect_exit "the X server gone" 1 5
finish
