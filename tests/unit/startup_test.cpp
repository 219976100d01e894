// Start-up on the stand-ins: the sound library's set-up, the grid files in
// order, the menu and the time origin; a missing grid or an old sound library.
#include <gtest/gtest.h>

#include <cfenv>
#include <string>
#include <vector>

#include "app/startup.h"
#include "core/game_state.h"
#include "tests/doubles/test_support.h"
#include "tests/unit/scratch_dir.h"

namespace {

const char *const NAMES[] = {"map", "over", "new", "quit", "cred", "time", "pelmox"};
unsigned char *const GRIDS[] = {mapGrid,  overGrid, newGrid,   quitGrid,
                                credGrid, timeGrid, pelmoxGrid};

// The sound calls as "op a b flags file handle", the handle as the slot it came from.
std::vector<std::string> SoundLog() {
    std::vector<std::string> log;
    for (const SoundCall &c : soundCalls) {
        int slot = -1;
        for (int s = 0; s < 64 && c.sample; ++s)
            slot = c.sample == FakeSample(s) ? s : slot;
        log.push_back(c.op + " " + std::to_string(c.a) + " " + std::to_string(c.b) + " " +
                      std::to_string(c.flags) + " " + c.file + " " + std::to_string(slot));
    }
    return log;
}

// Each grid file holds its place in the load order (1..7); the main loop
// ends at once, its window class refused.
int RunGame(const char *missingGrid = "", float version = 3.75f) {
    ResetGameState();
    for (int i = 0; i < 7; ++i)
        if (std::string(NAMES[i]) == missingGrid)
            std::filesystem::remove(NAMES[i]);
        else
            ScratchDir::Write(NAMES[i], std::to_string(i + 1) + " 9");
    soundVersion = version;
    win32Tick = 123456;
    win32Failing.insert("RegisterClassA");
    try {
        return GameMain();
    } catch (const ProcessExit &exit) {
        return static_cast<int>(exit.code);
    }
}

const std::vector<std::string> SOUND_SET_UP = {
    "GetVersion 0 0 0  -1",         "Init 44100 32 0  -1",
    "SetVolume -3 255 0  -1",       "Sample_Load 0 0 0 fall.wav 0",
    "Sample_Load 1 0 0 jump.wav 1", "Sample_Load 2 0 0 click.wav 2",
    "Sample_Load 3 0 0 menu.wav 3", "Sample_Load 31 0 0 sea.mp3 31",
    "Sample_SetMode 0 0 2  31"};

} // namespace

TEST(Startup, BringsUpSoundGridsAndTimeInOrder) {
    ScratchDir dir;
    EXPECT_EQ(RunGame(), 0); // exactly the required version passes
    std::vector<std::string> expected = SOUND_SET_UP;
    expected.push_back("PlaySound 31 0 0  31"); // the soundtrack, once the grids are in
    EXPECT_EQ(SoundLog(), expected);
    EXPECT_EQ(
        (std::vector<FSOUND_SAMPLE *>{fallSound, jumpSound, clickSound, menuSound}),
        (std::vector<FSOUND_SAMPLE *>{FakeSample(0), FakeSample(1), FakeSample(2), FakeSample(3)}));
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(GRIDS[i][0] * 100 + GRIDS[i][1], (i + 1) * 100 + 9) << NAMES[i];
    EXPECT_TRUE(IsScreen(SCREEN_MENU));
    EXPECT_EQ(seaLevel, 27.0);
    EXPECT_EQ(startTick, 123456u);
    ASSERT_EQ(messageBoxes.size(), 2u); // the main loop ran, after all of it
    EXPECT_EQ(messageBoxes[0].text, "Fullsrceen?");

    // A missing grid stops everything after it: no soundtrack, no time origin, no window.
    EXPECT_EQ(RunGame("time"), 2);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(GRIDS[i][0], i < 5 ? i + 1 : 0) << NAMES[i];
    EXPECT_EQ(SoundLog(), SOUND_SET_UP);
    EXPECT_EQ(startTick, 0u);
    EXPECT_EQ(win32Calls, (std::vector<std::string>{"MessageBoxA", "ExitProcess"}));
    EXPECT_EQ(messageBoxes[0].text, "Runtime error   2 at 00A10001");
}

// Older libraries lack what the game relies on: the player is told, and the
// process ends with a failure code before anything else happens. Even then
// floating-point traps are masked and rounding is to nearest, as for the run.
TEST(Startup, AnOldSoundLibraryIsReportedAndNothingElseRuns) {
    ScratchDir dir;
    fesetround(FE_UPWARD);
    feenableexcept(FE_DIVBYZERO | FE_INVALID);
    EXPECT_EQ(RunGame("", 3.74f), 1);
    EXPECT_EQ(fegetexcept(), 0);
    EXPECT_EQ(fegetround(), FE_TONEAREST);
    EXPECT_EQ(soundCalls.size(), 1u);
    ASSERT_EQ(messageBoxes.size(), 1u);
    EXPECT_EQ(messageBoxes[0].text,
              "The sound library is too old: version 3.75 or newer is needed.");
    EXPECT_EQ(messageBoxes[0].caption, "Error");
    EXPECT_EQ(messageBoxes[0].type, MB_OK | MB_ICONERROR);
    EXPECT_EQ(win32Calls, std::vector<std::string>{"MessageBoxA"});
    EXPECT_EQ(mapGrid[0], 0); // no grid file was opened
}
