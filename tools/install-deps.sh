#!/usr/bin/env bash
# Installs the Debian packages that are missing for one purpose:
#
#   tools/install-deps.sh play     # build the game and play it (play.sh)
#   tools/install-deps.sh package  # that, and what makes the Debian packages
#   tools/install-deps.sh test     # that, and every tool the tests use (test.sh)
#
# Without an argument it installs for testing. On a system without apt it only
# says so: README.md, "Build by hand", names the packages elsewhere.
set -euo pipefail

PLAY=(
  # build
  g++ cmake make pkg-config
  # the game: SDL2 window layer (and Xlib beneath it), SDL2_mixer sound, GL
  # headers and Mesa's drivers
  libsdl2-dev libx11-dev libsdl2-mixer-dev libgl-dev libgl1-mesa-dri
)
PACKAGE=(
  # the quick package: cpack, with file and dpkg-shlibdeps finding the
  # libraries the game needs; the source package: dpkg-buildpackage with
  # debhelper, its upstream tarball packed by git and xz
  dpkg-dev file debhelper git xz-utils
)
TEST=(
  # golden images: real GL with no display (SDL offscreen driver over EGL)
  libegl1 libegl-mesa0
  # tests and benchmarks
  libgtest-dev libbenchmark-dev libpng-dev clang libclang-rt-14-dev valgrind
  # end-to-end tests: a headless X server, a window manager, a player
  xvfb openbox xdotool x11-utils imagemagick
  # pacing test: frames counted by the damage they do, the disc read by a debugger
  libxdamage-dev gdb
  # window-mode test: key repeat off and modes (xset, xrandr), X resources by type
  x11-xserver-utils libxres-dev
  # peak memory of every run
  time
  # sound files: generated and checked
  sox libsox-fmt-mp3 lame
  # the Windows program: the system code against the real <windows.h>, its
  # zip packed by Info-ZIP, and Wine to run the .exe in the tests
  g++-mingw-w64-x86-64 zip wine64
  # the Debian packages checked by lintian, desktop-file-validate and
  # appstreamcli
  lintian desktop-file-utils appstream
  # the web page: Emscripten to build it, Chromium to play it headless in the
  # tests, node and npm to drive it (puppeteer-core, pinned in tests/web/)
  emscripten chromium nodejs npm
)

case "${1:-test}" in
play) PACKAGES=("${PLAY[@]}") ;;
package) PACKAGES=("${PLAY[@]}" "${PACKAGE[@]}") ;;
test) PACKAGES=("${PLAY[@]}" "${PACKAGE[@]}" "${TEST[@]}") ;;
*)
  echo "usage: $0 [play|package|test]" >&2
  exit 2
  ;;
esac

if ! command -v dpkg-query >/dev/null || ! command -v apt-get >/dev/null; then
  echo "No apt here: install the packages listed in README.md (Build by hand) yourself." >&2
  exit 0
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
# A node from elsewhere (it brings its own npm and conflicts with Debian's)
# serves as well as Debian's.
for command in node npm; do
  if command -v "$command" >/dev/null; then
    package=$command
    [ "$command" = node ] && package=nodejs
    for i in "${!missing[@]}"; do [ "${missing[$i]}" = "$package" ] && unset 'missing[i]'; done
  fi
done
missing=("${missing[@]}")
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
