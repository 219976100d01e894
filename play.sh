#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game in the folder of its data files.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh play
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target vorta-kemi -j "$(nproc)"
cd assets
exec ../build/vorta-kemi
