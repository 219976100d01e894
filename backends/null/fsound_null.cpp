// A sound backend that plays nothing. A port provides these six operations:
//   FSOUND_GetVersion     the library's version (the game needs 3.75 or newer);
//   FSOUND_Init           opens the output at a mixing rate with a channel count;
//   FSOUND_SetVolume      volume 0..255 of one channel or FSOUND_ALL;
//   FSOUND_Sample_Load    a sample from a file into a slot, or null when the file
//                         is missing or unusable (the game then stays silent);
//   FSOUND_Sample_SetMode FSOUND_LOOP_NORMAL makes a sample loop;
//   FSOUND_PlaySound      plays a sample on a fixed channel, halting what that
//                         channel played; a null sample plays nothing.
#include "sound/fsound.h"

float FSOUND_GetVersion() {
    return FSOUND_VERSION;
}
signed char FSOUND_Init(int, int, unsigned int) {
    return 1;
}
signed char FSOUND_SetVolume(int, int) {
    return 1;
}
FSOUND_SAMPLE *FSOUND_Sample_Load(int, const char *, unsigned int, int, int) {
    return nullptr; // every sound is missing
}
signed char FSOUND_Sample_SetMode(FSOUND_SAMPLE *, unsigned int) {
    return 0;
}
int FSOUND_PlaySound(int, FSOUND_SAMPLE *) {
    return -1;
}
