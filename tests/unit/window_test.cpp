// The game window on the scripted window layer: what each failure shows and
// takes down, the window procedure's table, and how the main loop ends.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/main_loop.h"
#include "platform/gl_window.h"
#include "platform/window_proc.h"
#include "tests/doubles/test_support.h"

namespace {

using Calls = std::vector<std::string>;

BOOL Create(BOOL wantFullscreen) {
    return CreateGameWindow("vorta kemi", 800, 600, 32, wantFullscreen);
}

// The calls made after the first one with this name.
Calls CallsAfter(const std::string &name) {
    return Calls(std::find(win32Calls.begin(), win32Calls.end(), name) + 1, win32Calls.end());
}

void ExpectBox(size_t i, const char *text, const char *caption, UINT type) {
    ASSERT_LT(i, messageBoxes.size());
    EXPECT_EQ(messageBoxes[i].text, text);
    EXPECT_EQ(messageBoxes[i].caption, caption) << text;
    EXPECT_EQ(messageBoxes[i].type, type) << text;
}

void PressF1() {
    Win32Post(WM_KEYDOWN, VK_F1);
    Win32Post(WM_KEYDOWN, VK_F1, 1 << 30); // auto-repeat, drained before the frame
}

} // namespace

// A failed step takes down what was built (so the desktop mode is back before
// the player reads the box), then says why.
TEST(CreateGameWindow, EachFailedStepTearsDownThenTellsWhy) {
    const struct {
        const char *failing, *message;
        Calls teardown; // what is released before the box
    } cases[] = {
        {"CreateWindowExA", "Window creation error.", {}},
        {"GetDC", "Cant't create a GL device context.", {"DestroyWindow"}},
        {"ChoosePixelFormat",
         "Cant't Find A Suitable PixelFormat.",
         {"ReleaseDC", "DestroyWindow"}},
        {"SetPixelFormat", "Cant't set PixelFormat.", {"ReleaseDC", "DestroyWindow"}},
        {"wglCreateContext",
         "Cant't create a GL rendering context.",
         {"ReleaseDC", "DestroyWindow"}},
        {"wglMakeCurrent",
         "Cant't activate the GL rendering context.",
         {"wglMakeCurrent(null)", "wglDeleteContext", "ReleaseDC", "DestroyWindow"}},
    };
    for (const auto &c : cases) {
        ResetGameState();
        win32Failing = {c.failing};
        EXPECT_FALSE(Create(BOOL_TRUE));
        ExpectBox(0, c.message, "Error", MB_OK | MB_ICONEXCLAMATION);
        Calls expected = {"ChangeDisplaySettingsA(null)", "ShowCursor(TRUE)"};
        expected.insert(expected.end(), c.teardown.begin(), c.teardown.end());
        expected.insert(expected.end(), {"UnregisterClassA", "MessageBoxA"});
        EXPECT_EQ(CallsAfter(c.failing), expected) << c.failing;
        EXPECT_TRUE(window == nullptr && deviceContext == nullptr && renderContext == nullptr);
    }

    ResetGameState();
    win32Failing = {"RegisterClassA"};
    EXPECT_FALSE(Create(BOOL_TRUE));
    ExpectBox(0, "Failed To Register The Window Class.", "Error", MB_OK | MB_ICONERROR);
    EXPECT_EQ(CallsAfter("RegisterClassA"), Calls{"MessageBoxA"});
}

TEST(DestroyGameWindow, EveryFailureIsReportedAndTheRestStillRuns) {
    ResetGameState();
    ASSERT_TRUE(Create(FALSE));
    const char *const steps[][2] = {
        {"wglMakeCurrent(null)", "Release of DC and RC failed."},
        {"wglDeleteContext", "Release of Rendering Context failed."},
        {"ReleaseDC", "Release of Device Context failed."},
        {"DestroyWindow", "Could not release hWnd."},
        {"UnregisterClassA", "Could Not Unregister Class."},
    };
    for (const auto &s : steps)
        win32Failing.insert(s[0]);
    DestroyGameWindow();
    ASSERT_EQ(messageBoxes.size(), 5u);
    for (int i = 0; i < 4; ++i)
        ExpectBox(i, steps[i][1], " Shutdown Error", MB_OK | MB_ICONERROR);
    ExpectBox(4, steps[4][1], "SHUTDOWN ERROR", MB_OK | MB_ICONINFORMATION);
    EXPECT_TRUE(window == nullptr && deviceContext == nullptr && renderContext == nullptr);
}

TEST(WindowProc, MessageTable) {
    ResetGameState();
    const struct {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        LRESULT result;
        int keysDown; // entries of the key table held afterwards
        BOOL active;
    } steps[] = {
        {WM_KEYDOWN, VK_LEFT, 0, 0, 1, BOOL_TRUE},
        {WM_KEYDOWN, 255, 0, 0, 2, BOOL_TRUE},
        {WM_KEYUP, VK_LEFT, 0, 0, 1, BOOL_TRUE},
        {WM_KEYDOWN, 256, 0, 0, 1, BOOL_TRUE}, // beyond the table: ignored
        {WM_KEYUP, ~WPARAM{0}, 0, 0, 1, BOOL_TRUE},
        {WM_SYSKEYDOWN, VK_F10, 0, DEFAULT_HANDLING, 1, BOOL_TRUE},     // never in the table
        {WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0, 0, 1, BOOL_FALSE}, // minimised
        {WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0, 0, 1, BOOL_TRUE},
        {WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1), 0, 0, 1, BOOL_FALSE},  // only the high word counts
        {WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0, 0, 1, BOOL_TRUE}, // another app has focus
        {WM_SYSCOMMAND, SC_SCREENSAVE, 0, 0, 1, BOOL_TRUE},            // refused
        {WM_SYSCOMMAND, SC_MONITORPOWER, 2, 0, 1, BOOL_TRUE},          // refused
        {WM_SYSCOMMAND, SC_CLOSE, 0, DEFAULT_HANDLING, 1, BOOL_TRUE},
        {WM_SIZE, SIZE_RESTORED, MAKELPARAM(65535, 0), 0, 1, BOOL_TRUE},
        {WM_CLOSE, 0, 0, 0, 1, BOOL_TRUE},
    };
    for (const auto &s : steps) {
        EXPECT_EQ(WindowProc(nullptr, s.message, s.wParam, s.lParam), s.result) << s.message;
        EXPECT_EQ(std::count(std::begin(keys), std::end(keys), BOOL_TRUE), s.keysDown) << s.message;
        EXPECT_EQ(active, s.active) << s.message << " " << s.wParam;
    }
    EXPECT_EQ(keys[255], BOOL_TRUE);
    // Both words of the size are unsigned; no client height still gets a viewport.
    ASSERT_EQ(GlCountNamed("glViewport"), 1u);
    EXPECT_EQ(glCalls[0].a[2] * 10 + glCalls[0].a[3], 655351);
    // The close request only posts the quit; the window stays until the loop ends.
    ASSERT_EQ(win32Queue.size(), 1u);
    EXPECT_EQ(win32Queue[0].message * 10 + win32Queue[0].wParam, WM_QUIT * 10u);
    EXPECT_EQ(Win32CallCount("DestroyWindow"), 0u);
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
        // A quit waiting up front ends the loop before any frame.
        {"quit", IDYES, [] { Win32Post(WM_QUIT); }, [] {}, [] {}, 0, 0, 1, 1},
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
        messageBoxAnswers = {c.answer};
        keys[VK_LEFT] = BOOL_TRUE;
        c.before();
        win32OnIdle = [&c](int n) { (n == 1 ? c.atFirstIdle : n == 3 ? c.atThirdIdle : [] {})(); };
        EXPECT_EQ(RunMainLoop(), 0) << c.how;
        ExpectBox(0, "Fullsrceen?", "Little questioN", MB_YESNO | MB_ICONQUESTION);
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
