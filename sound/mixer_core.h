// What both sound layers share, free of any device so that it builds and is
// tested anywhere: the limits on sample slots, rates and sound files, and the
// reading and measuring that keep a file within them; then the Windows layer's
// mixer (a table of channels, each playing one decoded sound once or in a
// loop, summed into 16-bit stereo with clamping at full scale) and the decoding
// of the sound files the game ships into that form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int SOUND_SLOTS = 64; // samples loaded at once
constexpr int SOUND_MIN_RATE = 8000;
constexpr int SOUND_MAX_RATE = 192000;

// A sound file is loaded only if it is a plain file (never a device, a pipe or
// a folder) of at most SOUND_MAX_FILE_BYTES holding at most SOUND_MAX_SECONDS
// of sound, its length known before any decoder sees it: anything else loads
// as a missing file would.
constexpr size_t SOUND_MAX_FILE_BYTES = 16 << 20;
constexpr double SOUND_MAX_SECONDS = 60.0;

// The slot a sample load goes to: `index` itself, or the first slot not
// `taken` for FSOUND_FREE; -1 when there is none.
int SoundSlotFor(int index, bool (*taken)(int slot));
// Whether FSOUND mode bits ask for a loop (a ping-pong one plays as a plain loop).
bool SoundModeLoops(unsigned mode);
// The whole file, read once; empty unless it is a plain file of at most
// SOUND_MAX_FILE_BYTES.
std::vector<unsigned char> ReadSoundFile(const char *fileName);

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
// or more than SOUND_MAX_SECONDS of sound (measured at the file's own rate,
// before any conversion).
bool MixerDecodeWav(const unsigned char *data, size_t size, int rate, MixerSound *out);
// 16-bit PCM of `channels` channels at `sourceRate`, as stereo at `rate`.
void MixerConvertPcm16(const int16_t *pcm, size_t frames, int channels, int sourceRate, int rate,
                       MixerSound *out);

// The MP3 stream in a file: the bytes of the unbroken run of layer III frames
// of one rate after any ID3v2 tags (offset and length), each frame starting
// where the last one ended, with their rate and channel count and the bit rate
// of the first frame. False when a tag is malformed, there is no frame or the
// run holds more than SOUND_MAX_SECONDS of sound. Whatever follows the run (an
// ID3v1 tag, junk, a cut-off frame) is never to be decoded, so that no decoder
// finds more sound than counted here.
struct Mp3Stream {
    size_t offset, length;
    int rate, channels, kbps;
    bool mpeg1;
};
bool MixerFindMp3(const unsigned char *data, size_t size, Mp3Stream *out);
