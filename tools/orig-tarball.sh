#!/usr/bin/env bash
# Writes the upstream tarball that dpkg-buildpackage needs beside the source
# tree: DIR/vorta-kemi_<version>.orig.tar.xz (DIR is .. unless given), with
# the files git knows of as they stand now, without debian/. The same files
# give the same bytes: names sorted, owned by root, dated the last commit.
#   tools/orig-tarball.sh && dpkg-buildpackage -us -uc
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-..}
version=$(dpkg-parsechangelog -SVersion)
version=${version%-*}
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
git ls-files -z --cached --others --exclude-standard -- . ':!debian' |
    tar --null -T - --ignore-failed-read --sort=name --mtime="@$epoch" --owner=0 --group=0 \
        --numeric-owner --mode=u+rw,go=rX --format=gnu \
        --transform="flags=r;s,^,vorta-kemi-$version/," -c |
    xz -6 -T1 >"$dir/vorta-kemi_$version.orig.tar.xz"
echo "$dir/vorta-kemi_$version.orig.tar.xz"
