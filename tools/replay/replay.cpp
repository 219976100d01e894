// Replays: reading the frames of a written-down run and playing them through DrawFrame.
#include "tools/replay/replay.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "app/main_loop.h"
#include "core/grid_file.h"
#include "game/screens.h"

namespace {

struct KeyName {
    const char *name;
    int code;
};
constexpr KeyName KEY_NAMES[] = {
    {"Left", VK_LEFT},    {"Right", VK_RIGHT},   {"Up", VK_UP}, {"Down", VK_DOWN},
    {"Enter", VK_RETURN}, {"Escape", VK_ESCAPE}, {"Q", 'Q'},
};

std::string FolderOf(const std::string &path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string Resolve(const std::string &base, const std::string &name) {
    return !name.empty() && name[0] == '/' ? name : base + "/" + name;
}

bool ParseInt64(const std::string &text, long long *value) {
    if (text.empty())
        return false;
    errno = 0;
    char *end = nullptr;
    *value = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0';
}

bool ParseTime(const std::string &text, int32_t *t) {
    long long v = 0;
    if (!ParseInt64(text, &v) || v < INT32_MIN || v > INT32_MAX)
        return false;
    *t = static_cast<int32_t>(v);
    return true;
}

int64_t TickTime(int64_t n, int32_t hz) {
    const int64_t ms = n * 1000 / hz;
    return ms - ms % static_cast<int64_t>(TICK_MS);
}

// Reads a whole grid file; a missing file is not an error (the grid stays empty).
bool LoadGridIfPresent(Grid grid, const std::string &path, bool required, std::string *error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (required)
            *error = path + ": cannot be read";
        return !required;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string data = bytes.str();
    const GridFailure failure =
        ReadGridFromBytes(grid, reinterpret_cast<const unsigned char *>(data.data()), data.size());
    if (failure.error != 0) {
        char text[64];
        FormatGridFailure(failure, text, sizeof text);
        *error = path + ": " + text;
        return false;
    }
    return true;
}

} // namespace

int ReplayKeyCode(const std::string &name) {
    for (const KeyName &k : KEY_NAMES)
        if (name == k.name)
            return k.code;
    long long code = 0;
    if (ParseInt64(name, &code) && code >= 0 && code < 256)
        return static_cast<int>(code);
    return -1;
}

std::string ReplayKeyName(int code) {
    for (const KeyName &k : KEY_NAMES)
        if (code == k.code)
            return k.name;
    return std::to_string(code);
}

int32_t DisplayFrameTime(int64_t n, int32_t hz) {
    return static_cast<int32_t>(TickTime(n, hz));
}

bool ReadReplay(const std::string &path, Replay *replay, std::string *error) {
    std::ifstream in(path);
    if (!in) {
        *error = path + ": cannot be read";
        return false;
    }
    *replay = Replay{};
    replay->path = path;
    const std::string base = FolderOf(path);
    std::string text;
    for (int lineNo = 1; std::getline(in, text); ++lineNo) {
        const size_t hash = text.find('#');
        if (hash != std::string::npos)
            text.erase(hash);
        std::istringstream words(text);
        std::string first;
        if (!(words >> first))
            continue;
        auto fail = [&](const std::string &why) {
            *error = path + ":" + std::to_string(lineNo) + ": " + why;
            return false;
        };
        std::string arg, extra;
        if (first == "grids" || first == "map" || first == "start") {
            if (!(words >> arg) || (words >> extra))
                return fail("'" + first + "' takes one argument");
            if (first == "grids") {
                replay->gridFolder = Resolve(base, arg);
            } else if (first == "map") {
                replay->mapFile = Resolve(base, arg);
            } else {
                long long tick = 0;
                if (!ParseInt64(arg, &tick) || tick < 0 || tick > UINT32_MAX)
                    return fail("start tick out of range: " + arg);
                replay->startTick = static_cast<DWORD>(tick);
            }
            continue;
        }

        // A frame, or a run of frames.
        ReplayFrame frame;
        frame.line = lineNo;
        std::string key;
        while (words >> key) {
            const int code = ReplayKeyCode(key);
            if (code < 0)
                return fail("unknown key '" + key + "'");
            frame.keys.push_back(code);
        }
        const size_t dots = first.find("..", 1);
        if (dots == std::string::npos) {
            if (!ParseTime(first, &frame.t))
                return fail("not a game time: " + first);
            replay->frames.push_back(frame);
            continue;
        }
        const size_t at = first.find('@', dots);
        if (at != std::string::npos) {
            int32_t from = 0, to = 0, hz = 0;
            if (!ParseTime(first.substr(0, dots), &from) ||
                !ParseTime(first.substr(dots + 2, at - dots - 2), &to) ||
                !ParseTime(first.substr(at + 1), &hz) || from < 0 || to < from || hz <= 0 ||
                hz > 1000)
                return fail("display frames are written <from>..<to>@<hz>: " + first);
            for (int64_t n = static_cast<int64_t>(from) * hz / 1000; TickTime(n, hz) <= to; ++n) {
                frame.t = DisplayFrameTime(n, hz);
                if (frame.t >= from)
                    replay->frames.push_back(frame);
            }
            continue;
        }
        const size_t slash = first.find('/', dots);
        int32_t from = 0, to = 0, step = 0;
        if (slash == std::string::npos || !ParseTime(first.substr(0, dots), &from) ||
            !ParseTime(first.substr(dots + 2, slash - dots - 2), &to) ||
            !ParseTime(first.substr(slash + 1), &step) || step <= 0 || to < from)
            return fail("a run of frames is written <from>..<to>/<step>: " + first);
        for (int64_t t = from; t <= to; t += step) {
            frame.t = static_cast<int32_t>(t);
            replay->frames.push_back(frame);
        }
    }
    return true;
}

bool LoadGridFolder(const std::string &folder, std::string *error) {
    for (const GridFile &g : GRID_FILES)
        if (!LoadGridIfPresent(g.grid, folder + "/" + g.name, false, error))
            return false;
    return true;
}

bool LoadLevelFile(const std::string &path, std::string *error) {
    return LoadGridIfPresent(mapGrid, path, true, error);
}

bool BeginReplay(const Replay &replay, std::string *error) {
    if (!replay.gridFolder.empty() && !LoadGridFolder(replay.gridFolder, error))
        return false;
    if (!replay.mapFile.empty() && !LoadLevelFile(replay.mapFile, error))
        return false;
    StartOnMenu(replay.startTick);
    return true;
}

bool PlayReplayFrame(const ReplayFrame &frame, void (*setTick)(DWORD tick)) {
    std::memset(keys, 0, sizeof keys);
    for (int code : frame.keys)
        keys[code] = BOOL_TRUE;
    // The main loop's frame computes t = GetTickCount() - startTick with wrap-around.
    setTick(startTick + static_cast<DWORD>(frame.t));
    return RunFrame() != BOOL_FALSE;
}
