#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test, headless.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh test
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
# The Windows program, cross-built beside the Linux one (see backends/windows/);
# the Wine test runs it.
cmake -S backends/windows -B build-windows >/dev/null
cmake --build build-windows -j "$(nproc)"
# The web page, built with Debian's Emscripten (see backends/web/).
emcmake cmake -S backends/web -B build-web >/dev/null
cmake --build build-web -j "$(nproc)"
# No sound card and no display are needed: tests bring their own X server and
# use SDL's dummy audio unless they capture sound themselves.
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
unset DISPLAY
(cd build && ctest --output-on-failure -j "$(nproc)" -LE e2e)
# The page in headless Chromium (one at a time) and the replays under node.
(cd build-web && ctest --output-on-failure -j "$(nproc)" -L web)
# The real game on its own X servers, one at a time so that no other test
# competes with it for the processor; a run that a busy machine spoils gets one
# more try.
(cd build && ctest --output-on-failure -L e2e --repeat until-pass:2)
# The unit tests and the replays once more, built with address and
# undefined-behaviour checks that stop at the first finding.
cmake -S . -B build-asan -DVORTA_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-asan -j "$(nproc)" --target unit_tests replay_check
(cd build-asan && ctest --output-on-failure -j "$(nproc)" -L 'unit|replay')
