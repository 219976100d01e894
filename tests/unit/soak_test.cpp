#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/game_state.h"
#include "core/grid_file.h"
#include "game/screens.h"
#include "tests/doubles/test_support.h"

// An hour of play by a player who mashes keys at random, with frames of random
// length and now and then a long pause (a minimised window), through DrawFrame
// as the main loop calls it. The tick counter wraps half way through. After
// every frame the player, the screen, the menu and the GL and sound usage must
// be within their bounds. Choosing exit starts the game again, as a new
// process would.
namespace {

// A small fixed generator, so the run is the same on every machine.
struct Random {
    uint64_t state;
    uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<uint32_t>(state >> 11);
    }
    uint32_t Below(uint32_t n) { return Next() % n; }
};

Grid shippedMap;
// A level where random keys win too: a floor along the bottom with goal
// markers standing on it every few columns.
Grid goalMap;
// Banners with a few lit dots: the soak is about the rules, and full banners
// would make every menu frame a thousand discs.
Grid sparseBanner;

// Every other run plays the level with goals everywhere.
void StartProcess(DWORD tick, bool goals) {
    ResetGameState();
    win32Tick = tick;
    glRecording = false;
    std::memcpy(mapGrid, goals ? goalMap : shippedMap, sizeof(Grid));
    for (unsigned char *g : {overGrid, newGrid, quitGrid, credGrid, timeGrid, pelmoxGrid})
        std::memcpy(g, sparseBanner, sizeof(Grid));
    fallSound = FakeSample(0);
    jumpSound = FakeSample(1);
    clickSound = FakeSample(2);
    menuSound = FakeSample(3);
    screen = SCREEN_MENU;
    seaLevel = 27.0;
    startTick = GetTickCount();
}

int ScreenIndex() {
    const char *const names[] = {SCREEN_MENU,     SCREEN_GAME, SCREEN_WIN,
                                 SCREEN_GAMEOVER, SCREEN_CRED, SCREEN_EXIT};
    for (int i = 0; i < 6; ++i)
        if (IsScreen(names[i]))
            return i;
    return -1;
}

} // namespace

TEST(Soak, AnHourOfRandomKeysKeepsEveryBound) {
    ResetGameState();
    LoadGrid(shippedMap, VK_SOURCE_DIR "/assets/map");
    std::memset(sparseBanner, 0, sizeof sparseBanner);
    for (int cell = 0; cell < GRID_CELLS; cell += 97)
        sparseBanner[cell] = CELL_BLOCK;
    std::memset(goalMap, 0, sizeof goalMap);
    for (int col = 0; col < GRID_COLS; ++col) {
        goalMap[11 * GRID_COLS + col] = CELL_BLOCK;
        if (col % 6 == 5)
            goalMap[10 * GRID_COLS + col] = CELL_GOAL;
    }

    const DWORD firstTick = 0xFFFFFFFFu - 30u * 60u * 1000u; // wraps after 30 minutes
    const uint64_t hour = 60u * 60u * 1000u;
    StartProcess(firstTick, false);

    const int keyCodes[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_RETURN, VK_ESCAPE, 'Q'};
    const uint32_t keyWeights[] = {20, 30, 25, 10, 10, 3, 1};
    // Another run for a maintainer hunting a rare fault: VK_SOAK_SEED=<number>.
    const char *seed = std::getenv("VK_SOAK_SEED");
    Random random{seed ? std::strtoull(seed, nullptr, 0) ^ 0x9e3779b97f4a7c15u
                       : 0x5eed5eed12345678u};
    uint64_t played = 0;
    long frames = 0, restarts = 0, pauses = 0;
    long framesOn[6] = {};
    bool gameBegun = false;

    while (played < hour) {
        // Keys change between frames, as the window procedure would change them.
        if (random.Below(5) == 0) {
            uint32_t pick = random.Below(99);
            int k = 0;
            while (pick >= keyWeights[k])
                pick -= keyWeights[k++];
            keys[keyCodes[k]] = keys[keyCodes[k]] ? BOOL_FALSE : BOOL_TRUE;
        }
        uint32_t length = random.Below(51);
        if (random.Below(1000) == 0) {
            length = random.Below(10001);
            ++pauses;
        }
        win32Tick += length;
        played += length;

        // What the main loop computes: unsigned, so it survives the wrap.
        const DWORD elapsed = GetTickCount() - startTick;
        ASSERT_EQ(DrawFrame(static_cast<int32_t>(elapsed)), TRUE);
        ++frames;
        // Only a new game moves the player off its initial 0.
        if (playerX != 0.0)
            gameBegun = true;

        const int s = ScreenIndex();
        ASSERT_GE(s, 0) << "unknown screen after frame " << frames;
        ++framesOn[s];
        if (gameBegun) {
            ASSERT_TRUE(playerX >= 1.0 && playerX <= 39.0) << playerX << " at frame " << frames;
        }
        ASSERT_LE(playerY, 30.0) << "at frame " << frames;
        ASSERT_TRUE(menuIndex >= 0 && menuIndex <= 2) << menuIndex;
        ASSERT_EQ(glOpenBlocks, 0) << "at frame " << frames;
        ASSERT_EQ(glNestedBegins, 0) << "at frame " << frames;
        for (const SoundCall &c : soundCalls) {
            if (c.op != "PlaySound")
                continue;
            ASSERT_TRUE(c.a == 0 || c.a == 1 || c.a == 2 || c.a == 3 || c.a == 31)
                << "sound on channel " << c.a;
        }
        soundCalls.clear();

        if (IsScreen(SCREEN_EXIT)) {
            // The process ends here; the player starts it again.
            ++restarts;
            gameBegun = false;
            StartProcess(GetTickCount(), restarts % 2 == 1);
        }
    }

    std::printf("%ld frames, %ld long pauses, %ld restarts; frames on menu %ld, game %ld, "
                "win %ld, gameover %ld, cred %ld\n",
                frames, pauses, restarts, framesOn[0], framesOn[1], framesOn[2], framesOn[3],
                framesOn[4]);
    EXPECT_LT(win32Tick, firstTick); // the counter did wrap
    EXPECT_GT(pauses, 0);
    EXPECT_GT(restarts, 0);
    EXPECT_GT(framesOn[1], 0);
    EXPECT_GT(framesOn[2], 0);
    EXPECT_GT(framesOn[3], 0);
    EXPECT_GT(framesOn[4], 0);
}
