#include <gtest/gtest.h>

#include <GL/gl.h>
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

void Hold(int key, bool down = true) {
    keys[key] = down ? BOOL_TRUE : BOOL_FALSE;
}

size_t PlaysOn(int channel) {
    size_t n = 0;
    for (const SoundCall &c : SoundPlays())
        n += c.a == channel;
    return n;
}

// A game under way with the player standing still at level x and y; the
// physics has already caught up with time t.
void InGameAt(double levelX, double y, int32_t t) {
    StartOn(SCREEN_GAME);
    playerX = 20.0, scrollX = levelX - 20.0, playerY = y, lastStepTick = static_cast<DWORD>(t);
}

} // namespace

TEST(Menu, CursorTakes575ThenBeyondTheToleranceEdge599Steps) {
    StartOn(SCREEN_MENU);
    Hold(VK_DOWN);
    // Frames at one unchanging time make one easing step each, so the frames
    // at which Down is accepted again count the steps to rest.
    std::vector<int> soundFrames;
    for (int frame = 1; frame <= 1300 && soundFrames.size() < 3; ++frame) {
        const size_t before = PlaysOn(3);
        DrawFrame(0);
        if (PlaysOn(3) > before)
            soundFrames.push_back(frame);
    }
    ASSERT_EQ(soundFrames.size(), 3u);
    EXPECT_EQ(soundFrames[1] - soundFrames[0], 575);
    EXPECT_EQ(soundFrames[2] - soundFrames[1], 599);
    EXPECT_EQ(menuIndex, 2);
}

TEST(Menu, EveryFrameStepsOnceMoreThanItsMilliseconds) {
    StartOn(SCREEN_MENU);
    menuIndex = 1;
    lastStepTick = 1000;
    double expected = 0;
    const auto step = [&expected](int n) {
        for (int i = 0; i < n; ++i)
            expected = expected - (expected - 1) / 250;
    };
    DrawFrame(1009);
    step(10);
    EXPECT_EQ(menuCursor, expected);
    DrawFrame(1000); // before the last frame: no step at all
    EXPECT_EQ(menuCursor, expected);
    EXPECT_EQ(lastStepTick, 1000u);
    DrawFrame(1000000); // a long absence ends exactly where every single step leads
    step(1000000 - 1000 + 1);
    EXPECT_EQ(menuCursor, expected);
}

TEST(Menu, KeysMoveTheCursorChooseAndQuit) {
    const struct {
        const char *from;
        int32_t index;
        double cursor; // away from the index: still moving
        int key1, key2;
        const char *to;
        int32_t indexAfter;
        size_t sounds;
    } cases[] = {
        {SCREEN_MENU, 1, 1.0, VK_UP, VK_DOWN, SCREEN_MENU, 0, 1}, // Down then waits for the cursor
        {SCREEN_MENU, 0, 0.0, VK_UP, 0, SCREEN_MENU, 0, 1}, // held on the top entry: every frame
        {SCREEN_MENU, 2, 1.5, VK_RETURN, VK_ESCAPE, SCREEN_MENU, 2, 0}, // Enter waits for rest
        {SCREEN_MENU, 2, 1.5, 'Q', 0, SCREEN_EXIT, 2, 0},               // Q does not
        {SCREEN_MENU, 2, 2.0, VK_RETURN, 0, SCREEN_EXIT, 2, 0},
        {SCREEN_MENU, 1, 1.0, VK_RETURN, 0, SCREEN_CRED, 1, 0},
        {SCREEN_MENU, 0, 0.0, VK_RETURN, 0, SCREEN_GAME, 0, 0},
        {SCREEN_WIN, 0, 0.0, 'Q', 0, SCREEN_WIN, 0, 0}, // Q only acts on the menu
    };
    for (const auto &c : cases) {
        StartOn(c.from);
        menuIndex = c.index, menuCursor = c.cursor;
        Hold(c.key1), Hold(c.key2);
        DrawFrame(0);
        EXPECT_TRUE(IsScreen(c.to)) << c.index << " " << c.key1 << " " << screen;
        EXPECT_EQ(menuIndex, c.indexAfter) << c.index << " " << c.key1;
        EXPECT_EQ(PlaysOn(3), c.sounds) << c.index << " " << c.key1;
        EXPECT_EQ(SoundPlays().empty() ? menuSound : SoundPlays()[0].sample, menuSound);
    }
}

TEST(Menu, NewGameStartsAFreshRunOnANewTimeLine) {
    StartOn(SCREEN_MENU);
    playerX = 33, playerY = 12, scrollX = 80, scrollSpeed = 0.25, eventTime = 777;
    playerVX = playerVY = pushX = gravity = 0.5;
    win32Tick = 90000;
    Hold(VK_RETURN);
    DrawFrame(5000);
    EXPECT_TRUE(IsScreen(SCREEN_GAME));
    EXPECT_EQ((std::vector<double>{playerX, playerY, playerVX, playerVY, pushX, gravity, scrollX,
                                   seaLevel, scrollSpeed}),
              (std::vector<double>{1, 0, 0, 0, 0, 0, 0, 27, 0.25})); // the physics redoes speed
    EXPECT_EQ(startTick, 90000u);
    EXPECT_EQ(eventTime, 777u);
    EXPECT_EQ(lastStepTick, 5000u); // still on the old time line
}

TEST(Game, GoalEscapeAndDrowningInThatOrder) {
    // A goal cell in row 11, column 5: reached by a disc at level x 10, y 23.
    const struct {
        double levelX, y;
        int32_t t;
        bool escape;
        const char *ends;
    } cases[] = {
        {10, 23, 1000, false, SCREEN_WIN},
        {10, 23, 1000, true, SCREEN_MENU},       // and the menu section ran this frame
        {10, 23, 14000, false, SCREEN_GAMEOVER}, // the drowning line is at 23 by now
        {198, 24, 1000, false, SCREEN_GAME},     // row 12 and below hold no goal
        {500, 23, 1000, false, SCREEN_WIN},      // columns past 99 count as 99
    };
    for (const auto &c : cases) {
        InGameAt(c.levelX, c.y, c.t);
        mapGrid[11 * GRID_COLS + 5] = mapGrid[11 * GRID_COLS + 99] = CELL_GOAL;
        for (unsigned char *g : {overGrid, newGrid, quitGrid, credGrid, timeGrid, pelmoxGrid})
            std::memset(g, CELL_GOAL, GRID_CELLS); // a read past the level would find goals
        Hold(VK_ESCAPE, c.escape);
        DrawFrame(c.t);
        EXPECT_TRUE(IsScreen(c.ends)) << c.levelX << " " << c.t << " " << screen;
        EXPECT_EQ(PlaysOn(0), IsScreen(SCREEN_GAMEOVER) ? 1u : 0u);
        const bool ended = IsScreen(SCREEN_WIN) || IsScreen(SCREEN_GAMEOVER);
        EXPECT_EQ(eventTime, ended ? static_cast<DWORD>(c.t) : eventTime);
        EXPECT_EQ(seaLevel, IsScreen(SCREEN_MENU) ? 27.0 : seaLevel);
    }

    for (double bad : {NAN, INFINITY, -INFINITY}) {
        InGameAt(10.0, 0.0, 0);
        std::memset(mapGrid, CELL_GOAL, sizeof mapGrid);
        playerY = bad;
        DrawFrame(0);
        // NaN sits in row 0 (the clamp keeps the first argument); +inf lies
        // below the level; -inf above it, clamped to row 0.
        EXPECT_EQ(IsScreen(SCREEN_WIN), bad != INFINITY) << bad;
    }
}

TEST(EndScreens, ScrollingScreensEndOnTimeAndTheWonScreenWaits) {
    const struct {
        const char *s;
        int32_t last; // the last frame time that still shows it
    } cases[] = {{SCREEN_GAMEOVER, 8000}, {SCREEN_CRED, 12000}, {SCREEN_WIN, 2000000000}};
    for (const auto &c : cases) {
        StartOn(c.s);
        eventTime = 1000;
        DrawFrame(c.last);
        EXPECT_TRUE(IsScreen(c.s)) << c.s;
        if (IsScreen(SCREEN_WIN))
            Hold(VK_ESCAPE);
        DrawFrame(c.last + 1);
        EXPECT_TRUE(IsScreen(SCREEN_MENU)) << c.s;
        // One clear of colour and depth a frame, even when the screen changes in it.
        const auto clears = GlCallsNamed("glClear");
        ASSERT_EQ(clears.size(), 2u) << c.s;
        EXPECT_EQ(clears[1].a[0], GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
}

TEST(EndScreens, CreditsBannerEntersAtTheRightEdgeInTheAcceptingFrame) {
    StartOn(SCREEN_MENU);
    pelmoxGrid[0] = CELL_BLOCK; // one dot: row 0, column 0
    menuIndex = 1, menuCursor = 1.0;
    Hold(VK_RETURN);
    DrawFrame(2500);
    EXPECT_TRUE(IsScreen(SCREEN_CRED));
    EXPECT_EQ(eventTime, 2500u);
    bool found = false; // the dot's highlight, 0.2 up and left of its centre (40, 10)
    for (const GlCall &v : GlCallsNamed("glVertex3f"))
        found = found || (v.a[0] == static_cast<float>(39.8) && v.a[1] == static_cast<float>(9.8));
    EXPECT_TRUE(found);
}
