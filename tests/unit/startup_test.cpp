// Start-up on the stand-ins: the sound library's set-up, every way a grid file
// can fail to load, the soundtrack and the time origin once the grids are in,
// an old sound library. What loads, and every token's value, is the fuzzer's
// to check against its own model of the format.
#include <gtest/gtest.h>

#include <cfenv>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>

#include "app/startup.h"
#include "core/game_state.h"
#include "core/grid_file.h"
#include "tests/doubles/test_support.h"

namespace {

std::error_code ignored;

// A fresh empty folder that is the working directory while it lives.
struct ScratchDir {
    std::string pattern = std::filesystem::temp_directory_path() / "vk-test-XXXXXX";
    std::filesystem::path previous = std::filesystem::current_path(),
                          path = mkdtemp(pattern.data());
    ScratchDir() { std::filesystem::current_path(path); }
    ~ScratchDir() {
        std::filesystem::current_path(previous), std::filesystem::remove_all(path, ignored);
    }
};

void Write(const char *name, const std::string &bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
}

// The exit code a call ends the process with (ExitProcess throws it), or its result.
template <typename Call> int ExitCode(Call call) {
    try {
        return call();
    } catch (const ProcessExit &exit) {
        return static_cast<int>(exit.code);
    }
}

// LoadGrid on one file: the exit code it ended the process with, and its box.
std::string LoadFailure(const char *name) {
    messageBoxes.clear();
    Grid grid;
    const int code = ExitCode([&] { return LoadGrid(grid, name), -1; });
    return code < 0 ? "loaded" : std::to_string(code) + " " + messageBoxes;
}

// The sound calls as "op a b flags file slot", the handle as the slot it came from.
std::string SoundLog() {
    std::string log;
    for (const SoundCall &c : soundCalls) {
        int slot = -1;
        for (int s = 0; s < 64 && c.sample; ++s)
            slot = c.sample == FakeSample(s) ? s : slot;
        log += c.op + " " + std::to_string(c.a) + " " + std::to_string(c.b) + " " +
               std::to_string(c.flags) + " " + c.file + " " + std::to_string(slot) + "\n";
    }
    return log;
}

// Every grid file but `missing` in place; the main loop ends at once, its
// window class refused.
int RunGame(float version, const char *missing = "") {
    ResetGameState();
    for (const GridFile &file : GRID_FILES)
        Write(file.name, "1");
    std::filesystem::remove(missing, ignored);
    soundVersion = version;
    win32Tick = 123456;
    win32Failing.insert("RegisterClassA");
    return ExitCode(GameMain);
}

} // namespace

// The box (OK only, captioned "Error") names the error number and the failing
// check, the process ends with that number, and the file is closed before the box.
TEST(LoadGrid, EachFailureShowsItsNumberAndEndsWithIt) {
    ResetGameState();
    ScratchDir dir;
    const auto openFiles = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    };
    const long openBefore = openFiles();
    // One bad token for each check, after good ones (the fuzzer checks every
    // bad token is error 106, not which check it fails).
    const char *const badTokens[][2] = {{"1 2 1.0 4", "00A20001"},
                                        {"0 1 $", "00A20002"},
                                        {"-2147483649", "00A20003"},
                                        {"$100000000", "00A20004"}};
    for (const auto &[bytes, check] : badTokens) {
        Write("bad", bytes);
        EXPECT_EQ(LoadFailure("bad"),
                  "106 Error|Runtime error 106 at " + std::string(check) + "|0\n");
    }
    // (A missing file and a pipe: the real game's runs.)
    Write("plain", "1");
    Write("locked", "1");
    chmod("locked", 0); // (root reads it all the same)
    std::filesystem::create_directory("folder");
    std::filesystem::create_symlink("loop", "loop");
    const char *const files[][2] = {
        {"nowhere/time", "3 Error|Runtime error   3 at 00A10001|0\n"},
        {"plain/time", "3 Error|Runtime error   3 at 00A10001|0\n"}, // a file for a folder
        {"folder", "5 Error|Runtime error   5 at 00A10002|0\n"},
        {"locked", access("locked", R_OK) ? "5 Error|Runtime error   5 at 00A10001|0\n" : "loaded"},
        {"loop", "40 Error|Runtime error  40 at 00A10001|0\n"},          // the system's number
        {"/proc/self/mem", "5 Error|Runtime error   5 at 00A10003|0\n"}, // a failed read (EIO)
        {"/dev/zero",
         "5 Error|Runtime error   5 at 00A10005|0\n"}, // a device: refused, closed unread
    };
    for (const auto &[name, failure] : files)
        EXPECT_EQ(LoadFailure(name), failure) << name;
    EXPECT_EQ(openFiles(), openBefore);
}

// Older libraries lack what the game relies on: the player is told, and the
// process ends with a failure code before anything else happens. Even then
// floating-point traps are masked and rounding is to nearest, as for the run.
// Exactly the required version brings up the sound, the grids, then the
// soundtrack and the time origin, then the main loop, whose result is the exit
// code (here 1: its window class is refused, so no window can be made).
TEST(Startup, SoundGridsSoundtrackClockThenTheLoopOrTheOldLibraryIsReported) {
    ScratchDir dir;
    fesetround(FE_UPWARD);
    feenableexcept(FE_DIVBYZERO | FE_INVALID);
    EXPECT_EQ(RunGame(3.74f), 1);
    EXPECT_EQ(fegetexcept(), 0);
    EXPECT_EQ(fegetround(), FE_TONEAREST);
    EXPECT_EQ(soundCalls.size(), 1u);
    EXPECT_EQ(messageBoxes,
              "Error|The sound library is too old: version 3.75 or newer is needed.|16\n");
    EXPECT_EQ(win32Calls, std::vector<std::string>{"MessageBoxA"});
    EXPECT_EQ(mapGrid[0], 0); // no grid file was opened

    EXPECT_EQ(RunGame(3.75f), 1);
    const std::string setUp = "GetVersion 0 0 0  -1\nInit 44100 32 0  -1\nSetVolume -3 255 0  -1\n"
                              "Sample_Load 0 0 0 fall.wav 0\nSample_Load 1 0 0 jump.wav 1\n"
                              "Sample_Load 2 0 0 click.wav 2\nSample_Load 3 0 0 menu.wav 3\n"
                              "Sample_Load 31 0 0 sea.mp3 31\nSample_SetMode 0 0 2  31\n";
    EXPECT_EQ(SoundLog(), setUp + "PlaySound 31 0 0  31\n");
    EXPECT_TRUE(fallSound == FakeSample(0) && jumpSound == FakeSample(1) &&
                clickSound == FakeSample(2) && menuSound == FakeSample(3));
    EXPECT_EQ(startTick, 123456u);

    // A missing grid ends the run before the soundtrack and the time origin.
    EXPECT_EQ(RunGame(3.75f, "pelmox"), 2);
    EXPECT_EQ(SoundLog(), setUp);
    EXPECT_EQ(startTick, 0u);
}
