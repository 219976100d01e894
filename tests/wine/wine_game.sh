#!/usr/bin/env bash
# The Windows program under Wine on Xvfb, in a fresh Wine prefix: the
# full-screen question answered No gives the 800 x 600 window titled
# "vorta kemi" with the menu's cursor where the Linux build draws it; Enter
# starts a game (the green disc), Q on the menu ends with exit code 0, and the
# soundtrack, decoded by Windows' MP3 codec, reaches the audio device; a grid
# file holding 1.0 shows the box "Runtime error 106 at ..." and ends with 106
# (that run has no audio device at all, and stays silent).
# Usage: wine_game.sh EXE SOURCE_DIR SCRATCH_DIR
. "$(dirname "$0")/../e2e/lib_play.sh"

# Every wait in one place. A fresh prefix takes a minute or two on a busy
# machine, and each start of the program spins up Wine's services again.
BOOT_LIMIT=300 # creating the prefix
RUN_LIMIT=240  # one run of the program, whatever happens
BOX_LIMIT=90   # the first box or window of a run
SCREEN_LIMIT=30
EXIT_LIMIT=30

WINE=${WINE:-/usr/lib/wine/wine64}
[ -x "$WINE" ] || WINE=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
WINESERVER=${WINESERVER:-$(dirname "$WINE")/wineserver}
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver || echo wineserver)
[ -f "$game" ] || { echo "FAIL: no $game (test.sh builds it)" >&2; exit 1; }

export WINEPREFIX="$scratch/prefix"
export WINEARCH=win64
# No offers to install .NET or a browser engine, no menu entries on the host;
# Wine's trace of the message boxes it shows is how the test reads their text.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEDEBUG=-all,+msgbox

wine_cleanup() {
    stop_game
    "$WINESERVER" -k >/dev/null 2>&1
    cleanup
}
trap wine_cleanup EXIT

x_start 1024x768
started=$SECONDS
timeout -s KILL "$BOOT_LIMIT" "$WINE" wineboot -i >"$scratch/wineboot.log" 2>&1 ||
    { fail "creating the Wine prefix: $(tail -n 5 "$scratch/wineboot.log")"; finish; }
"$WINESERVER" -w
echo "fresh Wine prefix in $((SECONDS - started)) s"

# An audio device for Wine without a sound card: ALSA's default device, made
# to write what it is given to a file. Wine reads it from the home folder.
sound_home="$scratch/home"
mkdir -p "$sound_home"
printf 'pcm.!default { type file slave.pcm "null" file "%s" format "raw" }\n' \
    "$scratch/sound.raw" >"$sound_home/.asoundrc"

# The program in a prepared folder, in a process group of its own; Wine's
# output (and its message box trace) goes to err.txt there. With "sound" it
# has the audio device above.
wine_start() {
    run_dir=$1
    local home=$HOME
    [ "${2:-}" = sound ] && home=$sound_home
    cp "$game" "$run_dir/"
    (cd "$run_dir" && HOME=$home exec setsid timeout -s KILL "$RUN_LIMIT" "$WINE" \
        vorta-kemi.exe >out.txt 2>err.txt) &
    game_pid=$!
}
box_said() { grep -q "MSGBOX_OnInit L\"$1\"" "$run_dir/err.txt"; }

# --- the game, played ---
wine_start "$(prepare_run play)" sound
wait_window "Little questioN" "$BOX_LIMIT" >/dev/null
answer_box "Little questioN" n ||
    { fail "no full-screen question, or No did not answer it"; finish; }
box_said "Fullsrceen?" || fail "the question did not read \"Fullsrceen?\""
WIN=$(wait_window "vorta kemi" "$BOX_LIMIT") || { fail "no window titled \"vorta kemi\""; finish; }
read -r _ _ w h <<<"$(geometry "$WIN")"
[ "$w" = 800 ] && [ "$h" = 600 ] || fail "client area ${w}x${h}, expected 800x600"
wait_until "$SCREEN_LIMIT" is_menu || fail "no menu cursor after the question"
shot menu

hold Return
wait_until "$SCREEN_LIMIT" has_disc || fail "Enter on the menu showed no green disc"
echo "disc at x=$(green_x poll)"
hold Escape
wait_until "$SCREEN_LIMIT" is_menu || fail "Escape in the game did not go back to the menu"
hold q
game_wait "$EXIT_LIMIT" || fail "Q on the menu did not end the program"
[ "$code" -eq 0 ] || fail "Q ended the program with $code, expected 0"
# The device takes 16-bit stereo at 44.1 kHz from the game's mixer; the surf
# sits well above silence and well below full scale.
rms=$(sox -t raw -r 44100 -e signed -b 16 -c 2 "$scratch/sound.raw" -n stat 2>&1 |
    awk '/RMS +amplitude/ {print $3}')
echo "sound: $(stat -c %s "$scratch/sound.raw" 2>/dev/null) bytes, RMS $rms"
awk -v r="${rms:-0}" 'BEGIN { exit !(r > 0.01 && r < 0.5) }' ||
    fail "no soundtrack reached the audio device (RMS ${rms:-none})"
rm -f "$scratch/sound.raw"

# --- a grid file with a decimal point ---
dir=$(prepare_run decimal_point)
printf '0 0 1.0 0\n' >"$dir/map"
wine_start "$dir"
wait_until "$BOX_LIMIT" box_said "Runtime error 106 at [0-9A-F]\{8\}" ||
    fail "no box \"Runtime error 106 at ...\": $(grep MSGBOX "$run_dir/err.txt")"
wait_window "Error" "$BOX_LIMIT" >/dev/null
answer_box "Error" Return || fail "the error box did not take Enter"
game_wait "$EXIT_LIMIT" || fail "the program did not end after the error box"
[ "$code" -eq 106 ] || fail "exit code $code after the error box, expected 106"
has_window "vorta kemi" && fail "the game window opened despite the bad grid file"

finish
