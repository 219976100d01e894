// Building and taking down the game window and its GL context.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/gl_window.h"
#include "platform/window_proc.h"
#include "tests/doubles/test_support.h"

namespace {

BOOL Create(BOOL wantFullscreen) {
    return CreateGameWindow("vorta kemi", 800, 600, 32, wantFullscreen);
}

} // namespace

TEST(CreateGameWindow, WindowedBuildsEveryStepInOrder) {
    ResetGameState();
    ASSERT_TRUE(Create(FALSE));

    EXPECT_EQ(win32Calls, (std::vector<std::string>{
                              "GetModuleHandleA", "LoadIconA", "LoadCursorA", "RegisterClassA",
                              "AdjustWindowRectEx", "CreateWindowExA", "GetDC", "ChoosePixelFormat",
                              "SetPixelFormat", "wglCreateContext", "wglMakeCurrent", "ShowWindow",
                              "SetForegroundWindow", "SetFocus"}));
    EXPECT_FALSE(fullscreen);
    EXPECT_NE(window, nullptr);
    EXPECT_NE(deviceContext, nullptr);
    EXPECT_NE(renderContext, nullptr);

    HINSTANCE module = GetModuleHandleA(nullptr);
    EXPECT_EQ(registeredClass.style, 35u);
    EXPECT_EQ(registeredClass.lpfnWndProc, &WindowProc);
    EXPECT_EQ(registeredClass.cbClsExtra, 0);
    EXPECT_EQ(registeredClass.cbWndExtra, 0);
    EXPECT_EQ(registeredClass.hInstance, module);
    EXPECT_NE(registeredClass.hIcon, nullptr);
    EXPECT_NE(registeredClass.hCursor, nullptr);
    EXPECT_EQ(registeredClass.hbrBackground, nullptr);
    EXPECT_EQ(registeredClass.lpszMenuName, nullptr);
    EXPECT_STREQ(registeredClass.lpszClassName, "OpenGl");
    EXPECT_EQ(loadedIcon.instance, nullptr);
    EXPECT_EQ(loadedIcon.name, IDI_WINLOGO);
    EXPECT_EQ(loadedCursor.instance, nullptr);
    EXPECT_EQ(loadedCursor.name, IDC_ARROW);

    // The frame is added around an 800 x 600 client area.
    const RECT &r = adjustedRect.rect;
    EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right, r.bottom}),
              std::vector<LONG>({0, 0, 800, 600}));
    EXPECT_EQ(adjustedRect.style, 0x06CF0000u);
    EXPECT_EQ(adjustedRect.menu, FALSE);
    EXPECT_EQ(adjustedRect.exStyle, 0x40100u);
    ASSERT_EQ(createdWindows.size(), 1u);
    const CreateWindowRecord &made = createdWindows[0];
    EXPECT_EQ(made.exStyle, 0x40100u);
    EXPECT_EQ(made.className, "OpenGl");
    EXPECT_EQ(made.title, "vorta kemi");
    EXPECT_EQ(made.style, 0x06CF0000u);
    EXPECT_EQ(made.x, 0);
    EXPECT_EQ(made.y, 0);
    EXPECT_EQ(made.width, 806);  // the stand-in's frame: 3 + 3
    EXPECT_EQ(made.height, 625); // 22 + 3
    EXPECT_EQ(made.parent, nullptr);
    EXPECT_EQ(made.menu, nullptr);
    EXPECT_EQ(made.instance, module);
    EXPECT_EQ(made.param, nullptr);
    EXPECT_EQ(shownWith, SW_SHOW);
    EXPECT_EQ(pixelFormatSet, 1);

    ASSERT_EQ(pixelFormatRequests.size(), 1u);
    PIXELFORMATDESCRIPTOR expected;
    std::memset(&expected, 0, sizeof expected);
    expected.nSize = 40;
    expected.nVersion = 1;
    expected.dwFlags = 37;
    expected.iPixelType = 0;
    expected.cColorBits = 32;
    expected.cAlphaBits = 8;
    expected.cAlphaShift = 8;
    expected.cDepthBits = 16;
    expected.iLayerType = 0;
    EXPECT_EQ(std::memcmp(&pixelFormatRequests[0], &expected, sizeof expected), 0);

    // The projection for the requested size, then the GL state.
    ASSERT_GE(glCalls.size(), 2u);
    EXPECT_STREQ(glCalls[0].name, "glViewport");
    EXPECT_EQ(glCalls[0].a[2], 800);
    EXPECT_EQ(glCalls[0].a[3], 600);
    EXPECT_STREQ(glCalls.back().name, "glHint");
}

TEST(CreateGameWindow, FullScreenAsksForTheModeAndHidesTheCursor) {
    ResetGameState();
    fullscreen = FALSE;
    ASSERT_TRUE(Create(BOOL_TRUE));
    EXPECT_EQ(fullscreen, BOOL_TRUE);

    ASSERT_EQ(displayModeRequests.size(), 1u);
    DEVMODEA expected;
    std::memset(&expected, 0, sizeof expected);
    expected.dmSize = 156;
    expected.dmPelsWidth = 800;
    expected.dmPelsHeight = 600;
    expected.dmBitsPerPel = 32;
    expected.dmFields = 0x1C0000;
    EXPECT_EQ(std::memcmp(&displayModeRequests[0], &expected, sizeof expected), 0);
    EXPECT_EQ(displayModeFlags[0], 4u);

    EXPECT_LT(Win32CallIndex("ChangeDisplaySettingsA"), Win32CallIndex("ShowCursor(FALSE)"));
    EXPECT_LT(Win32CallIndex("ShowCursor(FALSE)"), Win32CallIndex("AdjustWindowRectEx"));
    EXPECT_EQ(adjustedRect.style, 0x86000000u);
    EXPECT_EQ(adjustedRect.exStyle, 0x40000u);
    ASSERT_EQ(createdWindows.size(), 1u);
    EXPECT_EQ(createdWindows[0].style, 0x86000000u);
    EXPECT_EQ(createdWindows[0].exStyle, 0x40000u);
    EXPECT_EQ(createdWindows[0].width, 800);
    EXPECT_EQ(createdWindows[0].height, 600);
    EXPECT_TRUE(messageBoxes.empty());
}

TEST(CreateGameWindow, RefusedModeAnsweredYesRunsWindowed) {
    ResetGameState();
    win32Failing = {"ChangeDisplaySettingsA"};
    messageBoxAnswers = {IDYES};
    ASSERT_TRUE(Create(BOOL_TRUE));

    ASSERT_EQ(messageBoxes.size(), 1u);
    EXPECT_EQ(messageBoxes[0].text,
              "This FullScreen Mode Is Not Supported. Use Windowed Mode Instead?");
    EXPECT_EQ(messageBoxes[0].caption, "Tolm GL");
    EXPECT_EQ(messageBoxes[0].type, MB_YESNO | MB_ICONEXCLAMATION);
    EXPECT_EQ(messageBoxOwners[0], nullptr);
    EXPECT_EQ(fullscreen, FALSE);
    EXPECT_EQ(createdWindows[0].style, 0x06CF0000u);
    EXPECT_EQ(Win32CallIndex("ShowCursor(FALSE)"), -1);
}

TEST(CreateGameWindow, RefusedModeAnsweredNoOrUnansweredCloses) {
    for (int answer : {IDNO, 0}) {
        ResetGameState();
        win32Failing = {"ChangeDisplaySettingsA"};
        messageBoxAnswers = {answer};
        EXPECT_FALSE(Create(BOOL_TRUE));

        ASSERT_EQ(messageBoxes.size(), 2u);
        EXPECT_EQ(messageBoxes[1].text, "Program Will Now Close.");
        EXPECT_EQ(messageBoxes[1].caption, "Error");
        EXPECT_EQ(messageBoxes[1].type, MB_OK | MB_ICONERROR);
        // Nothing was built past the class, and the display mode was never changed.
        EXPECT_EQ(Win32CallIndex("CreateWindowExA"), -1);
        EXPECT_EQ(Win32CallIndex("UnregisterClassA"), -1);
        EXPECT_EQ(displayModeRequests.size(), 1u);
        EXPECT_EQ(window, nullptr);
    }
}

TEST(CreateGameWindow, ClassRegistrationFailureStopsAtOnce) {
    ResetGameState();
    win32Failing = {"RegisterClassA"};
    EXPECT_FALSE(Create(BOOL_TRUE));
    ASSERT_EQ(messageBoxes.size(), 1u);
    EXPECT_EQ(messageBoxes[0].text, "Failed To Register The Window Class.");
    EXPECT_EQ(messageBoxes[0].caption, "Error");
    EXPECT_EQ(messageBoxes[0].type, MB_OK | MB_ICONERROR);
    EXPECT_EQ(win32Calls.back(), "MessageBoxA");
    EXPECT_TRUE(displayModeRequests.empty());
    EXPECT_EQ(Win32CallIndex("UnregisterClassA"), -1);
}

struct CreationFailure {
    const char *failing;
    const char *message;
    std::vector<std::string> teardown; // what the teardown releases before the box
};

class CreationStepFails : public testing::TestWithParam<CreationFailure> {};

TEST_P(CreationStepFails, TearsDownThenTellsWhy) {
    const CreationFailure &f = GetParam();
    ResetGameState();
    win32Failing = {f.failing};
    EXPECT_FALSE(Create(BOOL_TRUE));

    ASSERT_EQ(messageBoxes.size(), 1u);
    EXPECT_EQ(messageBoxes[0].text, f.message);
    EXPECT_EQ(messageBoxes[0].caption, "Error");
    EXPECT_EQ(messageBoxes[0].type, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(messageBoxOwners[0], nullptr);

    // Everything after the failing step is the teardown, and the box comes last:
    // the desktop mode is back before the player reads it.
    std::vector<std::string> after(win32Calls.begin() + Win32CallIndex(f.failing) + 1,
                                   win32Calls.end());
    std::vector<std::string> expected = {"ChangeDisplaySettingsA", "ShowCursor(TRUE)"};
    expected.insert(expected.end(), f.teardown.begin(), f.teardown.end());
    expected.push_back("UnregisterClassA");
    expected.push_back("MessageBoxA");
    EXPECT_EQ(after, expected);
    ASSERT_EQ(displayModeRequests.size(), 2u);
    EXPECT_EQ(displayModeRequests[1].dmSize, 0); // restored with no mode
    EXPECT_EQ(displayModeFlags[1], 0u);

    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(deviceContext, nullptr);
    EXPECT_EQ(renderContext, nullptr);
    EXPECT_EQ(fullscreen, BOOL_TRUE);
    EXPECT_EQ(GlCountNamed("glViewport"), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, CreationStepFails,
    testing::Values(
        CreationFailure{"CreateWindowExA", "Window creation error.", {}},
        CreationFailure{"GetDC", "Cant't create a GL device context.", {"DestroyWindow"}},
        CreationFailure{"ChoosePixelFormat",
                        "Cant't Find A Suitable PixelFormat.",
                        {"ReleaseDC", "DestroyWindow"}},
        CreationFailure{
            "SetPixelFormat", "Cant't set PixelFormat.", {"ReleaseDC", "DestroyWindow"}},
        CreationFailure{"wglCreateContext",
                        "Cant't create a GL rendering context.",
                        {"ReleaseDC", "DestroyWindow"}},
        CreationFailure{
            "wglMakeCurrent",
            "Cant't activate the GL rendering context.",
            {"wglMakeCurrent(null)", "wglDeleteContext", "ReleaseDC", "DestroyWindow"}}),
    [](const testing::TestParamInfo<CreationFailure> &info) {
        return std::string(info.param.failing);
    });

TEST(DestroyGameWindow, WithNothingBuiltOnlyUnregisters) {
    ResetGameState();
    fullscreen = FALSE;
    DestroyGameWindow();
    EXPECT_EQ(win32Calls, std::vector<std::string>{"UnregisterClassA"});
    EXPECT_STREQ(unregisteredClass.name, "OpenGl");
    EXPECT_TRUE(messageBoxes.empty());
}

TEST(DestroyGameWindow, FullScreenRestoresDesktopAndCursorFirstAndKeepsTheFlag) {
    ResetGameState();
    ASSERT_TRUE(Create(BOOL_TRUE));
    win32Calls.clear();
    DestroyGameWindow();
    EXPECT_EQ(win32Calls,
              (std::vector<std::string>{"ChangeDisplaySettingsA", "ShowCursor(TRUE)",
                                        "wglMakeCurrent(null)", "wglDeleteContext", "ReleaseDC",
                                        "DestroyWindow", "UnregisterClassA"}));
    EXPECT_EQ(displayModeFlags.back(), 0u);
    EXPECT_EQ(unregisteredClass.instance, GetModuleHandleA(nullptr));
    EXPECT_EQ(fullscreen, BOOL_TRUE);
    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(deviceContext, nullptr);
    EXPECT_EQ(renderContext, nullptr);
}

TEST(DestroyGameWindow, PartialStateReleasesOnlyWhatExists) {
    ResetGameState();
    ASSERT_TRUE(Create(FALSE));
    renderContext = nullptr; // as after a failure at the pixel format
    win32Calls.clear();
    DestroyGameWindow();
    EXPECT_EQ(win32Calls,
              (std::vector<std::string>{"ReleaseDC", "DestroyWindow", "UnregisterClassA"}));
    EXPECT_TRUE(messageBoxes.empty());
}

TEST(DestroyGameWindow, EveryFailureIsReportedAndTheRestStillRuns) {
    ResetGameState();
    ASSERT_TRUE(Create(FALSE));
    win32Failing = {"wglMakeCurrent(null)", "wglDeleteContext", "ReleaseDC", "DestroyWindow",
                    "UnregisterClassA"};
    DestroyGameWindow();

    ASSERT_EQ(messageBoxes.size(), 5u);
    const char *texts[] = {"Release of DC and RC failed.", "Release of Rendering Context failed.",
                           "Release of Device Context failed.", "Could not release hWnd.",
                           "Could Not Unregister Class."};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(messageBoxes[i].text, texts[i]);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(messageBoxes[i].caption, " Shutdown Error");
        EXPECT_EQ(messageBoxes[i].type, MB_OK | MB_ICONERROR);
    }
    EXPECT_EQ(messageBoxes[4].caption, "SHUTDOWN ERROR");
    EXPECT_EQ(messageBoxes[4].type, MB_OK | MB_ICONINFORMATION);
    for (HWND owner : messageBoxOwners)
        EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(deviceContext, nullptr);
    EXPECT_EQ(renderContext, nullptr);
}
