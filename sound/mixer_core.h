// The sound mixer of the Windows sound layer, free of any device so that it
// builds and is tested anywhere: a table of channels, each playing one decoded
// sound once or in a loop, summed into 16-bit stereo with clamping at full
// scale; and the decoding of the sound files the game ships into that form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int MIXER_CHANNELS = 32;
constexpr int MIXER_ALL = -1; // MixerSetVolume: every channel
constexpr int MIXER_FULL_VOLUME = 255;

// A decoded sound: interleaved stereo 16-bit frames at the mixing rate.
struct MixerSound {
    std::vector<int16_t> samples; // 2 per frame
};

// One channel: what it plays, where it is, at which volume.
struct MixerChannel {
    const MixerSound *sound;
    size_t frame;
    bool loop;
    int volume;
};

extern MixerChannel mixerChannels[MIXER_CHANNELS];

// Every channel quiet, at full volume.
void MixerReset();
// Halts what the channel plays and starts the sound there from its first frame.
// False for a channel out of range.
bool MixerPlay(int channel, const MixerSound *sound, bool loop);
// Halts every channel playing this sound (before the sound goes away).
void MixerHaltSound(const MixerSound *sound);
bool MixerSetVolume(int channel, int volume);
bool MixerChannelBusy(int channel);
// The next `frames` frames of the sum of every channel, into `out` (2 values
// per frame); channels that reach the end of a sound played once fall quiet,
// looping ones start it again.
void MixerRender(int16_t *out, size_t frames);

// A WAV file (PCM of 8, 16, 24 or 32 bits, or 32-bit float; any number of
// channels, the first two used) as stereo at `rate`. False for anything else,
// or more than `maxSeconds` of sound.
bool MixerDecodeWav(const unsigned char *data, size_t size, int rate, double maxSeconds,
                    MixerSound *out);
// 16-bit PCM of `channels` channels at `sourceRate`, as stereo at `rate`.
void MixerConvertPcm16(const int16_t *pcm, size_t frames, int channels, int sourceRate, int rate,
                       MixerSound *out);

// The MP3 stream in a file: the bytes of the unbroken run of layer III frames
// after any ID3v2 tags (offset and length), with their rate and channel count
// and the bit rate of the first frame. False when there is no frame or the run
// holds more than `maxSeconds` of sound.
struct Mp3Stream {
    size_t offset, length;
    int rate, channels, kbps;
    bool mpeg1;
};
bool MixerFindMp3(const unsigned char *data, size_t size, double maxSeconds, Mp3Stream *out);
