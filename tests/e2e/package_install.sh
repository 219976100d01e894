#!/usr/bin/env bash
# The Debian package as a player gets it: cpack makes it from this build,
# lintian finds no error in it, and unpacked into a scratch root it holds
# exactly the game's files, and its launcher starts the game in the data
# folder from anywhere: without a display it ends as the game does, under X
# the full-screen question and then the window appear, and a missing data
# file ends it with the game's own error and exit code.
. "$(dirname "$0")/lib_x.sh"
build=$(dirname "$game") # the game is built at the top of the build tree

(cd "$build" && cpack -G DEB) >"$scratch/cpack.log" 2>&1 || fail "cpack: $(cat "$scratch/cpack.log")"
deb=$(sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "$scratch/cpack.log")
[ -f "$deb" ] || { fail "no package made"; finish; }
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# SDL opens libGL.so.1 itself for the GL context: the package must bring it.
for lib in libgl1 libsdl2-2.0-0 libsdl2-mixer-2.0-0; do
    grep -Eq "(^|, )$lib( |,|$)" <<<"$depends" || fail "Depends lacks $lib"
done

# lintian fails on errors only; its other findings are shown for the record.
lintian "$deb" >"$scratch/lintian.txt" 2>&1 || fail "lintian found errors"
grep -v '^running with root' "$scratch/lintian.txt"

root="$scratch/root"
dpkg -x "$deb" "$root" || fail "dpkg -x"
files=$(cd "$root" && find . ! -type d | sort)
expected=$(
    sort <<'EOF'
./usr/games/vorta-kemi
./usr/lib/games/vorta-kemi/vorta-kemi
./usr/share/applications/vorta-kemi.desktop
./usr/share/doc/vorta-kemi/changelog.gz
./usr/share/doc/vorta-kemi/copyright
./usr/share/icons/hicolor/128x128/apps/vorta-kemi.png
./usr/share/icons/hicolor/256x256/apps/vorta-kemi.png
./usr/share/icons/hicolor/48x48/apps/vorta-kemi.png
./usr/share/man/man6/vorta-kemi.6.gz
./usr/share/games/vorta-kemi/click.wav
./usr/share/games/vorta-kemi/cred
./usr/share/games/vorta-kemi/fall.wav
./usr/share/games/vorta-kemi/jump.wav
./usr/share/games/vorta-kemi/map
./usr/share/games/vorta-kemi/menu.wav
./usr/share/games/vorta-kemi/new
./usr/share/games/vorta-kemi/over
./usr/share/games/vorta-kemi/pelmox
./usr/share/games/vorta-kemi/quit
./usr/share/games/vorta-kemi/sea.mp3
./usr/share/games/vorta-kemi/time
EOF
)
[ "$files" = "$expected" ] || fail "file list differs: $(diff <(echo "$expected") <(echo "$files"))"
desktop-file-validate "$root/usr/share/applications/vorta-kemi.desktop" || fail "desktop entry"

# Started by name from elsewhere, as a desktop or a shell starts it.
export PATH="$root/usr/games:$PATH"
away="$scratch/away" && mkdir -p "$away" && cd "$away" || exit 1
game=vorta-kemi

(unset DISPLAY && timeout -s KILL 30 "$game" >out.txt 2>err.txt)
code=$?
[ "$code" -eq 0 ] || fail "no display: exit code $code"
grep -qxF "Little questioN: Fullsrceen?" err.txt || fail "no display: stderr: $(cat err.txt)"
[ "$failures" -eq 0 ] || finish # the launcher is broken already: no X needed to see it

x_start 800x600
game_start "$away"
answer_box "Little questioN" Escape || fail "no full-screen question"
win=$(wait_window "vorta kemi") || fail "no game window"
[ -n "$win" ] && close_window "$win"
game_wait 5 || fail "the game did not end after closing its window"
[ "$code" -eq 0 ] || fail "exit code $code after closing the window"

rm "$root/usr/share/games/vorta-kemi/time"
(unset DISPLAY && timeout -s KILL 30 "$game" >out.txt 2>err.txt)
code=$?
[ "$code" -eq 2 ] || fail "missing grid file: exit code $code, not 2"
grep -q "Runtime error   2 at" err.txt || fail "missing grid file: stderr: $(cat err.txt)"
finish
