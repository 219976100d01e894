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

displayed() { [ -s "$scratch/display" ]; }

# Starts Xvfb with one screen of the given size (e.g. 800x600) on a display
# number it picks itself (other tests may start servers at the same moment),
# and openbox on it. Without -noreset the server restarts whenever its last
# client leaves, and refuses the next one meanwhile.
x_start() {
    local size=$1
    rm -f "$scratch/display"
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$scratch/display" \
        >"$scratch/xvfb.log" 2>&1 &
    x_pid=$!
    if ! wait_until 30 displayed; then
        echo "FAIL: Xvfb did not start" >&2
        cat "$scratch/xvfb.log" >&2
        exit 1
    fi
    export DISPLAY=":$(head -n 1 "$scratch/display")"
    wait_until 30 xdpyinfo || { echo "FAIL: Xvfb on $DISPLAY does not answer" >&2; exit 1; }
    openbox >"$scratch/openbox.log" 2>&1 &
    wm_pid=$!
    if ! wait_until 30 wm_running; then
        echo "FAIL: openbox did not start on $DISPLAY" >&2
        cat "$scratch/openbox.log" >&2
        exit 1
    fi
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

# The window tree of the screen. xwininfo gives up when a window vanishes
# while it walks the tree, so it is asked again.
tree() {
    local out tries=20
    while [ "$tries" -gt 0 ]; do
        out=$(xwininfo -root -tree 2>/dev/null) && printf '%s\n' "$out" && return 0
        tries=$((tries - 1))
        sleep 0.05
    done
    return 1
}

# The id of the newest window with exactly this title, or nothing.
window_named() {
    tree | grep -F "\"$1\":" | tail -n 1 | awk '{print $1}'
}
has_window() { [ -n "$(window_named "$1")" ]; }

# Waits for a window with this title and prints its id.
wait_window() {
    wait_until "${2:-20}" has_window "$1" || return 1
    window_named "$1"
}

# True once no window has this id and title (X reuses ids: the next box may
# get the id of the last one, but not its title).
box_gone() {
    local t
    t=$(tree) || return 1
    ! grep -qF "$1 \"$2\":" <<<"$t"
}
viewable() { xwininfo -id "$1" | grep -q IsViewable; }

# Presses a key in the message box with this title, again if the box is
# still there (a box may take a moment before it takes the focus).
answer_box() {
    local title=$1 key=$2 id tries=5
    id=$(wait_window "$title") || return 1
    while [ "$tries" -gt 0 ]; do
        wait_until 5 viewable "$id"
        timeout 5 xdotool windowfocus --sync "$id" key "$key" 2>/dev/null
        wait_until 3 box_gone "$id" "$title" && return 0
        tries=$((tries - 1))
    done
    return 1
}

# Gives the window the keyboard focus; it may not take it at once (a window
# manager still placing it).
focus_window() {
    local tries=20
    until timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null; do
        tries=$((tries - 1))
        [ "$tries" -le 0 ] && return 1
        sleep 0.25
    done
}

# Holds a key down in the window long enough for a frame to see it.
hold_key() {
    focus_window "$1" || return 1
    xdotool keydown "$2"
    sleep 0.1
    xdotool keyup "$2"
}

# Closes the window as the player would: openbox turns Alt+F4 into a close
# request for the focused window.
close_window() {
    focus_window "$1" && xdotool key alt+F4
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
