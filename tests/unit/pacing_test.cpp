// The window layer's clock: the tick counter in whole steps, across its wrap,
// and the pacing of presented frames, driven by a scripted clock.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/game_state.h"
#include "game/physics.h"
#include "win32/frame_pacing.h"
#include "tests/doubles/test_support.h"

namespace {

constexpr uint64_t WRAP = uint64_t{1} << 32;
constexpr int64_t MS = 1000000; // ns

// Right held on an unbroken floor for `frames` frames `frameMs` apart, the
// game time of each taken from the tick counter from `startMs` on.
double LevelXAfterFrames(uint64_t startMs, int frames, uint64_t frameMs) {
    ResetGameState();
    for (int c = 0; c < GRID_COLS; ++c)
        mapGrid[10 * GRID_COLS + c] = CELL_BLOCK;
    keys[VK_RIGHT] = BOOL_TRUE;
    const DWORD start = TickCountAt(startMs);
    for (int i = 1; i <= frames; ++i)
        StepPlayer(static_cast<int32_t>(TickCountAt(startMs + i * frameMs) - start));
    return playerX + scrollX;
}

} // namespace

TEST(TickCount, WholeStepsAcrossTheWrap) {
    EXPECT_EQ(TickCountAt(WRAP - 1), DWORD{4294967295}); // a whole tick: 2^32 - 1 = 5 x 858993459
    EXPECT_EQ(TickCountAt(WRAP + 3), DWORD{4294967295});
    EXPECT_EQ(TickCountAt(WRAP + 4), DWORD{4});
    // Two counts differ by the whole ticks between them, wrap or not.
    for (uint64_t a = WRAP - 12; a <= WRAP + 12; ++a)
        for (uint64_t d = 0; d <= 30; ++d)
            ASSERT_EQ(static_cast<DWORD>(TickCountAt(a + d) - TickCountAt(a)),
                      (a + d) / 5 * 5 - a / 5 * 5)
                << a << " + " << d;
    // So frames of any length lose no physics step: 3 ms frames, 9 ms frames
    // and one single frame over the same 3 s (across the wrap) end alike.
    const uint64_t start = WRAP - 1501;
    const double oneFrame = LevelXAfterFrames(start, 1, 2997);
    EXPECT_GT(oneFrame, 20.0);
    EXPECT_EQ(LevelXAfterFrames(start, 999, 3), oneFrame);
    EXPECT_EQ(LevelXAfterFrames(start, 333, 9), oneFrame);
}

TEST(FramePacing, ShortFramesWaitForTheDisplayLongOnesDoNot) {
    EXPECT_EQ(RefreshPeriodNs(0), 1000000000 / 60); // rate unknown
    const int64_t period = RefreshPeriodNs(144);
    EXPECT_EQ(period, 6944444);

    // Each frame works for the given time, swaps, and begins the next when
    // the pacing says; a wait ends `late` after it should.
    int64_t now = 1000 * MS, shown = 0;
    auto frameStarts = [&](const std::vector<int64_t> &work, int64_t late) {
        std::vector<int64_t> starts;
        for (int64_t w : work) {
            now += w;
            const int64_t until = PaceFrame(&shown, now, period);
            now = until > now ? until + late : now;
            starts.push_back(now);
        }
        return starts;
    };
    const std::vector<int64_t> s =
        frameStarts({1 * MS, 2 * MS, 9 * MS, 3 * MS, 20 * MS, 6 * MS}, 0);
    // The first frame has nothing to wait for; then short frames are held to
    // a period after the one before, long ones go on at once.
    EXPECT_EQ(s[0], 1001 * MS);
    EXPECT_EQ(s[1] - s[0], period);
    EXPECT_EQ(s[2] - s[1], 9 * MS);
    EXPECT_EQ(s[3] - s[2], period);
    EXPECT_EQ(s[4] - s[3], 20 * MS);
    EXPECT_EQ(s[5] - s[4], period);

    // Waits that end late do not add up: 1000 short frames take 1000 periods.
    const int64_t before = now;
    const std::vector<int64_t> many = frameStarts(std::vector<int64_t>(1000, 2 * MS), MS / 5);
    EXPECT_NEAR(many.back() - before, 1000 * period, MS);

    // A driver that waits for the display itself is not waited for again,
    // though its swaps come back a little early or late.
    const std::vector<int64_t> paced = frameStarts({period, period - MS / 4, period + MS / 4}, 0);
    EXPECT_EQ(paced[1] - paced[0], period - MS / 4);
    EXPECT_EQ(paced[2] - paced[1], period + MS / 4);
}
