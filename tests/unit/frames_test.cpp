// Whole frames through DrawFrame, as the main loop calls it, with GL only
// counting: steady-state frames never touch the heap, and an hour of random
// keys keeps every bound.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/game_state.h"
#include "core/grid_file.h"
#include "game/screens.h"
#include "tests/doubles/heap_counter.h"
#include "tests/doubles/test_support.h"

namespace {

Grid shippedMap, goalMap; // goalMap: a floor with goal markers every six columns

// A fresh process on the given level, with banners of a few lit dots (the
// rules matter here, and full banners would make every menu frame a thousand discs).
void StartRun(const Grid &level, const char *first, DWORD tick) {
    ResetForPlay();
    win32Tick = tick;
    std::memcpy(mapGrid, level, sizeof(Grid));
    for (unsigned char *g : {overGrid, newGrid, quitGrid, credGrid, timeGrid, pelmoxGrid})
        for (int cell = 0; cell < GRID_CELLS; cell += 97)
            g[cell] = CELL_BLOCK;
    StartOnMenu(GetTickCount());
    screen = first;
}

void LoadMaps() {
    LoadGrid(shippedMap, VK_SOURCE_DIR "/assets/map");
    for (int col = 0; col < GRID_COLS; ++col) {
        goalMap[11 * GRID_COLS + col] = CELL_BLOCK;
        goalMap[10 * GRID_COLS + col] = col % 6 == 5 ? CELL_GOAL : CELL_EMPTY;
    }
}

testing::AssertionResult WithinBounds(bool gameBegun) {
    if (gameBegun && !(playerX >= 1.0 && playerX <= 39.0))
        return testing::AssertionFailure() << "playerX " << playerX;
    if (!(playerY <= 30.0) || menuIndex < 0 || menuIndex > 2)
        return testing::AssertionFailure() << "playerY " << playerY << " menu " << menuIndex;
    if (glOpenBlocks != 0 || glNestedBegins != 0)
        return testing::AssertionFailure() << "unbalanced glBegin/glEnd";
    for (const SoundCall &c : soundCalls)
        if (!(c.a >= 0 && c.a <= 3))
            return testing::AssertionFailure() << "sound on channel " << c.a;
    soundCalls.clear();
    return testing::AssertionSuccess();
}

} // namespace

TEST(Frames, NeverAllocateInSteadyState) {
    const std::pair<const char *, int> cases[] = {// screen, key held (the menu cursor moves)
                                                  {SCREEN_MENU, VK_DOWN},
                                                  {SCREEN_GAME, VK_RIGHT},
                                                  {SCREEN_WIN, 0},
                                                  {SCREEN_GAMEOVER, 0},
                                                  {SCREEN_CRED, 0}};
    LoadMaps();
    for (const auto &[first, key] : cases) {
        StartRun(shippedMap, first, 0);
        playerX = 1.0, playerY = 21.0, keys[key] = key ? BOOL_TRUE : BOOL_FALSE;
        int32_t t = 0; // warm up, then count; the clock clicks on the way
        for (; t < 5 * 17; t += 17)
            DrawFrame(t);
        const size_t before = HeapAllocationCount();
        for (; t < 65 * 17; t += 17)
            DrawFrame(t);
        EXPECT_EQ(HeapAllocationCount() - before, 0u) << first;
        EXPECT_TRUE(IsScreen(first)) << first << " left for " << screen;
    }
}

// Frames of random length, now and then a long pause (a minimised window); the
// tick counter wraps half way through. Choosing exit starts the game again, as
// a new process would, every other time on the level with goals everywhere.
// Another run for a maintainer hunting a rare fault: VK_SOAK_SEED=<number>.
TEST(Soak, AnHourOfRandomKeysKeepsEveryBound) {
    LoadMaps();
    const DWORD firstTick = 0xFFFFFFFFu - 30u * 60u * 1000u;
    StartRun(shippedMap, SCREEN_MENU, firstTick);
    const int keyCodes[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_RETURN, VK_ESCAPE, 'Q'};
    const uint32_t keyWeights[] = {20, 30, 25, 10, 10, 3, 1};
    const char *seed = std::getenv("VK_SOAK_SEED");
    uint64_t state = seed ? std::strtoull(seed, nullptr, 0) ^ 0x9e3779b97f4a7c15u : 0x5eed5eed1234u;
    auto below = [&state](uint32_t n) { // xorshift: the same run on every machine
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        return static_cast<uint32_t>(state >> 11) % n;
    };
    long pauses = 0, restarts = 0, framesOn[4] = {};
    bool gameBegun = false;
    for (uint64_t played = 0; played < 3600000u;) {
        if (below(5) == 0) { // keys change between frames, as the window procedure changes them
            uint32_t pick = below(99), k = 0;
            while (pick >= keyWeights[k])
                pick -= keyWeights[k++];
            keys[keyCodes[k]] = keys[keyCodes[k]] ? BOOL_FALSE : BOOL_TRUE;
        }
        const uint32_t length = below(1000) == 0 ? (++pauses, below(10001)) : below(51);
        win32Tick += length, played += length;
        ASSERT_EQ(DrawFrame(static_cast<int32_t>(GetTickCount() - startTick)), TRUE);
        gameBegun = gameBegun || playerX != 0.0; // only a new game moves the player off 0
        ASSERT_TRUE(WithinBounds(gameBegun)) << "after " << played << " ms";
        const char *const counted[] = {SCREEN_GAME, SCREEN_WIN, SCREEN_GAMEOVER, SCREEN_CRED};
        bool named = IsScreen(SCREEN_MENU) || IsScreen(SCREEN_EXIT);
        for (int i = 0; i < 4; ++i)
            named = IsScreen(counted[i]) ? (++framesOn[i], true) : named;
        ASSERT_TRUE(named) << screen;
        if (IsScreen(SCREEN_EXIT))
            StartRun(++restarts % 2 ? goalMap : shippedMap, SCREEN_MENU, GetTickCount()),
                gameBegun = false;
    }
    EXPECT_LT(win32Tick, firstTick); // the counter did wrap
    EXPECT_GT(pauses, 0);
    EXPECT_GT(restarts, 0);
    for (long n : framesOn)
        EXPECT_GT(n, 0);
}
