// The real sound layer, heard through SDL's disk audio driver: every case runs
// in a process of its own (see CMakeLists.txt), with SDL_DISKAUDIOFILE naming
// the file that receives the mixed output. Nothing is shut down at the end, as
// in the game: each case also proves that the process exits with audio open.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "sound/fsound.h"

namespace {

constexpr int RATE = 44100;
constexpr int MAX_GAP = RATE / 20; // quiet frames still counted as one cue

// Writes a mono 16-bit WAV holding `frames` copies of `level`: a flat signal
// whose every mixed sample says which cues are sounding, and how loud.
std::string WriteFlatWav(const std::string &name, int frames, int16_t level) {
    const std::string path =
        testing::TempDir() + "vk_" + std::to_string(getpid()) + "_" + name + ".wav";
    std::ofstream f(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { f.write(reinterpret_cast<const char *>(&v), 4); };
    auto u16 = [&](uint16_t v) { f.write(reinterpret_cast<const char *>(&v), 2); };
    const uint32_t bytes = static_cast<uint32_t>(frames) * 2;
    f.write("RIFF", 4);
    u32(36 + bytes);
    f.write("WAVEfmt ", 8);
    u32(16);
    u16(1); // PCM
    u16(1); // mono
    u32(RATE);
    u32(RATE * 2);
    u16(2);
    u16(16);
    f.write("data", 4);
    u32(bytes);
    for (int i = 0; i < frames; ++i)
        f.write(reinterpret_cast<const char *>(&level), 2);
    return path;
}

struct Frame {
    int16_t left, right;
};

// Everything the device has written so far.
std::vector<Frame> Captured() {
    const char *path = std::getenv("SDL_DISKAUDIOFILE");
    std::vector<Frame> frames;
    if (path == nullptr)
        return frames;
    std::ifstream f(path, std::ios::binary);
    Frame fr;
    while (f.read(reinterpret_cast<char *>(&fr), sizeof fr))
        frames.push_back(fr);
    return frames;
}

// A stretch of sound: quiet gaps shorter than MAX_GAP do not split it.
struct Stretch {
    size_t first = 0, last = 0; // frame indices, inclusive
    int peak = 0;               // largest |sample| on either side
    bool sidesAgree = true;     // left == right throughout
    double Seconds() const { return double(last - first + 1) / RATE; }
};

std::vector<Stretch> Stretches(const std::vector<Frame> &frames) {
    std::vector<Stretch> runs;
    for (size_t i = 0; i < frames.size(); ++i) {
        const Frame &f = frames[i];
        if (f.left == 0 && f.right == 0)
            continue;
        if (runs.empty() || i - runs.back().last > size_t(MAX_GAP))
            runs.push_back(Stretch{i, i, 0, true});
        Stretch &r = runs.back();
        r.last = i;
        r.peak = std::max({r.peak, std::abs(int(f.left)), std::abs(int(f.right))});
        r.sidesAgree = r.sidesAgree && f.left == f.right;
    }
    return runs;
}

// Polls the capture until `done` holds for it. The disk driver writes at
// about the speed of playback, or slower on a busy machine, so the limit is
// only there to end a broken case, never a measure of speed.
std::vector<Frame> WaitForCapture(const std::function<bool(const std::vector<Frame> &)> &done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::vector<Frame> frames = Captured();
    while (!done(frames) && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        frames = Captured();
    }
    return frames;
}

// True once the capture holds the start of a cue and `seconds` more after it.
auto HeardFor(double seconds) {
    return [seconds](const std::vector<Frame> &frames) {
        const std::vector<Stretch> runs = Stretches(frames);
        return !runs.empty() && frames.size() > runs[0].first + size_t(seconds * RATE);
    };
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
    FSOUND_SAMPLE *sea =
        FSOUND_Sample_Load(31, WriteFlatWav("loop", RATE / 10, 8000).c_str(), 0, 0, 0); // 0.1 s
    ASSERT_NE(sea, nullptr);
    EXPECT_NE(FSOUND_Sample_SetMode(sea, FSOUND_LOOP_NORMAL), 0);
    EXPECT_EQ(FSOUND_PlaySound(31, sea), 31);

    const std::vector<Frame> frames = WaitForCapture(HeardFor(1.0));
    const std::vector<Stretch> runs = Stretches(frames);
    ASSERT_FALSE(runs.empty());
    // Ten times the sample's length, without a break, at the sample's level
    // (SDL's format conversion may round the odd sample by one step).
    for (size_t i = runs[0].first; i < runs[0].first + RATE; ++i) {
        ASSERT_NEAR(frames[i].left, 8000, 2) << "frame " << i - runs[0].first;
        ASSERT_NEAR(frames[i].right, 8000, 2) << "frame " << i - runs[0].first;
    }
    // The loop is left playing: the process must still end cleanly.
}

TEST(SoundLayer, ReplayOnTheSameChannelRestartsTheCue) {
    OpenDevice();
    FSOUND_SAMPLE *jump =
        FSOUND_Sample_Load(1, WriteFlatWav("jump", RATE, 10000).c_str(), 0, 0, 0); // 1 s, once
    ASSERT_NE(jump, nullptr);
    EXPECT_EQ(FSOUND_PlaySound(1, jump), 1);
    WaitForCapture(HeardFor(0.1));
    EXPECT_EQ(FSOUND_PlaySound(1, jump), 1);

    // Wait until the cue is over and silence follows it.
    const std::vector<Frame> frames = WaitForCapture([](const std::vector<Frame> &f) {
        const std::vector<Stretch> runs = Stretches(f);
        return !runs.empty() && f.size() > runs.back().last + size_t(RATE / 2);
    });
    const std::vector<Stretch> runs = Stretches(frames);
    ASSERT_EQ(runs.size(), 1u);
    // Overlapping copies would add up to twice the level.
    EXPECT_NEAR(runs[0].peak, 10000, 2);
    EXPECT_TRUE(runs[0].sidesAgree);
    // Restarted at least 0.1 s in, so it outlasts one playing; and then it
    // stops, as a sample that plays once does not loop.
    EXPECT_GT(runs[0].Seconds(), 1.05);
    EXPECT_GT(frames.size(), runs[0].last + RATE / 2);
}

TEST(SoundLayer, FullVolumeIsFullScale) {
    OpenDevice();
    FSOUND_SAMPLE *menu =
        FSOUND_Sample_Load(3, WriteFlatWav("menu", RATE / 5, 16384).c_str(), 0, 0, 0);
    ASSERT_NE(menu, nullptr);
    auto playAndWait = [&](size_t cueCount) {
        EXPECT_EQ(FSOUND_PlaySound(3, menu), 3);
        return WaitForCapture([cueCount](const std::vector<Frame> &f) {
            const std::vector<Stretch> runs = Stretches(f);
            return runs.size() == cueCount && f.size() > runs.back().last + size_t(RATE / 5);
        });
    };
    EXPECT_NE(FSOUND_SetVolume(FSOUND_ALL, 128), 0);
    playAndWait(1);
    EXPECT_NE(FSOUND_SetVolume(3, 255), 0);
    const std::vector<Stretch> runs = Stretches(playAndWait(2));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_NEAR(runs[0].peak, 16384 * 128 / 255, 82); // in proportion, within 1 %
    EXPECT_NEAR(runs[1].peak, 16384, 2);              // 255: the sample as it is
    EXPECT_NEAR(runs[1].Seconds(), 0.2, 0.01);
    // Out of range values are clamped or refused, never passed on.
    EXPECT_NE(FSOUND_SetVolume(3, 1000), 0);
    EXPECT_EQ(FSOUND_SetVolume(32, 255), 0);
    EXPECT_EQ(FSOUND_SetVolume(-2, 255), 0);
}

TEST(SoundLayer, MissingFilesAndNullHandlesAreHarmless) {
    OpenDevice();
    EXPECT_EQ(FSOUND_Sample_Load(0, "no-such-file.wav", 0, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_Sample_Load(0, nullptr, 0, 0, 0), nullptr);
    const std::string notSound = WriteFlatWav("garbage", 10, 1);
    std::ofstream(notSound, std::ios::binary | std::ios::trunc) << "not a sound at all";
    EXPECT_EQ(FSOUND_Sample_Load(0, notSound.c_str(), 0, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_Sample_SetMode(nullptr, FSOUND_LOOP_NORMAL), 0);
    EXPECT_EQ(FSOUND_PlaySound(0, nullptr), -1);
    int stranger = 0; // not a handle the layer gave out
    EXPECT_EQ(FSOUND_PlaySound(0, reinterpret_cast<FSOUND_SAMPLE *>(&stranger)), -1);

    // Slots: a reload replaces in place; a failed one keeps what was there.
    const std::string a = WriteFlatWav("a", 100, 1000), b = WriteFlatWav("b", 100, 2000);
    FSOUND_SAMPLE *first = FSOUND_Sample_Load(5, a.c_str(), 0, 0, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(FSOUND_Sample_Load(5, b.c_str(), 0, 0, 0), first);
    EXPECT_EQ(FSOUND_Sample_Load(5, "no-such-file.wav", 0, 0, 0), nullptr);
    EXPECT_NE(FSOUND_Sample_SetMode(first, FSOUND_LOOP_OFF), 0);
    EXPECT_EQ(FSOUND_Sample_Load(64, a.c_str(), 0, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_Sample_Load(-7, a.c_str(), 0, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_PlaySound(32, first), -1);
    EXPECT_EQ(FSOUND_PlaySound(-5, first), -1);

    // Nothing above made a sound.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(Stretches(Captured()).empty());

    // The game's own files, WAV and MP3 alike, all decode.
    const std::string assets = VK_SOURCE_DIR "/assets/";
    for (const char *name : {"fall.wav", "jump.wav", "click.wav", "menu.wav", "sea.mp3"})
        EXPECT_NE(FSOUND_Sample_Load(10, (assets + name).c_str(), 0, 0, 0), nullptr) << name;
}

TEST(SoundLayerWithoutDevice, EveryCallIsAQuietNoOp) {
    // Stretch with an audio driver that does not exist.
    EXPECT_GE(FSOUND_GetVersion(), 3.75f);
    EXPECT_EQ(FSOUND_Init(44100, 32, 0), 0);
    EXPECT_EQ(FSOUND_Init(44100, 32, 0), 0);
    EXPECT_EQ(FSOUND_SetVolume(FSOUND_ALL, 255), 0);
    const std::string assets = VK_SOURCE_DIR "/assets/";
    FSOUND_SAMPLE *sea = FSOUND_Sample_Load(31, (assets + "sea.mp3").c_str(), 0, 0, 0);
    FSOUND_SAMPLE *jump = FSOUND_Sample_Load(1, (assets + "jump.wav").c_str(), 0, 0, 0);
    EXPECT_EQ(sea, nullptr);
    EXPECT_EQ(jump, nullptr);
    EXPECT_EQ(FSOUND_Sample_SetMode(sea, FSOUND_LOOP_NORMAL), 0);
    for (int i = 0; i < 1000; ++i) {
        EXPECT_EQ(FSOUND_PlaySound(31, sea), -1);
        EXPECT_EQ(FSOUND_PlaySound(i % 40 - 4, jump), -1);
    }
}
