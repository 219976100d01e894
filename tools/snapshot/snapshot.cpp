// Takes a picture of the game with no display: the real frame code and
// renderers draw on real GL (Mesa, offscreen) and the last frame is written
// as a PNG.
//
//   vorta_snapshot --replay FILE [--frames N] --out FILE.png
//       plays the replay (all its frames, or the first N) and keeps the last
//   vorta_snapshot --screen NAME --time T [--event E] [--x X] [--y Y]
//                  [--scroll S] [--menu I] --out FILE.png
//       draws one frame of the named screen (menu, game, win, gameover, cred)
//       at game time T, with the player, camera and menu entry as given
//
// Either way --grids DIR first loads the grid files found in DIR (the
// shipped ones live in assets/), --map FILE the level, --size WxH sets the
// picture size (800x600 by default) and --view X,Y,W,H draws only that part of
// the game's 40 x 30 field, stretched over the whole picture (the icons).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <GL/gl.h>

#include "app/main_loop.h"
#include "core/game_state.h"
#include "game/screens.h"
#include "tools/replay/replay.h"
#include "tools/headless/headless.h"
#include "backends/null/null_backend.h"

namespace {

struct Options {
    std::string replay, screen, grids, map, out;
    long frames = -1;
    long long time = 0, event = -1;
    double x = 20.0, y = 19.0, scroll = 0.0;
    int menu = 0;
    int width = 800, height = 600;
    double viewX = 0.0, viewY = 0.0, viewW = 40.0, viewH = 30.0;
};

int Usage() {
    std::fprintf(stderr,
                 "usage: vorta_snapshot (--replay FILE [--frames N] | --screen NAME --time T\n"
                 "                       [--event E] [--x X] [--y Y] [--scroll S] [--menu I])\n"
                 "                      [--grids DIR] [--map FILE] [--size WxH] [--view X,Y,W,H]\n"
                 "                      --out FILE.png\n");
    return 2;
}

bool ParseOptions(int argc, char **argv, Options *o) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (i + 1 >= argc)
            return false;
        const char *value = argv[++i];
        char *end = nullptr;
        if (name == "--replay")
            o->replay = value;
        else if (name == "--screen")
            o->screen = value;
        else if (name == "--grids")
            o->grids = value;
        else if (name == "--map")
            o->map = value;
        else if (name == "--out")
            o->out = value;
        else if (name == "--frames")
            o->frames = std::strtol(value, &end, 10);
        else if (name == "--time")
            o->time = std::strtoll(value, &end, 10);
        else if (name == "--event")
            o->event = std::strtoll(value, &end, 10);
        else if (name == "--x")
            o->x = std::strtod(value, &end);
        else if (name == "--y")
            o->y = std::strtod(value, &end);
        else if (name == "--scroll")
            o->scroll = std::strtod(value, &end);
        else if (name == "--menu")
            o->menu = static_cast<int>(std::strtol(value, &end, 10));
        else if (name == "--size") {
            if (std::sscanf(value, "%dx%d", &o->width, &o->height) != 2 || o->width <= 0 ||
                o->height <= 0)
                return false;
            continue;
        } else if (name == "--view") {
            if (std::sscanf(value, "%lf,%lf,%lf,%lf", &o->viewX, &o->viewY, &o->viewW, &o->viewH) !=
                    4 ||
                !(o->viewW > 0.0) || !(o->viewH > 0.0))
                return false;
            continue;
        } else
            return false;
        if (end != nullptr && *end != '\0')
            return false;
    }
    return !o->out.empty() && (o->replay.empty() != o->screen.empty());
}

const char *ScreenNamed(const std::string &name) {
    for (const char *s : {SCREEN_MENU, SCREEN_GAME, SCREEN_WIN, SCREEN_GAMEOVER, SCREEN_CRED})
        if (name == s)
            return s;
    return nullptr;
}

void SetTick(DWORD tick) {
    nullTick = tick;
}

bool PlayReplay(const Options &o, std::string *error) {
    Replay replay;
    if (!ReadReplay(o.replay, &replay, error) || !BeginReplay(replay, error))
        return false;
    long played = 0;
    for (const ReplayFrame &frame : replay.frames) {
        if (o.frames >= 0 && played >= o.frames)
            break;
        ++played;
        if (!PlayReplayFrame(frame, SetTick))
            break;
    }
    if (played == 0) {
        *error = o.replay + ": no frame to show";
        return false;
    }
    return true;
}

bool DrawOneScreen(const Options &o, std::string *error) {
    const char *name = ScreenNamed(o.screen);
    if (name == nullptr) {
        *error = "no such screen: " + o.screen;
        return false;
    }
    const int32_t t = static_cast<int32_t>(o.time);
    screen = name;
    eventTime = static_cast<DWORD>(o.event >= 0 ? o.event : o.time);
    // Where the game left the sea: at the end of the run on the end screens
    // (a game frame sets it from t itself, the menu to its start level).
    RiseSea(static_cast<int32_t>(eventTime));
    playerX = o.x;
    playerY = o.y;
    scrollX = o.scroll;
    menuIndex = o.menu;
    menuCursor = o.menu;
    lastStepTick = static_cast<DWORD>(t); // the physics has caught up with t
    lastClockSeconds = clockSeconds = static_cast<int32_t>(static_cast<DWORD>(t) / 1000);
    startTick = 0;
    nullTick = static_cast<DWORD>(t);
    RunFrame();
    return true;
}

} // namespace

int main(int argc, char **argv) {
    Options o;
    if (!ParseOptions(argc, argv, &o))
        return Usage();

    std::string error;
    bool ok = (o.grids.empty() || LoadGridFolder(o.grids, &error)) &&
              (o.map.empty() || LoadLevelFile(o.map, &error));
    if (!ok) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    StartOnMenu(0);
    if (!HeadlessOpen(o.width, o.height))
        return 1;
    // Narrow the game's own projection down to the part asked for.
    glMatrixMode(GL_PROJECTION);
    glScaled(40.0 / o.viewW, 30.0 / o.viewH, 1.0);
    glTranslated(-o.viewX, -o.viewY, 0.0);
    glMatrixMode(GL_MODELVIEW);
    ok = o.replay.empty() ? DrawOneScreen(o, &error) : PlayReplay(o, &error);
    if (ok) {
        const RgbImage image = HeadlessCapture();
        ok = WritePng(o.out, image);
    } else {
        std::fprintf(stderr, "%s\n", error.c_str());
    }
    HeadlessClose();
    return ok ? 0 : 1;
}
