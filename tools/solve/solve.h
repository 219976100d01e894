// What the solver's parts share: the options, a run's state between frames
// and the frames a player gets (run.cpp), the route map's estimate
// (route_map.cpp), the beam's choice of runs, the searches (search.cpp,
// forgiving.cpp) and the win they report; solve.cpp is the command line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/game_state.h"
#include "core/rules.h"

namespace solve {

constexpr double DROWN_START = SEA_START + DROWN_MARGIN; // the drowning line at game time 0

// The menu part of every run: a little time on the menu, then Enter.
constexpr DWORD START_TICK = 50000;
constexpr int32_t MENU_FROM = 1000, MENU_TO = 1200, MENU_STEP = 20;
constexpr int32_t ENTER_AT = 1220;

struct Options {
    std::string grids, map, out, check;
    int beam = 0;       // 0: each search's own width
    int32_t decide = 0; // 0: each search's own pace
    int32_t limit = 60000;
    int32_t hz = 60;     // frames of a display at this rate, on the tick ...
    int32_t frameMs = 0; // ... or, when not 0, frames exactly this far apart
    double minMargin = 10.0, minTime = 0.0;
    bool quiet = false;
    bool forgiving = false;
    // Moved keys: each press and release by up to +-jitter ms, in `tries`
    // plays drawn from `seed`; --min-share is the share that must still win.
    int32_t jitter = 60;
    int tries = 100;
    uint32_t seed = 1;
    double minShare = 0.0;
};

struct Action {
    const char *name;
    bool left, right, up, down;
};
extern const Action ACTIONS[];
constexpr int ACTION_COUNT = 9;
int KeyCount(int a);

// Everything the rules of a game frame read or write.
struct Snapshot {
    double x, y, vx, vy, push, gravity, scroll, scrollSpeed, sea;
    DWORD lastStep, event;
    const char *screen;
    int32_t clock, lastClock;
};
Snapshot Save();
void Load(const Snapshot &s);
double LevelX(const Snapshot &s);

void SetTick(DWORD tick);
void HoldKeys(const Action &a);
// Plays frames through DrawFrame instead of the rules alone (slower, same result).
extern bool exactFrames;
// Loads the level and banners the options name.
bool LoadLevel(const Options &o, std::string *error);
// Starts a new game from the menu with Enter, as a player would.
void StartRun();
// One game frame at game time t, with the keys as they are.
void PlayFrame(int32_t t);

// The game times of the frames after the one that starts the game, in order.
extern std::vector<int32_t> frameTimes;
// The first frame after game time t.
size_t FrameAfter(int32_t t);
// Works out frameTimes for the options' display rate or frame length.
void PlanFrames(const Options &o);

// The route map (route_map.cpp): about how many steps a run still needs to a
// goal, NO_ROUTE when none; built once per level.
constexpr float NO_ROUTE = 1e9f;
void BuildRouteMap();
double StepsToGoal(const Snapshot &s);

// The beam: one link per kept run and decision, back to its parent.
struct Link {
    int32_t parent;
    uint8_t action;
};
// The decisions of run `index` of the newest layer, with `last` after them.
std::vector<uint8_t> ActionsOf(const std::vector<std::vector<Link>> &layers, int32_t index,
                               uint8_t last);
// Which height band a run is in: one per level row, plus below the level.
constexpr int BANDS = 13;
int Band(const Snapshot &s);
// Which runs to keep, given each run's band and score (higher is better): the
// best of every band, then the best overall, at most `beam`.
std::vector<size_t> KeepBest(const std::vector<int> &bands, const std::vector<double> &scores,
                             int beam);

// Runs that are this close in every respect count as the same run.
uint64_t Cell(const Snapshot &s);

struct Win {
    bool found = false;
    int32_t time = 0;
    double y = 0, height = 0;
    std::vector<uint8_t> actions; // one per decision
};
// The height a win is judged at: the disc's centre, or the floor below it when
// it wins in the air; and the seconds from the win until the sea would drown a
// disc at that height.
double WinHeight(double levelX, double y);
double MarginSeconds(int32_t winTime, double height);

// The fastest-win search (search.cpp).
Win Search(const Options &o);

// The forgiving search (forgiving.cpp): a win that moved keys keep.
Win ForgivingSearch(const Options &o);
// Plays a replay's game o.tries times with its keys moved (forgiving.cpp);
// the number of plays that still win, or -1 (with `error`).
int MovedKeyWins(const std::string &path, const Options &o, std::string *error);

} // namespace solve
