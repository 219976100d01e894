// The game window and its GL context, the window procedure and the projection.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <algorithm>
#include <cstring>

#include "platform/gl_window.h"
#include "platform/window_proc.h"
#include "tests/doubles/test_support.h"
#include "tests/unit/drawn_vertices.h"

namespace {

BOOL Create(BOOL wantFullscreen) {
    return CreateGameWindow("vorta kemi", 800, 600, 32, wantFullscreen);
}

void ExpectBox(size_t i, const char *text, const char *caption, UINT type) {
    ASSERT_LT(i, messageBoxes.size());
    EXPECT_EQ(messageBoxes[i].text, text);
    EXPECT_EQ(messageBoxes[i].caption, caption);
    EXPECT_EQ(messageBoxes[i].type, type);
    EXPECT_EQ(messageBoxOwners[i], nullptr);
}

const std::vector<std::string> PROJECTION_AND_GL_STATE = {
    "glViewport 0 0 800 600",  "glMatrixMode 5889",        "glLoadIdentity",
    "glOrtho 0 40 30 0 -1 10", "glMatrixMode 5888",        "glLoadIdentity",
    "glShadeModel 7425",       "glClearColor 0.8 0.8 1 1", "glClearDepth 1",
    "glEnable 3042",           "glBlendFunc 770 771",      "glHint 3152 4354"};

} // namespace

TEST(CreateGameWindow, BuildsTheWindowForEitherMode) {
    for (BOOL wanted : {BOOL_FALSE, BOOL_TRUE}) {
        ResetGameState();
        ASSERT_TRUE(Create(wanted));
        EXPECT_EQ(fullscreen, wanted);
        // The desktop mode changes and the cursor hides before the window is made;
        // the window is shown and given the keyboard once its context is current.
        EXPECT_LT(Win32CallIndex(wanted ? "ShowCursor(FALSE)" : "RegisterClassA"),
                  Win32CallIndex("AdjustWindowRectEx"));
        EXPECT_LT(Win32CallIndex("wglMakeCurrent"), Win32CallIndex("ShowWindow"));
        EXPECT_EQ(win32Calls.back(), "SetFocus");
        EXPECT_EQ(registeredClass.style, 35u);
        ASSERT_EQ(createdWindows.size(), 1u);
        const CreateWindowRecord &w = createdWindows[0];
        EXPECT_EQ(w.className + " " + w.title, "OpenGl vorta kemi");
        EXPECT_EQ(w.className, registeredClass.lpszClassName);
        // Styles, then the stand-in's frame of 3 + 3 across and 22 + 3 down.
        const std::vector<long> expected = wanted
                                               ? std::vector<long>{0x86000000, 0x40000, 800, 600}
                                               : std::vector<long>{0x06CF0000, 0x40100, 806, 625};
        EXPECT_EQ((std::vector<long>{long(w.style), long(w.exStyle), w.width, w.height}), expected);
        PIXELFORMATDESCRIPTOR pfd{};
        pfd.nSize = 40, pfd.nVersion = 1, pfd.dwFlags = 37, pfd.cColorBits = 32;
        pfd.cAlphaBits = pfd.cAlphaShift = 8, pfd.cDepthBits = 16;
        ASSERT_EQ(pixelFormatRequests.size(), 1u);
        EXPECT_EQ(std::memcmp(&pixelFormatRequests[0], &pfd, sizeof pfd), 0);
        EXPECT_EQ(pixelFormatSet, 1); // the format chosen is the one set
        ASSERT_EQ(displayModeRequests.size(), wanted ? 1u : 0u);
        if (wanted) {
            DEVMODEA mode{};
            mode.dmSize = 156, mode.dmFields = 0x1C0000, mode.dmBitsPerPel = 32;
            mode.dmPelsWidth = 800, mode.dmPelsHeight = 600;
            EXPECT_EQ(std::memcmp(&displayModeRequests[0], &mode, sizeof mode), 0);
            EXPECT_EQ(displayModeFlags[0], 4u);
        }
        EXPECT_EQ(GlLog(), PROJECTION_AND_GL_STATE);
        EXPECT_TRUE(messageBoxes.empty());
    }
}

TEST(CreateGameWindow, RefusedFullScreenAsksWhetherToRunWindowed) {
    for (int answer : {IDYES, IDNO, 0}) {
        ResetGameState();
        win32Failing = {"ChangeDisplaySettingsA"};
        messageBoxAnswers = {answer};
        EXPECT_EQ(Create(BOOL_TRUE), answer == IDYES ? BOOL_TRUE : FALSE);
        ExpectBox(0, "This FullScreen Mode Is Not Supported. Use Windowed Mode Instead?", "Tolm GL",
                  MB_YESNO | MB_ICONEXCLAMATION);
        EXPECT_EQ(displayModeRequests.size(), 1u); // never changed, so nothing to restore
        EXPECT_EQ(Win32CallIndex("ShowCursor(FALSE)"), -1);
        if (answer == IDYES) {
            EXPECT_EQ(fullscreen, FALSE); // so the next switch asks for full screen again
            EXPECT_EQ(createdWindows[0].style, 0x06CF0000u);
        } else {
            ExpectBox(1, "Program Will Now Close.", "Error", MB_OK | MB_ICONERROR);
            EXPECT_TRUE(createdWindows.empty());
            EXPECT_EQ(Win32CallIndex("UnregisterClassA"), -1);
        }
    }
}

// A failed step takes down what was built (so the desktop mode is back before
// the player reads the box), then says why.
TEST(CreateGameWindow, EachFailedStepTearsDownThenTellsWhy) {
    const std::vector<std::string> restore = {"ChangeDisplaySettingsA", "ShowCursor(TRUE)"};
    const struct {
        const char *failing, *message;
        std::vector<std::string> teardown; // what is released before the box
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
        std::vector<std::string> expected = restore;
        expected.insert(expected.end(), c.teardown.begin(), c.teardown.end());
        expected.insert(expected.end(), {"UnregisterClassA", "MessageBoxA"});
        EXPECT_EQ(std::vector<std::string>(win32Calls.begin() + Win32CallIndex(c.failing) + 1,
                                           win32Calls.end()),
                  expected)
            << c.failing;
        ASSERT_EQ(displayModeFlags.size(), 2u);
        EXPECT_EQ(displayModeFlags[1], 0u); // the desktop mode, restored
        EXPECT_EQ(fullscreen, BOOL_TRUE);
        EXPECT_TRUE(window == nullptr && deviceContext == nullptr && renderContext == nullptr);
        EXPECT_EQ(GlCountNamed("glViewport"), 0u);
    }

    ResetGameState();
    win32Failing = {"RegisterClassA"};
    EXPECT_FALSE(Create(BOOL_TRUE));
    ExpectBox(0, "Failed To Register The Window Class.", "Error", MB_OK | MB_ICONERROR);
    EXPECT_EQ(win32Calls.back(), "MessageBoxA");
    EXPECT_TRUE(displayModeRequests.empty());
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
    defWindowProcResult = 42;
    const struct {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        LRESULT result; // 42: handed to the default handling
        int keysDown;   // entries of the key table held afterwards
        BOOL active;
    } steps[] = {
        {WM_KEYDOWN, VK_LEFT, 0, 0, 1, BOOL_TRUE},
        {WM_KEYDOWN, VK_LEFT, 1 << 30, 0, 1, BOOL_TRUE}, // auto-repeat
        {WM_KEYDOWN, 255, 0, 0, 2, BOOL_TRUE},
        {WM_KEYUP, VK_LEFT, 0, 0, 1, BOOL_TRUE},
        {WM_KEYDOWN, 256, 0, 0, 1, BOOL_TRUE}, // beyond the table: ignored
        {WM_KEYUP, ~WPARAM{0}, 0, 0, 1, BOOL_TRUE},
        {WM_SYSKEYDOWN, VK_F10, 0, 42, 1, BOOL_TRUE}, // system keys never reach the table
        {WM_SYSKEYDOWN, VK_F4, 1 << 29, 42, 1, BOOL_TRUE},
        {WM_SYSKEYUP, VK_F10, 0, 42, 1, BOOL_TRUE},
        {WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0, 0, 1, BOOL_FALSE}, // minimised
        {WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0, 0, 1, BOOL_TRUE},
        {WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1), 0, 0, 1, BOOL_FALSE},  // only the high word counts
        {WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0, 0, 1, BOOL_TRUE}, // another app has focus
        {WM_SYSCOMMAND, SC_SCREENSAVE, 0, 0, 1, BOOL_TRUE},            // refused
        {WM_SYSCOMMAND, SC_MONITORPOWER, 2, 0, 1, BOOL_TRUE},          // refused
        {WM_SYSCOMMAND, SC_CLOSE, 0, 42, 1, BOOL_TRUE},
        {WM_SYSCOMMAND, SC_SCREENSAVE | 1, 0, 42, 1, BOOL_TRUE},
        {WM_CREATE, 0, 0, 42, 1, BOOL_TRUE},
        {WM_CLOSE, 0, 0, 0, 1, BOOL_TRUE},
    };
    size_t defaults = 0;
    for (const auto &s : steps) {
        EXPECT_EQ(WindowProc(nullptr, s.message, s.wParam, s.lParam), s.result)
            << s.message << " " << s.wParam;
        defaults += s.result == 42;
        EXPECT_EQ(Win32CallCount("DefWindowProcA"), defaults) << s.message << " " << s.wParam;
        EXPECT_EQ(std::count(std::begin(keys), std::end(keys), BOOL_TRUE), s.keysDown)
            << s.message << " " << s.wParam;
        EXPECT_EQ(active, s.active) << s.message << " " << s.wParam;
    }
    EXPECT_EQ(keys[255], BOOL_TRUE);
    // The close request only posts the quit; the window stays until the loop ends.
    ASSERT_EQ(win32Queue.size(), 1u);
    EXPECT_EQ(win32Queue[0].message, WM_QUIT);
    EXPECT_EQ(win32Queue[0].wParam, 0u);
    EXPECT_EQ(Win32CallIndex("DestroyWindow"), -1);
    EXPECT_TRUE(glCalls.empty());
}

TEST(WindowProc, SizeSetsTheProjectionForTheClientArea) {
    ResetGameState(); // both words unsigned; no client height still gets a viewport
    EXPECT_EQ(WindowProc(nullptr, WM_SIZE, SIZE_RESTORED, MAKELPARAM(65535, 0)), 0);
    std::vector<std::string> expected(PROJECTION_AND_GL_STATE.begin(),
                                      PROJECTION_AND_GL_STATE.begin() + 6);
    expected[0] = "glViewport 0 0 65535 1";
    EXPECT_EQ(GlLog(), expected);
}
