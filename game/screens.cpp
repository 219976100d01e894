// The screens and their rules: menu, game, won, game over and credits, one frame at a time.
#include "game/screens.h"

#include <GL/gl.h>
#include <bit>
#include <cmath>
#include <cstdint>

#include "core/numeric.h"
#include "core/rules.h"
#include "game/physics.h"
#include "render/banner.h"
#include "render/level_view.h"
#include "render/primitives.h"
#include "render/scenery.h"

namespace {

constexpr int VK_Q = 'Q';

constexpr double CURSOR_REST = 0.1;     // the cursor counts as resting closer than this
constexpr double CURSOR_EASING = 250.0; // it closes 1/250 of the way per millisecond

// The background twinkles by the wall clock, read right before it is drawn.
void DrawTwinklingBackground() {
    const DWORD tick = GetTickCount();
    DrawBackground(static_cast<int32_t>(tick));
}

// Units a scrolling banner has moved since its screen began: eventTime - t,
// taken exactly before it becomes a real number, over 100 ms per unit.
double BannerOffset(int32_t t) {
    const int64_t elapsed = static_cast<int64_t>(eventTime) - static_cast<int64_t>(t);
    return static_cast<double>(elapsed) / BANNER_MS_PER_UNIT;
}

bool CursorAtRest() {
    return std::fabs(menuCursor - menuIndex) < CURSOR_REST;
}

void StartNewGame() {
    screen = SCREEN_GAME;
    playerX = PLAYER_START_X;
    playerY = 0.0;
    playerVX = 0.0;
    playerVY = 0.0;
    pushX = 0.0;
    gravity = 0.0;
    seaLevel = SEA_START;
    startTick = GetTickCount();
    scrollX = 0.0;
}

} // namespace

// The cell under the disc's centre, clamped into the level sideways; below
// the bottom row there is no goal.
bool TouchesGoal() {
    const int32_t column = RoundToInt32(
        MaxOf(0, MinOf(GRID_COLS - 1, (scrollX + playerX) / CELL_SIZE)), GRID_COLS - 1);
    const int32_t row = RoundToInt32(MaxOf(0, (playerY - 1) / CELL_SIZE), INT32_MAX);
    return row <= GRID_ROWS - 1 && mapGrid[row * GRID_COLS + column] == CELL_GOAL;
}

void RiseSea(int32_t t) {
    seaLevel = SEA_START - t / SEA_RISE_MS;
}

void JudgeGameFrame(int32_t t) {
    if (TouchesGoal()) {
        screen = SCREEN_WIN;
        eventTime = static_cast<DWORD>(t);
    }

    if (keys[VK_ESCAPE])
        screen = SCREEN_MENU;

    // Drowning wins over both of the above.
    if (playerY >= seaLevel + DROWN_MARGIN) {
        screen = SCREEN_GAMEOVER;
        FSOUND_PlaySound(FALL_CHANNEL, fallSound);
        eventTime = static_cast<DWORD>(t);
    }
}

void StartOnMenu(DWORD tick) {
    screen = SCREEN_MENU;
    seaLevel = SEA_START;
    startTick = tick;
}

namespace {

void GameSection(int32_t t) {
    RiseSea(t);
    DrawTwinklingBackground();
    StepPlayer(t);
    DrawLevel(mapGrid, scrollX);
    DrawDisc(playerX, playerY, 0.0, 1.0, 0.0, PLAYER_RADIUS);
    DrawSea(t, seaLevel);
    DrawClock(static_cast<DWORD>(t), GAME_CLOCK_X, GAME_CLOCK_Y);
    JudgeGameFrame(t);
}

void WinSection(int32_t t) {
    DrawTwinklingBackground();
    DrawLevel(mapGrid, scrollX);
    DrawBanner(timeGrid, TIME_BANNER_X, TIME_BANNER_Y, LARGE_BANNER_PITCH);
    DrawClock(eventTime, WON_CLOCK_X, WON_CLOCK_Y);
    DrawSea(t, seaLevel);
    if (keys[VK_ESCAPE])
        screen = SCREEN_MENU;
}

void GameOverSection(int32_t t) {
    DrawTwinklingBackground();
    DrawLevel(mapGrid, scrollX);
    DrawClock(eventTime, GAME_CLOCK_X, GAME_CLOCK_Y);
    DrawSea(t, seaLevel);
    DrawBanner(overGrid, BANNER_START_X + BannerOffset(t), BANNER_Y, LARGE_BANNER_PITCH);
    if (30 + BannerOffset(t) < GAMEOVER_END || keys[VK_ESCAPE])
        screen = SCREEN_MENU;
}

void MenuSection(int32_t t) {
    seaLevel = SEA_START;
    DrawTwinklingBackground();
    DrawSea(t, seaLevel);
    DrawBanner(newGrid, MENU_BANNER_X, NEW_BANNER_Y, MENU_BANNER_PITCH);
    DrawBanner(credGrid, MENU_BANNER_X, CRED_BANNER_Y, MENU_BANNER_PITCH);
    DrawBanner(quitGrid, MENU_BANNER_X, QUIT_BANNER_Y, MENU_BANNER_PITCH);

    // A held key moves one entry, waits for the cursor to settle, then moves
    // again. The sound plays even when the move runs off the end and the clamp
    // takes it back.
    if (keys[VK_UP] && CursorAtRest()) {
        menuIndex = menuIndex - 1;
        FSOUND_PlaySound(MENU_CHANNEL, menuSound);
    }
    if (keys[VK_DOWN] && CursorAtRest()) {
        menuIndex = menuIndex + 1;
        FSOUND_PlaySound(MENU_CHANNEL, menuSound);
    }
    menuIndex = TruncToInt32(MaxOf(0, MinOf(2, menuIndex)), 0);

    // One easing step per elapsed millisecond, plus one. Once a step no longer
    // changes the cursor none of the remaining ones would either, so the loop
    // stops there: after a long absence from the menu that saves millions of
    // idle steps without changing where the cursor ends up.
    const int32_t elapsed = static_cast<int32_t>(static_cast<DWORD>(t) - lastStepTick);
    if (elapsed >= 0) {
        const int64_t steps = static_cast<int64_t>(elapsed) + 1;
        for (int64_t i = 0; i < steps; ++i) {
            const double next = menuCursor - (menuCursor - menuIndex) / CURSOR_EASING;
            if (std::bit_cast<uint64_t>(next) == std::bit_cast<uint64_t>(menuCursor))
                break;
            menuCursor = next;
        }
    }

    DrawDisc(CURSOR_X, CURSOR_TOP + ENTRY_SPACING * menuCursor, 1.0, 1.0, 1.0, 1.0);

    if (keys[VK_RETURN] && CursorAtRest()) {
        if (menuIndex == 0) {
            StartNewGame();
        } else if (menuIndex == 1) {
            screen = SCREEN_CRED;
            eventTime = static_cast<DWORD>(t);
        } else if (menuIndex == 2) {
            screen = SCREEN_EXIT;
        }
    }
    if (keys[VK_Q])
        screen = SCREEN_EXIT;

    lastStepTick = static_cast<DWORD>(t);
}

void CreditsSection(int32_t t) {
    DrawBanner(pelmoxGrid, BANNER_START_X + BannerOffset(t), BANNER_Y, LARGE_BANNER_PITCH);
    if (30 + BannerOffset(t) < CREDITS_END || keys[VK_ESCAPE])
        screen = SCREEN_MENU;
}

} // namespace

BOOL DrawFrame(int32_t t) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // Each screen is tested as it stands when its turn comes, so a change to a
    // screen further down the list shows in this same frame.
    if (IsScreen(SCREEN_GAME))
        GameSection(t);
    if (IsScreen(SCREEN_WIN))
        WinSection(t);
    if (IsScreen(SCREEN_GAMEOVER))
        GameOverSection(t);
    if (IsScreen(SCREEN_MENU))
        MenuSection(t);
    if (IsScreen(SCREEN_CRED))
        CreditsSection(t);
    return TRUE;
}
