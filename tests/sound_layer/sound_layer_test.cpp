// The real sound layer, heard through SDL's disk audio driver: every case runs
// in a process of its own (see CMakeLists.txt), with SDL_DISKAUDIOFILE naming
// the file that receives the mixed output. Nothing is shut down at the end, as
// in the game: each case also proves that the process exits with audio open.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "sound/fsound.h"

namespace {

constexpr int RATE = 44100;
const std::string ASSETS = VK_SOURCE_DIR "/assets/";

// A mono 16-bit WAV of `frames` copies of `level`: a flat signal whose every
// mixed sample says which cues are sounding, and how loud.
std::string FlatWav(const std::string &name, uint32_t frames, int16_t level) {
    const std::string path = testing::TempDir() + "vk_" + std::to_string(getpid()) + name + ".wav";
    const uint32_t bytes = frames * 2;
    // "RIFF", size, "WAVE", "fmt ", 16, PCM mono, rate, byte rate, 16-bit frames, "data", size.
    const uint32_t header[11] = {0x46464952, 36 + bytes, 0x45564157, 0x20746d66, 16,   0x10001,
                                 RATE,       RATE * 2,   0x100002,   0x61746164, bytes};
    const std::vector<int16_t> samples(frames, level);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char *>(header), sizeof header)
        .write(reinterpret_cast<const char *>(samples.data()), bytes);
    return path;
}

// Everything the device has written so far: left and right, frame by frame.
std::vector<int16_t> Captured() {
    std::ifstream f(std::getenv("SDL_DISKAUDIOFILE"), std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(f)), {});
    std::vector<int16_t> samples(bytes.size() / 4 * 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

// A stretch of sound; quiet gaps shorter than a twentieth of a second do not split it.
struct Stretch {
    size_t first, last; // frames, inclusive
    int peak;           // largest |sample| on either side
    bool sidesAgree;    // left == right throughout
};

std::vector<Stretch> Stretches(const std::vector<int16_t> &s) {
    std::vector<Stretch> runs;
    for (size_t i = 0; i < s.size() / 2; ++i) {
        const int peak = std::max(std::abs(s[2 * i]), std::abs(s[2 * i + 1]));
        if (peak == 0)
            continue;
        if (runs.empty() || i - runs.back().last > RATE / 20)
            runs.push_back({i, i, 0, true});
        runs.back().last = i;
        runs.back().peak = std::max(runs.back().peak, peak);
        runs.back().sidesAgree = runs.back().sidesAgree && s[2 * i] == s[2 * i + 1];
    }
    return runs;
}

// Polls the capture until `cues` stretches have been heard and then `seconds`
// more (after the start of the first when `fromStart`, else after the end of
// the last). The disk driver writes at about the speed of playback or slower,
// so the limit only ends a broken case; it measures nothing.
std::vector<int16_t> WaitFor(size_t cues, double seconds, bool fromStart = false) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
        const std::vector<int16_t> s = Captured();
        const std::vector<Stretch> runs = Stretches(s);
        const bool heard =
            runs.size() >= cues &&
            s.size() / 2 > (fromStart ? runs[0].first : runs.back().last) + size_t(seconds * RATE);
        if (heard || std::chrono::steady_clock::now() > limit)
            return s;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void OpenDevice() {
    ASSERT_NE(std::getenv("SDL_DISKAUDIOFILE"), nullptr) << "run through ctest";
    ASSERT_GE(FSOUND_GetVersion(), 3.75f);
    ASSERT_NE(FSOUND_Init(44100, 32, 0), 0);
    ASSERT_NE(FSOUND_SetVolume(FSOUND_ALL, 255), 0);
}

} // namespace

TEST(SoundLayer, LoopingSampleKeepsSoundingPastItsLength) {
    OpenDevice();
    FSOUND_SAMPLE *sea = FSOUND_Sample_Load(31, FlatWav("loop", RATE / 10, 8000).c_str(), 0, 0, 0);
    ASSERT_NE(sea, nullptr);
    EXPECT_NE(FSOUND_Sample_SetMode(sea, FSOUND_LOOP_NORMAL), 0);
    EXPECT_EQ(FSOUND_PlaySound(31, sea), 31);
    const std::vector<int16_t> s = WaitFor(1, 1.0, true);
    const std::vector<Stretch> runs = Stretches(s);
    ASSERT_FALSE(runs.empty());
    ASSERT_GE(s.size(), 2 * (runs[0].first + RATE));
    // Ten times the 0.1 s sample, without a break, at its level (SDL's format
    // conversion may round the odd sample by one step).
    for (size_t i = 2 * runs[0].first; i < 2 * (runs[0].first + RATE); ++i)
        ASSERT_NEAR(s[i], 8000, 2) << "frame " << i / 2 - runs[0].first;
}

TEST(SoundLayer, ReplayOnTheSameChannelRestartsTheCue) {
    OpenDevice();
    FSOUND_SAMPLE *jump = FSOUND_Sample_Load(1, FlatWav("jump", RATE, 10000).c_str(), 0, 0, 0);
    ASSERT_NE(jump, nullptr);
    EXPECT_EQ(FSOUND_PlaySound(1, jump), 1);
    WaitFor(1, 0.1, true);
    EXPECT_EQ(FSOUND_PlaySound(1, jump), 1);
    const std::vector<int16_t> s = WaitFor(1, 0.5);
    const std::vector<Stretch> runs = Stretches(s);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_NEAR(runs[0].peak, 10000, 2); // overlapping copies would add up to twice the level
    EXPECT_TRUE(runs[0].sidesAgree);
    // Restarted at least 0.1 s in, so it outlasts one playing, and then it
    // stops: a sample that plays once does not loop.
    EXPECT_GT(runs[0].last - runs[0].first, size_t(1.05 * RATE));
    EXPECT_GT(s.size() / 2, runs[0].last + RATE / 2);
}

TEST(SoundLayer, FullVolumeIsFullScale) {
    OpenDevice();
    FSOUND_SAMPLE *menu = FSOUND_Sample_Load(3, FlatWav("menu", RATE / 5, 16384).c_str(), 0, 0, 0);
    ASSERT_NE(menu, nullptr);
    EXPECT_NE(FSOUND_SetVolume(FSOUND_ALL, 128), 0);
    EXPECT_EQ(FSOUND_PlaySound(3, menu), 3);
    WaitFor(1, 0.2);
    EXPECT_NE(FSOUND_SetVolume(3, 255), 0);
    EXPECT_EQ(FSOUND_PlaySound(3, menu), 3);
    const std::vector<Stretch> runs = Stretches(WaitFor(2, 0.2));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_NEAR(runs[0].peak, 16384 * 128 / 255, 82); // in proportion, within 1 %
    EXPECT_NEAR(runs[1].peak, 16384, 2);              // 255: the sample as it is
    EXPECT_NEAR(runs[1].last - runs[1].first, RATE / 5, RATE / 100);
    // Out of range values are clamped or refused, never passed on.
    EXPECT_NE(FSOUND_SetVolume(3, 1000), 0);
    EXPECT_EQ(FSOUND_SetVolume(32, 255), 0);
    EXPECT_EQ(FSOUND_SetVolume(-2, 255), 0);
}

TEST(SoundLayer, MissingFilesAndNullHandlesAreHarmless) {
    OpenDevice();
    const std::string notSound = testing::TempDir() + "vk_not_sound.wav";
    std::ofstream(notSound) << "not a sound at all";
    for (const char *name :
         {"no-such-file.wav", static_cast<const char *>(nullptr), notSound.c_str()})
        EXPECT_EQ(FSOUND_Sample_Load(0, name, 0, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_Sample_SetMode(nullptr, FSOUND_LOOP_NORMAL), 0);
    EXPECT_EQ(FSOUND_PlaySound(0, nullptr), -1);
    int stranger = 0; // not a handle the layer gave out
    EXPECT_EQ(FSOUND_PlaySound(0, reinterpret_cast<FSOUND_SAMPLE *>(&stranger)), -1);

    // Slots: a reload replaces in place; a failed one keeps what was there.
    const std::string a = FlatWav("a", 100, 1000);
    FSOUND_SAMPLE *first = FSOUND_Sample_Load(5, a.c_str(), 0, 0, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(FSOUND_Sample_Load(5, FlatWav("b", 100, 2000).c_str(), 0, 0, 0), first);
    EXPECT_EQ(FSOUND_Sample_Load(5, "no-such-file.wav", 0, 0, 0), nullptr);
    EXPECT_NE(FSOUND_Sample_SetMode(first, FSOUND_LOOP_OFF), 0);
    for (int slot : {64, -7})
        EXPECT_EQ(FSOUND_Sample_Load(slot, a.c_str(), 0, 0, 0), nullptr);
    for (int channel : {32, -5})
        EXPECT_EQ(FSOUND_PlaySound(channel, first), -1);

    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(Stretches(Captured()).empty()); // nothing above made a sound

    for (const char *name : {"fall.wav", "jump.wav", "click.wav", "menu.wav", "sea.mp3"})
        EXPECT_NE(FSOUND_Sample_Load(10, (ASSETS + name).c_str(), 0, 0, 0), nullptr) << name;
}

TEST(SoundLayerWithoutDevice, EveryCallIsAQuietNoOp) {
    // Run with an audio driver that does not exist.
    EXPECT_GE(FSOUND_GetVersion(), 3.75f);
    EXPECT_EQ(FSOUND_Init(44100, 32, 0), 0);
    EXPECT_EQ(FSOUND_Init(44100, 32, 0), 0);
    EXPECT_EQ(FSOUND_SetVolume(FSOUND_ALL, 255), 0);
    FSOUND_SAMPLE *sea = FSOUND_Sample_Load(31, (ASSETS + "sea.mp3").c_str(), 0, 0, 0);
    EXPECT_EQ(sea, nullptr);
    EXPECT_EQ(FSOUND_Sample_Load(1, (ASSETS + "jump.wav").c_str(), 0, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_Sample_SetMode(sea, FSOUND_LOOP_NORMAL), 0);
    for (int channel = -4; channel < 36; ++channel)
        EXPECT_EQ(FSOUND_PlaySound(channel, sea), -1);
}
