// The sound layer over SDL2_mixer: the six FSOUND operations the game calls.
//
// Samples live in a fixed table of slots for the whole run; a handle is the
// address of its slot. Each play names a channel of its own, and a new play
// there halts the old cue first, so a cue triggered again restarts instead of
// piling up. Without an audio device every call is a quiet no-op: loads give
// null handles and plays do nothing.
//
// A sound file is read whole into memory once and decoded from there, and only
// if it is a plain file of at most 16 MB holding at most a minute of WAV or MP3
// sound; anything else (a device, a pipe, an endless or absurd file) loads as
// a missing file would. The length is known before decoding: a WAV file is
// first decoded at its own rate (a few times its size at most), an MP3 file
// has its frames counted and is cut after the last whole one, so no decoder
// ever sees more than a minute of sound.
#include "sound/fsound.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <cerrno>
#include <cstring>
#include <cstdint>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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
constexpr off_t MAX_FILE_BYTES = 16 << 20;
constexpr double MAX_SECONDS = 60.0;

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

// The whole file, read once; empty unless it is a plain file of at most
// MAX_FILE_BYTES. The open never waits (a pipe without a writer), and nothing
// but a plain file is ever read.
std::vector<unsigned char> ReadSoundFile(const char *fileName) {
    std::vector<unsigned char> bytes;
    int fd;
    do
        fd = open(fileName, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return bytes;
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= MAX_FILE_BYTES) {
        bytes.resize(static_cast<size_t>(st.st_size));
        size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += static_cast<size_t>(n);
        }
        bytes.resize(got); // a file that shrank meanwhile: what was there
    }
    close(fd);
    return bytes;
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

// One MPEG-1, -2 or -2.5 layer III frame header: its length in bytes and the
// seconds it decodes to. False for anything else, including the free format,
// whose frames have no length of their own.
bool Mp3Frame(const unsigned char *h, long *bytes, double *seconds) {
    static const int MPEG1_KBPS[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                       112, 128, 160, 192, 224, 256, 320, 0};
    static const int MPEG2_KBPS[16] = {0,  8,  16, 24,  32,  40,  48,  56,
                                       64, 80, 96, 112, 128, 144, 160, 0};
    static const int MPEG1_RATES[3] = {44100, 48000, 32000};
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0)
        return false;
    const int version = (h[1] >> 3) & 3; // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    const int layer = (h[1] >> 1) & 3;   // 1: layer III
    const int bitrateIndex = h[2] >> 4;
    const int rateIndex = (h[2] >> 2) & 3;
    const int padding = (h[2] >> 1) & 1;
    if (version == 1 || layer != 1 || rateIndex == 3)
        return false;
    const bool mpeg1 = version == 3;
    const int kbps = (mpeg1 ? MPEG1_KBPS : MPEG2_KBPS)[bitrateIndex];
    if (kbps == 0)
        return false;
    const int rate = MPEG1_RATES[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    const int samples = mpeg1 ? 1152 : 576;
    *bytes = static_cast<long>(samples / 8) * kbps * 1000 / rate + padding;
    *seconds = static_cast<double>(samples) / rate;
    return true;
}

// The bytes of an MP3 file worth decoding: any ID3v2 tags, then the unbroken
// run of layer III frames after them, each starting where the last one ended.
// Returns their count, or 0 when there is no frame or more than MAX_SECONDS of
// sound. Whatever follows the run (an ID3v1 tag, junk, a cut-off frame) is
// never decoded, so the decoder cannot find more sound than counted here.
size_t Mp3Bytes(const std::vector<unsigned char> &bytes) {
    const unsigned char *data = bytes.data();
    const size_t size = bytes.size();
    size_t at = 0;
    while (size - at >= 10 && std::memcmp(data + at, "ID3", 3) == 0) {
        const unsigned char *tag = data + at;
        if ((tag[6] | tag[7] | tag[8] | tag[9]) & 0x80)
            return 0; // not a tag's size
        size_t tagBytes =
            10 + ((size_t{tag[6]} << 21) | (size_t{tag[7]} << 14) | (tag[8] << 7) | tag[9]);
        if (tag[5] & 0x10)
            tagBytes += 10; // a footer
        if (tagBytes > size - at)
            return 0;
        at += tagBytes;
    }
    // The mixer takes an untagged file for MP3 only when it opens with an
    // MPEG-1 layer III frame.
    if (at == 0 && !(size >= 2 && data[0] == 0xFF && (data[1] & 0xFE) == 0xFA))
        return 0;
    double seconds = 0.0;
    size_t frames = 0;
    long frameBytes;
    double frameSeconds;
    while (size - at >= 4 && Mp3Frame(data + at, &frameBytes, &frameSeconds) &&
           static_cast<size_t>(frameBytes) <= size - at) {
        seconds += frameSeconds;
        if (seconds > MAX_SECONDS)
            return 0;
        at += static_cast<size_t>(frameBytes);
        ++frames;
    }
    return frames > 0 ? at : 0;
}

// Decodes a sound file into the mixer's format, or null for anything that is
// not a plain file of at most MAX_FILE_BYTES holding at most MAX_SECONDS of
// WAV or MP3 sound.
Mix_Chunk *LoadBoundedSound(const char *fileName) {
    const std::vector<unsigned char> bytes = ReadSoundFile(fileName);
    size_t decoded = 0;
    if (StartsWith(bytes, "RIFF", 4)) {
        const double seconds = WavSeconds(bytes);
        if (seconds >= 0.0 && seconds <= MAX_SECONDS)
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
    if (chunk != nullptr && chunk->alen > MAX_SECONDS * bytesPerSecond) {
        Mix_FreeChunk(chunk);
        return nullptr;
    }
    return chunk;
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
    Mix_Chunk *chunk = LoadBoundedSound(fileName);
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
