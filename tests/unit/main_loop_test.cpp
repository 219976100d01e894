// The question, the message pump, frames, the F1 switch and the end of the loop.
#include <gtest/gtest.h>

#include "core/game_state.h"
#include "core/main_loop.h"
#include "tests/doubles/test_support.h"

namespace {

// A run that answers the question with `answer` and draws on an empty screen
// (no screen section runs, only the clear).
void Start(int answer) {
    ResetGameState();
    messageBoxAnswers = {answer};
}

void QuitAt(int idle) {
    win32OnIdle = [idle](int n) {
        if (n == idle)
            PostQuitMessage(0);
    };
}

} // namespace

TEST(RunMainLoop, AsksTheQuestionAndOpensTheWindowInTheChosenMode) {
    for (int answer : {IDNO, IDYES, 0}) {
        Start(answer);
        win32Queue.push_back(MSG{nullptr, WM_QUIT, 0, 0, 0, {}});
        EXPECT_EQ(RunMainLoop(), 0);

        ASSERT_GE(messageBoxes.size(), 1u);
        EXPECT_EQ(messageBoxes[0].text, "Fullsrceen?");
        EXPECT_EQ(messageBoxes[0].caption, "Little questioN");
        EXPECT_EQ(messageBoxes[0].type, 0x24u);
        EXPECT_EQ(messageBoxOwners[0], nullptr);
        ASSERT_EQ(createdWindows.size(), 1u);
        EXPECT_EQ(createdWindows[0].title, "vorta kemi");
        EXPECT_EQ(adjustedRect.rect.right, 800);
        EXPECT_EQ(adjustedRect.rect.bottom, 600);
        EXPECT_EQ(pixelFormatRequests[0].cColorBits, 32);
        bool wantsFullScreen = answer != IDNO;
        EXPECT_EQ(fullscreen, wantsFullScreen ? BOOL_TRUE : BOOL_FALSE);
        EXPECT_EQ(createdWindows[0].style, wantsFullScreen ? 0x86000000u : 0x06CF0000u);
        // The quit waiting up front ends the loop before any frame; the window is torn down.
        EXPECT_EQ(swapCount, 0);
        EXPECT_EQ(GlCountNamed("glClear"), 0u);
        EXPECT_EQ(Win32CallCount("DestroyWindow"), 1u);
    }
}

TEST(RunMainLoop, FailedCreationReturnsAtOnce) {
    Start(IDNO);
    win32Failing = {"CreateWindowExA"};
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_EQ(win32IdleCount, 0);                      // no message was ever looked for
    EXPECT_EQ(Win32CallCount("UnregisterClassA"), 1u); // only creation's own teardown
    ASSERT_EQ(messageBoxes.size(), 2u);
    EXPECT_EQ(messageBoxes[1].text, "Window creation error.");
}

TEST(RunMainLoop, ClosingTheWindowEndsWithZeroAfterTheTeardown) {
    Start(IDNO);
    win32OnIdle = [](int n) {
        if (n == 3)
            Win32Post(WM_CLOSE);
    };
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_EQ(Win32CallCount("PostQuitMessage"), 1u);
    EXPECT_EQ(swapCount, 2); // the frames at the first two empty queues
    EXPECT_EQ(win32Calls.back(), "UnregisterClassA");
    EXPECT_EQ(Win32CallCount("DestroyWindow"), 1u);
    EXPECT_EQ(window, nullptr);
}

TEST(RunMainLoop, DrainsEveryMessageBeforeTheNextFrame) {
    Start(IDNO);
    Win32Post(WM_KEYDOWN, VK_LEFT);
    Win32Post(WM_KEYDOWN, VK_UP);
    Win32Post(WM_KEYUP, VK_LEFT);
    size_t clearsAtFirstIdle = 99;
    win32OnIdle = [&](int n) {
        if (n == 1) {
            clearsAtFirstIdle = GlCountNamed("glClear");
            EXPECT_EQ(keys[VK_LEFT], BOOL_FALSE);
            EXPECT_EQ(keys[VK_UP], BOOL_TRUE);
        }
        if (n == 2)
            PostQuitMessage(0);
    };
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_EQ(clearsAtFirstIdle, 0u);
    EXPECT_EQ(GlCountNamed("glClear"), 1u);
    EXPECT_EQ(swapCount, 1);
}

TEST(RunMainLoop, ExitScreenEndsWithoutShowingItsFrame) {
    Start(IDNO);
    Win32Post(WM_KEYUP, 13); // the last message taken before the end
    win32OnIdle = [](int n) {
        if (n == 3)
            screen = SCREEN_EXIT;
    };
    EXPECT_EQ(RunMainLoop(), 13);
    EXPECT_EQ(GlCountNamed("glClear"), 3u); // the exit frame is drawn...
    EXPECT_EQ(swapCount, 2);                // ...but never presented
    EXPECT_EQ(Win32CallCount("DestroyWindow"), 1u);
    EXPECT_EQ(win32IdleCount, 3);
}

TEST(RunMainLoop, MinimisedWindowDrawsNothingButKeepsPresenting) {
    Start(IDNO);
    Win32Post(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1));
    win32TickStep = 1;
    QuitAt(4);
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_EQ(GlCountNamed("glClear"), 0u);
    EXPECT_EQ(win32Tick, 0u); // the clock was never read
    EXPECT_EQ(swapCount, 3);
}

TEST(RunMainLoop, EachF1KeyDownSwitchesModeOnceAndClearsTheKey) {
    Start(IDNO);
    std::vector<BOOL> modes;
    win32OnIdle = [&](int n) {
        if (n == 1 || n == 4) {
            Win32Post(WM_KEYDOWN, 112);
            Win32Post(WM_KEYDOWN, 112, 1 << 30); // auto-repeat before the frame
        }
        if (n == 3 || n == 6) // after the frames at the empty queues 2 and 5
            modes.push_back(fullscreen);
        if (n == 7)
            PostQuitMessage(0);
    };
    keys[VK_LEFT] = BOOL_TRUE;
    EXPECT_EQ(RunMainLoop(), 0);

    EXPECT_EQ(modes, (std::vector<BOOL>{BOOL_TRUE, BOOL_FALSE}));
    ASSERT_EQ(createdWindows.size(), 3u);
    EXPECT_EQ(createdWindows[0].style, 0x06CF0000u);
    EXPECT_EQ(createdWindows[1].style, 0x86000000u);
    EXPECT_EQ(createdWindows[2].style, 0x06CF0000u);
    EXPECT_EQ(Win32CallCount("DestroyWindow"), 3u);
    EXPECT_EQ(keys[112], BOOL_FALSE);
    EXPECT_EQ(keys[VK_LEFT], BOOL_TRUE); // the rest of the table survives the switch
    // Switching back from full screen gave the desktop its mode back.
    EXPECT_EQ(displayModeRequests.size(), 2u);
    EXPECT_EQ(displayModeFlags[1], 0u);
}

TEST(RunMainLoop, RefusedFullScreenKeepsTheNextSwitchAskingAgain) {
    Start(IDNO);
    win32Failing = {"ChangeDisplaySettingsA"};
    messageBoxAnswers.push_back(IDYES); // use windowed mode instead
    win32OnIdle = [](int n) {
        if (n == 1 || n == 3)
            Win32Post(WM_KEYDOWN, 112);
        if (n == 5)
            PostQuitMessage(0);
    };
    EXPECT_EQ(RunMainLoop(), 0);
    // Both switches asked for full screen, since the fallback left the flag clear.
    EXPECT_EQ(displayModeRequests.size(), 2u);
    EXPECT_EQ(createdWindows.size(), 3u);
    EXPECT_EQ(fullscreen, FALSE);
}

TEST(RunMainLoop, FailedRecreationReturnsWithoutAnotherTeardown) {
    Start(IDNO);
    win32OnIdle = [](int n) {
        if (n == 1) {
            Win32Post(WM_KEYDOWN, 112);
            win32Failing = {"CreateWindowExA"};
        }
    };
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_EQ(win32IdleCount, 2);
    EXPECT_EQ(Win32CallCount("DestroyWindow"), 1u); // the switch's teardown only
    EXPECT_EQ(Win32CallCount("UnregisterClassA"), 2u);
    EXPECT_EQ(messageBoxes.back().text, "Window creation error.");
    EXPECT_EQ(win32Calls.back(), "MessageBoxA");
}
