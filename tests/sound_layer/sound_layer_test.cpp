// The sound layers. What both share (the limits on a sound file) and the
// Windows layer's mixer and WAV decoding, sample by sample; then the real
// Linux layer, heard through SDL's disk audio driver: each SoundLayer case
// runs in a process of its own (see CMakeLists.txt), with SDL_DISKAUDIOFILE
// naming the file that receives the mixed output. Nothing is shut down at the
// end, as in the game.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

#include "sound/fsound.h"
#include "sound/mixer_core.h"

namespace {

constexpr int RATE = 44100;
constexpr size_t SLACK = 8192; // frames from a call to its sound in the capture, at most
const std::string SCRATCH = testing::TempDir() + "vk_sound_" + std::to_string(getpid());
using V = std::vector<int>;

// The left samples of the next `frames` frames of the mix.
V Left(size_t frames) {
    std::vector<int16_t> out(2 * frames, 12345);
    MixerRender(out.data(), frames);
    V left;
    for (size_t i = 0; i < frames; ++i)
        left.push_back(out[2 * i]);
    return left;
}

// A mono 16-bit WAV file: RIFF, WAVE, fmt (PCM), data.
std::vector<unsigned char> Wav(uint32_t rate, const std::vector<int16_t> &samples) {
    const uint32_t bytes = static_cast<uint32_t>(2 * samples.size());
    const uint32_t header[11] = {0x46464952, 36 + bytes, 0x45564157, 0x20746d66, 16,   0x10001,
                                 rate,       rate * 2,   0x100002,   0x61746164, bytes};
    std::vector<unsigned char> w(sizeof header + bytes);
    std::memcpy(w.data(), header, sizeof header);
    std::memcpy(w.data() + sizeof header, samples.data(), bytes);
    return w;
}

// Such a file of `frames` copies of `level`, loaded into `slot`: a flat signal
// whose every mixed sample says which cues are sounding, and how loud.
FSOUND_SAMPLE *FlatWav(int slot, uint32_t frames, int16_t level, uint32_t rate = RATE) {
    const std::vector<unsigned char> w = Wav(rate, std::vector<int16_t>(frames, level));
    std::ofstream(SCRATCH, std::ios::binary)
        .write(reinterpret_cast<const char *>(w.data()), std::streamsize(w.size()));
    return FSOUND_Sample_Load(slot, SCRATCH.c_str(), 0, 0, 0);
}

size_t FramesWritten() {
    return size_t(std::filesystem::file_size(std::getenv("SDL_DISKAUDIOFILE")) / 4);
}

// Waits until the capture holds `frames` frames (the limit only ends a broken
// case); how many it holds.
size_t WaitForFrames(size_t frames) {
    for (int i = 0; i < 1000 && FramesWritten() < frames; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return FramesWritten();
}

FSOUND_SAMPLE *cue[32]; // what each channel plays

// Waits until the capture has grown by `seconds` since the last play, then
// plays each channel's cue; where the capture stood then (the cues are heard
// there or a few buffers later). Waiting on the capture rather than the clock
// keeps a busy machine from crowding the cues together.
size_t PlayAfter(double seconds, std::initializer_list<int> channels) {
    static size_t at = 0;
    at = WaitForFrames(at + size_t(seconds * RATE));
    for (int c : channels)
        FSOUND_PlaySound(c, cue[c]);
    return at;
}

// The capture (interleaved stereo) up to `frames` frames, once it holds them.
std::vector<int16_t> HeardUpTo(size_t frames) {
    WaitForFrames(frames);
    std::vector<int16_t> pcm(2 * frames);
    std::ifstream(std::getenv("SDL_DISKAUDIOFILE"), std::ios::binary)
        .read(reinterpret_cast<char *>(pcm.data()), std::streamsize(2 * pcm.size()));
    return pcm;
}

// The smallest and the largest sample of frames [from, to) of a capture, to
// the nearest ten (conversion may round a sample by one).
std::pair<int, int> Span(const std::vector<int16_t> &pcm, size_t from, size_t to) {
    const auto [low, high] = std::minmax_element(pcm.begin() + 2 * from, pcm.begin() + 2 * to);
    return {(*low + 5) / 10 * 10, (*high + 5) / 10 * 10};
}

} // namespace

// A cue played once ends in silence, a looping one starts over, a replay on a
// busy channel starts from the top, an empty looping sound falls quiet rather
// than spinning, volumes scale and the sum clamps at full scale.
TEST(Mixer, PlaysOnceLoopsRestartsScalesAndClamps) {
    MixerReset();
    const MixerSound a{{100, -100, 200, -200, 300, -300}}, empty;
    MixerPlay(0, &a, false);
    MixerPlay(31, &a, true);
    MixerPlay(5, &empty, true);
    EXPECT_EQ(Left(7), (V{200, 400, 600, 100, 200, 300, 100}));
    MixerPlay(1, &a, false);
    EXPECT_EQ(Left(1), (V{200 + 100}));
    MixerPlay(1, &a, false);
    EXPECT_EQ(Left(4), (V{300 + 100, 100 + 200, 200 + 300, 300}));

    MixerHaltSound(&a); // as when its slot is loaded again
    const MixerSound loud{{30000, 0, -30000, 0, 20000, 0}};
    for (int c = 0; c < 4; ++c)
        MixerPlay(c, &loud, false);
    EXPECT_EQ(Left(4), (V{32767, -32768, 32767, 0}));
    MixerSetVolume(MIXER_ALL, 51); // a fifth
    MixerPlay(0, &a, false);
    EXPECT_EQ(Left(2), (V{20, 40}));
}

// A WAV file becomes stereo at the mixing rate. What loads is a plain file of
// at most 16 MB holding at most a minute of sound, measured at the file's own
// rate, or frame by frame for an MP3 file.
TEST(Mixer, FilesWithinTheLimitsDecodeAtTheMixingRate) {
    MixerSound s; // half the rate: twice the frames, midway values between
    std::vector<unsigned char> w = Wav(22050, {0, 1000});
    ASSERT_TRUE(MixerDecodeWav(w.data(), w.size(), RATE, &s));
    EXPECT_EQ(s.samples, (std::vector<int16_t>{0, 0, 500, 500, 1000, 1000, 1000, 1000}));
    w = Wav(1, std::vector<int16_t>(44000)); // hours at the mixing rate
    EXPECT_FALSE(MixerDecodeWav(w.data(), w.size(), RATE, &s));

    // The soundtrack is one run of 44.1 kHz stereo frames; four of it back to
    // back are more than a minute.
    const std::vector<unsigned char> mp3 = ReadSoundFile(VORTA_SOURCE_DIR "/assets/sea.mp3");
    Mp3Stream sea;
    ASSERT_TRUE(MixerFindMp3(mp3.data(), mp3.size(), &sea));
    EXPECT_EQ(std::pair(sea.rate, sea.channels), std::pair(RATE, 2));
    EXPECT_GT(sea.length, mp3.size() * 9 / 10);
    std::vector<unsigned char> four;
    for (int i = 0; i < 4; ++i)
        four.insert(four.end(), mp3.begin() + sea.offset, mp3.begin() + sea.offset + sea.length);
    EXPECT_FALSE(MixerFindMp3(four.data(), four.size(), &sea));

    std::ofstream(SCRATCH).close(); // 16 MB, then a byte more
    std::filesystem::resize_file(SCRATCH, 16 << 20);
    EXPECT_EQ(ReadSoundFile(SCRATCH.c_str()).size(), 16u << 20);
    std::filesystem::resize_file(SCRATCH, (16 << 20) + 1);
    EXPECT_TRUE(ReadSoundFile(SCRATCH.c_str()).empty());
    std::filesystem::remove(SCRATCH);
}

// The real layer. A minute of WAV sound loads, a moment more does not, nor a
// file claiming 1 Hz, nor a slot past the last; a missing file plays nothing.
// A looping sample sounds until its slot is loaded again; a replay on a busy
// channel restarts its cue; full volume is the sample as it is. Then a session
// of the shipped sounds at the game's slots, channels and volume: menu moves,
// Up held on the first entry (a restart every frame), clock clicks, jumps, the
// fall, and the cues that can land together, all over the sea. Nothing may
// reach full scale, the sea must be heard, and each effect must stand well
// above it in its own window.
TEST(SoundLayer, PlaysWhatTheGameAsksWithinTheLimits) {
    ASSERT_NE(FSOUND_Init(RATE, 32, 0), 0);
    FSOUND_SetVolume(FSOUND_ALL, 255);
    EXPECT_NE(FlatWav(2, 60 * 8000, 100, 8000), nullptr);
    EXPECT_EQ(FlatWav(2, 60 * 8000 + 8, 100, 8000), nullptr);
    EXPECT_EQ(FlatWav(2, RATE, 100, 1), nullptr);
    EXPECT_EQ(FlatWav(64, 10, 100), nullptr);
    EXPECT_EQ(FSOUND_PlaySound(0, FSOUND_Sample_Load(0, "no-such-file.wav", 0, 0, 0)), -1);

    cue[31] = FlatWav(31, RATE / 10, 8000);
    FSOUND_Sample_SetMode(cue[31], FSOUND_LOOP_NORMAL);
    const size_t looped = PlayAfter(0, {31}), reloaded = PlayAfter(1.2, {});
    FlatWav(31, 10, 0);
    cue[1] = FlatWav(1, RATE, 10000);
    FSOUND_SetVolume(FSOUND_ALL, 128);
    const size_t played = PlayAfter(0.4, {1}), replayed = PlayAfter(0.4, {1});
    std::vector<int16_t> pcm = HeardUpTo(replayed + RATE + 2 * SLACK);
    EXPECT_EQ(Span(pcm, looped + SLACK, reloaded), (std::pair{8000, 8000}));
    EXPECT_EQ(Span(pcm, reloaded + SLACK, played), (std::pair{0, 0}));
    EXPECT_EQ(Span(pcm, played + SLACK, replayed + RATE), (std::pair{5000, 5000})); // one copy
    EXPECT_EQ(Span(pcm, replayed + RATE + SLACK, replayed + RATE + 2 * SLACK), (std::pair{0, 0}));

    const char *const names[] = {"fall.wav", "jump.wav", "click.wav", "menu.wav", "sea.mp3"};
    for (int c : {0, 1, 2, 3, 31}) {
        const std::string path = VORTA_SOURCE_DIR "/assets/" + std::string(names[std::min(c, 4)]);
        ASSERT_NE(cue[c] = FSOUND_Sample_Load(c, path.c_str(), 0, 0, 0), nullptr) << path;
    }
    FSOUND_Sample_SetMode(cue[31], FSOUND_LOOP_NORMAL);
    FSOUND_SetVolume(FSOUND_ALL, 255);
    PlayAfter(0, {31});
    const size_t menu = PlayAfter(0.8, {3}); // a move
    PlayAfter(0.4, {3});
    for (int frame = 0; frame < 60; ++frame) // Up held on entry 0
        PlayAfter(frame == 0 ? 0.4 : 0.016, {3});
    const size_t click = PlayAfter(0.4, {2}), jump = PlayAfter(0.4, {1});
    PlayAfter(0.5, {2, 1});                            // landing on a click
    const size_t fall = PlayAfter(1.3, {0});           // after the sea alone for as long
    pcm = HeardUpTo(PlayAfter(1.2, {0, 1, 2}) + RATE); // drowning in mid-jump as the second turns
    std::vector<double> energy{0};                     // running sum of squares, sample by sample
    for (int16_t v : pcm) {
        ASSERT_LT(std::abs(v), 32767) << "at sample " << energy.size();
        energy.push_back(energy.back() + double(v) * v);
    }
    for (const auto &[at, seconds] :
         {std::pair{menu, 0.07}, {click, 0.03}, {jump, 0.2}, {fall, 1.0}}) {
        // The sea alone just before the cue, against the loudest stretch of
        // the same length where the cue can have started.
        const size_t from = 2 * at, n = size_t(2 * seconds * RATE);
        // The sea alone just before the cue, against the loudest stretch of
        // the same length where the cue can have started.
        const double seaAlone = energy[from] - energy[from - n];
        double loudest = 0;
        for (size_t i = from; i < from + 2 * SLACK; ++i)
            loudest = std::max(loudest, energy[i + n] - energy[i]);
        EXPECT_GT(10 * std::log10(seaAlone / n) - 90.3, -55.0) << "sea, dBFS";
        EXPECT_GE(10 * std::log10(std::max(loudest - seaAlone, 1.0) / seaAlone), 6.0)
            << "cue at sample " << from << ", dB over the sea";
    }
}
