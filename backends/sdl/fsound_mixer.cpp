// The sound layer over SDL2_mixer: the six FSOUND operations the game calls.
//
// Samples live in a fixed table of slots for the whole run; a handle is the
// address of its slot. Each play names a channel of its own, and a new play
// there halts the old cue first, so a cue triggered again restarts instead of
// piling up. Without an audio device every call is a quiet no-op: loads give
// null handles and plays do nothing.
//
// A sound file is read whole into memory once and decoded from there, within
// the limits of mixer_core.h (a plain file of at most 16 MB holding at most a
// minute of WAV or MP3 sound). The length is known before decoding: a WAV file
// is first decoded at its own rate (a few times its size at most), an MP3 file
// has its frames counted and is cut after the last whole one, so no decoder
// ever sees more than a minute of sound.
#include "sound/fsound.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <cstring>
#include <cstdint>
#include <dlfcn.h>
#include <vector>

#include "sound/mixer_core.h"

// One loaded sound, and whether its mode bits last set ask for a loop.
struct FSOUND_SAMPLE {
    Mix_Chunk *chunk;
    bool loop;
};

namespace {

constexpr int MAX_CHANNELS = 256;
constexpr int OUTPUT_CHANNELS = 2; // stereo
constexpr int CHUNK_FRAMES = 1024; // about 23 ms at 44.1 kHz
constexpr int FULL_VOLUME = 255;

FSOUND_SAMPLE slots[SOUND_SLOTS];
bool audioOpen = false;
int channelCount = 0;

// The slot a handle points at, or null for anything that is not one of ours.
FSOUND_SAMPLE *SlotOf(FSOUND_SAMPLE *sample) {
    const auto first = reinterpret_cast<std::uintptr_t>(&slots[0]);
    const auto p = reinterpret_cast<std::uintptr_t>(sample);
    if (sample == nullptr || p < first)
        return nullptr;
    const std::uintptr_t offset = p - first;
    if (offset % sizeof(FSOUND_SAMPLE) != 0 || offset / sizeof(FSOUND_SAMPLE) >= SOUND_SLOTS)
        return nullptr;
    return &slots[offset / sizeof(FSOUND_SAMPLE)];
}

// ALSA's library writes a page of complaints to stderr when it finds no sound
// card. A game without sound is simply silent, so its error printer is quieted
// while the device is being opened, and put back afterwards.
using AlsaErrorHandler = void (*)(const char *, int, const char *, int, const char *, ...);
using AlsaSetErrorHandler = int (*)(AlsaErrorHandler);

void AlsaSilence(const char *, int, const char *, int, const char *, ...) {}

AlsaSetErrorHandler FindAlsaErrorHook() {
    static void *alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (alsa == nullptr)
        return nullptr;
    return reinterpret_cast<AlsaSetErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler"));
}

bool StartsWith(const std::vector<unsigned char> &bytes, const char *magic, size_t length) {
    return bytes.size() >= length && std::memcmp(bytes.data(), magic, length) == 0;
}

// Seconds of sound in a WAV file, found by decoding it at its own rate and
// sample format: that costs at most a few times the file's size, where
// converting a file that claims 1 Hz to the mixer's rate would not. -1 when it
// does not decode.
double WavSeconds(const std::vector<unsigned char> &bytes) {
    SDL_AudioSpec wav;
    Uint8 *samples = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1, &wav,
                       &samples, &length) == nullptr)
        return -1.0;
    SDL_FreeWAV(samples);
    const int frameBytes = SDL_AUDIO_BITSIZE(wav.format) / 8 * wav.channels;
    if (frameBytes <= 0 || wav.freq <= 0)
        return -1.0;
    return static_cast<double>(length / static_cast<Uint32>(frameBytes)) / wav.freq;
}

// The bytes of an MP3 file worth decoding: its tags and its run of frames, or
// 0. The mixer takes an untagged file for MP3 only when it opens with an
// MPEG-1 layer III frame.
size_t Mp3Bytes(const std::vector<unsigned char> &bytes) {
    Mp3Stream stream;
    if (!MixerFindMp3(bytes.data(), bytes.size(), &stream) || (stream.offset == 0 && !stream.mpeg1))
        return 0;
    return stream.offset + stream.length;
}

// Decodes a sound file into the mixer's format, or null for anything outside
// the limits of mixer_core.h.
Mix_Chunk *LoadBoundedSound(const char *fileName) {
    const std::vector<unsigned char> bytes = ReadSoundFile(fileName);
    size_t decoded = 0;
    if (StartsWith(bytes, "RIFF", 4)) {
        const double seconds = WavSeconds(bytes);
        if (seconds >= 0.0 && seconds <= SOUND_MAX_SECONDS)
            decoded = bytes.size();
    } else {
        decoded = Mp3Bytes(bytes);
    }
    if (decoded == 0)
        return nullptr;
    Mix_Chunk *chunk =
        Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(decoded)), 1);
    // The decoded length once more, in the mixer's own terms.
    int rate = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&rate, &format, &channels);
    const double bytesPerSecond = double(rate) * channels * (SDL_AUDIO_BITSIZE(format) / 8);
    if (chunk != nullptr && chunk->alen > SOUND_MAX_SECONDS * bytesPerSecond) {
        Mix_FreeChunk(chunk);
        return nullptr;
    }
    return chunk;
}

} // namespace

float FSOUND_GetVersion() {
    return FSOUND_VERSION;
}

signed char FSOUND_Init(int mixRate, int maxChannels, unsigned int) {
    if (audioOpen)
        return 1;
    if (mixRate < SOUND_MIN_RATE || mixRate > SOUND_MAX_RATE)
        return 0;
    const AlsaSetErrorHandler alsaHook = FindAlsaErrorHook();
    if (alsaHook != nullptr)
        alsaHook(AlsaSilence);
    bool opened = false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        // MP3 support is wanted for the soundtrack; WAV works without it, so a
        // missing decoder only costs the files that need it.
        Mix_Init(MIX_INIT_MP3);
        // No format changes allowed: SDL converts to whatever the device
        // takes, so mixing always happens at the rate asked for.
        opened = Mix_OpenAudioDevice(mixRate, AUDIO_S16SYS, OUTPUT_CHANNELS, CHUNK_FRAMES, nullptr,
                                     0) == 0;
        if (!opened) {
            Mix_Quit();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    }
    if (alsaHook != nullptr)
        alsaHook(nullptr);
    if (!opened)
        return 0;
    if (maxChannels < 1)
        maxChannels = 1;
    if (maxChannels > MAX_CHANNELS)
        maxChannels = MAX_CHANNELS;
    channelCount = Mix_AllocateChannels(maxChannels);
    audioOpen = true;
    return 1;
}

signed char FSOUND_SetVolume(int channel, int volume) {
    if (!audioOpen)
        return 0;
    if (channel != FSOUND_ALL && (channel < 0 || channel >= channelCount))
        return 0;
    if (volume < 0)
        volume = 0;
    if (volume > FULL_VOLUME)
        volume = FULL_VOLUME;
    // 0..255 onto 0..128, to the nearest step (volume 1 still gives step 1).
    const int mixVolume = (volume * MIX_MAX_VOLUME + FULL_VOLUME / 2) / FULL_VOLUME;
    Mix_Volume(channel == FSOUND_ALL ? -1 : channel, mixVolume);
    return 1;
}

FSOUND_SAMPLE *FSOUND_Sample_Load(int index, const char *fileName, unsigned int inputMode, int,
                                  int) {
    if (!audioOpen || fileName == nullptr)
        return nullptr;
    index = SoundSlotFor(index, [](int i) { return slots[i].chunk != nullptr; });
    if (index < 0)
        return nullptr;
    Mix_Chunk *chunk = LoadBoundedSound(fileName);
    if (chunk == nullptr)
        return nullptr; // a slot that held a sound keeps it
    FSOUND_SAMPLE &slot = slots[index];
    if (slot.chunk != nullptr)
        Mix_FreeChunk(slot.chunk); // also stops any channel still playing it
    slot.chunk = chunk;
    slot.loop = SoundModeLoops(inputMode);
    return &slot;
}

signed char FSOUND_Sample_SetMode(FSOUND_SAMPLE *sample, unsigned int mode) {
    FSOUND_SAMPLE *slot = SlotOf(sample);
    if (slot == nullptr || slot->chunk == nullptr)
        return 0;
    slot->loop = SoundModeLoops(mode);
    return 1;
}

int FSOUND_PlaySound(int channel, FSOUND_SAMPLE *sample) {
    FSOUND_SAMPLE *slot = SlotOf(sample);
    if (!audioOpen || slot == nullptr || slot->chunk == nullptr)
        return -1;
    const int loops = slot->loop ? -1 : 0;
    if (channel == FSOUND_FREE)
        return Mix_PlayChannel(-1, slot->chunk, loops);
    if (channel < 0 || channel >= channelCount)
        return -1;
    // A play on a busy channel halts its old cue and starts the new one from
    // the top, in one step under the mixer's lock, so no gap or overlap is heard.
    return Mix_PlayChannel(channel, slot->chunk, loops);
}
