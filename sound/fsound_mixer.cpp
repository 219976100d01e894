// The sound layer over SDL2_mixer: the six FSOUND operations the game calls.
//
// Samples live in a fixed table of slots for the whole run; a handle is the
// address of its slot. Each play names a channel of its own, and a new play
// there halts the old cue first, so a cue triggered again restarts instead of
// piling up. Without an audio device every call is a quiet no-op: loads give
// null handles and plays do nothing.
#include "sound/fsound.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <cstdint>
#include <dlfcn.h>

// One loaded sound. Mode holds the FSOUND mode bits last set; loop caches
// whether they ask for looping.
struct FSOUND_SAMPLE {
    Mix_Chunk *chunk;
    unsigned mode;
    bool loop;
};

namespace {

// The interface level this layer offers (the game asks for 3.75 or newer).
constexpr float FSOUND_LAYER_VERSION = 3.75f;

constexpr int FSOUND_FREE = -1;          // "any free slot / channel"
constexpr unsigned FSOUND_LOOP_BIDI = 4; // ping-pong: played here as a plain loop
constexpr int SAMPLE_SLOTS = 64;
constexpr int MAX_CHANNELS = 256;
constexpr int MIN_RATE = 8000;
constexpr int MAX_RATE = 192000;
constexpr int OUTPUT_CHANNELS = 2; // stereo
constexpr int CHUNK_FRAMES = 1024; // about 23 ms at 44.1 kHz
constexpr int FULL_VOLUME = 255;

FSOUND_SAMPLE slots[SAMPLE_SLOTS];
bool audioOpen = false;
int channelCount = 0;

// The slot a handle points at, or null for anything that is not one of ours.
FSOUND_SAMPLE *SlotOf(FSOUND_SAMPLE *sample) {
    const auto first = reinterpret_cast<std::uintptr_t>(&slots[0]);
    const auto p = reinterpret_cast<std::uintptr_t>(sample);
    if (sample == nullptr || p < first)
        return nullptr;
    const std::uintptr_t offset = p - first;
    if (offset % sizeof(FSOUND_SAMPLE) != 0 || offset / sizeof(FSOUND_SAMPLE) >= SAMPLE_SLOTS)
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

bool ModeLoops(unsigned mode) {
    return (mode & (FSOUND_LOOP_NORMAL | FSOUND_LOOP_BIDI)) != 0;
}

int FreeSlot() {
    for (int i = 0; i < SAMPLE_SLOTS; ++i)
        if (slots[i].chunk == nullptr)
            return i;
    return -1;
}

} // namespace

float FSOUND_GetVersion() {
    return FSOUND_LAYER_VERSION;
}

signed char FSOUND_Init(int mixRate, int maxChannels, unsigned int) {
    if (audioOpen)
        return 1;
    if (mixRate < MIN_RATE || mixRate > MAX_RATE)
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
    if (index == FSOUND_FREE)
        index = FreeSlot();
    if (index < 0 || index >= SAMPLE_SLOTS)
        return nullptr;
    // Decodes the whole file (WAV, MP3, ...) into the device's format.
    Mix_Chunk *chunk = Mix_LoadWAV(fileName);
    if (chunk == nullptr)
        return nullptr; // a slot that held a sound keeps it
    FSOUND_SAMPLE &slot = slots[index];
    if (slot.chunk != nullptr)
        Mix_FreeChunk(slot.chunk); // also stops any channel still playing it
    slot.chunk = chunk;
    slot.mode = inputMode;
    slot.loop = ModeLoops(inputMode);
    return &slot;
}

signed char FSOUND_Sample_SetMode(FSOUND_SAMPLE *sample, unsigned int mode) {
    FSOUND_SAMPLE *slot = SlotOf(sample);
    if (slot == nullptr || slot->chunk == nullptr)
        return 0;
    slot->mode = mode;
    slot->loop = ModeLoops(mode);
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
