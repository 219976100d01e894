// The Windows sound layer's mixer, frame by frame: a cue played once ends in
// silence, a looping one starts over, a play on a busy channel replaces its
// cue from the top, volumes scale and the sum clamps at full scale; and the
// file decoding refuses what is too long.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "sound/mixer_core.h"

namespace {

// A sound whose frames hold (v, -v) for each v given.
MixerSound Ramp(std::initializer_list<int16_t> values) {
    MixerSound s;
    for (int16_t v : values) {
        s.samples.push_back(v);
        s.samples.push_back(static_cast<int16_t>(-v));
    }
    return s;
}

// The left samples of the next `frames` frames (the right ones mirror them).
std::vector<int> Left(size_t frames) {
    std::vector<int16_t> out(2 * frames, 12345);
    MixerRender(out.data(), frames);
    std::vector<int> left;
    for (size_t i = 0; i < frames; ++i) {
        EXPECT_NEAR(out[2 * i + 1], -out[2 * i], 1) << "frame " << i; // full scale: 32767, -32768
        left.push_back(out[2 * i]);
    }
    return left;
}

using V = std::vector<int>;

TEST(Mixer, ChannelsPlayOnceLoopRestartAndClamp) {
    MixerReset();
    const MixerSound a = Ramp({100, 200, 300});
    const MixerSound b = Ramp({7, 8});

    ASSERT_TRUE(MixerPlay(0, &a, false));
    EXPECT_EQ(Left(5), (V{100, 200, 300, 0, 0}));
    EXPECT_FALSE(MixerChannelBusy(0));

    ASSERT_TRUE(MixerPlay(31, &a, true));
    EXPECT_EQ(Left(7), (V{100, 200, 300, 100, 200, 300, 100}));
    EXPECT_TRUE(MixerChannelBusy(31));

    // Channel 1 is busy with b when a arrives: b stops, a starts at its top,
    // and the loop on 31 runs on beneath.
    ASSERT_TRUE(MixerPlay(1, &b, false));
    EXPECT_EQ(Left(1), (V{200 + 7}));
    ASSERT_TRUE(MixerPlay(1, &a, false));
    EXPECT_EQ(Left(4), (V{300 + 100, 100 + 200, 200 + 300, 300}));
    EXPECT_FALSE(MixerPlay(32, &a, false));
    EXPECT_FALSE(MixerPlay(-1, &a, false));

    MixerHaltSound(&a);
    EXPECT_EQ(Left(2), (V{0, 0}));

    // Full scale both ways, never wrapping.
    const MixerSound loud = Ramp({30000, -30000, 20000});
    for (int c = 0; c < 4; ++c)
        MixerPlay(c, &loud, false);
    EXPECT_EQ(Left(3), (V{32767, -32768, 32767}));

    MixerPlay(0, &a, false);
    ASSERT_TRUE(MixerSetVolume(MIXER_ALL, 0));
    EXPECT_EQ(Left(1), (V{0}));
    ASSERT_TRUE(MixerSetVolume(0, 51)); // a fifth
    EXPECT_EQ(Left(2), (V{40, 60}));
    EXPECT_FALSE(MixerSetVolume(MIXER_CHANNELS, 255));
}

TEST(Mixer, EmptyLoopFallsQuiet) {
    MixerReset();
    const MixerSound empty;
    MixerPlay(5, &empty, true);
    EXPECT_EQ(Left(2), (V{0, 0}));
    EXPECT_FALSE(MixerChannelBusy(5));
}

std::vector<unsigned char> Wav(uint32_t rate, uint16_t bits, std::vector<unsigned char> data) {
    auto le = [](std::vector<unsigned char> &v, uint32_t x, int n) {
        for (int i = 0; i < n; ++i)
            v.push_back(static_cast<unsigned char>(x >> (8 * i)));
    };
    std::vector<unsigned char> w = {'R', 'I', 'F', 'F'};
    le(w, static_cast<uint32_t>(36 + data.size()), 4);
    for (char c : std::string("WAVEfmt "))
        w.push_back(static_cast<unsigned char>(c));
    le(w, 16, 4);
    le(w, 1, 2); // PCM, mono
    le(w, 1, 2);
    le(w, rate, 4);
    le(w, rate * bits / 8, 4);
    le(w, bits / 8, 2);
    le(w, bits, 2);
    for (char c : std::string("data"))
        w.push_back(static_cast<unsigned char>(c));
    le(w, static_cast<uint32_t>(data.size()), 4);
    w.insert(w.end(), data.begin(), data.end());
    return w;
}

TEST(Mixer, FilesDecodeToStereoAtTheMixingRateWithinAMinute) {
    // 16-bit mono at half the rate: twice the frames, midway values between.
    MixerSound s;
    auto w = Wav(22050, 16, {0x00, 0x00, 0xE8, 0x03}); // 0, 1000
    ASSERT_TRUE(MixerDecodeWav(w.data(), w.size(), 44100, &s));
    EXPECT_EQ(s.samples, (std::vector<int16_t>{0, 0, 500, 500, 1000, 1000, 1000, 1000}));
    // 8-bit: unsigned around 128.
    w = Wav(44100, 8, {128, 255, 0});
    ASSERT_TRUE(MixerDecodeWav(w.data(), w.size(), 44100, &s));
    EXPECT_EQ(s.samples, (std::vector<int16_t>{0, 0, 32512, 32512, -32768, -32768}));

    // 88 KB claiming 1 Hz would be hours at the mixing rate: refused.
    w = Wav(1, 16, std::vector<unsigned char>(88000, 0));
    EXPECT_FALSE(MixerDecodeWav(w.data(), w.size(), 44100, &s));
    w.resize(30);
    EXPECT_FALSE(MixerDecodeWav(w.data(), w.size(), 44100, &s));

    // The shipped soundtrack is one run of 44.1 kHz stereo frames; four of it
    // back to back are more than a minute.
    std::ifstream in(VK_SOURCE_DIR "/assets/sea.mp3", std::ios::binary);
    std::vector<unsigned char> mp3{std::istreambuf_iterator<char>(in), {}};
    Mp3Stream stream;
    ASSERT_TRUE(MixerFindMp3(mp3.data(), mp3.size(), &stream));
    EXPECT_EQ(stream.rate, 44100);
    EXPECT_EQ(stream.channels, 2);
    EXPECT_GT(stream.length, mp3.size() * 9 / 10);
    std::vector<unsigned char> four;
    for (int i = 0; i < 4; ++i)
        four.insert(four.end(), mp3.begin() + stream.offset,
                    mp3.begin() + stream.offset + stream.length);
    EXPECT_FALSE(MixerFindMp3(four.data(), four.size(), &stream));
    EXPECT_FALSE(MixerDecodeWav(mp3.data(), mp3.size(), 44100, &s));
}

} // namespace
