// The six sound-library operations the game uses. backends/sdl implements
// them over SDL2_mixer, backends/windows over Windows' waveOut; the unit
// tests link a recording stand-in instead.
#pragma once

struct FSOUND_SAMPLE; // opaque sample handle; null means "no sound"

constexpr float FSOUND_VERSION = 3.75f; // what GetVersion gives for every layer here
constexpr int FSOUND_FREE = -1;         // Sample_Load: any free slot; PlaySound: any free channel
constexpr int FSOUND_ALL = -3;          // SetVolume: every channel
constexpr unsigned FSOUND_LOOP_OFF = 1; // sample plays once (default)
constexpr unsigned FSOUND_LOOP_NORMAL = 2;
constexpr unsigned FSOUND_LOOP_BIDI = 4; // ping-pong: played here as a plain loop

float FSOUND_GetVersion();
signed char FSOUND_Init(int mixRate, int maxChannels, unsigned int flags);
signed char FSOUND_SetVolume(int channel, int volume);
FSOUND_SAMPLE *FSOUND_Sample_Load(int index, const char *fileName, unsigned int inputMode,
                                  int offset, int length);
signed char FSOUND_Sample_SetMode(FSOUND_SAMPLE *sample, unsigned int mode);
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE *sample);
