// The sound layer over SDL2_mixer (placeholder: filled in with the sound work).
#include "sound/fsound.h"

#include <SDL2/SDL_mixer.h>

float FSOUND_GetVersion() {
    return 3.75f;
}
signed char FSOUND_Init(int, int, unsigned int) {
    return 0;
}
signed char FSOUND_SetVolume(int, int) {
    return 0;
}
FSOUND_SAMPLE *FSOUND_Sample_Load(int, const char *, unsigned int, int, int) {
    return nullptr;
}
signed char FSOUND_Sample_SetMode(FSOUND_SAMPLE *, unsigned int) {
    return 0;
}
int FSOUND_PlaySound(int, FSOUND_SAMPLE *) {
    return -1;
}
