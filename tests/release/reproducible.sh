#!/usr/bin/env bash
# Two builds of the same sources give the same bytes: the Debian package that
# cpack makes, the Windows zip and the web zip. The first is built from the source tree
# itself, which takes SOURCE_DATE_EPOCH from its git history; the second from
# a copy of its files in another folder, without history, with the last
# commit's time in SOURCE_DATE_EPOCH and another umask, time zone and locale,
# as a builder elsewhere would have them.
# Usage: reproducible.sh SOURCE_DIR SCRATCH_DIR
set -uo pipefail
src=$1 scratch=$2
rm -rf "$scratch" && mkdir -p "$scratch"

# The package and the zip of the sources in $1, built in $2, left in $2/out.
build() {
    cmake -S "$1" -B "$2/linux" -DBUILD_TESTING=OFF && cmake --build "$2/linux" -j2 &&
        (cd "$2/linux" && cpack -G DEB -B "$2/out") &&
        cmake -S "$1/backends/windows" -B "$2/windows" && cmake --build "$2/windows" -j2 &&
        cp "$2/windows/vorta-kemi-windows.zip" "$2/out/" &&
        emcmake cmake -S "$1/backends/web" -B "$2/web" -DVORTA_WEB_TESTS=OFF &&
        cmake --build "$2/web" -j2 && cp "$2/web/vorta-kemi-web.zip" "$2/out/"
} >"$2.log" 2>&1

(unset SOURCE_DATE_EPOCH && umask 022 && TZ=UTC LC_ALL=C build "$src" "$scratch/first") ||
    { tail -n 20 "$scratch/first.log"; echo "FAIL: the first build"; exit 1; }
copy=$scratch/somewhere/else/vorta-kemi
mkdir -p "$copy" && git -C "$src" ls-files -z --cached --others --exclude-standard |
    (cd "$src" && tar --null -T - --ignore-failed-read -c) | tar -x -C "$copy"
(export SOURCE_DATE_EPOCH=$(git -C "$src" log -1 --format=%ct) && umask 002 &&
    TZ=JST-9 LC_ALL=C.UTF-8 build "$copy" "$scratch/second") ||
    { tail -n 20 "$scratch/second.log"; echo "FAIL: the second build"; exit 1; }

failures=0
for first in "$scratch"/first/out/*.{deb,zip}; do
    second=$scratch/second/out/$(basename "$first")
    if cmp "$first" "$second"; then
        echo "$(basename "$first"): the same $(stat -c %s "$first") bytes"
    else
        echo "FAIL: $(basename "$first") differs"
        case $first in
        *.deb) list() { dpkg-deb -c "$1"; } ;;
        *.zip) list() { zipinfo -l "$1"; } ;;
        esac
        diff <(list "$first") <(list "$second")
        failures=$((failures + 1))
    fi
done
[ "$(ls "$scratch"/first/out/*.{deb,zip} | wc -l)" -eq 3 ] || { echo "FAIL: not one .deb and two zips"; exit 1; }
[ "$failures" -eq 0 ] && echo ok
