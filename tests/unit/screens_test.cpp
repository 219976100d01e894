#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "core/game_state.h"
#include "game/screens.h"
#include "tests/doubles/test_support.h"

namespace {

// The state start-up leaves behind, with the four effects loaded.
void StartOnMenu() {
    ResetGameState();
    screen = SCREEN_MENU;
    seaLevel = 27.0;
    fallSound = FakeSample(0);
    jumpSound = FakeSample(1);
    clickSound = FakeSample(2);
    menuSound = FakeSample(3);
}

void Hold(int key, bool down = true) {
    keys[key] = down ? BOOL_TRUE : BOOL_FALSE;
}

bool CursorAtRest() {
    return std::fabs(menuCursor - menuIndex) < 0.1;
}

size_t PlaysOn(int channel) {
    size_t n = 0;
    for (const SoundCall &c : SoundPlays())
        n += c.a == channel;
    return n;
}

// A game under way with the player standing still at the given level x and y;
// the physics has already caught up with time t.
void InGameAt(double levelX, double y, int32_t t) {
    StartOnMenu();
    screen = SCREEN_GAME;
    playerX = 20.0;
    scrollX = levelX - 20.0;
    playerY = y;
    lastStepTick = static_cast<DWORD>(t);
}

} // namespace

TEST(Frame, ClearsOnceWhateverTheScreensDo) {
    for (const char *s :
         {SCREEN_MENU, SCREEN_GAME, SCREEN_WIN, SCREEN_GAMEOVER, SCREEN_CRED, SCREEN_EXIT}) {
        StartOnMenu();
        screen = s;
        Hold(VK_ESCAPE); // sends every screen but the menu on to the menu this frame
        EXPECT_EQ(DrawFrame(100), TRUE);
        const auto clears = GlCallsNamed("glClear");
        ASSERT_EQ(clears.size(), 1u) << s;
        EXPECT_EQ(clears[0].a[0], 0x4100) << s;
    }
}

TEST(Menu, CursorTakes575ThenBeyondTheToleranceEdge599Steps) {
    StartOnMenu();
    Hold(VK_DOWN);
    // Frames at one unchanging time make one easing step each, so the frames
    // at which Down is accepted again count the steps to rest.
    std::vector<int> soundFrames;
    for (int frame = 1; frame <= 1300; ++frame) {
        const size_t before = PlaysOn(3);
        DrawFrame(0);
        if (PlaysOn(3) > before)
            soundFrames.push_back(frame);
        if (soundFrames.size() == 3)
            break;
    }
    ASSERT_EQ(soundFrames.size(), 3u);
    EXPECT_EQ(soundFrames[1] - soundFrames[0], 575);
    EXPECT_EQ(soundFrames[2] - soundFrames[1], 599);
    EXPECT_EQ(menuIndex, 2);
}

TEST(Menu, EveryFrameStepsOnceMoreThanItsMilliseconds) {
    StartOnMenu();
    menuIndex = 1;
    lastStepTick = 1000;
    DrawFrame(1009); // 10 steps
    double expected = 0;
    for (int i = 0; i < 10; ++i)
        expected = expected - (expected - 1) / 250;
    EXPECT_EQ(menuCursor, expected);
    EXPECT_EQ(lastStepTick, 1009u);

    DrawFrame(1000); // time before the last frame: no step at all
    EXPECT_EQ(menuCursor, expected);
    EXPECT_EQ(lastStepTick, 1000u);

    // A long absence: the cursor ends exactly where every single step takes it.
    DrawFrame(1000000);
    for (int i = 0; i < 1000000 - 1000 + 1; ++i)
        expected = expected - (expected - 1) / 250;
    EXPECT_EQ(menuCursor, expected);
}

TEST(Menu, UpAndDownTogetherEndOnTheEntryAbove) {
    StartOnMenu();
    menuIndex = 1;
    menuCursor = 1.0;
    Hold(VK_UP);
    Hold(VK_DOWN);
    DrawFrame(0);
    EXPECT_EQ(menuIndex, 0);
    EXPECT_EQ(PlaysOn(3), 1u);
    EXPECT_EQ(SoundPlays()[0].sample, menuSound);
}

TEST(Menu, HeldUpOnTheTopEntryReplaysTheSoundEveryFrame) {
    StartOnMenu();
    Hold(VK_UP);
    for (int t = 0; t < 5; ++t)
        DrawFrame(t);
    EXPECT_EQ(menuIndex, 0);
    EXPECT_EQ(PlaysOn(3), 5u);
}

TEST(Menu, EnterWaitsForTheCursorButQAndEscapeDoNot) {
    StartOnMenu();
    Hold(VK_DOWN);
    DrawFrame(0);
    Hold(VK_DOWN, false);
    Hold(VK_RETURN);
    DrawFrame(16); // cursor still on its way to the credits entry
    EXPECT_TRUE(IsScreen(SCREEN_MENU));
    EXPECT_FALSE(CursorAtRest());

    Hold(VK_ESCAPE);
    DrawFrame(32);
    EXPECT_TRUE(IsScreen(SCREEN_MENU));

    Hold(VK_RETURN, false);
    Hold('Q');
    DrawFrame(48);
    EXPECT_TRUE(IsScreen(SCREEN_EXIT));
}

TEST(Menu, QuitEntryAndQ) {
    StartOnMenu();
    menuIndex = 2;
    menuCursor = 2.0;
    Hold(VK_RETURN);
    DrawFrame(5);
    EXPECT_TRUE(IsScreen(SCREEN_EXIT));

    // Q does nothing away from the menu.
    StartOnMenu();
    screen = SCREEN_WIN;
    Hold('Q');
    DrawFrame(5);
    EXPECT_TRUE(IsScreen(SCREEN_WIN));
}

TEST(Menu, NewGameStartsAFreshRunOnANewTimeLine) {
    StartOnMenu();
    playerX = 33;
    playerY = 12;
    playerVX = playerVY = pushX = gravity = 0.5;
    scrollX = 80;
    scrollSpeed = 0.25;
    eventTime = 777;
    win32Tick = 90000;
    Hold(VK_RETURN);
    DrawFrame(5000);
    EXPECT_TRUE(IsScreen(SCREEN_GAME));
    EXPECT_EQ(playerX, 1.0);
    EXPECT_EQ(playerY, 0.0);
    EXPECT_EQ(playerVX, 0.0);
    EXPECT_EQ(playerVY, 0.0);
    EXPECT_EQ(pushX, 0.0);
    EXPECT_EQ(gravity, 0.0);
    EXPECT_EQ(scrollX, 0.0);
    EXPECT_EQ(seaLevel, 27.0);
    EXPECT_EQ(startTick, 90000u);
    EXPECT_EQ(scrollSpeed, 0.25); // left for the physics to recompute
    EXPECT_EQ(eventTime, 777u);
    EXPECT_EQ(lastStepTick, 5000u); // still on the old time line

    // The first game frames come before lastStepTick: the disc stays put
    // until the physics has taken up the new time line.
    Hold(VK_RETURN, false);
    DrawFrame(16);
    EXPECT_EQ(playerY, 0.0);
    EXPECT_EQ(lastStepTick, 16u);
    DrawFrame(32);
    EXPECT_NE(scrollX, 0.0); // moving now
    EXPECT_NE(playerX, 1.0);
}

TEST(Game, SeaRisesHalfAUnitASecond) {
    InGameAt(10.0, 0.0, 54000);
    DrawFrame(54000);
    EXPECT_EQ(seaLevel, 0.0);
    EXPECT_TRUE(IsScreen(SCREEN_GAME));

    InGameAt(10.0, 0.0, 59999);
    DrawFrame(59999);
    EXPECT_TRUE(IsScreen(SCREEN_GAME));

    InGameAt(10.0, 0.0, 60000);
    DrawFrame(60000);
    EXPECT_TRUE(IsScreen(SCREEN_GAMEOVER));
    EXPECT_EQ(eventTime, 60000u);
    ASSERT_EQ(PlaysOn(0), 1u);
    for (const SoundCall &c : SoundPlays())
        EXPECT_EQ(c.sample, c.a == 0 ? fallSound : clickSound); // the clock clicks too
}

TEST(Game, GoalEscapeAndDrowningInThatOrder) {
    // A goal cell in row 11, column 5: reached by a disc at level x 10, y 23.
    auto withGoal = [](int32_t t) {
        InGameAt(10.0, 23.0, t);
        mapGrid[11 * GRID_COLS + 5] = CELL_GOAL;
    };
    withGoal(1000);
    DrawFrame(1000);
    EXPECT_TRUE(IsScreen(SCREEN_WIN));
    EXPECT_EQ(eventTime, 1000u);

    withGoal(1000);
    Hold(VK_ESCAPE);
    DrawFrame(1000);
    EXPECT_TRUE(IsScreen(SCREEN_MENU));
    EXPECT_EQ(seaLevel, 27.0); // the menu section already ran
    EXPECT_EQ(PlaysOn(0), 0u);

    withGoal(14000); // the sea line is at y 23 by now
    DrawFrame(14000);
    EXPECT_TRUE(IsScreen(SCREEN_GAMEOVER));
    EXPECT_EQ(eventTime, 14000u);
    EXPECT_EQ(PlaysOn(0), 1u);

    // Row 12 and below hold no goal; columns past 99 count as 99.
    InGameAt(198.0, 24.0, 1000);
    mapGrid[11 * GRID_COLS + 99] = CELL_GOAL;
    DrawFrame(1000);
    EXPECT_TRUE(IsScreen(SCREEN_GAME));
    InGameAt(500.0, 23.0, 1000);
    mapGrid[11 * GRID_COLS + 99] = CELL_GOAL;
    DrawFrame(1000);
    EXPECT_TRUE(IsScreen(SCREEN_WIN));
}

TEST(Game, EscapeWithEnterHeldStartsANewGameAtOnce) {
    InGameAt(50.0, 19.0, 3000);
    Hold(VK_ESCAPE);
    Hold(VK_RETURN);
    win32Tick = 4242;
    DrawFrame(3000);
    EXPECT_TRUE(IsScreen(SCREEN_GAME));
    EXPECT_EQ(playerX, 1.0);
    EXPECT_EQ(startTick, 4242u);
}

TEST(Game, GoalTestIsDefinedForAnyPosition) {
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

TEST(EndScreens, ScrollingScreensEndOnTime) {
    StartOnMenu();
    screen = SCREEN_GAMEOVER;
    eventTime = 1000;
    DrawFrame(8000);
    EXPECT_TRUE(IsScreen(SCREEN_GAMEOVER));
    DrawFrame(8001);
    EXPECT_TRUE(IsScreen(SCREEN_MENU));

    StartOnMenu();
    screen = SCREEN_CRED;
    eventTime = 1000;
    DrawFrame(12000);
    EXPECT_TRUE(IsScreen(SCREEN_CRED));
    DrawFrame(12001);
    EXPECT_TRUE(IsScreen(SCREEN_MENU));

    // The won screen waits for Escape however long it takes.
    StartOnMenu();
    screen = SCREEN_WIN;
    eventTime = 1000;
    DrawFrame(2000000000);
    EXPECT_TRUE(IsScreen(SCREEN_WIN));
    Hold(VK_ESCAPE);
    DrawFrame(2000000001);
    EXPECT_TRUE(IsScreen(SCREEN_MENU));
}

TEST(EndScreens, CreditsBannerEntersAtTheRightEdgeInTheAcceptingFrame) {
    StartOnMenu();
    pelmoxGrid[0] = CELL_BLOCK; // one dot: row 0, column 0
    menuIndex = 1;
    menuCursor = 1.0;
    Hold(VK_RETURN);
    DrawFrame(2500);
    EXPECT_TRUE(IsScreen(SCREEN_CRED));
    EXPECT_EQ(eventTime, 2500u);
    // The dot's highlight lies 0.2 up and left of its centre (40, 10).
    const auto vertices = GlCallsNamed("glVertex3f");
    bool found = false;
    for (const GlCall &v : vertices)
        found = found || (v.a[0] == static_cast<float>(39.8) && v.a[1] == static_cast<float>(9.8));
    EXPECT_TRUE(found);
}
