# Shared helpers for the tests that play the real game on a private X server:
# Xvfb with openbox as window manager, the game in a scratch copy of assets/,
# xdotool as the player. Sourced by the test scripts with the usual three
# arguments (game binary, source folder, scratch folder).
set -uo pipefail

game=$1 src=$2 scratch=$3
rm -rf "$scratch" && mkdir -p "$scratch"
unset WAYLAND_DISPLAY SDL_VIDEODRIVER
export SDL_AUDIODRIVER=dummy

failures=0
fail() { echo "FAIL: $*" >&2 && failures=$((failures + 1)); }
finish() { [ "$failures" -eq 0 ] && echo "ok" && exit 0 || exit 1; }

x_pid="" wm_pid="" game_pid=""
stop_game() {
    if [ -n "$game_pid" ]; then
        kill -KILL -- "-$game_pid" 2>/dev/null
        wait "$game_pid" 2>/dev/null
    fi
    game_pid=""
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
    local tries=$(($1 * 10))
    shift
    until "$@" >/dev/null 2>&1; do
        tries=$((tries - 1)) && [ "$tries" -le 0 ] && return 1
        sleep 0.1
    done
}

# Starts Xvfb with one screen of the given size (e.g. 800x600) on a display
# number it picks itself (other tests may start servers at the same moment),
# and openbox on it. Without -noreset the server restarts whenever its last
# client leaves, and refuses the next one meanwhile.
x_start() {
    Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp -noreset 3>"$scratch/display" \
        >"$scratch/xvfb.log" 2>&1 &
    x_pid=$!
    wait_until 30 test -s "$scratch/display" || { cat "$scratch/xvfb.log"; fail "no Xvfb"; finish; }
    export DISPLAY=":$(head -n 1 "$scratch/display")"
    wait_until 30 xdpyinfo || { fail "Xvfb on $DISPLAY does not answer"; finish; }
    openbox >"$scratch/openbox.log" 2>&1 &
    wm_pid=$!
    wait_until 30 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'" ||
        { cat "$scratch/openbox.log"; fail "openbox did not start on $DISPLAY"; finish; }
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
    (cd "$1" && exec setsid timeout -s KILL 120 "$game" >out.txt 2>err.txt) &
    game_pid=$!
}
game_running() { kill -0 "$game_pid" 2>/dev/null; }

# Waits for the game to end; sets `code` (255 when it did not end in time).
game_wait() {
    wait_until "${1:-10}" bash -c "! kill -0 $game_pid" || { code=255 && stop_game && return 1; }
    wait "$game_pid"
    code=$?
    game_pid=""
}

# The window tree of the screen. xwininfo gives up when a window vanishes
# while it walks the tree, so it is asked again.
tree() {
    local out tries
    for ((tries = 20; tries > 0; tries--)); do
        out=$(xwininfo -root -tree 2>/dev/null) && printf '%s\n' "$out" && return 0
        sleep 0.05
    done
    return 1
}

# The id of the newest window with exactly this title, or nothing.
window_named() { tree | grep -F "\"$1\":" | tail -n 1 | awk '{print $1}'; }
has_window() { [ -n "$(window_named "$1")" ]; }

# Waits for a window with this title and prints its id.
wait_window() { wait_until "${2:-20}" has_window "$1" && window_named "$1"; }

box_gone() {
    local t
    t=$(tree) || return 1
    ! grep -qF "$1 \"$2\":" <<<"$t"
}

# The newest game window other than the given one, or nothing.
new_window() {
    local id
    id=$(window_named "vorta kemi")
    [ -n "$id" ] && [ "$id" != "$1" ] && echo "$id"
}

# Presses a key in the message box with this title, again if the box is
# still there (a box may take a moment before it takes the focus). X reuses
# ids: the next box may get the id of the last one, but not its title.
answer_box() {
    local id tries=5
    id=$(wait_window "$1") || return 1
    for ((; tries > 0; tries--)); do
        wait_until 5 bash -c "xwininfo -id $id | grep -q IsViewable"
        timeout 5 xdotool windowfocus --sync "$id" key "$2" 2>/dev/null
        wait_until 3 box_gone "$id" "$1" && return 0
    done
    return 1
}

# Gives the window the keyboard focus; it may not take it at once (a window
# manager still placing it).
focus_window() { wait_until 2 timeout 5 xdotool windowfocus --sync "$1"; }

# Holds a key down in the window long enough for a frame to see it.
hold_key() {
    focus_window "$1" || return 1
    xdotool keydown "$2" && sleep 0.1 && xdotool keyup "$2"
}

# Closes the window as the player would: openbox turns Alt+F4 into a close
# request for the focused window.
close_window() { focus_window "$1" && xdotool key alt+F4; }

# Prints "x y width height" of a window's client area on the screen.
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print x, y, w, h}'
}

# True when the window sits as its mode says: full screen covers the 800 x 600
# screen from (0, 0); a framed window of that client size sits lower.
placed() { # window, "full" or "framed"
    local x y w h
    read -r x y w h < <(geometry "$1")
    if [ "$2" = full ]; then
        [ "$x $y $w $h" = "0 0 800 600" ]
    else
        [ "$w $h" = "800 600" ] && [ "$y" -gt 0 ]
    fi
}

# True when a screen area "x y width height" shows mostly the game's pale
# blue: the cleared frame is (204, 204, 255) and the menu's and game's soft
# scenery stays close to it. The colour seen is left in `colour`.
pale_blue_area() {
    import -window root "$scratch/shot.png" 2>/dev/null || return 1
    colour=$(convert "$scratch/shot.png" -crop "${3}x${4}+${1}+${2}" +repage -depth 8 \
        -format %c histogram:info:- | sort -rn | head -n 1 | grep -o '#[0-9A-Fa-f]\{6\}' | tr -d '#')
    [ ${#colour} -eq 6 ] || return 1
    local r=$((16#${colour:0:2})) g=$((16#${colour:2:2})) b=$((16#${colour:4:2}))
    [ "$r" -ge 180 ] && [ "$r" -le 228 ] && [ "$g" -ge 180 ] && [ "$g" -le 228 ] && [ "$b" -ge 240 ]
}
wait_pale_blue() { wait_until 4 pale_blue_area "$@"; }
