#include <gtest/gtest.h>

#include <cfenv>
#include <string>

#include "core/game_state.h"
#include "core/startup.h"
#include "tests/doubles/test_support.h"
#include "tests/unit/scratch_dir.h"

namespace {

const char *const GRID_NAMES[] = {"map", "over", "new", "quit", "cred", "time", "pelmox"};
unsigned char *const GRIDS[] = {mapGrid,  overGrid, newGrid,   quitGrid,
                                credGrid, timeGrid, pelmoxGrid};

class Startup : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetGameState();
        // Each grid file holds its own position in the load order (1..7).
        for (int i = 0; i < 7; ++i)
            ScratchDir::Write(GRID_NAMES[i], std::to_string(i + 1) + " 9");
        win32Tick = 123456;
        // Keep the main loop short: its window cannot be made.
        win32Failing.insert("RegisterClassA");
        win32Failing.insert("CreateWindowExA");
    }

    // GameMain's exit code, whether it returns or ends the process.
    int Run() {
        try {
            return GameMain();
        } catch (const ProcessExit &exit) {
            return static_cast<int>(exit.code);
        }
    }

    ScratchDir dir;
};

void ExpectSoundCall(size_t index, const char *op, int a, int b, unsigned flags,
                     const std::string &file, FSOUND_SAMPLE *sample) {
    ASSERT_LT(index, soundCalls.size());
    const SoundCall &c = soundCalls[index];
    EXPECT_EQ(c.op, op) << "call " << index;
    EXPECT_EQ(c.a, a) << "call " << index;
    EXPECT_EQ(c.b, b) << "call " << index;
    EXPECT_EQ(c.flags, flags) << "call " << index;
    EXPECT_EQ(c.file, file) << "call " << index;
    EXPECT_EQ(c.sample, sample) << "call " << index;
}

} // namespace

TEST_F(Startup, BringsUpSoundGridsAndTimeInOrder) {
    soundVersion = 3.75f; // exactly the required version passes
    EXPECT_EQ(Run(), 0);

    ExpectSoundCall(0, "GetVersion", 0, 0, 0, "", nullptr);
    ExpectSoundCall(1, "Init", 44100, 32, 0, "", nullptr);
    ExpectSoundCall(2, "SetVolume", -3, 255, 0, "", nullptr);
    // Load: slot in a, offset + length in b, input mode in flags.
    ExpectSoundCall(3, "Sample_Load", 0, 0, 0, "fall.wav", FakeSample(0));
    ExpectSoundCall(4, "Sample_Load", 1, 0, 0, "jump.wav", FakeSample(1));
    ExpectSoundCall(5, "Sample_Load", 2, 0, 0, "click.wav", FakeSample(2));
    ExpectSoundCall(6, "Sample_Load", 3, 0, 0, "menu.wav", FakeSample(3));
    ExpectSoundCall(7, "Sample_Load", 31, 0, 0, "sea.mp3", FakeSample(31));
    ExpectSoundCall(8, "Sample_SetMode", 0, 0, 2, "", FakeSample(31));
    ExpectSoundCall(9, "PlaySound", 31, 0, 0, "", FakeSample(31));

    EXPECT_EQ(fallSound, FakeSample(0));
    EXPECT_EQ(jumpSound, FakeSample(1));
    EXPECT_EQ(clickSound, FakeSample(2));
    EXPECT_EQ(menuSound, FakeSample(3));
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(GRIDS[i][0], i + 1) << GRID_NAMES[i];
        EXPECT_EQ(GRIDS[i][1], 9) << GRID_NAMES[i];
        EXPECT_EQ(GRIDS[i][2], 0) << GRID_NAMES[i];
    }
    EXPECT_TRUE(IsScreen(SCREEN_MENU));
    EXPECT_EQ(seaLevel, 27.0);
    EXPECT_EQ(startTick, 123456u);
}

TEST_F(Startup, AMissingGridStopsEverythingAfterIt) {
    for (int missing = 0; missing < 7; ++missing) {
        SetUp();
        std::filesystem::remove(GRID_NAMES[missing]);
        EXPECT_EQ(Run(), 2) << GRID_NAMES[missing];
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(GRIDS[i][0], i < missing ? i + 1 : 0) << GRID_NAMES[i];
        ASSERT_EQ(messageBoxes.size(), 1u);
        EXPECT_EQ(messageBoxes[0].text.substr(0, 21), "Runtime error   2 at ");
        EXPECT_EQ(messageBoxes[0].caption, "Error");
        EXPECT_EQ(messageBoxes[0].type, MB_OK);
        // The sounds are loaded, but the soundtrack never starts, no time
        // origin is taken, and no window is made.
        EXPECT_EQ(soundCalls.back().op, "Sample_SetMode");
        EXPECT_TRUE(SoundPlays().empty());
        EXPECT_EQ(startTick, 0u);
        EXPECT_EQ(seaLevel, 0.0);
        EXPECT_EQ(Win32CallIndex("RegisterClassA"), -1);
        EXPECT_EQ(Win32CallIndex("CreateWindowExA"), -1);
    }
}

TEST_F(Startup, ABadTokenEndsWithErrorNumber106) {
    ScratchDir::Write("new", "1 2 1.0");
    EXPECT_EQ(Run(), 106);
    ASSERT_EQ(messageBoxes.size(), 1u);
    EXPECT_EQ(messageBoxes[0].text.substr(0, 21), "Runtime error 106 at ");
    EXPECT_EQ(overGrid[0], 2);
    EXPECT_EQ(quitGrid[0], 0);
}

TEST_F(Startup, AnOldSoundLibraryIsReportedAndNothingElseRuns) {
    soundVersion = 3.74f;
    EXPECT_EQ(Run(), 1);
    ASSERT_EQ(soundCalls.size(), 1u);
    EXPECT_EQ(soundCalls[0].op, "GetVersion");
    ASSERT_EQ(messageBoxes.size(), 1u);
    EXPECT_NE(messageBoxes[0].text.find("sound library is too old"), std::string::npos);
    EXPECT_EQ(messageBoxes[0].caption, "Error");
    EXPECT_EQ(messageBoxes[0].type, MB_OK | MB_ICONERROR);
    EXPECT_EQ(win32Calls, std::vector<std::string>{"MessageBoxA"});
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(GRIDS[i][0], 0) << GRID_NAMES[i]; // no grid file was opened
    EXPECT_FALSE(IsScreen(SCREEN_MENU));
}

TEST_F(Startup, MissingSoundFilesLeaveNullHandlesAndNoMessage) {
    soundMissing = {"fall.wav", "jump.wav", "click.wav", "menu.wav", "sea.mp3"};
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(fallSound, nullptr);
    EXPECT_EQ(jumpSound, nullptr);
    EXPECT_EQ(clickSound, nullptr);
    EXPECT_EQ(menuSound, nullptr);
    ExpectSoundCall(8, "Sample_SetMode", 0, 0, 2, "", nullptr);
    ExpectSoundCall(9, "PlaySound", 31, 0, 0, "", nullptr);
    for (const MessageBoxRecord &box : messageBoxes) {
        EXPECT_EQ(box.text.find("Runtime error"), std::string::npos) << box.text;
        EXPECT_EQ(box.text.find("sound"), std::string::npos) << box.text;
    }
    EXPECT_EQ(pelmoxGrid[0], 7);
}

TEST_F(Startup, MasksFloatingPointTrapsAndRoundsToNearest) {
    soundVersion = 3.74f; // the shortest way through
    fesetround(FE_UPWARD);
    feenableexcept(FE_DIVBYZERO | FE_INVALID);
    Run();
    EXPECT_EQ(fegetexcept(), 0);
    EXPECT_EQ(fegetround(), FE_TONEAREST);
    fedisableexcept(FE_ALL_EXCEPT);
    fesetround(FE_TONEAREST);
}
