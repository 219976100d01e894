#!/usr/bin/env bash
# Builds the grid-reader fuzzer with clang (libFuzzer, ASan, UBSan) apart from
# the game's own build, then fuzzes for the given number of seconds, starting
# from the shipped grids and the hand-made hard cases in seeds/. Exits 77
# (skipped) without clang or its libFuzzer.
# Usage: GRID_NAMES="map over ..." run_fuzz.sh SOURCE_DIR WORK_DIR SECONDS [libFuzzer flags...]
set -uo pipefail
src=$1 work=$2 seconds=$3
shift 3
cxx=$(command -v clang++ || command -v clang++-14) || { echo "no clang++: skipped"; exit 77; }
mkdir -p "$work" && rm -rf "$work/corpus" "$work/artifacts" && mkdir "$work/corpus" "$work/artifacts"
if ! "$cxx" -std=c++20 -g -O1 -Wall -Wextra -Werror -fsanitize=fuzzer,address,undefined \
    -fno-sanitize-recover=all -I "$src" "$src/tests/fuzz/grid_fuzzer.cpp" "$src/core/grid_reader.cpp" \
    "$src/core/grid_file.cpp" "$src/backends/posix/kernel_posix.cpp" -o "$work/fuzzer" 2>"$work/build.log"; then
    cat "$work/build.log"
    grep -q 'libclang_rt.fuzzer' "$work/build.log" && echo "no libFuzzer: skipped" && exit 77
    exit 1
fi

for name in $GRID_NAMES; do cp "$src/assets/$name" "$work/corpus/"; done
"$work/fuzzer" -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$@" \
    "$work/corpus" "$src/tests/fuzz/seeds" 2>"$work/fuzz.log"
code=$?
tail -n 25 "$work/fuzz.log"
[ "$code" -eq 0 ] || { echo "FAIL: the fuzzer stopped with $code; kept: $(ls "$work/artifacts")"; exit 1; }
echo "ok"
