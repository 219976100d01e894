// Plays a replay through DrawFrame with the recording stand-ins and compares
// the frame-by-frame trace with the one committed beside it.
//
//   replay_check [--update] <file.replay> [<file.trace>]
//
// Without --update a difference is reported with the first differing frame
// and the exit code is 1. With --update the trace is written anew (on purpose:
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
    win32TickStep = 0;
}

const char *SampleName(FSOUND_SAMPLE *sample) {
    if (sample == fallSound)
        return "fall";
    if (sample == jumpSound)
        return "jump";
    if (sample == clickSound)
        return "click";
    if (sample == menuSound)
        return "menu";
    return "?";
}

// One line per frame: everything the rules decide, exactly.
std::string TraceLine(const ReplayFrame &frame, size_t soundsBefore) {
    std::string keyText;
    for (int code : frame.keys)
        keyText += (keyText.empty() ? "" : "+") + ReplayKeyName(code);
    std::string soundText;
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

bool Play(const Replay &replay, std::string *trace, std::string *error) {
    ResetForPlay(); // only the rules are compared, not the pictures
    if (!BeginReplay(replay, error))
        return false;
    std::ostringstream out;
    for (size_t i = 0; i < replay.frames.size(); ++i) {
        const size_t soundsBefore = soundCalls.size();
        const bool goesOn = PlayReplayFrame(replay.frames[i], SetTick);
        out << TraceLine(replay.frames[i], soundsBefore) << '\n';
        if (!goesOn) {
            if (i + 1 < replay.frames.size()) {
                *error = replay.path + ":" + std::to_string(replay.frames[i + 1].line) +
                         ": frames after the game has ended";
                return false;
            }
            out << "exit\n";
        }
    }
    *trace = out.str();
    return true;
}

std::string ReadAll(const std::string &path, bool *ok) {
    std::ifstream in(path, std::ios::binary);
    *ok = static_cast<bool>(in);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void ReportFirstDifference(const Replay &replay, const std::string &expected,
                           const std::string &actual) {
    std::istringstream e(expected), a(actual);
    std::string el, al;
    for (size_t n = 1;; ++n) {
        const bool he = static_cast<bool>(std::getline(e, el));
        const bool ha = static_cast<bool>(std::getline(a, al));
        if (!he && !ha)
            return;
        if (he != ha || el != al) {
            std::fprintf(stderr, "first difference at frame %zu", n);
            if (n <= replay.frames.size())
                std::fprintf(stderr, " (%s:%d)", replay.path.c_str(), replay.frames[n - 1].line);
            std::fprintf(stderr, "\n  expected: %s\n  actual:   %s\n", he ? el.c_str() : "(end)",
                         ha ? al.c_str() : "(end)");
            return;
        }
    }
}

} // namespace

int main(int argc, char **argv) {
    bool update = false;
    std::string replayPath, tracePath;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--update")
            update = true;
        else if (replayPath.empty())
            replayPath = arg;
        else if (tracePath.empty())
            tracePath = arg;
        else
            replayPath.clear(), i = argc; // too many arguments
    }
    if (replayPath.empty()) {
        std::fprintf(stderr, "usage: replay_check [--update] <file.replay> [<file.trace>]\n");
        return 2;
    }
    if (tracePath.empty()) {
        tracePath = replayPath;
        const size_t dot = tracePath.rfind(".replay");
        if (dot != std::string::npos)
            tracePath.erase(dot);
        tracePath += ".trace";
    }

    Replay replay;
    std::string error, trace;
    if (!ReadReplay(replayPath, &replay, &error) || !Play(replay, &trace, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    if (update) {
        std::ofstream out(tracePath, std::ios::binary);
        out << trace;
        if (!out) {
            std::fprintf(stderr, "%s: cannot be written\n", tracePath.c_str());
            return 2;
        }
        std::printf("wrote %s (%zu frames)\n", tracePath.c_str(), replay.frames.size());
        return 0;
    }
    bool ok = false;
    const std::string expected = ReadAll(tracePath, &ok);
    if (!ok) {
        std::fprintf(stderr, "%s: no trace; run with --update to make one\n", tracePath.c_str());
        return 1;
    }
    if (expected != trace) {
        ReportFirstDifference(replay, expected, trace);
        return 1;
    }
    std::printf("%s: %zu frames as recorded\n", replayPath.c_str(), replay.frames.size());
    return 0;
}
