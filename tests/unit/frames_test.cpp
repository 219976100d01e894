// Frames and their time: the tick counter in whole physics steps across its
// wrap, the pacing of presented frames on a scripted clock, and an hour of
// whole frames through DrawFrame, as the main loop calls it, with GL only
// counting: they keep every bound, visit every screen and never touch the heap.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <vector>

#include "core/game_state.h"
#include "core/grid_file.h"
#include "core/rules.h"
#include "game/screens.h"
#include "tests/doubles/test_support.h"
#include "win32/frame_pacing.h"

namespace {

// A fresh process on the given level, with banners of a few lit dots (the
// rules matter here, and full banners would make every menu frame a thousand discs).
void StartRun(const Grid &level, DWORD tick) {
    ResetForPlay();
    win32Tick = tick;
    std::memcpy(mapGrid, level, sizeof(Grid));
    for (unsigned char *g : {overGrid, newGrid, quitGrid, credGrid, timeGrid, pelmoxGrid})
        for (int cell = 0; cell < GRID_CELLS; cell += 97)
            g[cell] = CELL_BLOCK;
    StartOnMenu(GetTickCount());
}

constexpr uint64_t WRAP = uint64_t{1} << 32;
constexpr int64_t MS = 1000000; // ns

} // namespace

// Two counts differ by the whole steps between them, wrap or not, so frames of
// any length lose no physics step.
TEST(TickCount, WholeStepsAcrossTheWrap) {
    EXPECT_EQ(TickCountAt(WRAP + 4), DWORD{4});
    for (uint64_t a = WRAP - 12; a <= WRAP + 12; ++a)
        for (uint64_t d = 0; d <= 30; ++d)
            ASSERT_EQ(static_cast<DWORD>(TickCountAt(a + d) - TickCountAt(a)),
                      (a + d) / STEP_MS * STEP_MS - a / STEP_MS * STEP_MS)
                << a << " + " << d;
}

TEST(FramePacing, ShortFramesWaitForTheDisplayLongOnesDoNot) {
    EXPECT_EQ(RefreshPeriodNs(0), RefreshPeriodNs(60)); // rate unknown
    const int64_t period = RefreshPeriodNs(144);

    // Each frame works for the given time, swaps, and begins the next when the
    // pacing says; a wait ends `late` after it should. Gives the time from
    // each frame's start to the next one's.
    int64_t now = 1000 * MS, shown = 0;
    auto gaps = [&](const std::vector<int64_t> &work, int64_t late) {
        std::vector<int64_t> out;
        for (int64_t w : work) {
            const int64_t start = now, until = PaceFrame(&shown, now += w, period);
            now = until > now ? until + late : now;
            out.push_back(now - start);
        }
        return out;
    };
    // The first frame has nothing to wait for; then short frames are held to a
    // period after the one before, long ones go on at once.
    EXPECT_EQ(gaps({1 * MS, 2 * MS, 9 * MS, 3 * MS, 20 * MS, 6 * MS}, 0),
              (std::vector<int64_t>{1 * MS, period, 9 * MS, period, 20 * MS, period}));
    // Waits that end late do not add up: 1000 short frames take 1000 periods.
    const std::vector<int64_t> late = gaps(std::vector<int64_t>(1000, 2 * MS), MS / 5);
    EXPECT_NEAR(std::accumulate(late.begin(), late.end(), int64_t{0}), 1000 * period, MS);
    // A driver that waits for the display itself is not waited for again,
    // though its swaps come back a little early or late.
    const std::vector<int64_t> paced = {period, period - MS / 4, period + MS / 4};
    EXPECT_EQ(gaps(paced, 0), paced);
}

// Frames of random length, now and then a long pause (a minimised window); the
// tick counter wraps half way through. Choosing exit starts the game again, as
// a new process would, every other time on a level with goals every six columns.
// Another run for a maintainer hunting a rare fault: VORTA_SOAK_SEED=<number>.
TEST(Soak, AnHourOfRandomKeysKeepsEveryBound) {
    Grid shippedMap, goalMap{};
    LoadGrid(shippedMap, VORTA_SOURCE_DIR "/assets/map");
    for (int col = 0; col < GRID_COLS; ++col) {
        goalMap[11 * GRID_COLS + col] = CELL_BLOCK;
        goalMap[10 * GRID_COLS + col] = col % 6 == 5 ? CELL_GOAL : CELL_EMPTY;
    }
    const DWORD firstTick = 0xFFFFFFFFu - 30u * 60u * 1000u;
    StartRun(shippedMap, firstTick);
    const int keyCodes[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_RETURN, VK_ESCAPE, 'Q'};
    const uint32_t keyWeights[] = {20, 30, 25, 10, 10, 3, 1};
    const char *seed = std::getenv("VORTA_SOAK_SEED");
    uint64_t state = seed ? std::strtoull(seed, nullptr, 0) ^ 0x9e3779b97f4a7c15u : 0x5eed5eed1234u;
    auto below = [&state](uint32_t n) { // xorshift: the same run on every machine
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        return static_cast<uint32_t>(state >> 11) % n;
    };
    const char *const screens[] = {SCREEN_MENU,     SCREEN_GAME, SCREEN_WIN,
                                   SCREEN_GAMEOVER, SCREEN_CRED, SCREEN_EXIT};
    int restarts = 0;
    unsigned seen = 0; // one bit per screen
    size_t allocations = 0;
    for (uint64_t played = 0; played < 3600000u;) {
        if (below(5) == 0) { // keys change between frames, as the window procedure changes them
            uint32_t pick = below(99), k = 0;
            while (pick >= keyWeights[k])
                pick -= keyWeights[k++];
            keys[keyCodes[k]] = keys[keyCodes[k]] ? BOOL_FALSE : BOOL_TRUE;
        }
        const uint32_t length = below(1000) == 0 ? below(10001) : below(51);
        win32Tick += length, played += length;
        const size_t heapBefore = HeapAllocationCount();
        ASSERT_EQ(DrawFrame(static_cast<int32_t>(GetTickCount() - startTick)), TRUE);
        allocations += HeapAllocationCount() - heapBefore;
        ASSERT_TRUE(menuIndex >= 0 && menuIndex <= 2) << menuIndex << " after " << played << " ms";
        ASSERT_TRUE(glOpenBlocks == 0 && glNestedBegins == 0) << "unbalanced glBegin/glEnd";
        soundCalls.clear();
        for (int i = 0; i < 6; ++i)
            seen |= IsScreen(screens[i]) ? 1u << i : 0u;
        if (IsScreen(SCREEN_EXIT))
            StartRun(++restarts % 2 ? goalMap : shippedMap, GetTickCount());
    }
    EXPECT_EQ(allocations, 0u);
    EXPECT_LT(win32Tick, firstTick); // the counter did wrap
    EXPECT_EQ(seen, 0x3Fu);          // every screen, exit too
}
