#include "tests/doubles/sound_recorder.h"

std::vector<SoundCall> soundCalls;
float soundVersion = 3.75f;
std::set<std::string> soundMissing;

static unsigned char fakeSamples[64]; // FakeSample handles point in here

void SoundRecorderReset() {
    soundCalls.clear();
    soundCalls.reserve(1 << 16);
    soundVersion = 3.75f;
    soundMissing.clear();
}

FSOUND_SAMPLE *FakeSample(int slot) {
    return reinterpret_cast<FSOUND_SAMPLE *>(&fakeSamples[slot & 63]);
}

std::vector<SoundCall> SoundPlays() {
    std::vector<SoundCall> out;
    for (const SoundCall &c : soundCalls)
        if (c.op == "PlaySound")
            out.push_back(c);
    return out;
}

float FSOUND_GetVersion() {
    soundCalls.push_back({"GetVersion", 0, 0, 0, "", nullptr});
    return soundVersion;
}

signed char FSOUND_Init(int mixRate, int maxChannels, unsigned int flags) {
    soundCalls.push_back({"Init", mixRate, maxChannels, flags, "", nullptr});
    return 1;
}

signed char FSOUND_SetVolume(int channel, int volume) {
    soundCalls.push_back({"SetVolume", channel, volume, 0, "", nullptr});
    return 1;
}

FSOUND_SAMPLE *FSOUND_Sample_Load(int index, const char *fileName, unsigned int inputMode,
                                  int offset, int length) {
    FSOUND_SAMPLE *s = soundMissing.count(fileName) ? nullptr : FakeSample(index);
    soundCalls.push_back({"Sample_Load", index, offset + length, inputMode, fileName, s});
    return s;
}

signed char FSOUND_Sample_SetMode(FSOUND_SAMPLE *sample, unsigned int mode) {
    soundCalls.push_back({"Sample_SetMode", 0, 0, mode, "", sample});
    return 1;
}

int FSOUND_PlaySound(int channel, FSOUND_SAMPLE *sample) {
    soundCalls.push_back({"PlaySound", channel, 0, 0, "", sample});
    return channel;
}
