#!/usr/bin/env bash
# The Debian package as a player gets it: cpack makes it from this build,
# lintian finds no error or warning in it, it depends on the libraries the
# game opens, its maintainer is the project's own address, its copyright file
# gives the MIT licence, and unpacked into a scratch root it holds exactly the
# game's files, with a valid desktop entry and AppStream metainfo naming the
# upstream version. Its launcher starts the game in the data folder from
# anywhere: without a display it ends as the game does, under X the question
# and then the window appear, and a missing data file ends it with the game's
# own error and exit code.
. "$(dirname "$0")/lib_x.sh"
id=example.vorta_kemi.vorta_kemi

(cd "$(dirname "$game")" && cpack -G DEB) >"$scratch/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$scratch/cpack.log")"
deb=$(sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "$scratch/cpack.log")
[ -f "$deb" ] || { fail "no package made"; finish; }
depends=$(dpkg-deb -f "$deb" Depends)
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes, Depends: $depends"
# SDL opens libGL.so.1 itself for the GL context: the package must bring it.
for lib in libgl1 libsdl2-2.0-0 libsdl2-mixer-2.0-0; do
    grep -Eq "(^|, )$lib( |,|$)" <<<"$depends" || fail "Depends lacks $lib"
done
# lintian fails on errors and warnings; its hints are shown for the record.
lintian --fail-on error,warning --display-info "$deb" >"$scratch/lintian.txt" 2>&1 ||
    fail "lintian found errors or warnings"
cat "$scratch/lintian.txt"
maintainer=$(dpkg-deb -f "$deb" Maintainer)
[ "$maintainer" = "vorta kemi project <team@vorta-kemi.example>" ] || fail "Maintainer: $maintainer"

root="$scratch/root" data=usr/share/games/vorta-kemi
dpkg -x "$deb" "$root" || fail "dpkg -x"
files=$(cd "$root" && find . ! -type d | sort)
expected=$(printf '%s\n' ./usr/games/vorta-kemi ./usr/lib/games/vorta-kemi/vorta-kemi \
    ./usr/share/{applications/$id.desktop,metainfo/$id.metainfo.xml,man/man6/vorta-kemi.6.gz} \
    ./usr/share/doc/vorta-kemi/{changelog.Debian.gz,copyright} ./usr/share/lintian/overrides/vorta-kemi \
    ./usr/share/icons/hicolor/{48x48,128x128,256x256}/apps/vorta-kemi.png \
    $(printf "./$data/%s\n" $GRID_NAMES $SOUND_NAMES) | sort)
[ "$files" = "$expected" ] || fail "file list differs: $(diff <(echo "$expected") <(echo "$files"))"
desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop entry"
metainfo=$root/usr/share/metainfo/$id.metainfo.xml
appstreamcli validate --no-net --pedantic "$metainfo" || fail "metainfo"
version=$(dpkg-deb -f "$deb" Version)
grep -qF "<release version=\"${version%-*}\"" "$metainfo" || fail "the metainfo names another release"
grep -qx 'License: Expat' "$root/usr/share/doc/vorta-kemi/copyright" || fail "no MIT (Expat) licence"

# Started by name from elsewhere, as a desktop or a shell starts it.
export PATH="$root/usr/games:$PATH"
game=vorta-kemi away="$scratch/away"
mkdir -p "$away" && game_start "$away"
expect_exit "no display" 1 10
grep -qxF "Little questioN: Fullsrceen?" "$away/err.txt" || fail "no display: $(cat "$away/err.txt")"
[ "$failures" -eq 0 ] || finish # the launcher is broken already: no X needed to see it

start_windowed "$away"
close_window "$WIN"
expect_exit "closing the window" 0 5
rm "$root/$data/time"
game_start "$away" -u DISPLAY
expect_exit "missing grid file" 2 10
grep -q "Runtime error   2 at" "$away/err.txt" || fail "missing grid file: $(cat "$away/err.txt")"
finish
