#include "tests/doubles/sound_recorder.h"

std::vector<SoundCall> soundCalls;
float soundVersion = 3.75f;
std::set<std::string> soundMissing;

namespace {
unsigned char fakeSamples[64];

void Push(const char *op, int a = 0, int b = 0, unsigned flags = 0, const char *file = "",
          FSOUND_SAMPLE *sample = nullptr) {
    SoundCall c;
    c.op = op;
    c.a = a;
    c.b = b;
    c.flags = flags;
    c.file = file;
    c.sample = sample;
    soundCalls.push_back(c);
}
} // namespace

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
    Push("GetVersion");
    return soundVersion;
}

signed char FSOUND_Init(int mixRate, int maxChannels, unsigned int flags) {
    Push("Init", mixRate, maxChannels, flags);
    return 1;
}

signed char FSOUND_SetVolume(int channel, int volume) {
    Push("SetVolume", channel, volume);
    return 1;
}

FSOUND_SAMPLE *FSOUND_Sample_Load(int index, const char *fileName, unsigned int inputMode,
                                  int offset, int length) {
    FSOUND_SAMPLE *s = soundMissing.count(fileName) ? nullptr : FakeSample(index);
    Push("Sample_Load", index, offset + length, inputMode, fileName, s);
    return s;
}

signed char FSOUND_Sample_SetMode(FSOUND_SAMPLE *sample, unsigned int mode) {
    Push("Sample_SetMode", 0, 0, mode, "", sample);
    return 1;
}

int FSOUND_PlaySound(int channel, FSOUND_SAMPLE *sample) {
    Push("PlaySound", channel, 0, 0, "", sample);
    return channel;
}
