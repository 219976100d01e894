// Plays a replay through DrawFrame with the recording stand-ins and compares
// the frame-by-frame trace with the one committed beside it.
//
//   replay_check [--update] <name.replay>
//
// Without --update a difference is reported with the first differing frame
// and the exit code is 1. With --update name.trace is written anew (on purpose:
// after a deliberate change of the rules, read the diff before committing).
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/doubles/test_support.h"
#include "tools/replay/replay.h"

namespace {

void SetTick(DWORD tick) {
    win32Tick = tick;
}

const char *SampleName(FSOUND_SAMPLE *sample) {
    const struct {
        FSOUND_SAMPLE *sample;
        const char *name;
    } names[] = {
        {fallSound, "fall"}, {jumpSound, "jump"}, {clickSound, "click"}, {menuSound, "menu"}};
    for (const auto &n : names)
        if (sample == n.sample)
            return n.name;
    return "?";
}

// One line per frame: everything the rules decide, exactly.
std::string TraceLine(const ReplayFrame &frame, size_t soundsBefore) {
    std::string keyText, soundText;
    for (int code : frame.keys)
        keyText += (keyText.empty() ? "" : "+") + ReplayKeyName(code);
    for (size_t i = soundsBefore; i < soundCalls.size(); ++i)
        if (soundCalls[i].op == "PlaySound")
            soundText += (soundText.empty() ? "" : ",") + std::to_string(soundCalls[i].a) + ":" +
                         SampleName(soundCalls[i].sample);
    char line[1024];
    std::snprintf(line, sizeof line,
                  "t=%d keys=%s screen=%s x=%.17g y=%.17g vx=%.17g vy=%.17g scroll=%.17g "
                  "sea=%.17g menu=%d cursor=%.17g event=%u sounds=%s",
                  frame.t, keyText.empty() ? "-" : keyText.c_str(), screen, playerX, playerY,
                  playerVX, playerVY, scrollX, seaLevel, menuIndex, menuCursor, eventTime,
                  soundText.empty() ? "-" : soundText.c_str());
    return line;
}

// The trace of the whole replay; false (with `error`) when it cannot be played.
bool Play(const Replay &replay, std::string *trace, std::string *error) {
    ResetForPlay(); // only the rules are compared, not the pictures
    if (!BeginReplay(replay, error))
        return false;
    for (size_t i = 0; i < replay.frames.size(); ++i) {
        const size_t soundsBefore = soundCalls.size();
        const bool goesOn = PlayReplayFrame(replay.frames[i], SetTick);
        *trace += TraceLine(replay.frames[i], soundsBefore) + '\n';
        if (!goesOn && i + 1 < replay.frames.size()) {
            *error = replay.path + ":" + std::to_string(replay.frames[i + 1].line) +
                     ": frames after the game has ended";
            return false;
        }
        if (!goesOn)
            *trace += "exit\n";
    }
    return true;
}

} // namespace

int main(int argc, char **argv) {
    const bool update = argc == 3 && std::string(argv[1]) == "--update";
    if (argc != 2 + update) {
        std::fprintf(stderr, "usage: replay_check [--update] <name.replay>\n");
        return 2;
    }
    const std::string replayPath = argv[argc - 1];
    const std::string tracePath = replayPath.substr(0, replayPath.rfind(".replay")) + ".trace";

    Replay replay;
    std::string error, trace;
    if (!ReadReplay(replayPath, &replay, &error) || !Play(replay, &trace, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    if (update) {
        std::ofstream(tracePath, std::ios::binary) << trace;
        std::printf("wrote %s (%zu frames)\n", tracePath.c_str(), replay.frames.size());
        return 0;
    }
    std::ifstream file(tracePath, std::ios::binary);
    std::istringstream actual(trace);
    std::string expectedLine, actualLine;
    for (size_t n = 1;; ++n) {
        const bool more = static_cast<bool>(std::getline(file, expectedLine));
        const bool moreActual = static_cast<bool>(std::getline(actual, actualLine));
        if (!more && !moreActual)
            break;
        if (more != moreActual || expectedLine != actualLine) {
            std::fprintf(
                stderr, "first difference at frame %zu (%s:%d)\n  expected: %s\n  actual:   %s\n",
                n, replay.path.c_str(), n <= replay.frames.size() ? replay.frames[n - 1].line : 0,
                more ? expectedLine.c_str() : "(end)", moreActual ? actualLine.c_str() : "(end)");
            return 1;
        }
    }
    std::printf("%s: %zu frames as recorded\n", replayPath.c_str(), replay.frames.size());
    return 0;
}
