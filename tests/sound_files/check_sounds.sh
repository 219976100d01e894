#!/usr/bin/env bash
# Checks the game's five sound files as a player would hear them: 44.1 kHz,
# short effects that start and end softly, at their levels in the mix, small
# files, and a soundtrack whose end runs into its start without a seam.
#
#   check_sounds.sh <source-dir> <scratch-dir>
set -uo pipefail

src="$1"
scratch="$2"
assets="$src/assets"
mkdir -p "$scratch"
failures=0
checks=0

for tool in sox soxi lame; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# check <description> <awk condition>
check() {
    checks=$((checks + 1))
    if awk "BEGIN { exit !($2) }"; then echo "ok:   $1"; else fail "$1"; fi
}
# The whole-file column of one line of sox's stats.
stat_of() { sox "$1" -n stats 2>&1 | awk -v key="$2" 'index($0, key) == 1 { print $4 }'; }

# effect <file> <peak dBFS, within half a dB>
effect() {
    local f="$assets/$1"
    [ -f "$f" ] || { fail "$1 is missing"; return; }
    local rate len size peak
    rate=$(soxi -r "$f")
    len=$(soxi -D "$f")
    size=$(stat -c %s "$f")
    peak=$(stat_of "$f" "Pk lev dB")
    check "$1 is 44.1 kHz ($rate Hz)" "$rate == 44100"
    check "$1 lasts 1.2 s at most ($len s)" "$len > 0 && $len <= 1.2"
    check "$1 is under 110 kB ($size bytes)" "$size < 110000"
    check "$1 peaks at $2 dBFS ($peak dBFS)" "$peak <= $2 + 0.5 && $peak >= $2 - 0.5"
    peaks[$1]=$peak
    # Fades at both ends: the first and last samples are near silence.
    local ends
    ends=$(sox "$f" -t dat - | awk '!/^;/ { v = $2 < 0 ? -$2 : $2; if (n++ == 0) first = v; last = v }
        END { print first, last }')
    check "$1 starts and ends softly (|first| |last| = $ends)" \
        "$(echo "$ends" | awk '{ print ($1 < 0.01 && $2 < 0.01) }') == 1"
}

declare -A peaks
effect jump.wav -10
effect fall.wav -10
effect menu.wav -10
effect click.wav -14 # the clock's tick is meant to be quiet

sea="$assets/sea.mp3"
if [ ! -f "$sea" ]; then
    fail "sea.mp3 is missing"
else
    # The game's decoder (mpg123, in SDL2_mixer) drops the encoder's delay and padding, as lame's
    # does: the decoded loop is exactly what gets repeated.
    decoded="$scratch/sea.wav"
    lame --quiet --decode "$sea" "$decoded"
    rate=$(soxi -r "$sea")
    len=$(soxi -D "$decoded")
    size=$(stat -c %s "$sea")
    peak=$(stat_of "$decoded" "Pk lev dB")
    check "sea.mp3 is 44.1 kHz ($rate Hz)" "$rate == 44100"
    check "sea.mp3 loops every 10 to 20 s ($len s)" "$len >= 10 && $len <= 20"
    check "sea.mp3 is under 320 kB ($size bytes)" "$size < 320000"
    check "sea.mp3 peaks at -18 to -20 dBFS ($peak dBFS)" "$peak <= -18 && $peak >= -20"
    # A game can sound the sea, the fall, a jump and a click at once: even
    # peak on peak they stay under full scale.
    sum=$(awk -v a="$peak" -v b="${peaks[fall.wav]:-0}" -v c="${peaks[jump.wav]:-0}" \
        -v d="${peaks[click.wav]:-0}" 'BEGIN { s = 0
            for (i = split(a " " b " " c " " d, p, " "); i > 0; i--) s += exp(p[i] / 20 * log(10))
            printf "%.2f", 20 * log(s) / log(10) }')
    check "sea, fall, jump and click peak on peak stay under full scale ($sum dBFS)" "$sum < -0.3"

    # The seam, per channel: no 10 ms near the wrap drops out, the level just
    # before the wrap matches the level just after it (over 0.2 s, long enough
    # for noise to settle, short next to the swell), and the step from the last sample
    # to the first is no bigger than the steps the surf itself takes in the
    # 50 ms around it.
    sox "$decoded" -t dat "$scratch/tail.dat" trim -0.2
    sox "$decoded" -t dat "$scratch/head.dat" trim 0 0.2
    channels=$(soxi -c "$decoded")
    for ((c = 1; c <= channels; c++)); do
        read -r tail_db head_db jump steps quiet_db < <(awk -v col=$((c + 1)) -v near=2205 -v block=441 '
            FNR == 1 { file++ }
            /^;/ { next }
            { v[file, ++n[file]] = $col; sq[file] += $col * $col }
            function absval(x) { return x < 0 ? -x : x }
            END {
                if (n[1] < near || n[2] < near) { print "-999 -999 1 0 -999"; exit }
                quiet = 1
                for (f = 1; f <= 2; f++)
                    for (b = 0; (b + 1) * block <= n[f]; b++) {
                        e = 0
                        for (i = b * block + 1; i <= (b + 1) * block; i++) e += v[f, i] * v[f, i]
                        if (e / block < quiet) quiet = e / block
                    }
                for (i = n[1] - near + 2; i <= n[1]; i++) step = max(step, absval(v[1, i] - v[1, i - 1]))
                for (i = 2; i <= near; i++) step = max(step, absval(v[2, i] - v[2, i - 1]))
                printf "%.2f %.2f %.5f %.5f %.2f\n", 10 * log(sq[1] / n[1]) / log(10),
                    10 * log(sq[2] / n[2]) / log(10), absval(v[2, 1] - v[1, n[1]]), step,
                    10 * log(quiet + 1e-12) / log(10)
            }
            function max(a, b) { return a > b ? a : b }' "$scratch/tail.dat" "$scratch/head.dat")
        check "sea.mp3 channel $c: no dropout at the loop point (quietest 10 ms: $quiet_db dBFS)" \
            "$quiet_db > -50"
        check "sea.mp3 channel $c: level carries over the loop point (end $tail_db, start $head_db dBFS)" \
            "($tail_db - $head_db) < 3 && ($head_db - $tail_db) < 3"
        check "sea.mp3 channel $c: no click at the loop point (step $jump, largest nearby $steps)" \
            "$jump <= 1.5 * $steps"
    done
fi

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
