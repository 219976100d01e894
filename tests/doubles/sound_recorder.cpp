// The recording sound layer: every call kept in order, a fake handle per slot.
#include "tests/doubles/sound_recorder.h"

std::vector<SoundCall> soundCalls;
float soundVersion = FSOUND_VERSION;

void SoundRecorderReset() {
    soundCalls.clear();
    soundCalls.reserve(1 << 16); // frames that play sounds stay off the heap
    soundVersion = FSOUND_VERSION;
}

FSOUND_SAMPLE *FakeSample(int slot) {
    return reinterpret_cast<FSOUND_SAMPLE *>(0x1000 + (slot & 63));
}

template <class Result> static Result Log(SoundCall call, Result result) {
    soundCalls.push_back(call);
    return result;
}

float FSOUND_GetVersion() {
    return Log({"GetVersion", 0, 0, 0, "", nullptr}, soundVersion);
}
signed char FSOUND_Init(int mixRate, int maxChannels, unsigned int flags) {
    return Log({"Init", mixRate, maxChannels, flags, "", nullptr}, 1);
}
signed char FSOUND_SetVolume(int channel, int volume) {
    return Log({"SetVolume", channel, volume, 0, "", nullptr}, 1);
}
FSOUND_SAMPLE *FSOUND_Sample_Load(int index, const char *fileName, unsigned int inputMode,
                                  int offset, int length) {
    return Log({"Sample_Load", index, offset + length, inputMode, fileName, FakeSample(index)},
               FakeSample(index));
}
signed char FSOUND_Sample_SetMode(FSOUND_SAMPLE *sample, unsigned int mode) {
    return Log({"Sample_SetMode", 0, 0, mode, "", sample}, 1);
}
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE *sample) {
    return Log({"PlaySound", channel, 0, 0, "", sample}, channel);
}
