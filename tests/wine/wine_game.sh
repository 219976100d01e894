#!/usr/bin/env bash
# The Windows program under Wine on Xvfb, in a fresh Wine prefix: the
# full-screen question answered No gives the 800 x 600 window titled
# "vorta kemi" with the menu's cursor where the Linux build draws it, at 55 to
# 65 frames a second for at most 1.5 times the processor time that the Linux
# build's menu takes on the same screen; Enter starts a game (the green disc)
# in which 3 s of Right take the disc at least 95 % as far as whole 5 ms
# physics steps over that time would (its variables read by gdb at the
# addresses of the link map); minimised it costs almost nothing; Escape goes
# back to the menu, Q on the menu ends with exit code 0, and the soundtrack,
# decoded by Windows' MP3 codec, reaches the audio device; a grid file holding
# 1.0 shows the box "Runtime error 106 at 00A20001" and ends with 106 (that run
# has no audio device at all, and stays silent). Figures a busy machine keeps
# from judging make the test skip (fair_pace in lib_pace.sh). The player's zip
# beside the program carries the licence.
# Usage: wine_game.sh EXE SOURCE_DIR SCRATCH_DIR LINUX_GAME
. "$(dirname "$0")/../e2e/lib_pace.sh"

WINE=${WINE:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
[ -f "$game" ] || { fail "no $game (test.sh builds it)"; finish; }
cmake -E tar tf "$(dirname "$game")/vorta-kemi-windows.zip" | grep -x vorta-kemi/LICENSE.txt >/dev/null ||
    fail "the zip holds no LICENSE.txt"
export WINEPREFIX="$scratch/prefix" WINEARCH=win64
# No offers to install .NET or a browser engine, no menu entries on the host;
# Wine's trace of the message boxes it shows is how the test reads their text.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" WINEDEBUG=-all,+msgbox
trap '"$(dirname "$WINE")/wineserver" -k 2>/dev/null; cleanup' EXIT
x_start 1024x768
build_frame_rate || { fail "frame counter not built (libxdamage-dev missing?)"; finish; }
# The Linux build's menu first, on the same screen: what the menu may cost.
exe=$game game=$4 runner=()
start_game_on_flat_level
wait_until 20 is_menu || { fail "the Linux build showed no menu"; finish; }
sleep 1
read -r _ linux_cpu <<<"$(fair_pace "$WIN" "$(game_process)" 0 1000)"
echo "the Linux build's menu: $linux_cpu % of a core"
hold q
expect_exit "the Linux build, Q on the menu" 0 10
# A fresh prefix takes a minute or two on a busy machine, and each start of
# the program spins up Wine's services again: every wait is long.
game=$exe runner=("$WINE") limit=400
timeout -s KILL 300 "$WINE" wineboot -i >"$scratch/wineboot.log" 2>&1 &&
    "$(dirname "$WINE")/wineserver" -w || { fail "no Wine prefix: $(tail -n 5 "$scratch"/*.log)"; finish; }
echo "fresh Wine prefix in $SECONDS s"
box_said() { grep -q "MSGBOX_OnInit L\"$1\"" "$run_dir/err.txt"; }

# An audio device for Wine without a sound card: ALSA's default device, made
# to write what it is given to a file. Wine reads it from the home folder.
mkdir -p "$scratch/home" && echo "pcm.!default { type file slave.pcm \"null\" \
    file \"$scratch/sound.raw\" format \"raw\" }" >"$scratch/home/.asoundrc"
dir=$(prepare_run flat) && { yes 0 | head -n 1100; yes 1 | head -n 100; } >"$dir/map"
game_start "$dir" HOME="$scratch/home"
wait_window "Little questioN" 90 >/dev/null
answer_box "Little questioN" n || { fail "no full-screen question, or No did not answer it"; finish; }
box_said "Fullsrceen?" || fail "the question did not read \"Fullsrceen?\""
WIN=$(wait_window "vorta kemi" 90) || { fail "no window titled \"vorta kemi\""; finish; }
[ "$(geometry "$WIN" | cut -d' ' -f3-)" = "800 600" ] || fail "the client area is not 800x600"
wait_until 30 is_menu || fail "no menu cursor after the question"
pid=$(game_process)
sleep 1
bound=$(awk -v c="$linux_cpu" 'BEGIN { print c == "-" ? 1000 : 1.5 * c }')
read -r fps cpu <<<"$(fair_pace "$WIN" "$pid" 55 "$bound")"
judge "menu frames/s" "$fps" 55 65
[ "$linux_cpu" = - ] && cpu=-
judge "menu % of a core" "$cpu" 0 "$bound"

hold Return
wait_until 30 has_disc || fail "Enter on the menu showed no green disc"
# The program's variables where the link map puts them, moved by as much as
# Windows moved the program's image.
map=${game%.exe}.map
base=$(awk '$6 ~ /vorta-kemi\.exe$/ && $3 == "00000000" { print "0x" $1; exit }' "/proc/$pid/maps")
at() { awk -v v="$1" '$2 == v { print $1 }' "$map"; }
exprs=$(for v in playerX scrollX playerVX pushX scrollSpeed; do
    printf '*(double *)%d, ' $((${base%-*} + $(at $v) - $(at __image_base__))); done)
judge_right_run "$pid" "$exprs *(unsigned *)$((${base%-*} + $(at lastStepTick) - $(at __image_base__)))"

xdotool windowminimize "$WIN"
wait_until 10 bash -c "xprop -id $WIN WM_STATE | grep -q Iconic" || fail "the window was not minimised"
sleep 1
read -r _ cpu <<<"$(fair_pace "$WIN" "$pid" 0 3)"
judge "minimised % of a core" "$cpu" 0 3
xdotool windowactivate "$WIN"
hold Escape
wait_until 30 is_menu || fail "Escape in the game did not go back to the menu"
hold q
expect_exit "Q on the menu" 0 30
# The device takes 16-bit stereo at 44.1 kHz from the game's mixer; the surf
# sits well above silence and well below full scale.
rms=$(sox -t raw -r 44100 -e signed -b 16 -c 2 "$scratch/sound.raw" -n stat 2>&1 |
    awk '/RMS +amplitude/ {print $3}')
echo "sound: RMS $rms"
awk -v r="${rms:-0}" 'BEGIN { exit !(r > 0.01 && r < 0.5) }' || fail "no soundtrack reached the device"

dir=$(prepare_run decimal_point) && printf '0 0 1.0 0\n' >"$dir/map"
game_start "$dir"
wait_until 90 box_said "Runtime error 106 at 00A20001" || fail "no box: $(grep MSGBOX "$dir/err.txt")"
has_window "vorta kemi" && fail "the game window opened despite the bad grid file"
answer_box "Error" Return || fail "the error box did not take Enter"
expect_exit "the error box" 106 30
finish_judged
