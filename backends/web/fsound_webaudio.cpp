// The sound layer over Web Audio: the six FSOUND operations the game calls
// (page.js holds the page's side, VortaAudio).
//
// As on the other platforms: samples live in a fixed table of slots and a
// handle is the address of its slot; every play names a fixed channel, and a
// new play there halts the old cue first; the files are held to the limits of
// mixer_core.h. WAV files are decoded by the mixer core, as on Windows, and
// handed to the page as 16-bit stereo at the mixing rate; the MP3 soundtrack,
// cut after its last whole frame, goes to the browser's decoder. Without Web
// Audio every call is a quiet no-op: loads give null handles, plays do nothing.
#include "sound/fsound.h"

#include <emscripten.h>

#include <cstring>
#include <vector>

#include "sound/mixer_core.h"

struct FSOUND_SAMPLE {
    int sound; // the page's buffer, 0 for none
    bool loop;
};

namespace {

constexpr int MAX_CHANNELS = 256;
constexpr int FULL_VOLUME = 255;

FSOUND_SAMPLE slots[SOUND_SLOTS];
bool audioOpen = false;
int channelCount = 0;
int mixRate = 0;

// The page's side is page.js (VortaAudio).
EM_JS(int, AudioInit, (int rate, int channels), { return VortaAudio.init(rate, channels); });
EM_JS(void, AudioSetVolume, (int channel, int volume), { VortaAudio.setVolume(channel, volume); });
EM_JS(int, AudioAddPcm, (const int16_t *samples, int frames),
      { return VortaAudio.addPcm(samples, frames); });
EM_ASYNC_JS(int, AudioDecode, (const unsigned char *bytes, int length, double maxSeconds),
            { return await VortaAudio.decode(bytes, length, maxSeconds); });
EM_JS(void, AudioPlay, (int channel, int sound, int loop),
      { VortaAudio.play(channel, sound, loop); });
EM_JS(int, AudioBusy, (int channel), { return VortaAudio.busy(channel); });

FSOUND_SAMPLE *SlotOf(FSOUND_SAMPLE *sample) {
    for (FSOUND_SAMPLE &slot : slots)
        if (&slot == sample)
            return &slot;
    return nullptr;
}

// A sound file as one of the page's buffers, or 0 for anything outside the
// limits of mixer_core.h.
int LoadBoundedSound(const char *fileName) {
    const std::vector<unsigned char> bytes = ReadSoundFile(fileName);
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "RIFF", 4) == 0) {
        MixerSound decoded;
        if (!MixerDecodeWav(bytes.data(), bytes.size(), mixRate, &decoded))
            return 0;
        return AudioAddPcm(decoded.samples.data(), static_cast<int>(decoded.samples.size() / 2));
    }
    Mp3Stream stream;
    if (!MixerFindMp3(bytes.data(), bytes.size(), &stream))
        return 0;
    return AudioDecode(bytes.data(), static_cast<int>(stream.offset + stream.length),
                       SOUND_MAX_SECONDS);
}

} // namespace

float FSOUND_GetVersion() {
    return FSOUND_VERSION;
}

signed char FSOUND_Init(int rate, int maxChannels, unsigned int) {
    if (audioOpen)
        return 1;
    if (rate < SOUND_MIN_RATE || rate > SOUND_MAX_RATE)
        return 0;
    channelCount = maxChannels < 1 ? 1 : maxChannels > MAX_CHANNELS ? MAX_CHANNELS : maxChannels;
    if (!AudioInit(rate, channelCount))
        return 0;
    mixRate = rate;
    audioOpen = true;
    return 1;
}

signed char FSOUND_SetVolume(int channel, int volume) {
    if (!audioOpen || (channel != FSOUND_ALL && (channel < 0 || channel >= channelCount)))
        return 0;
    volume = volume < 0 ? 0 : volume > FULL_VOLUME ? FULL_VOLUME : volume;
    AudioSetVolume(channel == FSOUND_ALL ? -1 : channel, volume);
    return 1;
}

FSOUND_SAMPLE *FSOUND_Sample_Load(int index, const char *fileName, unsigned int inputMode, int,
                                  int) {
    if (!audioOpen || fileName == nullptr)
        return nullptr;
    index = SoundSlotFor(index, [](int i) { return slots[i].sound != 0; });
    if (index < 0)
        return nullptr;
    const int sound = LoadBoundedSound(fileName);
    if (sound == 0)
        return nullptr; // a slot that held a sound keeps it
    slots[index] = FSOUND_SAMPLE{sound, SoundModeLoops(inputMode)};
    return &slots[index];
}

signed char FSOUND_Sample_SetMode(FSOUND_SAMPLE *sample, unsigned int mode) {
    FSOUND_SAMPLE *slot = SlotOf(sample);
    if (slot == nullptr || slot->sound == 0)
        return 0;
    slot->loop = SoundModeLoops(mode);
    return 1;
}

int FSOUND_PlaySound(int channel, FSOUND_SAMPLE *sample) {
    FSOUND_SAMPLE *slot = SlotOf(sample);
    if (!audioOpen || slot == nullptr || slot->sound == 0)
        return -1;
    if (channel == FSOUND_FREE) {
        channel = 0;
        while (channel < channelCount && AudioBusy(channel))
            ++channel;
    }
    if (channel < 0 || channel >= channelCount)
        return -1;
    AudioPlay(channel, slot->sound, slot->loop);
    return channel;
}
