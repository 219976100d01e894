// The device-free part of the sound layers: the limits on sound files, and the
// Windows layer's channels, mixing and file decoding. See mixer_core.h.
#include "sound/mixer_core.h"

#include <algorithm>
#include <cstring>

#include "sound/fsound.h"
#include "win32/win32.h"

MixerChannel mixerChannels[MIXER_CHANNELS];

namespace {

bool ValidChannel(int channel) {
    return channel >= 0 && channel < MIXER_CHANNELS;
}

uint32_t Le32(const unsigned char *p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Le16(const unsigned char *p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

constexpr uint16_t WAV_PCM = 1;
constexpr uint16_t WAV_FLOAT = 3;
constexpr uint16_t WAV_EXTENSIBLE = 0xFFFE;

// One sample of a WAV file as a 16-bit value.
int16_t WavSample(const unsigned char *p, int bits, bool isFloat) {
    if (isFloat) {
        float f;
        std::memcpy(&f, p, sizeof f);
        if (!(f >= -1.0f)) // also NaN
            f = f > 0 ? 1.0f : -1.0f;
        if (f > 1.0f)
            f = 1.0f;
        return static_cast<int16_t>(f * 32767.0f);
    }
    switch (bits) {
    case 8:
        return static_cast<int16_t>((p[0] - 128) * 256);
    case 16:
        return static_cast<int16_t>(Le16(p));
    case 24:
        return static_cast<int16_t>(Le16(p + 1));
    default:
        return static_cast<int16_t>(Le16(p + 2));
    }
}

} // namespace

int SoundSlotFor(int index, bool (*taken)(int slot)) {
    if (index == FSOUND_FREE) {
        index = 0;
        while (index < SOUND_SLOTS && taken(index))
            ++index;
    }
    return index >= 0 && index < SOUND_SLOTS ? index : -1;
}

bool SoundModeLoops(unsigned mode) {
    return (mode & (FSOUND_LOOP_NORMAL | FSOUND_LOOP_BIDI)) != 0;
}

std::vector<unsigned char> ReadSoundFile(const char *fileName) {
    std::vector<unsigned char> bytes;
    HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    if (GetFileType(file) == FILE_TYPE_DISK) {
        // Piece by piece up to a piece past the limit, so that a larger file
        // (or one that grows meanwhile) costs no more than that to refuse.
        constexpr DWORD PIECE = 64 * 1024;
        size_t got = 0;
        DWORD n = 0;
        do {
            bytes.resize(got + PIECE);
            if (!ReadFile(file, bytes.data() + got, PIECE, &n, nullptr))
                n = 0; // what was read before the failure
            got += n;
        } while (n > 0 && got <= SOUND_MAX_FILE_BYTES);
        bytes.resize(got <= SOUND_MAX_FILE_BYTES ? got : 0);
    }
    CloseHandle(file);
    return bytes;
}

void MixerReset() {
    for (MixerChannel &c : mixerChannels)
        c = MixerChannel{nullptr, 0, false, MIXER_FULL_VOLUME};
}

bool MixerPlay(int channel, const MixerSound *sound, bool loop) {
    if (!ValidChannel(channel))
        return false;
    MixerChannel &c = mixerChannels[channel];
    c.sound = sound;
    c.frame = 0;
    c.loop = loop;
    return true;
}

void MixerHaltSound(const MixerSound *sound) {
    for (MixerChannel &c : mixerChannels)
        if (c.sound == sound)
            c.sound = nullptr;
}

bool MixerSetVolume(int channel, int volume) {
    volume = std::clamp(volume, 0, MIXER_FULL_VOLUME);
    if (channel == MIXER_ALL) {
        for (MixerChannel &c : mixerChannels)
            c.volume = volume;
        return true;
    }
    if (!ValidChannel(channel))
        return false;
    mixerChannels[channel].volume = volume;
    return true;
}

bool MixerChannelBusy(int channel) {
    return ValidChannel(channel) && mixerChannels[channel].sound != nullptr;
}

void MixerRender(int16_t *out, size_t frames) {
    std::vector<int32_t> sum(frames * 2, 0);
    for (MixerChannel &c : mixerChannels) {
        size_t done = 0;
        while (c.sound != nullptr && done < frames) {
            const size_t length = c.sound->samples.size() / 2;
            if (c.frame >= length) {
                // The end of the sound: again from the top, or quiet. An
                // empty sound never loops (it would never advance).
                if (c.loop && length > 0) {
                    c.frame = 0;
                } else {
                    c.sound = nullptr;
                    break;
                }
            }
            const size_t n = std::min(frames - done, length - c.frame);
            const int16_t *src = c.sound->samples.data() + 2 * c.frame;
            for (size_t i = 0; i < 2 * n; ++i)
                sum[2 * done + i] += src[i] * c.volume / MIXER_FULL_VOLUME;
            done += n;
            c.frame += n;
        }
    }
    for (size_t i = 0; i < frames * 2; ++i)
        out[i] = static_cast<int16_t>(std::clamp(sum[i], -32768, 32767));
}

void MixerConvertPcm16(const int16_t *pcm, size_t frames, int channels, int sourceRate, int rate,
                       MixerSound *out) {
    const size_t outFrames =
        frames == 0 ? 0 : static_cast<size_t>(static_cast<uint64_t>(frames) * rate / sourceRate);
    out->samples.assign(outFrames * 2, 0);
    const int right = channels > 1 ? 1 : 0;
    const double step = static_cast<double>(sourceRate) / rate;
    for (size_t i = 0; i < outFrames; ++i) {
        // Straight lines between the source frames on either side.
        const double at = i * step;
        const size_t a = std::min(static_cast<size_t>(at), frames - 1);
        const size_t b = std::min(a + 1, frames - 1);
        const double t = at - static_cast<double>(a);
        for (int side = 0; side < 2; ++side) {
            const int ch = side == 0 ? 0 : right;
            const double v = pcm[a * channels + ch] * (1.0 - t) + pcm[b * channels + ch] * t;
            out->samples[2 * i + side] = static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
        }
    }
}

bool MixerDecodeWav(const unsigned char *data, size_t size, int rate, MixerSound *out) {
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
        return false;
    uint16_t format = 0, channels = 0, blockAlign = 0, bits = 0;
    uint32_t sourceRate = 0;
    const unsigned char *samples = nullptr;
    size_t sampleBytes = 0;
    size_t at = 12;
    while (at + 8 <= size && samples == nullptr) {
        const unsigned char *chunk = data + at;
        const size_t length = std::min<size_t>(Le32(chunk + 4), size - at - 8);
        if (std::memcmp(chunk, "fmt ", 4) == 0 && length >= 16) {
            format = Le16(chunk + 8);
            channels = Le16(chunk + 10);
            sourceRate = Le32(chunk + 12);
            blockAlign = Le16(chunk + 20);
            bits = Le16(chunk + 22);
            if (format == WAV_EXTENSIBLE && length >= 40)
                format = Le16(chunk + 32); // the sub-format's first two bytes
        } else if (std::memcmp(chunk, "data", 4) == 0 && format != 0) {
            samples = chunk + 8;
            sampleBytes = length; // a cut-off file plays what it holds
        }
        at += 8 + length + (length & 1);
    }
    const bool isFloat = format == WAV_FLOAT && bits == 32;
    const bool pcm = format == WAV_PCM && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
    if (samples == nullptr || !(isFloat || pcm) || channels == 0 || sourceRate == 0 ||
        blockAlign < channels * (bits / 8))
        return false;
    const size_t frames = sampleBytes / blockAlign;
    if (static_cast<double>(frames) / sourceRate > SOUND_MAX_SECONDS)
        return false;
    const int used = std::min<int>(channels, 2);
    std::vector<int16_t> pcm16(frames * used);
    for (size_t f = 0; f < frames; ++f)
        for (int ch = 0; ch < used; ++ch)
            pcm16[f * used + ch] =
                WavSample(samples + f * blockAlign + ch * (bits / 8), bits, isFloat);
    MixerConvertPcm16(pcm16.data(), frames, used, static_cast<int>(sourceRate), rate, out);
    return true;
}

namespace {

// One MPEG-1, -2 or -2.5 layer III frame header: its length in bytes, its
// samples, rate, channels and bit rate. False for anything else, including
// the free format, whose frames have no length of their own.
bool Mp3Frame(const unsigned char *h, size_t *bytes, int *samples, Mp3Stream *info) {
    static const int MPEG1_KBPS[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                       112, 128, 160, 192, 224, 256, 320, 0};
    static const int MPEG2_KBPS[16] = {0,  8,  16, 24,  32,  40,  48,  56,
                                       64, 80, 96, 112, 128, 144, 160, 0};
    static const int MPEG1_RATES[3] = {44100, 48000, 32000};
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0)
        return false;
    const int version = (h[1] >> 3) & 3; // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    const int layer = (h[1] >> 1) & 3;   // 1: layer III
    const int rateIndex = (h[2] >> 2) & 3;
    if (version == 1 || layer != 1 || rateIndex == 3)
        return false;
    const bool mpeg1 = version == 3;
    const int kbps = (mpeg1 ? MPEG1_KBPS : MPEG2_KBPS)[h[2] >> 4];
    if (kbps == 0)
        return false;
    const int rate = MPEG1_RATES[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    *samples = mpeg1 ? 1152 : 576;
    *bytes = static_cast<size_t>(*samples / 8) * kbps * 1000 / rate + ((h[2] >> 1) & 1);
    *info = Mp3Stream{0, 0, rate, (h[3] >> 6) == 3 ? 1 : 2, kbps, mpeg1};
    return true;
}

} // namespace

bool MixerFindMp3(const unsigned char *data, size_t size, Mp3Stream *out) {
    size_t at = 0;
    // ID3v2 tags: ten bytes of header, a length in 7-bit bytes, and ten more
    // bytes when a footer is flagged.
    while (size - at >= 10 && std::memcmp(data + at, "ID3", 3) == 0) {
        const unsigned char *tag = data + at;
        if ((tag[6] | tag[7] | tag[8] | tag[9]) & 0x80)
            return false; // not a tag's length
        const size_t tagBytes =
            10 + (size_t{tag[6]} << 21 | size_t{tag[7]} << 14 | tag[8] << 7 | tag[9]) +
            (tag[5] & 0x10 ? 10 : 0);
        if (tagBytes > size - at)
            return false;
        at += tagBytes;
    }
    Mp3Stream first{};
    double seconds = 0.0;
    size_t end = at;
    while (size - end >= 4) {
        size_t bytes;
        int samples;
        Mp3Stream frame;
        if (!Mp3Frame(data + end, &bytes, &samples, &frame) || bytes > size - end)
            break;
        if (end == at)
            first = frame;
        else if (frame.rate != first.rate)
            break; // a different stream: not ours to decode
        seconds += static_cast<double>(samples) / frame.rate;
        if (seconds > SOUND_MAX_SECONDS)
            return false;
        end += bytes;
    }
    if (end == at)
        return false;
    *out = first;
    out->offset = at;
    out->length = end - at;
    return true;
}
