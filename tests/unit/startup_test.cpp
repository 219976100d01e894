#include <gtest/gtest.h>

#include <cfenv>
#include <string>
#include <vector>

#include "core/game_state.h"
#include "app/startup.h"
#include "tests/doubles/test_support.h"
#include "tests/unit/scratch_dir.h"

namespace {

const char *const GRID_NAMES[] = {"map", "over", "new", "quit", "cred", "time", "pelmox"};
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

class Startup : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetGameState();
        // Each grid file holds its place in the load order (1..7).
        for (int i = 0; i < 7; ++i)
            ScratchDir::Write(GRID_NAMES[i], std::to_string(i + 1) + " 9");
        win32Tick = 123456;
        win32Failing.insert("RegisterClassA"); // keeps the main loop short
    }
    int Run() {
        try {
            return GameMain();
        } catch (const ProcessExit &exit) {
            return static_cast<int>(exit.code);
        }
    }
    ScratchDir dir;
};

} // namespace

TEST_F(Startup, BringsUpSoundGridsAndTimeInOrder) {
    soundVersion = 3.75f; // exactly the required version passes
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(SoundLog(), (std::vector<std::string>{
                              "GetVersion 0 0 0  -1", "Init 44100 32 0  -1",
                              "SetVolume -3 255 0  -1", "Sample_Load 0 0 0 fall.wav 0",
                              "Sample_Load 1 0 0 jump.wav 1", "Sample_Load 2 0 0 click.wav 2",
                              "Sample_Load 3 0 0 menu.wav 3", "Sample_Load 31 0 0 sea.mp3 31",
                              "Sample_SetMode 0 0 2  31", "PlaySound 31 0 0  31"}));
    FSOUND_SAMPLE *const effects[] = {fallSound, jumpSound, clickSound, menuSound};
    for (int slot = 0; slot < 4; ++slot)
        EXPECT_EQ(effects[slot], FakeSample(slot));
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(GRIDS[i][0] * 100 + GRIDS[i][1], (i + 1) * 100 + 9) << GRID_NAMES[i];
    EXPECT_TRUE(IsScreen(SCREEN_MENU));
    EXPECT_EQ(seaLevel, 27.0);
    EXPECT_EQ(startTick, 123456u);
    ASSERT_EQ(messageBoxes.size(), 2u); // the main loop ran, after all of it
    EXPECT_EQ(messageBoxes[0].text, "Fullsrceen?");
}

TEST_F(Startup, AMissingGridStopsEverythingAfterIt) {
    for (int missing = 0; missing < 7; ++missing) {
        SetUp();
        std::filesystem::remove(GRID_NAMES[missing]);
        EXPECT_EQ(Run(), 2) << GRID_NAMES[missing];
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(GRIDS[i][0], i < missing ? i + 1 : 0) << GRID_NAMES[i];
        ASSERT_EQ(messageBoxes.size(), 1u);
        EXPECT_EQ(messageBoxes[0].text, "Runtime error   2 at 00A10001");
        // Sounds loaded; no soundtrack, no time origin, no window.
        EXPECT_EQ(SoundLog().back(), "Sample_SetMode 0 0 2  31");
        EXPECT_EQ(startTick, 0u);
        EXPECT_EQ(win32Calls, (std::vector<std::string>{"MessageBoxA", "ExitProcess"}));
    }
}

// Older libraries lack what the game relies on: the player is told, and the
// process ends with a failure code before anything else happens. Even then
// floating-point traps are masked and rounding is to nearest, as for the run.
TEST_F(Startup, AnOldSoundLibraryIsReportedAndNothingElseRuns) {
    soundVersion = 3.74f;
    fesetround(FE_UPWARD);
    feenableexcept(FE_DIVBYZERO | FE_INVALID);
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(fegetexcept(), 0);
    EXPECT_EQ(fegetround(), FE_TONEAREST);
    EXPECT_EQ(soundCalls.size(), 1u);
    ASSERT_EQ(messageBoxes.size(), 1u);
    EXPECT_NE(messageBoxes[0].text.find("sound library is too old"), std::string::npos);
    EXPECT_EQ(messageBoxes[0].caption, "Error");
    EXPECT_EQ(messageBoxes[0].type, MB_OK | MB_ICONERROR);
    EXPECT_EQ(win32Calls, std::vector<std::string>{"MessageBoxA"});
    EXPECT_EQ(mapGrid[0], 0); // no grid file was opened
}

TEST_F(Startup, MissingSoundFilesAreNoError) {
    soundMissing = {"fall.wav", "jump.wav", "click.wav", "menu.wav", "sea.mp3"};
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(fallSound, nullptr);
    EXPECT_EQ(menuSound, nullptr);
    EXPECT_EQ(SoundLog().back(), "PlaySound 31 0 0  -1");
    EXPECT_EQ(pelmoxGrid[0], 7);
    EXPECT_EQ(messageBoxes.size(), 2u); // only the main loop's own
}
