#!/usr/bin/env bash
# The game's sounds as a player hears them: the effects start and end softly
# (no click), the soundtrack's end runs into its start without a seam.
#
#   check_sounds.sh <source-dir> <scratch-dir (which exists)>
set -uo pipefail
assets="$1/assets" s="$2" failures=0
command -v sox >/dev/null && command -v lame >/dev/null || { echo "FAIL: no sox or lame"; exit 1; }
# check <description> <awk condition>
check() { awk "BEGIN { exit !($2) }" && echo "ok:   $1" || { echo "FAIL: $1"; failures=$((failures + 1)); }; }

# The soundtrack as the game's decoder (mpg123) gives it: without the encoder's
# delay and padding, as lame decodes it, so the decoded loop is exactly what
# repeats. Per channel, over the 0.2 s either side of the seam (long enough for
# noise to settle, short next to the swell): no 10 ms drops out, the level
# carries over, and the step from the last sample to the first is no bigger
# than the steps the surf itself takes in the 50 ms around it.
lame --quiet --decode "$assets/sea.mp3" "$s/sea.wav"
sox "$s/sea.wav" "$s/tail.wav" trim -0.2
sox "$s/sea.wav" "$s/head.wav" trim 0 0.2
levels() { # <file> <channel>: the RMS level and the quietest 10 ms, in dBFS
    sox "$1" -n remix "$2" stats -w 0.01 2>&1 | awk '{ v = $4 == "-inf" ? -999 : $4 }
        /^RMS lev dB/ { l = v } /^RMS Tr dB/ { t = v } END { print l, t }'
}
for c in $(seq "$(soxi -c "$s/sea.wav")"); do
    read -r tail_db tail_quiet < <(levels "$s/tail.wav" "$c")
    read -r head_db head_quiet < <(levels "$s/head.wav" "$c")
    read -r seam steps < <(sox "$s/tail.wav" "$s/head.wav" -t dat - remix "$c" trim 0.15 0.1 |
        awk '!/^;/ { v[++n] = $2 } END { for (i = 2; i <= n; i++) { d = v[i] - v[i - 1]
            d = d < 0 ? -d : d; if (i == n / 2 + 1) seam = d; else if (d > most) most = d }
            print seam, most }')
    check "sea.mp3 channel $c: no dropout at the seam (quietest 10 ms: $tail_quiet, $head_quiet dBFS)" \
        "$tail_quiet > -50 && $head_quiet > -50"
    check "sea.mp3 channel $c: level carries over the seam (end $tail_db, start $head_db dBFS)" \
        "$tail_db - $head_db < 3 && $head_db - $tail_db < 3"
    check "sea.mp3 channel $c: no click at the seam (step $seam, largest nearby $steps)" \
        "$seam <= 1.5 * $steps"
done
for e in jump fall menu click; do
    ends=$(sox "$assets/$e.wav" -t dat - | awk '!/^;/ { v = $2 < 0 ? -$2 : $2; if (n++ == 0) f = v; l = v }
        END { print f, l, (f < 0.01 && l < 0.01) }')
    check "$e.wav starts and ends softly (|first| |last| soft: $ends)" "${ends##* } == 1"
done
[ "$failures" -eq 0 ]
