# Helpers for the tests that play the game itself (game_*.sh), on top of
# lib_x.sh: start a game up to its menu, press keys in it, and tell from a
# picture of the window which screen it shows and where the player's disc is.
. "$(dirname "${BASH_SOURCE[0]}")/lib_x.sh"

WIN=""

# A private X server, the game in a fresh copy of the shipped data, the
# full-screen question answered with No, and the game window found.
start_game_windowed() {
    [ -n "$x_pid" ] || x_start 1024x768
    game_start "$(prepare_run "${1:-run}")"
    answer_box "Little questioN" Escape || { fail "no full-screen question"; finish; }
    WIN=$(wait_window "vorta kemi") || { fail "no game window"; finish; }
    timeout 5 xdotool windowfocus --sync "$WIN"
}

hold() { hold_key "$WIN" "$1"; }

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

# "r g b" of one pixel of a picture, 0..255.
pixel() {
    convert "$scratch/$1.png" -crop "1x1+$2+$3" \
        -format "%[fx:int(255*r+0.5)] %[fx:int(255*g+0.5)] %[fx:int(255*b+0.5)]" info:
}

# The menu: the opaque white highlight of the cursor disc beside an entry
# (the twinkling background never gets that bright).
is_menu_shot() {
    local y r g b
    for y in 126 206 286; do
        read -r r g b <<<"$(pixel "$1" 176 "$y")"
        [ "$r" -ge 245 ] && [ "$g" -ge 245 ] && [ "$b" -ge 245 ] && return 0
    done
    return 1
}

# The credits: only the banner on the cleared frame, so the bottom edge shows
# the clear colour instead of the sea.
is_credits_shot() {
    local r g b
    read -r r g b <<<"$(pixel "$1" 400 595)"
    [ "$r" -ge 196 ] && [ "$r" -le 212 ] && [ "$g" -ge 196 ] && [ "$g" -le 212 ] && [ "$b" -ge 250 ]
}

is_menu() { shot poll && is_menu_shot poll; }
is_credits() { shot poll && is_credits_shot poll; }
has_disc() { shot poll && [ "$(green_x poll)" -ge 0 ]; }
