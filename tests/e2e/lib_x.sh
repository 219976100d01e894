# Shared helpers of the end-to-end tests, sourced with the three arguments
# every test gets (game binary, source folder, scratch folder): the game run
# in a scratch copy of assets/ and judged by its end (exit code, time, peak
# memory); Xvfb with openbox as window manager and xdotool as the player; and
# pictures of the window that tell the screens and the player's disc apart.
# ctest names the data files in GRID_NAMES and SOUND_NAMES.
set -uo pipefail

game=$1 src=$2 scratch=$3
[ -f "$src/tests/e2e/lib_x.sh" ] && [ -n "${GRID_NAMES:-}" ] ||
    { echo "usage: GRID_NAMES=... SOUND_NAMES=... $0 GAME SOURCE_DIR SCRATCH_DIR" >&2; exit 2; }
rm -rf "$scratch" && mkdir -p "$scratch"
unset WAYLAND_DISPLAY SDL_VIDEODRIVER DISPLAY # x_start sets one
export SDL_AUDIODRIVER=dummy

failures=0
fail() { echo "FAIL: $*" >&2 && failures=$((failures + 1)); }
finish() { [ "$failures" -eq 0 ] && echo "ok" && exit 0 || exit 1; }

x_pid="" wm_pid="" game_pid="" WIN="" runner=() max_mb=300
stop_game() {
    [ -z "$game_pid" ] || { kill -KILL -- "-$game_pid" 2>/dev/null; wait "$game_pid" 2>/dev/null; }
    game_pid=""
}
cleanup() {
    stop_game
    kill $wm_pid $x_pid 2>/dev/null
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

# Starts Xvfb with one screen of the given size on a display number it picks
# itself (other tests start servers at the same moment), and openbox on it.
# With "and800x600" the screen also offers an 800 x 600 mode: a full-screen
# game then really switches the screen, and has to switch it back. Without
# -noreset the server restarts whenever its last client leaves.
x_start() {
    screen=$1
    Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp -noreset 3>"$scratch/display" \
        >"$scratch/xvfb.log" 2>&1 &
    x_pid=$!
    wait_until 30 test -s "$scratch/display" && export DISPLAY=":$(head -n 1 "$scratch/display")" &&
        wait_until 30 xdpyinfo || { cat "$scratch/xvfb.log"; fail "no Xvfb"; finish; }
    [ "${2:-}" != and800x600 ] || offer_800x600
    openbox >"$scratch/openbox.log" 2>&1 &
    wm_pid=$!
    wait_until 30 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'" ||
        { cat "$scratch/openbox.log"; fail "openbox did not start on $DISPLAY"; finish; }
}
# Lets the screen also switch to 800 x 600.
offer_800x600() {
    xrandr --newmode vesa800 40 800 840 968 1056 600 601 605 628 &&
        xrandr --addmode screen vesa800 || { fail "no 800x600 mode"; finish; }
}
screen_size() { xdpyinfo | awk '/dimensions:/ {print $2; exit}'; }

# A fresh folder with the shipped data; any grid file not there yet is made
# empty (1200 zeros) so the game can start.
prepare_run() {
    local dir="$scratch/$1" name
    mkdir -p "$dir"
    find "$src/assets" -maxdepth 1 -type f -exec cp {} "$dir/" \;
    for name in $GRID_NAMES; do
        [ -f "$dir/$name" ] || yes 0 | head -n 1200 >"$dir/$name"
    done
    echo "$dir"
}

# Starts the game in the folder, in a session of its own, under GNU time (its
# peak memory goes to usage.txt there) and the commands in `runner` (valgrind,
# Wine), killed after `limit` s. Further arguments are environment settings.
# Its stdout and stderr go to out.txt and err.txt, or nowhere with
# streams=closed. `started` is the moment of the last thing done to the game.
game_start() {
    run_dir=$1 && shift
    local close="" && [ "${streams:-}" = closed ] && close=">&- 2>&-"
    (cd "$run_dir" && exec setsid timeout -s KILL "${limit:-120}" env "$@" /usr/bin/time -f %M \
        -o usage.txt sh -c "exec \"\$@\" $close" - "${runner[@]}" "$game" >out.txt 2>err.txt) &
    game_pid=$! started=$(date +%s%N)
}
game_running() { kill -0 "$game_pid" 2>/dev/null; }
# The game process itself: the child of time, the child of timeout.
game_process() { pgrep -P "$(pgrep -P "$game_pid")"; }

# The arrow keys Left, Up, Right and Down in the game's key table, 1 for a
# key held down, read by a debugger (the game stopped for a moment).
held_arrows() {
    gdb -nx -batch -p "$(game_process)" -iex 'set auto-solib-add off' \
        -ex 'printf "%d %d %d %d\n", keys[37] != 0, keys[38] != 0, keys[39] != 0, keys[40] != 0' \
        2>/dev/null | grep -x '[01] [01] [01] [01]'
}
arrows_are() { [ "$(held_arrows)" = "$1" ]; }

# Sends a signal to the game once it runs.
signal_game() {
    local pid
    pid=$(wait_until 5 game_process && game_process) || { fail "$2: no game process"; return 1; }
    kill "-$1" "$pid" && started=$(date +%s%N)
}

# Waits for the game to end; sets `code` (255 when it did not end in time).
game_wait() {
    wait_until "${1:-10}" bash -c "! kill -0 $game_pid" || { code=255 && stop_game && return 1; }
    wait "$game_pid"
    code=$?
    game_pid=""
}

# Waits for the game to end and checks its exit code, that it ended within
# `seconds` of `started`, and that it never held more than `max_mb` MB.
expect_exit() { # name, exit code, seconds
    local took peak
    game_wait $(($3 + 5)) || { fail "$1: still running after $(($3 + 5)) s"; return 1; }
    took=$((($(date +%s%N) - started) / 1000000)) peak=$(tail -n 1 "$run_dir/usage.txt")
    echo "$1: exit code $code after $took ms, peak $((peak / 1024)) MB"
    [ "$code" -eq "$2" ] || fail "$1: exit code $code, expected $2: $(tail -n 3 "$run_dir/err.txt")"
    [ "$took" -le $(($3 * 1000)) ] || fail "$1: took $took ms"
    [ "$peak" -lt $((max_mb * 1024)) ] || fail "$1: peak memory $((peak / 1024)) MB"
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

# The id of the newest window with exactly this title, or nothing. (SDL's
# message boxes are found in the tree, not by xdotool's name search.)
window_named() { tree | grep -F "\"$1\":" | tail -n 1 | awk '{print $1}'; }
has_window() { [ -n "$(window_named "$1")" ]; }
no_window() { ! has_window "$1"; }
wait_window() { wait_until "${2:-20}" has_window "$1" && window_named "$1"; }
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
    box_gone() { ! tree | grep -qF "$id \"$1\":"; }
    for ((; tries > 0; tries--)); do
        wait_until 5 bash -c "xwininfo -id $id | grep -q IsViewable"
        timeout 5 xdotool windowfocus --sync "$id" key "$2" 2>/dev/null
        wait_until 3 box_gone "$1" && return 0
    done
    return 1
}

# Gives the window the keyboard focus; it may not take it at once (a window
# manager still placing it).
focus_window() { wait_until 2 timeout 5 xdotool windowfocus --sync "$1"; }

# Holds a key down in the window long enough for a frame to see it (a tap
# whose press and release arrive together is never seen).
hold_key() {
    focus_window "$1" || return 1
    started=$(date +%s%N)
    xdotool keydown "$2" && sleep 0.1 && xdotool keyup "$2"
}
hold() { hold_key "$WIN" "$1"; }

# Closes the window as the player would: openbox turns Alt+F4 into a close
# request for the focused window.
close_window() { focus_window "$1" && started=$(date +%s%N) && xdotool key alt+F4; }

# The game started in the folder on a private X server (started when there is
# none), the full-screen question answered No, and its framed window focused
# in WIN. Further arguments are environment settings.
start_windowed() {
    [ -n "$x_pid" ] || x_start 1024x768
    game_start "$@"
    answer_box "Little questioN" Escape || { fail "no full-screen question"; finish; }
    WIN=$(wait_window "vorta kemi") && focus_window "$WIN" || { fail "no game window"; finish; }
    wait_until 10 placed "$WIN" framed || fail "the window is at $(geometry "$WIN"), not framed"
}

# Prints "x y width height" of a window's client area on the screen.
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print x, y, w, h}'
}

# True when the window sits as its mode says: full screen covers an 800 x 600
# screen from (0, 0); a framed window of that client size sits lower, on the
# screen at the size it was started with.
placed() { # window, "full" or "framed"
    local x y w h
    read -r x y w h < <(geometry "$1")
    if [ "$2" = full ]; then
        [ "$x $y $w $h $(screen_size)" = "0 0 800 600 800x600" ]
    else
        [ "$w $h $(screen_size)" = "800 600 $screen" ] && [ "$y" -gt 0 ]
    fi
}

# True when the window shows mostly the game's pale blue: the cleared frame
# is (204, 204, 255) and the menu's soft scenery stays close to it. The colour
# seen is left in `colour`.
pale_blue() {
    local r g b
    import -window "$1" "$scratch/shot.png" 2>/dev/null || return 1
    colour=$(convert "$scratch/shot.png" -depth 8 -format %c histogram:info:- | sort -rn |
        head -n 1 | grep -o '#[0-9A-F]\{6\}')
    read -r r g b <<<"$((16#${colour:1:2})) $((16#${colour:3:2})) $((16#${colour:5:2}))"
    [ "$r" -ge 180 ] && [ "$r" -le 228 ] && [ "$g" -ge 180 ] && [ "$g" -le 228 ] && [ "$b" -ge 240 ]
}

# A picture of the game window's client area, kept as $scratch/NAME.png.
shot() { import -window "$WIN" "$scratch/$1.png" 2>/dev/null; }

# x of the centre of the green pixels in a picture (the player's disc; nothing
# else in the game is green enough), or -1 when there are too few of them.
# Worked out on a quarter-size copy: a full-size one takes seconds on a busy
# machine, and the sea does not wait.
green_x() {
    convert "$scratch/$1.png" -scale 200x150! -fx '(g > r + 0.06 && g > b + 0.03) ? 1 : 0' \
        -scale 200x1! -depth 16 txt:- |
        awk -F'[ ,:()]+' 'NR > 1 { s += $4; m += $4 * $1 }
            END { if (s > 5000) printf "%d\n", 4 * m / s + 2; else print -1 }'
}

# True when an fx expression of r, g and b (0..1) holds for one pixel of a picture.
pixel_is() { [ "$(convert "$scratch/$1.png" -crop "1x1+$2+$3" -format "%[fx:$4]" info:)" = 1 ]; }

# The menu: the opaque white highlight of the cursor disc beside an entry
# (the twinkling background never gets that bright).
is_menu() {
    local y
    shot poll || return 1
    for y in 126 206 286; do pixel_is poll 176 "$y" 'r > 0.96 && g > 0.96 && b > 0.96' && return 0; done
    return 1
}
# The credits: only the banner on the cleared frame, so the bottom edge shows
# the clear colour instead of the sea.
is_credits() {
    shot poll && pixel_is poll 400 595 'abs(r - 0.8) < 0.032 && abs(g - 0.8) < 0.032 && b > 0.98'
}
has_disc() { shot poll && [ "$(green_x poll)" -ge 0 ]; }
