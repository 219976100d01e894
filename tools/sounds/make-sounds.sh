#!/usr/bin/env bash
# Builds the game's five sound files from nothing but the numbers below, so a
# change of sound is a change of this script, never a hand edit of a file.
#
#   tools/sounds/make-sounds.sh [output-folder]     (default: assets/)
#
# Needs sox (with libsox-fmt-mp3) and lame. sox runs in repeatable mode (-R),
# so the noise of the surf is the same on every rebuild.
#
# The mix: the game plays every cue at full volume, and the cues that can sound
# at once in a game (the sea, the fall, a jump and a clock click) add up, peak
# on peak, to less than full scale, so nothing ever clips. Within that, each
# effect stands well above the sea, the quiet click too.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
out="${1:-$here/../../assets}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

RATE=44100
# Every effect: mono, 16-bit, 44.1 kHz WAV.
FX=(-R -n -r "$RATE" -c 1 -b 16)

# --- jump.wav: a quick rising chirp ------------------------------------------
JUMP_LEN=0.20      # seconds
JUMP_FROM=300      # Hz, swept exponentially ...
JUMP_TO=900        # ... up to here
JUMP_FADE_IN=0.004
JUMP_FADE_OUT=0.07
JUMP_PEAK=-10      # dBFS
JUMP_OVERTONE=0.25 # level of the octave above, for a rounder chirp
sox -R -m -v 1 "|sox -R -n -r $RATE -c 1 -p synth $JUMP_LEN sine $JUMP_FROM/$JUMP_TO" \
    -v "$JUMP_OVERTONE" \
    "|sox -R -n -r $RATE -c 1 -p synth $JUMP_LEN sine $((JUMP_FROM * 2))/$((JUMP_TO * 2))" \
    -b 16 "$out/jump.wav" \
    fade q "$JUMP_FADE_IN" "$JUMP_LEN" "$JUMP_FADE_OUT" \
    norm "$JUMP_PEAK"

# --- fall.wav: a wobbling tone that falls for about a second ------------------
FALL_LEN=1.0
FALL_FROM=880
FALL_TO=110
FALL_WOBBLE_HZ=7   # tremolo speed ...
FALL_WOBBLE_PCT=35 # ... and depth
FALL_FADE_IN=0.01
FALL_FADE_OUT=0.35
FALL_PEAK=-10
FALL_OVERTONE=0.2
sox -R -m -v 1 "|sox -R -n -r $RATE -c 1 -p synth $FALL_LEN sine $FALL_FROM/$FALL_TO" \
    -v "$FALL_OVERTONE" \
    "|sox -R -n -r $RATE -c 1 -p synth $FALL_LEN sine $((FALL_FROM * 2))/$((FALL_TO * 2))" \
    -b 16 "$out/fall.wav" \
    tremolo "$FALL_WOBBLE_HZ" "$FALL_WOBBLE_PCT" \
    fade q "$FALL_FADE_IN" "$FALL_LEN" "$FALL_FADE_OUT" \
    norm "$FALL_PEAK"

# --- click.wav: the clock's soft tick, heard once a second --------------------
# Short, low and rounded: a brief sine blip that dies away, below the other
# effects so it never nags, yet above the sea at the top of its swell.
CLICK_LEN=0.03
CLICK_HZ=1100
CLICK_FADE_IN=0.003
CLICK_FADE_OUT=0.027
CLICK_PEAK=-14
sox "${FX[@]}" "$out/click.wav" \
    synth "$CLICK_LEN" sine "$CLICK_HZ" \
    fade h "$CLICK_FADE_IN" "$CLICK_LEN" "$CLICK_FADE_OUT" \
    norm "$CLICK_PEAK"

# --- menu.wav: a short blip for each menu move --------------------------------
MENU_LEN=0.07
MENU_FROM=784
MENU_TO=1175
MENU_FADE_IN=0.004
MENU_FADE_OUT=0.03
MENU_PEAK=-10
sox "${FX[@]}" "$out/menu.wav" \
    synth "$MENU_LEN" triangle "$MENU_FROM:$MENU_TO" gain -6 \
    lowpass 3000 \
    fade q "$MENU_FADE_IN" "$MENU_LEN" "$MENU_FADE_OUT" \
    norm "$MENU_PEAK"

# --- sea.mp3: calm surf that loops without a seam ------------------------------
# Filtered noise under a slow swell. The swell's period divides the loop, so
# the envelope is periodic; the loop point sits in a trough of the swell. The
# noise itself is made longer than the loop, and the XFADE seconds that follow
# the loop's end are faded into its start: the last sample of the loop is then
# followed (in the noise) by exactly the first sample, so the wrap is seamless.
SEA_LEN=16         # seconds in one loop
SEA_SWELL=8        # seconds per swell; divides SEA_LEN
SEA_FLOOR=30       # % level in a swell's trough
SEA_SET_FLOOR=70   # every other swell a little weaker: % of the loop-long swing
SEA_XFADE=4        # seconds of crossfade from the end into the start
SEA_PREROLL=1      # seconds of noise thrown away while the filters settle
SEA_BODY_LOW=60    # Hz: the rumble of the surf, brown noise in this band
SEA_BODY_HIGH=900
SEA_WASH_LOW=400   # Hz: the hiss of the wash, pink noise in this band ...
SEA_WASH_HIGH=3500
SEA_WASH_GAIN=-12  # ... this much quieter
SEA_PEAK=-18       # dBFS: a bed under the effects, not on top of them
SEA_KBPS=96

calc() { awk "BEGIN { printf \"%.10g\", $1 }"; }
noise_len=$(calc "$SEA_PREROLL + $SEA_LEN + $SEA_XFADE")
sox -R -n -r "$RATE" -c 2 -b 16 "$work/body.wav" \
    synth "$noise_len" brownnoise brownnoise gain -12 \
    highpass "$SEA_BODY_LOW" lowpass "$SEA_BODY_HIGH" lowpass "$SEA_BODY_HIGH" \
    trim "$SEA_PREROLL" norm -3
sox -R -n -r "$RATE" -c 2 -b 16 "$work/wash.wav" \
    synth "$noise_len" pinknoise pinknoise gain -12 \
    highpass "$SEA_WASH_LOW" lowpass "$SEA_WASH_HIGH" \
    trim "$SEA_PREROLL" norm -3 gain "$SEA_WASH_GAIN"
sox -R -m -v 1 "$work/body.wav" -v 1 "$work/wash.wav" -b 32 "$work/noise.wav"

# Crossfade (equal power, as the two ends are unrelated noise).
sox "$work/noise.wav" "$work/head.wav" trim 0 "$SEA_XFADE" fade q "$SEA_XFADE"
sox "$work/noise.wav" "$work/tail.wav" trim "$SEA_LEN" "$SEA_XFADE" \
    fade q 0 "$SEA_XFADE" "$SEA_XFADE"
sox -m -v 1 "$work/head.wav" -v 1 "$work/tail.wav" "$work/joined.wav"
sox "$work/noise.wav" "$work/rest.wav" trim "$SEA_XFADE" "$(calc "$SEA_LEN - $SEA_XFADE")"
sox "$work/joined.wav" "$work/rest.wav" "$work/loop.wav"

# Swell: a raised cosine that starts in its trough, times a loop-long swing.
swell_hz=$(calc "1 / $SEA_SWELL")
set_hz=$(calc "1 / $SEA_LEN")
sox -R "$work/loop.wav" -b 16 "$work/sea.wav" \
    synth 0 sine amod "$swell_hz" "$SEA_FLOOR" 75 \
    synth 0 sine amod "$set_hz" "$SEA_SET_FLOOR" 75 \
    norm "$SEA_PEAK"
lame --quiet -q 2 --resample 44.1 -b "$SEA_KBPS" "$work/sea.wav" "$out/sea.mp3"

for f in jump fall click menu; do
    printf '%-10s ' "$f.wav"
    sox "$out/$f.wav" -n stats 2>&1 | awk '/Pk lev dB/{pk=$4} /Length s/{len=$3}
        END{printf "peak %s dBFS, %s s", pk, len}'
    echo ", $(stat -c %s "$out/$f.wav") bytes"
done
printf '%-10s ' sea.mp3
sox "$out/sea.mp3" -n stats 2>&1 | awk '/Pk lev dB/{pk=$4} /Length s/{len=$3}
    END{printf "peak %s dBFS, %s s (as sox decodes it)", pk, len}'
echo ", $(stat -c %s "$out/sea.mp3") bytes"
