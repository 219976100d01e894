#!/usr/bin/env bash
# Builds the grid-reader fuzzer with clang (libFuzzer, ASan, UBSan) apart from
# the game's own build, then fuzzes for the given number of seconds, starting
# from the shipped grids and the hand-made hard cases in seeds/.
# Usage: run_fuzz.sh SOURCE_DIR WORK_DIR SECONDS [extra libFuzzer flags...]
# Exits 77 (skipped) when no clang++ with libFuzzer is at hand.
set -uo pipefail
src=$1 work=$2 seconds=$3
shift 3
mkdir -p "$work"
cxx=$(command -v clang++ || command -v clang++-14 || true)
if [ -z "$cxx" ]; then
    echo "no clang++: fuzzing skipped"
    exit 77
fi

fuzzer="$work/grid_fuzzer"
sources=("$src/tests/fuzz/grid_fuzzer.cpp" "$src/core/grid_reader.cpp" "$src/core/grid_file.cpp"
    "$src/win32/win32_posix.cpp")
stale=0
[ -x "$fuzzer" ] || stale=1
for f in "${sources[@]}" "$src"/core/*.h "$src/win32/win32.h"; do
    [ "$f" -nt "$fuzzer" ] && stale=1
done
if [ "$stale" -eq 1 ]; then
    echo "building $fuzzer with $cxx"
    if ! "$cxx" -std=c++20 -g -O1 -Wall -Wextra \
        -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        -I "$src" "${sources[@]}" -o "$fuzzer.tmp" 2>"$work/build.log"; then
        cat "$work/build.log"
        if grep -q 'libclang_rt.fuzzer\|cannot find.*fuzzer' "$work/build.log"; then
            echo "clang has no libFuzzer runtime: fuzzing skipped"
            exit 77
        fi
        exit 1
    fi
    mv "$fuzzer.tmp" "$fuzzer"
fi

# A fresh corpus every run: what a run finds is not carried into the next.
rm -rf "$work/corpus" "$work/shipped" "$work/artifacts"
mkdir -p "$work/corpus" "$work/shipped" "$work/artifacts"
for g in map over new quit cred time pelmox; do
    cp "$src/assets/$g" "$work/shipped/$g"
done
"$fuzzer" -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$@" \
    "$work/corpus" "$work/shipped" "$src/tests/fuzz/seeds" 2>"$work/fuzz.log"
code=$?
tail -n 25 "$work/fuzz.log"
if [ "$code" -ne 0 ]; then
    echo "FAIL: the fuzzer stopped with $code; inputs kept in $work/artifacts:"
    ls "$work/artifacts"
    exit 1
fi
echo "ok"
