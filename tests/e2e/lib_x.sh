# Shared helpers for the tests that play the real game on a private X server:
# Xvfb with openbox as window manager, the game in a scratch copy of assets/,
# xdotool as the player. Sourced by window_*.sh with the usual three arguments
# (game binary, source folder, scratch folder).
set -uo pipefail

game=$1 src=$2 scratch=$3
rm -rf "$scratch" && mkdir -p "$scratch"
unset WAYLAND_DISPLAY SDL_VIDEODRIVER
export SDL_AUDIODRIVER=dummy

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
finish() {
    [ "$failures" -eq 0 ] && echo "ok" && exit 0
    exit 1
}

x_pid="" wm_pid="" game_pid=""

stop_game() {
    if [ -n "$game_pid" ]; then
        kill -KILL -- "-$game_pid" 2>/dev/null
        wait "$game_pid" 2>/dev/null
        game_pid=""
    fi
}
cleanup() {
    stop_game
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
    [ -n "$x_pid" ] && kill "$x_pid" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT

# Polls a command until it succeeds or `seconds` pass.
wait_until() {
    local seconds=$1
    shift
    local tries=$((seconds * 10))
    while ! "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        [ "$tries" -le 0 ] && return 1
        sleep 0.1
    done
}

wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }

x_up() { kill -0 "$x_pid" 2>/dev/null && xdpyinfo >/dev/null 2>&1; }

# Starts Xvfb with one screen of the given size (e.g. 800x600) and openbox on
# it, on the first display number that is free (another test's server may
# take one at the same moment: then the next is tried).
x_start() {
    local size=$1 n
    for n in $(seq $((60 + $$ % 200)) 400); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
        x_pid=$!
        export DISPLAY=":$n"
        wait_until 30 bash -c "! kill -0 $x_pid || xdpyinfo" && x_up && break
        kill "$x_pid" 2>/dev/null
        wait "$x_pid" 2>/dev/null
        x_pid=""
    done
    [ -n "$x_pid" ] || { echo "FAIL: Xvfb did not start" >&2; cat "$scratch/xvfb.log" >&2; exit 1; }
    openbox >"$scratch/openbox.log" 2>&1 &
    wm_pid=$!
    wait_until 30 wm_running || { echo "FAIL: openbox did not start" >&2; exit 1; }
}

# A fresh folder with the shipped data; any grid file not there yet is made
# empty (1200 zeros) so the game can start.
prepare_run() {
    local dir="$scratch/$1" name
    mkdir -p "$dir"
    find "$src/assets" -maxdepth 1 -type f -exec cp {} "$dir/" \;
    for name in map over new quit cred time pelmox; do
        [ -f "$dir/$name" ] || yes 0 | head -n 1200 >"$dir/$name"
    done
    echo "$dir"
}

# Starts the game in the folder, in a process group of its own, killed after
# a generous limit; its output goes to out.txt and err.txt there.
game_start() {
    run_dir=$1
    (cd "$run_dir" && exec setsid timeout -s KILL 120 "$game" >out.txt 2>err.txt) &
    game_pid=$!
}

game_running() { kill -0 "$game_pid" 2>/dev/null; }

# Waits for the game to end; sets `code` (255 when it did not end in time).
game_wait() {
    local seconds=${1:-10}
    if ! wait_until "$seconds" bash -c "! kill -0 $game_pid"; then
        code=255
        stop_game
        return 1
    fi
    wait "$game_pid"
    code=$?
    game_pid=""
}

# The id of the newest window with exactly this title, or nothing.
window_named() {
    xwininfo -root -tree | grep -F "\"$1\":" | tail -n 1 | awk '{print $1}'
}
has_window() { [ -n "$(window_named "$1")" ]; }

# Waits for a window with this title and prints its id.
wait_window() {
    wait_until "${2:-20}" has_window "$1" || return 1
    window_named "$1"
}

# Presses a key in the message box with this title, again if the box is
# still there (a box may take a moment before it listens).
answer_box() {
    local title=$1 key=$2 id tries=5
    id=$(wait_window "$title") || return 1
    while [ "$tries" -gt 0 ]; do
        timeout 5 xdotool windowfocus --sync "$id" key "$key" 2>/dev/null
        wait_until 3 bash -c "! xwininfo -id $id" && return 0
        tries=$((tries - 1))
    done
    return 1
}

# Holds a key down in the window long enough for a frame to see it.
hold_key() {
    timeout 5 xdotool windowfocus --sync "$1" keydown "$2"
    sleep 0.1
    xdotool keyup "$2"
}

# Prints "x y width height" of a window's client area on the screen.
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print x, y, w, h}'
}

# Prints the most frequent colour (as RRGGBB) of a screen area "x y width height".
main_colour() {
    local shot="$scratch/shot.png"
    import -window root "$shot" 2>/dev/null || return 1
    convert "$shot" -crop "${3}x${4}+${1}+${2}" +repage -depth 8 -format %c histogram:info:- |
        sort -rn | head -n 1 | grep -o '#[0-9A-Fa-f]\{6\}' | head -n 1 | tr -d '#' | tr a-f A-F
}

# True when a colour RRGGBB is the game's pale blue: the cleared frame is
# (204, 204, 255) and the menu's and game's soft scenery stays close to it.
pale_blue() {
    local r=$((16#${1:0:2})) g=$((16#${1:2:2})) b=$((16#${1:4:2}))
    [ "${r}" -ge 180 ] && [ "$r" -le 228 ] && [ "$g" -ge 180 ] && [ "$g" -le 228 ] && [ "$b" -ge 240 ]
}

# Waits until the area "x y width height" shows mostly the game's pale blue;
# leaves the last colour seen in `colour`.
wait_pale_blue() {
    local tries=40
    while [ "$tries" -gt 0 ]; do
        colour=$(main_colour "$@")
        pale_blue "$colour" && return 0
        tries=$((tries - 1))
        sleep 0.25
    done
    return 1
}
