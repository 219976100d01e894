#!/usr/bin/env bash
# A gamepad answers the game's boxes: SDL's virtual pad, preloaded into the
# real game (virtual_pad.c). On a 1024 x 768 screen B says No to
# "Fullsrceen?" and the game plays in a framed window. A says Yes, and while
# it is still held the windowed-mode question comes up and waits (a button
# held from before answers no box); B there says No, and A closes "Program
# Will Now Close.": exit code 0. A closes the error box of a grid file holding
# 1.0: exit code 106. Once the screen also offers 800 x 600, A from a pad
# plugged in while the question is up gives full screen, and the menu stays
# (the press was the answer, not Enter) until the next A starts a game.
# After a pad's answer no other kind of box (zenity) comes up in its place.
. "$(dirname "$0")/lib_x.sh"
[ -f "${VIRTUAL_PAD_HELPER:-}" ] || { fail "VIRTUAL_PAD_HELPER names no helper"; finish; }
x_start 1024x768
mkfifo "$scratch/pad"
mkdir "$scratch/bin" && printf '#!/bin/sh\necho "$*" >>"%s"\n' "$scratch/zenity.txt" >"$scratch/bin/zenity"
chmod +x "$scratch/bin/zenity"

# The game with the pad; further arguments as game_start's.
pad_start() {
    local dir=$1 && shift
    game_start "$dir" LD_PRELOAD="$VIRTUAL_PAD_HELPER" VIRTUAL_PAD="$scratch/pad" \
        PATH="$scratch/bin:$PATH" "$@"
}
# Presses a button of the pad (or plugs it in: "plug").
pad() { timeout 5 sh -c "echo $1 >'$scratch/pad'" || fail "$1: the game has no pad to press"; }
at_box() { wait_window "$1" >/dev/null && sleep 0.3 || fail "no box \"$1\""; }

pad_start "$(prepare_run no_by_b)"
at_box "Little questioN" && pad b
if WIN=$(wait_window "vorta kemi"); then
    wait_until 10 placed "$WIN" framed || fail "B: not a framed window: $(geometry "$WIN")"
    close_window "$WIN"
fi
expect_exit "B to the question, then closed" 0 5

pad_start "$(prepare_run held_a)"
at_box "Little questioN" && pad a:1500
at_box "Tolm GL" && sleep 1.5 && has_window "Tolm GL" || fail "held A: no windowed-mode question"
pad b
at_box Error && pad a
expect_exit "A held, B, A" 0 10

dir=$(prepare_run error_by_a) && printf '0 0 1.0 0\n' >"$dir/map"
pad_start "$dir"
at_box Error && pad a
expect_exit "A on the error box" 106 5

offer_800x600
pad_start "$(prepare_run yes_by_a)" VIRTUAL_PAD_LATE=1
at_box "Little questioN" && pad plug && sleep 0.5 && pad a
if WIN=$(wait_window "vorta kemi"); then
    wait_until 10 placed "$WIN" full || fail "A: not full screen: $(geometry "$WIN") $(screen_size)"
    wait_until 10 is_menu && sleep 0.5 && is_menu || fail "A: no menu, or it was left at once"
    pad a
    wait_until 10 has_disc || fail "A on the menu started no game"
    close_window "$WIN"
fi
expect_exit "A to the question, then closed" 0 5
[ ! -e "$scratch/zenity.txt" ] || fail "zenity came up after a pad's answer: $(cat "$scratch/zenity.txt")"
finish
