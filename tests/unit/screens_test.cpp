// The rules of the screens the replays do not reach: the order of the game
// frame's judging at the level's edges and for positions that are not numbers,
// the won screen that waits, Q off the menu, and the credits' first frame.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "core/game_state.h"
#include "game/screens.h"
#include "tests/doubles/test_support.h"

namespace {

// The state start-up leaves behind, with the four effects loaded.
void StartOn(const char *s) {
    ResetGameState();
    screen = s;
    seaLevel = 27.0;
    fallSound = FakeSample(0), jumpSound = FakeSample(1);
    clickSound = FakeSample(2), menuSound = FakeSample(3);
}

size_t PlaysOn(int channel) {
    size_t n = 0;
    for (const SoundCall &c : soundCalls)
        n += c.op == "PlaySound" && c.a == channel;
    return n;
}

} // namespace

TEST(Game, GoalEscapeAndDrowningInThatOrder) {
    // A goal cell in row 11, column 5: reached by a disc at level x 10, y 23.
    const struct {
        double levelX, y;
        int32_t t;
        bool escape, goalsEverywhere;
        const char *ends;
    } cases[] = {
        {10, 23, 1000, false, false, SCREEN_WIN},
        {10, 23, 1000, true, false, SCREEN_MENU},       // and the menu section ran this frame
        {10, 23, 14000, false, false, SCREEN_GAMEOVER}, // the drowning line is at 23 by now
        {198, 24, 1000, false, false, SCREEN_GAME},     // row 12 and below hold no goal
        {500, 23, 1000, false, false, SCREEN_WIN},      // columns past 99 count as 99
        // NaN sits in row 0 (the clamp keeps the first argument); -inf lies
        // above the level, clamped to row 0; +inf below it, and drowned.
        {10, NAN, 0, false, true, SCREEN_WIN},
        {10, -INFINITY, 0, false, true, SCREEN_WIN},
        {10, INFINITY, 0, false, true, SCREEN_GAMEOVER},
    };
    for (const auto &c : cases) {
        StartOn(SCREEN_GAME);
        playerX = 20.0, scrollX = c.levelX - 20.0, playerY = c.y;
        lastStepTick = static_cast<DWORD>(c.t); // the physics has caught up
        std::memset(mapGrid, c.goalsEverywhere ? CELL_GOAL : CELL_EMPTY, GRID_CELLS);
        mapGrid[11 * GRID_COLS + 5] = mapGrid[11 * GRID_COLS + 99] = CELL_GOAL;
        for (unsigned char *g : {overGrid, newGrid, quitGrid, credGrid, timeGrid, pelmoxGrid})
            std::memset(g, CELL_GOAL, GRID_CELLS); // a read past the level would find goals
        keys[VK_ESCAPE] = c.escape ? BOOL_TRUE : BOOL_FALSE;
        DrawFrame(c.t);
        EXPECT_TRUE(IsScreen(c.ends)) << c.levelX << " " << c.y << " " << c.t << " " << screen;
        EXPECT_EQ(PlaysOn(0), IsScreen(SCREEN_GAMEOVER) ? 1u : 0u);
        const bool ended = IsScreen(SCREEN_WIN) || IsScreen(SCREEN_GAMEOVER);
        EXPECT_TRUE(!ended || eventTime == static_cast<DWORD>(c.t)) << eventTime;
        EXPECT_EQ(seaLevel, IsScreen(SCREEN_MENU) ? 27.0 : seaLevel);
    }
}

TEST(EndScreens, TheWonScreenWaitsForEscapeAndQOnlyActsOnTheMenu) {
    StartOn(SCREEN_WIN);
    eventTime = 1000;
    keys['Q'] = BOOL_TRUE;
    DrawFrame(2000000000);
    EXPECT_TRUE(IsScreen(SCREEN_WIN));
    keys[VK_ESCAPE] = BOOL_TRUE;
    DrawFrame(2000000001);
    EXPECT_TRUE(IsScreen(SCREEN_EXIT)); // the menu, drawn in the same frame, takes the Q
}

// The credits start in the frame that accepts Enter: their banner's first dot
// shows at the right edge (40, 10) at once, its highlight 0.2 up and left.
TEST(EndScreens, CreditsBannerEntersAtTheRightEdgeInTheAcceptingFrame) {
    StartOn(SCREEN_MENU);
    pelmoxGrid[0] = CELL_BLOCK; // one dot: row 0, column 0
    menuIndex = 1, menuCursor = 1.0;
    keys[VK_RETURN] = BOOL_TRUE;
    DrawFrame(2500);
    EXPECT_TRUE(IsScreen(SCREEN_CRED));
    EXPECT_EQ(eventTime, 2500u);
    bool found = false;
    for (const GlCall &v : glCalls)
        found = found || (std::strcmp(v.name, "glVertex3f") == 0 &&
                          v.a[0] == static_cast<float>(39.8) && v.a[1] == static_cast<float>(9.8));
    EXPECT_TRUE(found);
}
