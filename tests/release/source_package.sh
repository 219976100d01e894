#!/usr/bin/env bash
# The Debian source package: the upstream tarball of tools/orig-tarball.sh,
# unpacked with debian/ beside it, builds with dpkg-buildpackage -us -uc;
# lintian finds nothing in the source and binary packages beyond pedantic
# hints (shown); and the binary package holds the same files (byte for byte,
# but for the stripped program) and says the same things as the quick package
# that cpack makes from the same install rules.
# Usage: source_package.sh SOURCE_DIR SCRATCH_DIR
set -uo pipefail
src=$1 scratch=$2
rm -rf "$scratch" && mkdir -p "$scratch"
fail() { echo "FAIL: $*" && exit 1; }

orig=$("$src/tools/orig-tarball.sh" "$scratch") || fail "no upstream tarball"
tar -xf "$orig" -C "$scratch" && tree=$(echo "$scratch"/vorta-kemi-*/) && cp -a "$src/debian" "$tree"
# As in a developer's tree, with build folders beside the sources.
mkdir -p "$tree"/build{,-windows} && echo 1 >"$tree/build/CMakeCache.txt" && echo 2 >"$tree/build-windows/game.exe"
(cd "$tree" && dpkg-buildpackage -us -uc -j2) >"$scratch/build.log" 2>&1 ||
    fail "dpkg-buildpackage: $(tail -n 30 "$scratch/build.log")"
ls "$scratch"/*.{dsc,deb}
lintian --pedantic --display-info --fail-on error,warning,info "$scratch"/*.changes 2>&1 |
    grep -v "root privileges"
[ "${PIPESTATUS[0]}" -eq 0 ] || fail "lintian"

# The quick package from the same build, with what debhelper added itself.
(cd "$tree"/obj-*/ && cmake -DVORTA_DEBHELPER_FILES=ON . && cpack -G DEB -B "$scratch/quick") \
    >"$scratch/cpack.log" 2>&1 || fail "cpack: $(cat "$scratch/cpack.log")"
quick=$(echo "$scratch"/quick/*.deb) built=$scratch/$(basename "$quick")
# Each file with its checksum, but the program's: each packer strips it its own way.
sums() { dpkg-deb -I "$1" md5sums | sed 's,^[0-9a-f]* *\(usr/lib/games/vorta-kemi/vorta-kemi\)$,- \1,' | sort -k 2; }
[ "$(sums "$quick")" = "$(sums "$built")" ] || fail "files differ: $(diff <(sums "$quick") <(sums "$built"))"
fields() { dpkg-deb -f "$1" Package Version Maintainer Section Priority Description; }
[ "$(fields "$quick")" = "$(fields "$built")" ] ||
    fail "the packages say different things: $(diff <(fields "$quick") <(fields "$built"))"
echo ok
