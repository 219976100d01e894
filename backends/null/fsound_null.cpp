// A sound backend that plays nothing: every sound is missing. A port starts
// from this file: it has every call of sound/fsound.h, whose notes say what
// each must do.
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
