// The window layer's clock: the tick counter in whole steps, across its wrap.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/game_state.h"
#include "game/physics.h"
#include "platform/win32/frame_pacing.h"
#include "tests/doubles/test_support.h"

namespace {

constexpr uint64_t WRAP = uint64_t{1} << 32;

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
