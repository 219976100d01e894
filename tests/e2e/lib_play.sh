# Helpers for the tests that play the real game in a headless X server:
# source it from a test script called as  script.sh GAME SOURCE_DIR SCRATCH_DIR.
# It starts its own Xvfb, runs the game in a copy of the shipped data files,
# answers the full-screen question with No, presses keys and looks at
# screenshots. Everything it started is killed on exit.
set -uo pipefail
game=$1 src=$2 scratch=$3
rm -rf "$scratch" && mkdir -p "$scratch"
export SDL_AUDIODRIVER=dummy
failures=0
xvfb_pid="" game_pid="" WIN=""

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
note() { echo "-- $*"; }

finish() {
    # The game and its message boxes ignore SIGTERM: kill its whole group.
    [ -n "$game_pid" ] && kill -9 -- "-$game_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
}
trap finish EXIT

# A display of our own, on a number unlikely to be taken.
start_x() {
    local n
    for n in $(seq 173 199); do
        [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 800x600x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
        xvfb_pid=$!
        export DISPLAY=":$n"
        local i
        for i in $(seq 50); do
            xwininfo -root >/dev/null 2>&1 && return 0
            kill -0 "$xvfb_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$xvfb_pid" 2>/dev/null
        xvfb_pid=""
    done
    echo "no X server could be started" >&2
    exit 1
}

# Starts the game in a fresh folder holding the shipped data files, in its own
# process group, under a time limit.
start_game() {
    local dir="$scratch/run"
    mkdir -p "$dir"
    find "$src/assets" -maxdepth 1 -type f -exec cp {} "$dir/" \;
    (cd "$dir" && exec setsid -w timeout -k 5 "${1:-120}" "$game" >out.txt 2>err.txt) &
    game_pid=$!
}

# Waits up to $1 seconds for the command in the remaining arguments to succeed.
wait_for() {
    local limit=$1 start=$SECONDS
    shift
    while ! "$@"; do
        [ $((SECONDS - start)) -ge "$limit" ] && return 1
        sleep 0.2
    done
}

question_box() { xwininfo -root -tree | awk '/"Little questioN"/ {print $1; exit}'; }
has_question() { [ -n "$(question_box)" ]; }
has_window() { WIN=$(xdotool search --name '^vorta kemi$' 2>/dev/null | head -n 1) && [ -n "$WIN" ]; }

# Answers "Fullsrceen?" with No and waits for the game window.
answer_no_and_wait_for_window() {
    wait_for 20 has_question || { fail "the full-screen question did not appear"; exit 1; }
    xdotool windowfocus --sync "$(question_box)" key Escape
    wait_for 20 has_window || { fail "the game window did not appear"; exit 1; }
    xdotool windowfocus --sync "$WIN"
}

# Holds a key for a while (a tap shorter than a frame would never be seen).
hold() {
    xdotool windowfocus --sync "$WIN"
    xdotool keydown "$1"
    sleep "${2:-0.1}"
    xdotool keyup "$1"
}

shot() { import -window root "$scratch/$1.png"; }

# x of the centre of the green pixels (the player's disc), or -1 if none.
green_x() {
    convert "$scratch/$1.png" -fx '(g > r + 0.06 && g > b + 0.03) ? 1 : 0' -scale 800x1! \
        -depth 16 txt:- |
        awk -F'[ ,:()]+' 'NR > 1 { s += $4; m += $4 * $1 }
            END { if (s > 10000) printf "%d\n", m / s; else print -1 }'
}

# "r g b" of one pixel, 0..255.
pixel() {
    convert "$scratch/$1.png" -crop "1x1+$2+$3" \
        -format "%[fx:int(255*r+0.5)] %[fx:int(255*g+0.5)] %[fx:int(255*b+0.5)]" info:
}

# The menu: the white highlight of the cursor disc beside one of the entries.
is_menu_shot() {
    local y r g b
    for y in 126 206 286; do
        read -r r g b <<<"$(pixel "$1" 176 "$y")"
        [ "$r" -ge 245 ] && [ "$g" -ge 245 ] && [ "$b" -ge 245 ] && return 0
    done
    return 1
}

# The credits: nothing but the banner on the cleared buffer, so the bottom of
# the view shows the clear colour instead of the sea.
is_credits_shot() {
    local r g b
    read -r r g b <<<"$(pixel "$1" 400 595)"
    [ "$r" -ge 196 ] && [ "$r" -le 212 ] && [ "$g" -ge 196 ] && [ "$g" -le 212 ] && [ "$b" -ge 250 ]
}

is_menu() { shot poll && is_menu_shot poll; }
is_credits() { shot poll && is_credits_shot poll; }
has_disc() { shot poll && [ "$(green_x poll)" -ge 0 ]; }
game_ended() { ! kill -0 "$game_pid" 2>/dev/null; }

# The game's exit code once it has ended by itself within $1 seconds, else 999.
exit_code_within() {
    if wait_for "$1" game_ended; then
        wait "$game_pid"
        echo $?
    else
        echo 999
    fi
}

done_testing() {
    if [ "$failures" -eq 0 ]; then
        echo ok
        exit 0
    fi
    echo "screenshots and output in $scratch" >&2
    exit 1
}
