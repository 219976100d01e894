// The solver's runs: a run's state between frames, the frames a player gets,
// one game frame by the game's own rules, the start from the menu, and the
// beam's bookkeeping of which runs to keep.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/main_loop.h"
#include "core/game_state.h"
#include "core/rules.h"
#include "game/physics.h"
#include "game/screens.h"
#include "backends/null/null_backend.h"
#include "tools/replay/replay.h"
#include "tools/solve/solve.h"

namespace solve {

const Action ACTIONS[ACTION_COUNT] = {
    {"-", false, false, false, false},       {"Right", false, true, false, false},
    {"Left", true, false, false, false},     {"Right Up", false, true, true, false},
    {"Left Up", true, false, true, false},   {"Up", false, false, true, false},
    {"Down", false, false, false, true},     {"Right Down", false, true, false, true},
    {"Left Down", true, false, false, true},
};

Snapshot Save() {
    return Snapshot{playerX,   playerY, playerVX,     playerVY,        pushX,
                    gravity,   scrollX, scrollSpeed,  seaLevel,        lastStepTick,
                    eventTime, screen,  clockSeconds, lastClockSeconds};
}

void Load(const Snapshot &s) {
    playerX = s.x;
    playerY = s.y;
    playerVX = s.vx;
    playerVY = s.vy;
    pushX = s.push;
    gravity = s.gravity;
    scrollX = s.scroll;
    scrollSpeed = s.scrollSpeed;
    seaLevel = s.sea;
    lastStepTick = s.lastStep;
    eventTime = s.event;
    screen = s.screen;
    clockSeconds = s.clock;
    lastClockSeconds = s.lastClock;
}

void SetTick(DWORD tick) {
    nullTick = tick;
}

void HoldKeys(const Action &a) {
    std::memset(keys, 0, sizeof keys);
    keys[VK_LEFT] = a.left ? BOOL_TRUE : BOOL_FALSE;
    keys[VK_RIGHT] = a.right ? BOOL_TRUE : BOOL_FALSE;
    keys[VK_UP] = a.up ? BOOL_TRUE : BOOL_FALSE;
    keys[VK_DOWN] = a.down ? BOOL_TRUE : BOOL_FALSE;
}

// The rules of one game frame without its drawing, as the game runs them: the
// sea from the time, the physics, then the goal, Escape and the sea over the
// disc. Drawing changes none of this state.
void RuleFrame(int32_t t) {
    RiseSea(t);
    StepPlayer(t);
    JudgeGameFrame(t);
}

bool exactFrames = false;

void PlayFrame(int32_t t) {
    if (exactFrames) {
        SetTick(startTick + static_cast<DWORD>(t));
        RunFrame();
    } else {
        RuleFrame(t);
    }
}

// A run that wins at the top of a jump is no safer from the sea than the
// platform below it.
double WinHeight(double levelX, double y) {
    const int row = FloorRowUnder(levelX, y);
    return row == NO_FLOOR ? y : std::max(y, CELL_SIZE * row - 1.0);
}

// Seconds between the win and the moment the drowning line would reach the
// height it is judged at.
double MarginSeconds(int32_t winTime, double height) {
    return ((DROWN_START - height) * SEA_RISE_MS - winTime) / 1000.0;
}

std::vector<int32_t> frameTimes;

void PlanFrames(const Options &o) {
    frameTimes.clear();
    for (int64_t n = 1;; ++n) {
        const int64_t t = o.frameMs > 0 ? n * o.frameMs : DisplayFrameTime(n, o.hz);
        if (t > static_cast<int64_t>(o.limit) + o.decide)
            break;
        frameTimes.push_back(static_cast<int32_t>(t));
    }
}

size_t FrameAfter(int32_t t) {
    return static_cast<size_t>(std::upper_bound(frameTimes.begin(), frameTimes.end(), t) -
                               frameTimes.begin());
}

bool LoadLevel(const Options &o, std::string *error) {
    return (o.grids.empty() || LoadGridFolder(o.grids, error)) &&
           (o.map.empty() || LoadLevelFile(o.map, error));
}

// Puts the game on the menu as start-up leaves it, then starts a new game with
// Enter and plays the first game frame (which only takes up the new time line).
void StartRun() {
    StartOnMenu(START_TICK);
    for (int32_t t = MENU_FROM; t <= MENU_TO; t += MENU_STEP) {
        HoldKeys(ACTIONS[0]);
        SetTick(startTick + static_cast<DWORD>(t));
        RunFrame();
    }
    std::memset(keys, 0, sizeof keys);
    keys[VK_RETURN] = BOOL_TRUE;
    SetTick(startTick + static_cast<DWORD>(ENTER_AT));
    RunFrame();
}

int KeyCount(int a) {
    return ACTIONS[a].left + ACTIONS[a].right + ACTIONS[a].up + ACTIONS[a].down;
}

double LevelX(const Snapshot &s) {
    return s.scroll + s.x;
}

int Band(const Snapshot &s) {
    const double row = std::floor((s.y + 1.0) / 2.0);
    return static_cast<int>(std::clamp(row, 0.0, BANDS - 1.0));
}

std::vector<size_t> KeepBest(const std::vector<int> &bands, const std::vector<double> &scores,
                             int beam) {
    std::vector<std::vector<size_t>> byBand(BANDS);
    for (size_t i = 0; i < bands.size(); ++i)
        byBand[bands[i]].push_back(i);
    auto better = [&](size_t a, size_t b) { return scores[a] > scores[b]; };
    const size_t perBand = static_cast<size_t>(beam) / (2 * BANDS) + 1;
    std::vector<size_t> kept, rest;
    for (auto &band : byBand) {
        std::sort(band.begin(), band.end(), better);
        for (size_t k = 0; k < band.size(); ++k)
            (k < perBand ? kept : rest).push_back(band[k]);
    }
    std::sort(rest.begin(), rest.end(), better);
    for (size_t i : rest) {
        if (kept.size() >= static_cast<size_t>(beam))
            break;
        kept.push_back(i);
    }
    return kept;
}

std::vector<uint8_t> ActionsOf(const std::vector<std::vector<Link>> &layers, int32_t index,
                               uint8_t last) {
    std::vector<uint8_t> actions{last};
    for (int32_t l = static_cast<int32_t>(layers.size()) - 1; l >= 0; --l) {
        actions.push_back(layers[l][index].action);
        index = layers[l][index].parent;
    }
    std::reverse(actions.begin(), actions.end());
    return actions;
}

uint64_t Cell(const Snapshot &s) {
    auto q = [](double v, double scale, int bits) {
        const int64_t i = static_cast<int64_t>(std::floor(v * scale));
        return static_cast<uint64_t>(i) & ((uint64_t{1} << bits) - 1);
    };
    return q(LevelX(s), 4.0, 14) | q(s.y, 4.0, 10) << 14 | q(s.vx, 200.0, 10) << 24 |
           q(s.vy, 100.0, 10) << 34 | q(s.x, 1.0, 8) << 44;
}

} // namespace solve
