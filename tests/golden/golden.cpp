// Draws one whole frame of each screen through the main loop's frame (and so
// DrawFrame) on real GL and either
// writes them as the reference pictures (--write DIR) or compares them with
// those pictures (--compare DIR), channel by channel, RGB only. Every disc,
// tile, wave, banner and clock bit the game draws shows in one of them.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/main_loop.h"
#include "core/game_state.h"
#include "core/grid_file.h"
#include "core/rules.h"
#include "game/screens.h"
#include "backends/null/null_backend.h"
#include "tools/headless/headless.h"

namespace {

// The wall clock stands still, so the background and the goals always show
// the same colours (the stand-ins also keep the clock's click silent).
constexpr DWORD GOLDEN_TICK = 1088711; // goals: strong red, some green and blue
constexpr int WIDTH = 800, HEIGHT = 600;
constexpr int TOLERANCE = 3; // per channel: room for rounding in other GL builds

// A frame at game time t, counted from the tick before the wall clock as the
// main loop counts it; the physics and the cursor have caught up.
void FrameAt(const char *name, int32_t t) {
    screen = name;
    startTick = GOLDEN_TICK - static_cast<DWORD>(t);
    lastStepTick = static_cast<DWORD>(t);
    lastClockSeconds = clockSeconds = t / 1000;
    std::memset(keys, 0, sizeof keys);
    RunFrame();
}
void PlaceDisc(double x, double y, double scroll, DWORD endedAt) {
    playerX = x, playerY = y, scrollX = scroll;
    playerVX = playerVY = pushX = scrollSpeed = 0;
    gravity = NORMAL_GRAVITY;
    eventTime = endedAt;
    RiseSea(static_cast<int32_t>(endedAt));
}
void MenuAt(int32_t index, double cursor) {
    StartOnMenu(0);
    menuIndex = index, menuCursor = cursor;
    FrameAt(SCREEN_MENU, 4000);
}

struct Scene {
    const char *name;
    void (*draw)();
};
const Scene SCENES[] = {
    {"frame_menu_resting", [] { MenuAt(1, 1); }},
    {"frame_menu_moving", [] { MenuAt(2, 1.3); }},
    // Sinking, half under the surface: the sea at 16.5, the clock at 21 s.
    {"frame_game", [] { PlaceDisc(21, 18, 8.5, 0), FrameAt(SCREEN_GAME, 21000); }},
    {"frame_won", [] { PlaceDisc(20, 9, 160, 37000), FrameAt(SCREEN_WIN, 39000); }},
    // The banner 30 units in from the right edge.
    {"frame_gameover", [] { PlaceDisc(20, 29, 30, 18000), FrameAt(SCREEN_GAMEOVER, 21000); }},
    {"frame_credits", [] { eventTime = 5000, FrameAt(SCREEN_CRED, 7500); }},
};

} // namespace

int main(int argc, char **argv) {
    std::string mode, dir, out;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--write" || arg == "--compare")
            mode = arg, dir = argv[i + 1];
        else if (arg == "--out")
            out = argv[i + 1];
    }
    if (mode.empty()) {
        std::fprintf(stderr, "usage: vorta_golden --write DIR | --compare DIR [--out DIR]\n");
        return 2;
    }

    // The shipped banners over a test level of our own.
    nullTick = GOLDEN_TICK;
    for (const GridFile &g : GRID_FILES)
        LoadGrid(g.grid, (std::string(VORTA_ASSETS_DIR "/") + g.name).c_str());
    LoadGrid(mapGrid, VORTA_GOLDEN_DIR "/level");

    if (!HeadlessOpen(WIDTH, HEIGHT))
        return 1;
    int failures = 0;
    for (const Scene &scene : SCENES) {
        scene.draw();
        const RgbImage actual = HeadlessCapture();
        const std::string file = std::string(scene.name) + ".png";
        if (mode == "--write") {
            failures += !WritePng(dir + "/" + file, actual);
            continue;
        }
        RgbImage expected;
        if (!ReadPng(dir + "/" + file, expected)) {
            ++failures;
            continue;
        }
        const ImageDifference d = CompareImages(actual, expected, TOLERANCE);
        if (d.sameSize && d.pixelsOutside == 0) {
            std::printf("%-20s ok (largest channel difference %d)\n", scene.name, d.largest);
            continue;
        }
        ++failures;
        std::printf("%-20s FAILED: %ld pixels differ by more than %d (largest %d)%s\n", scene.name,
                    d.pixelsOutside, TOLERANCE, d.largest, d.sameSize ? "" : ", sizes differ");
        if (!out.empty() && std::system(("mkdir -p '" + out + "'").c_str()) == 0) {
            WritePng(out + "/" + file, actual);
            if (d.sameSize)
                WritePng(out + "/" + scene.name + ".diff.png", DifferenceImage(actual, expected));
            std::printf("%-20s see %s/%s\n", "", out.c_str(), file.c_str());
        }
    }
    HeadlessClose();
    return failures == 0 ? 0 : 1;
}
