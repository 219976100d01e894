#!/usr/bin/env bash
# The web page against the desktop game, in one run on the same machine: the
# page in headless Chromium (measure.mjs: download, time to the question,
# frames a second and processor time a frame on the menu and in a game), then
# the desktop build on Xvfb with Mesa's software GL (bench/pacing/measure.sh),
# its processor time a frame worked out from its frames and share of a core.
# Usage: measure.sh GAME SOURCE_DIR WEB_BUILD_DIR SCRATCH_DIR
set -euo pipefail
game=$1 src=$2 web=$3 scratch=$4
mkdir -p "$scratch"
[ -d "$web/tests/node_modules/puppeteer-core" ] ||
    (cd "$web/tests" && npm ci --no-audit --no-fund --ignore-scripts >/dev/null)
echo "The page in headless Chromium (SwiftShader):"
node "$src/bench/web/measure.mjs" "$web/site" "$web/tests"
echo "The desktop game on Xvfb (Mesa llvmpipe):"
desktop=$(bash "$src/bench/pacing/measure.sh" "$game" "$src" "$scratch")
echo "$desktop"
awk '$1 == "menu:" || $1 == "game:" {
        printf "%s desktop processor a frame: %.1f ms\n", $1, $4 * 10 / $2 }' <<<"$desktop"
