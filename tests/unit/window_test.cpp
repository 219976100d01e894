// The game window on the scripted window layer: what each failure shows and
// takes down, the window procedure, and how the main loop ends.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/main_loop.h"
#include "platform/gl_window.h"
#include "platform/window_proc.h"
#include "tests/doubles/test_support.h"

namespace {

void PressF1() {
    Win32Post(WM_KEYDOWN, VK_F1);
    Win32Post(WM_KEYDOWN, VK_F1, 1 << 30); // auto-repeat, drained before the frame
}

} // namespace

// A failed step takes down what was built (so the desktop mode is back before
// the player reads the box), then says why.
TEST(GameWindow, EachFailedStepTearsDownThenTellsWhyAndEveryReleaseIsTried) {
    const char *const steps[][2] = {
        {"CreateWindowExA", "Window creation error."},
        {"GetDC", "Cant't create a GL device context."},
        {"ChoosePixelFormat", "Cant't Find A Suitable PixelFormat."},
        {"SetPixelFormat", "Cant't set PixelFormat."},
        {"wglCreateContext", "Cant't create a GL rendering context."},
        {"wglMakeCurrent", "Cant't activate the GL rendering context."},
    };
    for (const auto &[failing, message] : steps) {
        ResetGameState();
        win32Failing = {failing};
        EXPECT_FALSE(CreateGameWindow("vorta kemi", 800, 600, 32, BOOL_TRUE));
        EXPECT_EQ(messageBoxes, "Error|" + std::string(message) + "|48\n");
        // The teardown first gives the desktop mode and the cursor back; the box comes last.
        const auto after = std::find(win32Calls.begin(), win32Calls.end(), failing);
        EXPECT_EQ(after[1] + " " + after[2], "ChangeDisplaySettingsA(null) ShowCursor(TRUE)");
        EXPECT_EQ(win32Calls.back(), "MessageBoxA") << failing;
        EXPECT_TRUE(window == nullptr && deviceContext == nullptr && renderContext == nullptr);
    }

    ResetGameState();
    win32Failing = {"RegisterClassA"};
    EXPECT_FALSE(CreateGameWindow("vorta kemi", 800, 600, 32, BOOL_TRUE));
    EXPECT_EQ(messageBoxes, "Error|Failed To Register The Window Class.|16\n");
    EXPECT_EQ(win32Calls.back(), "MessageBoxA"); // nothing to take down

    // Teardown never stops early: each failed release is reported, in the
    // order of the releases.
    ResetGameState();
    ASSERT_TRUE(CreateGameWindow("vorta kemi", 800, 600, 32, FALSE));
    win32Failing = {"wglMakeCurrent(null)", "wglDeleteContext", "ReleaseDC", "DestroyWindow",
                    "UnregisterClassA"};
    DestroyGameWindow();
    EXPECT_EQ(messageBoxes, " Shutdown Error|Release of DC and RC failed.|16\n"
                            " Shutdown Error|Release of Rendering Context failed.|16\n"
                            " Shutdown Error|Release of Device Context failed.|16\n"
                            " Shutdown Error|Could not release hWnd.|16\n"
                            "SHUTDOWN ERROR|Could Not Unregister Class.|64\n");
    EXPECT_TRUE(window == nullptr && deviceContext == nullptr && renderContext == nullptr);
}

// (That a close request only posts the quit is the main loop's close case.)
TEST(WindowProc, KeysActivationRefusedCommandsAndSize) {
    ResetGameState();
    const auto send = [](UINT message, WPARAM wParam, LPARAM lParam = 0) {
        return WindowProc(nullptr, message, wParam, lParam);
    };
    // The whole table and nothing beyond it; system keys never reach it.
    for (WPARAM key : {WPARAM{VK_LEFT}, WPARAM{255}, WPARAM{256}})
        EXPECT_EQ(send(WM_KEYDOWN, key), 0);
    EXPECT_EQ(send(WM_KEYUP, ~WPARAM{0}), 0);
    EXPECT_EQ(send(WM_KEYUP, VK_LEFT), 0);
    EXPECT_EQ(send(WM_SYSKEYDOWN, VK_F10), DEFAULT_HANDLING);
    EXPECT_EQ(std::count(std::begin(keys), std::end(keys), BOOL_TRUE), 1);
    EXPECT_EQ(keys[255], BOOL_TRUE);

    // Only the minimised flag (the high word) counts: minimised, restored, active
    // but minimised, another window given the focus (the game keeps drawing).
    std::string activeAfter;
    for (WPARAM wParam : {MAKEWPARAM(WA_INACTIVE, 1), MAKEWPARAM(WA_ACTIVE, 0),
                          MAKEWPARAM(WA_ACTIVE, 1), MAKEWPARAM(WA_INACTIVE, 0)})
        activeAfter += send(WM_ACTIVATE, wParam) == 0 ? "" : "(not handled) ",
            activeAfter += active ? "yes " : "no ";
    EXPECT_EQ(activeAfter, "no yes no yes ");

    EXPECT_EQ(send(WM_SYSCOMMAND, SC_SCREENSAVE), 0);
    EXPECT_EQ(send(WM_SYSCOMMAND, SC_MONITORPOWER, 2), 0);
    EXPECT_EQ(send(WM_SYSCOMMAND, SC_CLOSE), DEFAULT_HANDLING);

    // Both words of the size are unsigned; no client height still gets a viewport.
    send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(65535, 0));
    ASSERT_EQ(GlCountNamed("glViewport"), 1u);
    EXPECT_EQ(glCalls[0].a[2] * 10 + glCalls[0].a[3], 655351);
}

// Scripted runs of the loop: what happens at the third empty queue (and, for
// the F1 key, at the first), how many frames are drawn and shown, and how many
// windows are made and taken down.
TEST(RunMainLoop, AsksTheQuestionThenDrawsShowsSwitchesAndEnds) {
    const struct {
        const char *how;
        int answer; // to the question; 0: the box could not be shown
        void (*before)(), (*atFirstIdle)(), (*atThirdIdle)();
        size_t frames, shown, made, destroyed;
    } cases[] = {
        {"close", IDNO, [] {}, [] {}, [] { Win32Post(WM_CLOSE); }, 2, 2, 1, 1},
        // The frame that chose "exit" is drawn but never shown.
        {"exit", 0, [] {}, [] {}, [] { screen = SCREEN_EXIT; }, 3, 2, 1, 1},
        // A minimised window draws nothing but keeps presenting.
        {"minimised", IDNO, [] { Win32Post(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1)); }, [] {},
         [] { PostQuitMessage(0); }, 0, 2, 1, 1},
        // One switch for one key-down, and the key is cleared.
        {"F1", IDNO, [] {}, PressF1, [] { PostQuitMessage(0); }, 1, 1, 2, 2},
        // A failed window ends the loop at once, with no second teardown.
        {"no window", IDNO, [] { win32Failing = {"CreateWindowExA"}; }, [] {}, [] {}, 0, 0, 1, 0},
        {"no window after F1", IDNO, [] {}, [] { PressF1(), win32Failing = {"CreateWindowExA"}; },
         [] {}, 1, 1, 2, 1},
    };
    for (const auto &c : cases) {
        ResetGameState();
        messageBoxAnswer = c.answer;
        keys[VK_LEFT] = BOOL_TRUE;
        c.before();
        win32OnIdle = [&c](int n) { (n == 1 ? c.atFirstIdle : n == 3 ? c.atThirdIdle : [] {})(); };
        // A run whose window could not be made ends with a failure code.
        EXPECT_EQ(RunMainLoop(), c.destroyed < c.made ? 1 : 0) << c.how;
        EXPECT_TRUE(messageBoxes.starts_with("Little questioN|Fullsrceen?|36\n")) << c.how;
        const bool switched = c.made == 2;
        EXPECT_EQ(fullscreen, (c.answer == IDNO) == switched ? BOOL_TRUE : FALSE) << c.how;
        EXPECT_EQ(GlCountNamed("glClear"), c.frames) << c.how;
        EXPECT_EQ(Win32CallCount("SwapBuffers"), c.shown) << c.how;
        EXPECT_EQ(Win32CallCount("CreateWindowExA"), c.made) << c.how;
        EXPECT_EQ(Win32CallCount("DestroyWindow"), c.destroyed) << c.how;
        EXPECT_EQ(win32Calls.back(), c.destroyed == c.made ? "UnregisterClassA" : "MessageBoxA");
        EXPECT_EQ(keys[VK_F1] * 10 + keys[VK_LEFT], BOOL_TRUE) << c.how; // the rest survives
    }
}
