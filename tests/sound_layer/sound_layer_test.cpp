// The real sound layer, heard through SDL's disk audio driver: every case runs
// in a process of its own (see CMakeLists.txt), with SDL_DISKAUDIOFILE naming
// the file that receives the mixed output. Nothing is shut down at the end, as
// in the game: each case also proves that the process exits with audio open.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "sound/fsound.h"

namespace {

constexpr int RATE = 44100;

std::string ScratchPath(const std::string &name) {
    return testing::TempDir() + "vk_" + std::to_string(getpid()) + name;
}

// A mono 16-bit WAV of `frames` copies of `level`, loaded into `slot`: a flat
// signal whose every mixed sample says which cues are sounding, and how loud.
FSOUND_SAMPLE *FlatWav(int slot, const std::string &name, uint32_t frames, int16_t level,
                       uint32_t rate = RATE) {
    const std::string path = ScratchPath(name + ".wav");
    const uint32_t bytes = frames * 2; // RIFF, WAVE, fmt: PCM mono 16-bit, data
    const uint32_t header[11] = {0x46464952, 36 + bytes, 0x45564157, 0x20746d66, 16,   0x10001,
                                 rate,       rate * 2,   0x100002,   0x61746164, bytes};
    const std::vector<int16_t> samples(frames, level);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char *>(header), sizeof header)
        .write(reinterpret_cast<const char *>(samples.data()), bytes);
    return FSOUND_Sample_Load(slot, path.c_str(), 0, 0, 0);
}

// Stretches of sound in the capture (left channel, frame by frame); quiet gaps
// shorter than a twentieth of a second do not split one.
struct Stretch {
    size_t first, last; // frames, inclusive
    int peak, low;      // largest and smallest |sample|
};
struct Capture {
    size_t frames = 0;
    std::vector<Stretch> runs;
};

Capture Captured() {
    std::ifstream f(std::getenv("SDL_DISKAUDIOFILE"), std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(f)), {});
    Capture c;
    c.frames = bytes.size() / 4;
    for (size_t i = 0; i < c.frames; ++i) {
        const int v = std::abs(*reinterpret_cast<const int16_t *>(&bytes[4 * i]));
        if (v == 0)
            continue;
        if (c.runs.empty() || i - c.runs.back().last > RATE / 20)
            c.runs.push_back({i, i, v, v});
        Stretch &r = c.runs.back();
        r.last = i, r.peak = std::max(r.peak, v), r.low = std::min(r.low, v);
    }
    return c;
}

// Polls until `cues` stretches have been heard and then `seconds` more (after
// the start of the first when `fromStart`, else after the end of the last).
// The limit only ends a broken case; it measures nothing.
Capture WaitFor(size_t cues, double seconds, bool fromStart = false) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (Capture c;; c = Captured()) {
        const bool heard =
            c.runs.size() >= cues &&
            c.frames > (fromStart ? c.runs[0].first : c.runs.back().last) + size_t(seconds * RATE);
        if (heard || std::chrono::steady_clock::now() > limit)
            return c;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void OpenDevice() {
    ASSERT_NE(std::getenv("SDL_DISKAUDIOFILE"), nullptr) << "run through ctest";
    ASSERT_NE(FSOUND_Init(44100, 32, 0), 0);
    ASSERT_NE(FSOUND_SetVolume(FSOUND_ALL, 255), 0);
}

} // namespace

TEST(SoundLayer, LoopingSampleKeepsSoundingPastItsLength) {
    OpenDevice();
    FSOUND_SAMPLE *sea = FlatWav(31, "loop", RATE / 10, 8000);
    EXPECT_NE(FSOUND_Sample_SetMode(sea, FSOUND_LOOP_NORMAL), 0);
    EXPECT_EQ(FSOUND_PlaySound(31, sea), 31);
    const Stretch run = WaitFor(1, 1.05, true).runs.at(0); // ten times the 0.1 s sample
    EXPECT_GE(run.last, run.first + RATE);
    EXPECT_NEAR(run.low, 8000, 2);
    EXPECT_NEAR(run.peak, 8000, 2);
}

// A replay on a busy channel restarts its cue; volume 128 plays in proportion,
// 255 plays the sample as it is.
TEST(SoundLayer, ReplayRestartsAndFullVolumeIsFullScale) {
    OpenDevice();
    FSOUND_SAMPLE *jump = FlatWav(1, "jump", RATE, 10000),
                  *menu = FlatWav(3, "menu", RATE / 5, 16384);
    EXPECT_EQ(FSOUND_PlaySound(1, jump), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(FSOUND_PlaySound(1, jump), 1);
    WaitFor(1, 0.3);
    EXPECT_NE(FSOUND_SetVolume(FSOUND_ALL, 128), 0);
    EXPECT_EQ(FSOUND_PlaySound(3, menu), 3);
    WaitFor(2, 0.2);
    EXPECT_NE(FSOUND_SetVolume(3, 255), 0);
    EXPECT_EQ(FSOUND_PlaySound(3, menu), 3);
    const std::vector<Stretch> runs = WaitFor(3, 0.2).runs;
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_NEAR(runs[0].peak, 10000, 2); // overlapping copies would add up to twice the level
    EXPECT_GT(runs[0].last - runs[0].first, size_t(1.05 * RATE)); // restarted, then stopped
    EXPECT_NEAR(runs[1].peak, 16384 * 128 / 255, 82);             // within 1 %
    EXPECT_NEAR(runs[2].peak, 16384, 2);
    EXPECT_EQ(FSOUND_SetVolume(32, 255), 0);
    EXPECT_EQ(FSOUND_SetVolume(-2, 255), 0);
}

TEST(SoundLayer, MissingFilesAndNullHandlesAreHarmless) {
    OpenDevice();
    int stranger = 0; // not a handle the layer gave out
    for (const char *name : {"no-such-file.wav", static_cast<const char *>(nullptr)})
        EXPECT_EQ(FSOUND_Sample_Load(0, name, 0, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_Sample_SetMode(nullptr, FSOUND_LOOP_NORMAL), 0);
    EXPECT_EQ(FSOUND_PlaySound(0, nullptr), -1);
    EXPECT_EQ(FSOUND_PlaySound(0, reinterpret_cast<FSOUND_SAMPLE *>(&stranger)), -1);
    EXPECT_EQ(FlatWav(64, "a", 100, 1000), nullptr);
    for (int channel : {32, -5})
        EXPECT_EQ(FSOUND_PlaySound(channel, FlatWav(5, "b", 100, 1000)), -1);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(Captured().runs.empty()); // nothing above made a sound
}

// Silent MPEG-1 layer III frames at 32 kb/s, 32 kHz, mono: 36 ms of sound in
// every 144 bytes.
FSOUND_SAMPLE *SilentMp3(int slot, const std::string &name, double seconds) {
    const std::string path = ScratchPath(name + ".mp3");
    std::vector<char> frame(144, 0);
    frame[0] = char(0xFF), frame[1] = char(0xFB), frame[2] = 0x18, frame[3] = char(0xC0);
    std::ofstream file(path, std::ios::binary);
    for (int i = 0; i < int(seconds * 32000 / 1152); ++i)
        file.write(frame.data(), long(frame.size()));
    file.close();
    return FSOUND_Sample_Load(slot, path.c_str(), 0, 0, 0);
}

// The shipped sounds load; a file that is not plain, or holds (or claims) more
// than a minute of sound, loads as a missing one would.
TEST(SoundLayer, OnlyPlainFilesOfAMinuteAtMostLoad) {
    OpenDevice();
    for (const char *name : {"fall.wav", "jump.wav", "click.wav", "menu.wav", "sea.mp3"})
        EXPECT_NE(
            FSOUND_Sample_Load(0, (std::string(VK_SOURCE_DIR "/assets/") + name).c_str(), 0, 0, 0),
            nullptr)
            << name;
    EXPECT_NE(FlatWav(1, "minute", 60 * 8000, 100, 8000), nullptr);
    EXPECT_EQ(FlatWav(1, "longer", 60 * 8000 + 8, 100, 8000), nullptr);
    EXPECT_EQ(FlatWav(1, "one_hertz", 44100, 100, 1), nullptr); // 12 hours at 1 Hz
    EXPECT_NE(SilentMp3(2, "short", 59), nullptr);
    EXPECT_EQ(SilentMp3(2, "long", 61), nullptr);
    const std::string pipe = ScratchPath("pipe.wav");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string &name : {pipe, std::string("/dev/zero"), testing::TempDir()})
        EXPECT_EQ(FSOUND_Sample_Load(3, name.c_str(), 0, 0, 0), nullptr) << name;
}

// A session of the shipped sounds at the game's slots, channels and volume:
// menu moves, Up held on the first entry (a restart every frame), clock
// clicks, jumps, the fall, and the cues that can land together, all over the
// sea. Nothing may reach full scale, and each effect must stand well above
// the sea in its own window.
TEST(SoundLayer, ShippedSessionHasHeadroomAndEveryEffectCarries) {
    OpenDevice();
    const std::string dir = VK_SOURCE_DIR "/assets/";
    FSOUND_SAMPLE *fall = FSOUND_Sample_Load(0, (dir + "fall.wav").c_str(), 0, 0, 0),
                  *jump = FSOUND_Sample_Load(1, (dir + "jump.wav").c_str(), 0, 0, 0),
                  *click = FSOUND_Sample_Load(2, (dir + "click.wav").c_str(), 0, 0, 0),
                  *menu = FSOUND_Sample_Load(3, (dir + "menu.wav").c_str(), 0, 0, 0),
                  *sea = FSOUND_Sample_Load(31, (dir + "sea.mp3").c_str(), 0, 0, 0);
    ASSERT_TRUE(fall && jump && click && menu && sea);
    FSOUND_Sample_SetMode(sea, FSOUND_LOOP_NORMAL);
    FSOUND_PlaySound(31, sea);

    // Where the capture stands now: a cue played now starts at or a few
    // buffers after it (the file is written a buffer at a time).
    const auto written = [] {
        return size_t(std::filesystem::file_size(std::getenv("SDL_DISKAUDIOFILE")) / 4);
    };
    const auto at = [](double seconds) {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    };
    struct Solo {
        const char *name;
        size_t from;
        double seconds;
    };
    std::vector<Solo> solos;
    at(0.8);
    solos.push_back({"menu", written(), 0.07});
    FSOUND_PlaySound(3, menu);
    at(0.4);
    FSOUND_PlaySound(3, menu);
    at(0.4);
    for (int frame = 0; frame < 60; ++frame, at(0.016)) // Up held on entry 0
        FSOUND_PlaySound(3, menu);
    at(0.4);
    solos.push_back({"click", written(), 0.03});
    FSOUND_PlaySound(2, click);
    at(0.4);
    solos.push_back({"jump", written(), 0.2});
    FSOUND_PlaySound(1, jump);
    at(0.5);
    FSOUND_PlaySound(2, click); // a jump landing on a click
    FSOUND_PlaySound(1, jump);
    at(1.3); // the sea alone for as long as the fall lasts
    solos.push_back({"fall", written(), 1.0});
    FSOUND_PlaySound(0, fall);
    at(1.2);
    FSOUND_PlaySound(0, fall); // drowning in mid-jump as the second turns
    FSOUND_PlaySound(1, jump);
    FSOUND_PlaySound(2, click);
    at(1.2);

    std::ifstream f(std::getenv("SDL_DISKAUDIOFILE"), std::ios::binary);
    std::vector<int16_t> pcm(written() * 2);
    f.read(reinterpret_cast<char *>(pcm.data()), std::streamsize(pcm.size() * 2));
    int peak = 0, atFullScale = 0;
    std::vector<double> energy(1, 0.0); // running sum of both channels' squares, per frame
    for (size_t i = 0; i + 1 < pcm.size(); i += 2) {
        for (int v : {int(pcm[i]), int(pcm[i + 1])}) {
            peak = std::max(peak, std::abs(v));
            atFullScale += std::abs(v) >= 32767;
        }
        energy.push_back(energy.back() + double(pcm[i]) * pcm[i] + double(pcm[i + 1]) * pcm[i + 1]);
    }
    const double peakDb = 20 * std::log10(std::max(peak, 1) / 32768.0);
    std::printf("peak %.2f dBFS, %d samples at full scale\n", peakDb, atFullScale);
    EXPECT_EQ(atFullScale, 0);

    for (const Solo &s : solos) {
        // The sea alone just before the cue, against the loudest stretch of
        // the same length where the cue can have started.
        const size_t n = size_t(s.seconds * RATE), slack = 8192;
        ASSERT_LT(s.from + slack + n, energy.size());
        ASSERT_GT(s.from, n);
        const double seaAlone = energy[s.from] - energy[s.from - n];
        double loudest = 0;
        for (size_t i = s.from; i < s.from + slack; ++i)
            loudest = std::max(loudest, energy[i + n] - energy[i]);
        const double overSea = 10 * std::log10(std::max(loudest - seaAlone, 1.0) / seaAlone);
        std::printf("%-5s %.1f dB over the sea\n", s.name, overSea);
        EXPECT_GE(overSea, 6.0) << s.name;
    }
}

TEST(SoundLayerWithoutDevice, EveryCallIsAQuietNoOp) {
    // Run with an audio driver that does not exist.
    EXPECT_EQ(FSOUND_Init(44100, 32, 0), 0);
    EXPECT_EQ(FSOUND_SetVolume(FSOUND_ALL, 255), 0);
    FSOUND_SAMPLE *sea = FSOUND_Sample_Load(31, VK_SOURCE_DIR "/assets/sea.mp3", 0, 0, 0);
    EXPECT_EQ(sea, nullptr);
    EXPECT_EQ(FSOUND_Sample_SetMode(sea, FSOUND_LOOP_NORMAL), 0);
    for (int channel = -4; channel < 36; ++channel)
        EXPECT_EQ(FSOUND_PlaySound(channel, sea), -1);
}
