// The six sound-library operations the game uses. The real implementation
// (fsound_mixer.cpp) sits on SDL2_mixer; the unit tests link a recording
// stand-in instead.
#pragma once

struct FSOUND_SAMPLE; // opaque sample handle; null means "no sound"

constexpr int FSOUND_ALL = -3;          // SetVolume: every channel
constexpr unsigned FSOUND_LOOP_OFF = 1; // sample plays once (default)
constexpr unsigned FSOUND_LOOP_NORMAL = 2;

float FSOUND_GetVersion();
signed char FSOUND_Init(int mixRate, int maxChannels, unsigned int flags);
signed char FSOUND_SetVolume(int channel, int volume);
FSOUND_SAMPLE *FSOUND_Sample_Load(int index, const char *fileName, unsigned int inputMode,
                                  int offset, int length);
signed char FSOUND_Sample_SetMode(FSOUND_SAMPLE *sample, unsigned int mode);
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE *sample);
