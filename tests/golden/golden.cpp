// Draws a set of scenes with the game's renderers on real GL and either writes
// them as the reference pictures (--write DIR) or compares them with those
// pictures (--compare DIR), channel by channel, RGB only.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "core/game_state.h"
#include "core/grid_file.h"
#include "core/rules.h"
#include "game/screens.h"
#include "render/banner.h"
#include "render/level_view.h"
#include "render/primitives.h"
#include "render/scenery.h"
#include "sound/fsound.h"
#include "tools/headless/headless.h"
#include "null/null_backend.h"

#include <GL/gl.h>

// The goal markers read the tick count: here it stands still so the goals
// always show the same colour (the stand-ins also keep the clock's click silent).
namespace {
constexpr DWORD GOLDEN_TICK = 1088711; // goals: strong red, some green and blue
}

namespace {

constexpr int WIDTH = 800, HEIGHT = 600;
constexpr int TOLERANCE = 3; // per channel: room for rounding in other GL builds

Grid levelGrid, smallBanner, largeBanner, oneDot;

// Reads a test picture: ';' starts a note line, '#' is 1, 'o' is 2, a digit is
// its own value, anything else is 0; short lines and missing rows are empty.
bool LoadTextGrid(Grid grid, const std::string &path) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        return false;
    }
    std::memset(grid, CELL_EMPTY, GRID_CELLS);
    std::string line;
    int row = 0;
    while (row < GRID_ROWS && std::getline(in, line)) {
        if (!line.empty() && line[0] == ';')
            continue;
        for (int c = 0; c < GRID_COLS && c < static_cast<int>(line.size()); ++c) {
            const char ch = line[c];
            unsigned char v = CELL_EMPTY;
            if (ch == '#')
                v = CELL_BLOCK;
            else if (ch == 'o')
                v = CELL_GOAL;
            else if (ch >= '0' && ch <= '9')
                v = static_cast<unsigned char>(ch - '0');
            grid[row * GRID_COLS + c] = v;
        }
        ++row;
    }
    return true;
}

void Clear() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// Every kind of disc the game draws, left to right: the player, the menu
// cursor, a goal marker (through the level view), banner dots at both
// pitches, and a set and a clear clock bit. Below them the same row over a
// run of tiles, to show how they blend.
void SceneDiscs() {
    Clear();
    for (int row = 0; row < 2; ++row) {
        const double y = 8 + 12 * row;
        if (row == 1)
            for (double x = 2; x < 38; x += 2)
                DrawTile(x, y - 1);
        DrawDisc(4, y, 0, 1, 0, 1.1);
        DrawDisc(9, y, 1, 1, 1, 1);
        Grid goal = {};
        goal[(row == 0 ? 4 : 10) * GRID_COLS + 7] = CELL_GOAL; // corner at (14, y)
        DrawLevel(goal, 0);
        DrawBanner(oneDot, 19, y, 0.25);
        DrawBanner(oneDot, 23, y, 0.5);
        DrawDisc(29, y, 0, 0, 1, 1);
        DrawDisc(34, y, 1, 1, 1, 1);
    }
}

void SceneTiles() {
    Clear();
    for (int i = 0; i < 6; ++i)
        DrawTile(4 + 2 * i, 6);
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j)
            DrawTile(22 + 2 * i, 14 + 2 * j);
    DrawTile(32, 22);
}

void SceneBackground() {
    Clear();
    DrawBackground(static_cast<int32_t>(GOLDEN_TICK));
}

void Sea(double level) {
    Clear();
    DrawSea(5000, level);
}
void SceneSea27() {
    Sea(27);
}
void SceneSea15() {
    Sea(15);
}
void SceneSeaAboveTheTop() {
    Sea(-2);
}

void SceneLevelStart() {
    Clear();
    DrawLevel(levelGrid, 0);
}
void SceneLevelEnd() {
    Clear();
    DrawLevel(levelGrid, 170);
}

void SceneSmallBanner() {
    Clear();
    DrawBanner(smallBanner, 10, 5, 0.25);
}
void SceneLargeBanner() {
    Clear();
    DrawBanner(largeBanner, 3, 10, 0.5);
}

void SceneClock() {
    Clear();
    lastClockSeconds = 200; // no click wanted, though it would be silent anyway
    DrawClock(200000, 10, 20);
}

// Whole frames through DrawFrame, one per screen, with the shipped banners and
// the test level. The wall clock stands at GOLDEN_TICK and game time t is
// counted from the tick before it, as the main loop counts it.
void FrameAt(const char *name, int32_t t) {
    screen = name;
    startTick = GOLDEN_TICK - static_cast<DWORD>(t);
    lastStepTick = static_cast<DWORD>(t); // the physics and the cursor have caught up
    lastClockSeconds = clockSeconds = t / 1000;
    std::memset(keys, 0, sizeof keys);
    DrawFrame(t);
}
void PlaceDisc(double x, double y, double scroll) {
    playerX = x;
    playerY = y;
    playerVX = playerVY = pushX = scrollSpeed = 0;
    gravity = NORMAL_GRAVITY;
    scrollX = scroll;
}
void SceneMenuResting() {
    StartOnMenu(0);
    menuIndex = 1;
    menuCursor = 1;
    FrameAt(SCREEN_MENU, 4000);
}
void SceneMenuMoving() {
    StartOnMenu(0);
    menuIndex = 2;
    menuCursor = 1.3;
    FrameAt(SCREEN_MENU, 4000);
}
void SceneGameThroughDrawFrame() {
    PlaceDisc(21, 18, 8.5); // sinking: half under the surface
    FrameAt(SCREEN_GAME, 21000); // the sea at 16.5, the clock at 21 s
}
void SceneWon() {
    PlaceDisc(20, 9, 160);
    eventTime = 37000;
    RiseSea(37000);
    FrameAt(SCREEN_WIN, 39000);
}
void SceneGameOver() {
    PlaceDisc(20, 29, 30);
    eventTime = 18000;
    RiseSea(18000);
    FrameAt(SCREEN_GAMEOVER, 21000); // the banner 30 units in from the right edge
}
void SceneCredits() {
    eventTime = 5000;
    FrameAt(SCREEN_CRED, 7500);
}

struct Scene {
    const char *name;
    void (*draw)();
};

const Scene SCENES[] = {
    {"discs", SceneDiscs},
    {"tiles", SceneTiles},
    {"background", SceneBackground},
    {"sea_level_27", SceneSea27},
    {"sea_level_15", SceneSea15},
    {"sea_level_minus_2", SceneSeaAboveTheTop},
    {"level_scroll_0", SceneLevelStart},
    {"level_scroll_170", SceneLevelEnd},
    {"banner_pitch_0.25", SceneSmallBanner},
    {"banner_pitch_0.5", SceneLargeBanner},
    {"clock_200s", SceneClock},
    {"frame_menu_resting", SceneMenuResting},
    {"frame_menu_moving", SceneMenuMoving},
    {"frame_game", SceneGameThroughDrawFrame},
    {"frame_won", SceneWon},
    {"frame_gameover", SceneGameOver},
    {"frame_credits", SceneCredits},
};

int Usage() {
    std::fprintf(stderr, "usage: vorta_golden --write DIR\n"
                         "       vorta_golden --compare DIR [--out DIR]\n");
    return 2;
}

} // namespace

int main(int argc, char **argv) {
    nullTick = GOLDEN_TICK;
    std::string mode, dir, out;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--write" || arg == "--compare") && i + 1 < argc) {
            mode = arg;
            dir = argv[++i];
        } else if (arg == "--out" && i + 1 < argc) {
            out = argv[++i];
        } else {
            return Usage();
        }
    }
    if (mode.empty())
        return Usage();

    const std::string grids = std::string(VK_GOLDEN_DIR) + "/grids/";
    if (!LoadTextGrid(levelGrid, grids + "level.txt") ||
        !LoadTextGrid(smallBanner, grids + "banner_small.txt") ||
        !LoadTextGrid(largeBanner, grids + "banner_large.txt"))
        return 1;
    oneDot[0] = CELL_BLOCK;
    for (const GridFile &g : GRID_FILES)
        LoadGrid(g.grid, (std::string(VK_ASSETS_DIR "/") + g.name).c_str());
    std::memcpy(mapGrid, levelGrid, GRID_CELLS);

    if (!HeadlessOpen(WIDTH, HEIGHT))
        return 1;
    int failures = 0;
    for (const Scene &scene : SCENES) {
        scene.draw();
        const RgbImage actual = HeadlessCapture();
        const std::string file = std::string(scene.name) + ".png";
        if (mode == "--write") {
            if (!WritePng(dir + "/" + file, actual))
                ++failures;
            continue;
        }
        RgbImage expected;
        if (!ReadPng(dir + "/" + file, expected)) {
            ++failures;
            continue;
        }
        const ImageDifference d = CompareImages(actual, expected, TOLERANCE);
        if (d.sameSize && d.pixelsOutside == 0) {
            std::printf("%-22s ok (largest channel difference %d)\n", scene.name, d.largest);
            continue;
        }
        ++failures;
        if (!d.sameSize)
            std::printf("%-22s FAILED: %dx%d, expected %dx%d\n", scene.name, actual.width,
                        actual.height, expected.width, expected.height);
        else
            std::printf("%-22s FAILED: %ld pixels differ by more than %d (largest %d)\n",
                        scene.name, d.pixelsOutside, TOLERANCE, d.largest);
        if (!out.empty()) {
            std::string command = "mkdir -p '" + out + "'";
            if (std::system(command.c_str()) == 0) {
                WritePng(out + "/" + file, actual);
                if (d.sameSize)
                    WritePng(out + "/" + std::string(scene.name) + ".diff.png",
                             DifferenceImage(actual, expected));
                std::printf("%-22s see %s/%s\n", "", out.c_str(), file.c_str());
            }
        }
    }
    HeadlessClose();
    return failures == 0 ? 0 : 1;
}
