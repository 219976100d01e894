// The question, the message pump, frames, the F1 switch and the end of the loop.
#include <gtest/gtest.h>

#include "core/game_state.h"
#include "app/main_loop.h"
#include "tests/doubles/test_support.h"

namespace {

// A run that answers the question with `answer`; no screen is set, so a frame
// is only the clear.
void Start(int answer = IDNO) {
    ResetGameState();
    messageBoxAnswers = {answer};
}

} // namespace

TEST(RunMainLoop, AsksTheQuestionAndOpensTheWindowInTheChosenMode) {
    for (int answer : {IDNO, IDYES, 0}) { // 0: the box could not be shown
        Start(answer);
        Win32Post(WM_QUIT);
        EXPECT_EQ(RunMainLoop(), 0);
        ASSERT_GE(messageBoxes.size(), 1u);
        EXPECT_EQ(messageBoxes[0].text, "Fullsrceen?");
        EXPECT_EQ(messageBoxes[0].caption, "Little questioN");
        EXPECT_EQ(messageBoxes[0].type, MB_YESNO | MB_ICONQUESTION);
        EXPECT_EQ(fullscreen, answer == IDNO ? FALSE : BOOL_TRUE);
        EXPECT_EQ(adjustedRect.rect.right * 1000 + adjustedRect.rect.bottom, 800600);
        // A quit waiting up front ends the loop before any frame.
        EXPECT_EQ(swapCount, 0);
        EXPECT_EQ(GlCountNamed("glClear"), 0u);
        EXPECT_EQ(Win32CallCount("DestroyWindow"), 1u);
    }
}

TEST(RunMainLoop, EndsOnQuitOrExitWithTheTeardown) {
    const struct {
        const char *how;
        void (*before)();
        void (*atThirdIdle)();
        int result;
        size_t frames;
        int shown;
    } cases[] = {
        // Closing the window: WM_CLOSE leads to WM_QUIT, which ends the loop with 0.
        {"close", [] {}, [] { Win32Post(WM_CLOSE); }, 0, 2, 2},
        // The frame that chose "exit" is drawn but never shown; the result is the
        // wParam of the last message taken.
        {"exit", [] { Win32Post(WM_KEYUP, 13); }, [] { screen = SCREEN_EXIT; }, 13, 3, 2},
        // A minimised window draws nothing but keeps presenting.
        {"minimised", [] { Win32Post(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1)); },
         [] { PostQuitMessage(0); }, 0, 0, 2},
    };
    for (const auto &c : cases) {
        Start();
        c.before();
        win32OnIdle = [&c](int n) {
            if (n == 3)
                c.atThirdIdle();
        };
        EXPECT_EQ(RunMainLoop(), c.result) << c.how;
        EXPECT_EQ(GlCountNamed("glClear"), c.frames) << c.how;
        EXPECT_EQ(swapCount, c.shown) << c.how;
        EXPECT_EQ(Win32CallCount("DestroyWindow"), 1u) << c.how;
        EXPECT_EQ(win32Calls.back(), "UnregisterClassA") << c.how;
    }
}

TEST(RunMainLoop, EachF1KeyDownSwitchesModeOnceAndClearsTheKey) {
    Start();
    std::vector<BOOL> modes;
    win32OnIdle = [&](int n) {
        if (n == 1 || n == 4) {
            Win32Post(WM_KEYDOWN, VK_F1);
            Win32Post(WM_KEYDOWN, VK_F1, 1 << 30); // auto-repeat, drained before the frame
        }
        if (n == 3 || n == 6) // after the frames at the empty queues 2 and 5
            modes.push_back(fullscreen);
        if (n == 7)
            PostQuitMessage(0);
    };
    keys[VK_LEFT] = BOOL_TRUE;
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_EQ(modes, (std::vector<BOOL>{BOOL_TRUE, BOOL_FALSE}));
    EXPECT_EQ(createdWindows.size(), 3u);
    EXPECT_EQ(Win32CallCount("DestroyWindow"), 3u);
    EXPECT_EQ(keys[VK_F1], BOOL_FALSE);
    EXPECT_EQ(keys[VK_LEFT], BOOL_TRUE); // the rest of the table survives the switch
}

TEST(RunMainLoop, FailedCreationReturnsWithoutAnotherTeardown) {
    for (int failAt : {0, 1}) { // the first window, or the one after a switch
        Start();
        win32Failing = {"CreateWindowExA"};
        if (failAt == 1) {
            win32Failing.clear();
            win32OnIdle = [](int n) {
                if (n == 1) {
                    Win32Post(WM_KEYDOWN, VK_F1);
                    win32Failing = {"CreateWindowExA"};
                }
            };
        }
        EXPECT_EQ(RunMainLoop(), 0);
        EXPECT_EQ(win32IdleCount, failAt * 2);
        EXPECT_EQ(Win32CallCount("DestroyWindow"), size_t(failAt)); // the switch's only
        EXPECT_EQ(Win32CallCount("UnregisterClassA"), size_t(failAt + 1));
        EXPECT_EQ(messageBoxes.back().text, "Window creation error.");
        EXPECT_EQ(win32Calls.back(), "MessageBoxA");
    }
}
