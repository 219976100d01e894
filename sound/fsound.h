// The six sound-library operations the game uses: the sound layer's contract.
// backends/sdl implements them over SDL2_mixer, backends/windows over Windows'
// waveOut, backends/web over Web Audio, backends/null plays nothing; the unit
// tests link a recording stand-in. Every layer keeps the same promises,
// written beside each call, and the same file limits (sound/mixer_core.h).
#pragma once

struct FSOUND_SAMPLE; // opaque sample handle; null means "no sound"

constexpr float FSOUND_VERSION = 3.75f; // what GetVersion gives for every layer here
constexpr int FSOUND_FREE = -1;         // Sample_Load: any free slot; PlaySound: any free channel
constexpr int FSOUND_ALL = -3;          // SetVolume: every channel
constexpr unsigned FSOUND_LOOP_OFF = 1; // sample plays once (default)
constexpr unsigned FSOUND_LOOP_NORMAL = 2;
constexpr unsigned FSOUND_LOOP_BIDI = 4; // ping-pong: played here as a plain loop

// The library's version; the game needs 3.75 or newer and says so otherwise.
float FSOUND_GetVersion();
// Opens the output, mixing at `mixRate` Hz (the game asks 44100) on
// `maxChannels` channels. Without an audio device every later call is a quiet
// no-op and the game plays on, silent; the result is not looked at.
signed char FSOUND_Init(int mixRate, int maxChannels, unsigned int flags);
// Volume 0..255 of one channel, or of every channel with FSOUND_ALL.
signed char FSOUND_SetVolume(int channel, int volume);
// A whole sound file (WAV or MP3) read into slot `index` (or the first free
// slot for FSOUND_FREE), replacing what the slot held. Null when the file is
// missing or unusable: anything but a plain file within the limits of
// mixer_core.h loads as missing, so a device, a pipe or a huge file never
// holds the game up. The game stores the handle unchecked.
FSOUND_SAMPLE *FSOUND_Sample_Load(int index, const char *fileName, unsigned int inputMode,
                                  int offset, int length);
// FSOUND_LOOP_NORMAL makes the sample loop without a seam wherever it plays next.
signed char FSOUND_Sample_SetMode(FSOUND_SAMPLE *sample, unsigned int mode);
// Plays the sample on a fixed channel, halting what that channel played, so a
// cue triggered again restarts instead of piling up; the result is the channel
// or -1. A null sample plays nothing and halts nothing.
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE *sample);
