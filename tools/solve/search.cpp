// The fastest-win search: a beam of runs, a decision every --decide ms, judged
// by the route map, until the first decision in which a run reaches a goal.
#include <algorithm>
#include <cstdio>
#include <unordered_map>
#include <vector>

#include "core/game_state.h"
#include "core/rules.h"
#include "tools/solve/solve.h"

namespace solve {

struct Candidate {
    Snapshot s;
    int32_t parent;
    uint8_t action;
    double score;
    uint8_t lastAction;
};

// Plays one decision of a run: its frames until the next decision, or until
// the run is won or lost. Returns the time of the winning frame, 0 if none,
// -1 when the run is lost.
int32_t PlayDecision(int32_t from, const Options &o, const Action &a) {
    HoldKeys(a);
    for (size_t i = FrameAfter(from); i < frameTimes.size() && frameTimes[i] <= from + o.decide;
         ++i) {
        const int32_t t = frameTimes[i];
        PlayFrame(t);
        if (IsScreen(SCREEN_WIN))
            return t;
        if (IsScreen(SCREEN_GAMEOVER))
            return -1;
    }
    return 0;
}

Win Search(const Options &o) {
    StartRun();
    const int32_t firstGameFrame = frameTimes.front();
    PlayFrame(firstGameFrame); // no step yet: the physics takes up the new time line
    std::vector<Candidate> beam{{Save(), -1, 0, 0.0, 0}};
    std::vector<std::vector<Link>> layers;
    Win win;

    for (int32_t from = firstGameFrame; from < o.limit && !beam.empty(); from += o.decide) {
        std::vector<Candidate> next;
        next.reserve(beam.size() * ACTION_COUNT);
        std::unordered_map<uint64_t, size_t> seen;
        for (size_t i = 0; i < beam.size(); ++i) {
            for (int a = 0; a < ACTION_COUNT; ++a) {
                Load(beam[i].s);
                const int32_t result = PlayDecision(from, o, ACTIONS[a]);
                if (result < 0)
                    continue;
                const Snapshot s = Save();
                if (result > 0) {
                    // Won: the earliest win, and of equal ones the safest, is kept.
                    if (win.found &&
                        (result > win.time ||
                         (result == win.time && WinHeight(LevelX(s), s.y) >= win.height)))
                        continue;
                    win.found = true;
                    win.time = result;
                    win.y = s.y;
                    win.height = WinHeight(LevelX(s), s.y);
                    win.actions =
                        ActionsOf(layers, static_cast<int32_t>(i), static_cast<uint8_t>(a));
                    continue;
                }
                // Fewest steps still to go first. Keeping the keys of the
                // decision before, and holding fewer keys, wins exact ties, so
                // that the replay reads like a player's.
                const double toGo = StepsToGoal(s);
                if (toGo >= NO_ROUTE)
                    continue;
                const double score = -toGo - 1e-6 * (a != beam[i].lastAction) - 1e-7 * KeyCount(a);
                const uint64_t cell = Cell(s);
                auto [it, fresh] = seen.emplace(cell, next.size());
                if (fresh)
                    next.push_back({s, static_cast<int32_t>(i), static_cast<uint8_t>(a), score, 0});
                else if (score > next[it->second].score)
                    next[it->second] = {s, static_cast<int32_t>(i), static_cast<uint8_t>(a), score,
                                        0};
            }
        }
        if (win.found)
            break;

        std::vector<int> bands;
        std::vector<double> scores;
        for (const Candidate &c : next) {
            bands.push_back(Band(c.s));
            scores.push_back(c.score);
        }
        std::vector<Link> layer;
        beam.clear();
        for (size_t k : KeepBest(bands, scores, o.beam)) {
            const Candidate &c = next[k];
            layer.push_back({c.parent, c.action});
            beam.push_back({c.s, static_cast<int32_t>(beam.size()), 0, c.score, c.action});
        }
        layers.push_back(std::move(layer));

        if (!o.quiet && (from - firstGameFrame) % 1000 == 0 && !beam.empty()) {
            const Candidate &best = *std::max_element(
                beam.begin(), beam.end(),
                [](const Candidate &a, const Candidate &b) { return a.score < b.score; });
            std::fprintf(stderr,
                         "t=%5.1f s  runs %5zu  best at x %6.1f, y %5.1f, %5.1f s to go  "
                         "drowning line %5.1f\n",
                         (from + o.decide) / 1000.0, beam.size(), LevelX(best.s), best.s.y,
                         -best.score * STEP_MS / 1000.0, best.s.sea + DROWN_MARGIN);
        }
    }
    return win;
}

} // namespace solve
