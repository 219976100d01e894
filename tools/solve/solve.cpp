// Looks for the fastest run that wins a level, or a forgiving one, under the
// game's own rules.
//
//   solve [--grids DIR] [--map FILE] [--forgiving] [--beam N] [--decide MS]
//         [--frame HZHz|MS] [--limit MS] [--exact] [--out FILE.replay] [--quiet]
//         [--min-margin S] [--min-time S] [--jitter MS] [--tries N] [--seed N]
//         [--min-share PERCENT]
//   solve --check FILE.replay [--min-margin S] [--min-time S] [--jitter MS]
//         [--tries N] [--seed N] [--min-share PERCENT]
//
// The search starts a new game from the menu with Enter, as a player would,
// and then plays the frames a player gets through the real StepPlayer: by
// default those of a 60 Hz display, each at the time the game's tick counter
// gives it (whole 5 ms ticks, so frames come 15 or 20 ms apart and no physics
// step is lost); `--frame 144Hz` plays another display rate, and `--frame 10`
// frames of exactly 10 ms. Every --decide ms (50) each run in the beam picks
// one of nine key combinations for the frames until the next decision. Runs
// are judged by a route map of the level, an estimate of the steps each still
// needs to reach a goal (so a level whose way doubles back is searched the
// right way round); the beam (--beam, 4000 runs) keeps the best runs of every
// height band, so that a run that climbs early is not crowded out by one that
// runs fast along the bottom, and merges runs that are all but the same. The
// first decision in which some run reaches a goal gives the fastest win found.
//
// A player's fingers are not that exact. Every win found or checked is also
// played --tries times (100) with each press and each release of an arrow key
// moved by its own random amount of up to --jitter ms (60) either way, drawn
// from --seed, and the share of those plays that still win is reported. The
// fastest win is seldom kept by them; --forgiving searches for a run they keep
// instead (forgiving.cpp).
//
// Between frames a run keeps the whole state the rules look at: position,
// speeds, push, gravity, camera, the step clock, the sea and the screen. By
// default the frames run the physics and the three rules of a game frame
// (sea, goal, drowning) without drawing; --exact plays every frame through
// DrawFrame instead (slower, same result). Either way the winning run is
// written as a replay and played once more through DrawFrame before it is
// reported.
//
// A win is judged at the disc's height, or at the floor below it when it wins
// in the air: the margin is the time from the win until the sea would drown a
// disc at that height. The search fails (exit code 1) when it finds no win,
// or a win with less than --min-margin seconds to spare (10 by default),
// faster than --min-time seconds (0) or kept by less than --min-share percent
// of the plays with moved keys (0). --check plays a recorded replay through
// DrawFrame instead and judges its win the same way.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/game_state.h"
#include "game/screens.h"
#include "backends/null/null_backend.h"
#include "tools/replay/replay.h"
#include "tools/solve/solve.h"

namespace solve {

std::string KeysOf(int a) {
    return ACTIONS[a].name[0] == '-' ? std::string() : std::string(" ") + ACTIONS[a].name;
}

// Writes the run as a replay: the menu, Enter, the game frames with their
// keys, then a second on the won screen and back to the menu with Escape.
bool WriteReplay(const Options &o, const Win &win, std::string *error) {
    std::ofstream out(o.out);
    if (!out) {
        *error = o.out + ": cannot be written";
        return false;
    }
    namespace fs = std::filesystem;
    const fs::path folder = fs::absolute(fs::path(o.out)).parent_path();
    out << "# " << (o.forgiving ? "A forgiving" : "The fastest")
        << " win the solver found on this level: " << win.time / 1000.0 << " s, "
        << MarginSeconds(win.time, win.height) << " s before the\n"
        << "# sea would reach the height it wins at";
    if (o.forgiving)
        out << ", and a run that still\n# wins with each arrow key press and release up to "
            << o.jitter << " ms early or late\n# (solve --check tells how often)";
    out << ".\n# Made by tools/solve" << (o.forgiving ? " --forgiving" : "") << " with a beam of "
        << o.beam << ", a decision every " << o.decide << " ms\n# and ";
    if (o.frameMs > 0)
        out << "frames of " << o.frameMs << " ms";
    else
        out << "the frames of a " << o.hz << " Hz display";
    out << "; made again whenever the level changes.\n";
    if (!o.grids.empty())
        out << "grids " << fs::relative(fs::absolute(o.grids), folder).generic_string() << "\n";
    if (!o.map.empty())
        out << "map " << fs::relative(fs::absolute(o.map), folder).generic_string() << "\n";
    out << "start " << START_TICK << "\n";
    out << MENU_FROM << ".." << MENU_TO << "/" << MENU_STEP << "\n";
    out << ENTER_AT << " Enter\n";
    out << frameTimes.front() << "\n";

    // Runs of decisions with the same keys become one line; the last one stops
    // at the winning frame.
    int32_t from = frameTimes.front();
    for (size_t i = 0; i < win.actions.size();) {
        size_t j = i;
        while (j + 1 < win.actions.size() && win.actions[j + 1] == win.actions[i])
            ++j;
        const int32_t first = frameTimes[FrameAfter(from)];
        int32_t last =
            frameTimes[FrameAfter(from + static_cast<int32_t>(j - i + 1) * o.decide) - 1];
        if (j + 1 == win.actions.size())
            last = win.time;
        if (first == last)
            out << first << KeysOf(win.actions[i]) << "\n";
        else if (o.frameMs > 0)
            out << first << ".." << last << "/" << o.frameMs << KeysOf(win.actions[i]) << "\n";
        else
            out << first << ".." << last << "@" << o.hz << KeysOf(win.actions[i]) << "\n";
        from += static_cast<int32_t>(j - i + 1) * o.decide;
        i = j + 1;
    }
    const int32_t after = win.time + 33;
    out << after << ".." << after + 990 << "/33            # the won screen\n";
    out << after + 1023 << ".." << after + 1056 << "/33 Escape\n";
    out << after + 1089 << ".." << after + 1287 << "/33\n";
    return static_cast<bool>(out);
}

struct Outcome {
    bool won = false;
    int32_t time = 0;
    double y = 0, levelX = 0, height = 0;
};

// Plays a replay through DrawFrame, as the replay test does, and notes the win.
bool PlayBack(const std::string &path, Outcome *outcome, std::string *error) {
    Replay replay;
    if (!ReadReplay(path, &replay, error))
        return false;
    ClearGameState();
    if (!BeginReplay(replay, error))
        return false;
    *outcome = Outcome{};
    for (const ReplayFrame &frame : replay.frames) {
        const bool wasGame = IsScreen(SCREEN_GAME);
        const bool goesOn = PlayReplayFrame(frame, SetTick);
        if (wasGame && IsScreen(SCREEN_WIN) && !outcome->won) {
            outcome->won = true;
            outcome->time = frame.t;
            outcome->y = playerY;
            outcome->levelX = scrollX + playerX;
            outcome->height = WinHeight(outcome->levelX, playerY);
        }
        if (!goesOn)
            break;
    }
    return true;
}

// Plays the replay with moved keys and reports the share of plays that still
// win; false when it is under --min-share.
bool ReportMovedKeys(const std::string &path, const Options &o, std::string *error, bool *failed) {
    const int wins = MovedKeyWins(path, o, error);
    if (wins < 0)
        return false;
    const double share = 100.0 * wins / o.tries;
    std::printf("  with every arrow key press and release moved by up to %d ms: %d of %d plays "
                "win (%.0f %%)\n",
                o.jitter, wins, o.tries, share);
    if (share < o.minShare) {
        std::printf("  less than %.0f %% of the plays win\n", o.minShare);
        *failed = true;
    }
    return true;
}

void ReportOutcome(const Outcome &w) {
    std::printf("wins at %.3f s at x %.2f, y %.2f; the sea would reach ", w.time / 1000.0, w.levelX,
                w.y);
    if (w.height != w.y)
        std::printf("the floor below (y %.2f) ", w.height);
    else
        std::printf("that height ");
    std::printf("at %.3f s: %.3f s to spare\n", (DROWN_START - w.height) * SEA_RISE_MS / 1000.0,
                MarginSeconds(w.time, w.height));
}

int Check(const Options &o) {
    Outcome w;
    std::string error;
    if (!PlayBack(o.check, &w, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    if (!w.won) {
        std::printf("%s: the run does not win\n", o.check.c_str());
        return 1;
    }
    std::printf("%s: ", o.check.c_str());
    ReportOutcome(w);
    bool ok = true;
    if (MarginSeconds(w.time, w.height) < o.minMargin) {
        std::printf("  less than %.1f s to spare\n", o.minMargin);
        ok = false;
    }
    if (w.time / 1000.0 < o.minTime) {
        std::printf("  faster than %.1f s: the level is too easy\n", o.minTime);
        ok = false;
    }
    bool failed = false;
    if (!ReportMovedKeys(o.check, o, &error, &failed)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    return ok && !failed ? 0 : 1;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: solve [--grids DIR] [--map FILE] [--forgiving] [--beam N] [--decide MS]\n"
                 "             [--frame HZHz|MS] [--limit MS] [--exact] [--out FILE.replay]\n"
                 "             [--quiet] [--min-margin S] [--min-time S] [--jitter MS]\n"
                 "             [--tries N] [--seed N] [--min-share PERCENT]\n"
                 "       solve --check FILE.replay [--min-margin S] [--min-time S] [--jitter MS]\n"
                 "             [--tries N] [--seed N] [--min-share PERCENT]\n");
    return 2;
}

bool ParseOptions(int argc, char **argv, Options *o) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--exact") {
            exactFrames = true;
            continue;
        }
        if (name == "--quiet") {
            o->quiet = true;
            continue;
        }
        if (name == "--forgiving") {
            o->forgiving = true;
            continue;
        }
        if (i + 1 >= argc)
            return false;
        const char *value = argv[++i];
        char *end = nullptr;
        if (name == "--grids")
            o->grids = value;
        else if (name == "--map")
            o->map = value;
        else if (name == "--out")
            o->out = value;
        else if (name == "--check")
            o->check = value;
        else if (name == "--beam")
            o->beam = static_cast<int>(std::strtol(value, &end, 10));
        else if (name == "--decide")
            o->decide = static_cast<int32_t>(std::strtol(value, &end, 10));
        else if (name == "--frame") {
            const long number = std::strtol(value, &end, 10);
            if (std::strcmp(end, "Hz") == 0 || std::strcmp(end, "hz") == 0) {
                o->hz = static_cast<int32_t>(std::clamp(number, 0L, 1000L));
                o->frameMs = 0;
                end = nullptr;
            } else {
                o->frameMs = static_cast<int32_t>(std::clamp(number, 0L, 60000L));
            }
            if (number <= 0)
                return false;
        } else if (name == "--limit")
            o->limit = static_cast<int32_t>(std::strtol(value, &end, 10));
        else if (name == "--min-margin")
            o->minMargin = std::strtod(value, &end);
        else if (name == "--min-time")
            o->minTime = std::strtod(value, &end);
        else if (name == "--jitter")
            o->jitter = static_cast<int32_t>(std::strtol(value, &end, 10));
        else if (name == "--tries")
            o->tries = static_cast<int>(std::strtol(value, &end, 10));
        else if (name == "--seed")
            o->seed = static_cast<uint32_t>(std::strtoul(value, &end, 10));
        else if (name == "--min-share")
            o->minShare = std::strtod(value, &end);
        else
            return false;
        if (end != nullptr && *end != '\0')
            return false;
    }
    // The forgiving search plays every run many times: a narrower beam, and
    // decisions a player can follow.
    if (o->beam == 0)
        o->beam = o->forgiving ? 100 : 4000;
    if (o->decide == 0)
        o->decide = o->forgiving ? 100 : 50;
    // Every decision must hold at least one frame.
    const bool frames =
        o->frameMs > 0 ? o->decide >= o->frameMs && o->decide % o->frameMs == 0
                       : o->hz > 0 && o->decide >= 1000 / o->hz + static_cast<int32_t>(TICK_MS);
    return o->beam > 0 && frames && o->limit > 0 && o->jitter >= 0 && o->jitter <= 1000 &&
           o->tries > 0;
}

} // namespace solve

int main(int argc, char **argv) {
    using namespace solve;
    Options o;
    if (!ParseOptions(argc, argv, &o))
        return Usage();
    PlanFrames(o);
    if (!o.check.empty())
        return Check(o);

    ClearGameState();
    std::string error;
    if (!LoadLevel(o, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    BuildRouteMap();
    const Win win = o.forgiving ? ForgivingSearch(o) : Search(o);
    if (!win.found) {
        std::printf("no winning run found within %.1f s\n", o.limit / 1000.0);
        return 1;
    }
    std::printf("%s win found: %.3f s, %.3f s before the sea reaches the disc\n",
                o.forgiving ? "forgiving" : "fastest", win.time / 1000.0,
                MarginSeconds(win.time, win.height));
    const bool fair =
        MarginSeconds(win.time, win.height) >= o.minMargin && win.time / 1000.0 >= o.minTime;
    if (!fair)
        std::printf("  wanted: at least %.1f s to spare, and no faster than %.1f s\n", o.minMargin,
                    o.minTime);
    if (o.out.empty())
        return fair ? 0 : 1;

    // Written down, and played once more through DrawFrame like any replay.
    Outcome replayed;
    if (!WriteReplay(o, win, &error) || !PlayBack(o.out, &replayed, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    if (!replayed.won || replayed.time != win.time) {
        std::fprintf(stderr, "%s: played through DrawFrame the run does not win at %.3f s\n",
                     o.out.c_str(), win.time / 1000.0);
        return 2;
    }
    std::printf("%s: ", o.out.c_str());
    ReportOutcome(replayed);
    bool failed = false;
    if (!ReportMovedKeys(o.out, o, &error, &failed)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    return fair && !failed ? 0 : 1;
}
