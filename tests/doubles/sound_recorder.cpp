// The recording sound layer: every call kept in order, a fake handle per slot.
#include "tests/doubles/sound_recorder.h"

std::vector<SoundCall> soundCalls;
float soundVersion = FSOUND_VERSION;
std::set<std::string> soundMissing;

static unsigned char fakeSamples[64]; // FakeSample handles point in here

static void Log(const char *op, int a = 0, int b = 0, unsigned flags = 0, const char *file = "",
                FSOUND_SAMPLE *sample = nullptr) {
    soundCalls.push_back({op, a, b, flags, file, sample});
}

void SoundRecorderReset() {
    soundCalls.clear();
    soundCalls.reserve(1 << 16);
    soundVersion = FSOUND_VERSION;
    soundMissing.clear();
}

FSOUND_SAMPLE *FakeSample(int slot) {
    return reinterpret_cast<FSOUND_SAMPLE *>(&fakeSamples[slot & 63]);
}

float FSOUND_GetVersion() {
    Log("GetVersion");
    return soundVersion;
}
signed char FSOUND_Init(int mixRate, int maxChannels, unsigned int flags) {
    Log("Init", mixRate, maxChannels, flags);
    return 1;
}
signed char FSOUND_SetVolume(int channel, int volume) {
    Log("SetVolume", channel, volume);
    return 1;
}
FSOUND_SAMPLE *FSOUND_Sample_Load(int index, const char *fileName, unsigned int inputMode,
                                  int offset, int length) {
    FSOUND_SAMPLE *s = soundMissing.count(fileName) ? nullptr : FakeSample(index);
    Log("Sample_Load", index, offset + length, inputMode, fileName, s);
    return s;
}
signed char FSOUND_Sample_SetMode(FSOUND_SAMPLE *sample, unsigned int mode) {
    Log("Sample_SetMode", 0, 0, mode, "", sample);
    return 1;
}
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE *sample) {
    Log("PlaySound", channel, 0, 0, "", sample);
    return channel;
}
