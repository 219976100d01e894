// The window procedure's message table, the projection and the GL state.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "platform/window_proc.h"
#include "tests/doubles/test_support.h"

namespace {

HWND const someWindow = nullptr;

LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam = 0) {
    return WindowProc(someWindow, message, wParam, lParam);
}

void ExpectCall(size_t i, const char *name, std::vector<double> args) {
    ASSERT_LT(i, glCalls.size());
    EXPECT_STREQ(glCalls[i].name, name) << "call " << i;
    ASSERT_EQ(glCalls[i].argc, static_cast<int>(args.size())) << name;
    for (size_t a = 0; a < args.size(); ++a)
        EXPECT_DOUBLE_EQ(glCalls[i].a[a], args[a]) << name << " argument " << a;
}

void ExpectProjection(double width, double height) {
    ASSERT_EQ(glCalls.size(), 6u);
    ExpectCall(0, "glViewport", {0, 0, width, height});
    ExpectCall(1, "glMatrixMode", {GL_PROJECTION});
    ExpectCall(2, "glLoadIdentity", {});
    ExpectCall(3, "glOrtho", {0.0, 40.0, 30.0, 0.0, -1.0, 10.0});
    ExpectCall(4, "glMatrixMode", {GL_MODELVIEW});
    ExpectCall(5, "glLoadIdentity", {});
}

} // namespace

TEST(WindowProc, KeysAreHeldFromDownToUpAndRepeatsChangeNothing) {
    ResetGameState();
    EXPECT_EQ(Send(WM_KEYDOWN, 37), 0);
    EXPECT_EQ(keys[37], BOOL_TRUE);
    EXPECT_EQ(Send(WM_KEYDOWN, 37, 1 << 30), 0); // auto-repeat
    EXPECT_EQ(keys[37], BOOL_TRUE);
    EXPECT_EQ(Send(WM_KEYDOWN, 255), 0);
    EXPECT_EQ(keys[255], BOOL_TRUE);
    EXPECT_EQ(Send(WM_KEYUP, 37), 0);
    EXPECT_EQ(keys[37], BOOL_FALSE);
    EXPECT_EQ(keys[255], BOOL_TRUE);
    EXPECT_EQ(Win32CallIndex("DefWindowProcA"), -1);
}

TEST(WindowProc, KeyCodesBeyondTheTableTouchNothing) {
    ResetGameState();
    BOOL before[256];
    std::copy(std::begin(keys), std::end(keys), before);
    for (WPARAM code : {WPARAM{256}, WPARAM{0x1FF}, WPARAM{~0u}}) {
        EXPECT_EQ(Send(WM_KEYDOWN, code), 0);
        EXPECT_EQ(Send(WM_KEYUP, code), 0);
    }
    EXPECT_TRUE(std::equal(std::begin(keys), std::end(keys), before));
    EXPECT_EQ(Win32CallIndex("DefWindowProcA"), -1);
}

TEST(WindowProc, SystemKeysAndOtherMessagesGetTheDefaultHandling) {
    ResetGameState();
    defWindowProcResult = 42;
    EXPECT_EQ(Send(WM_SYSKEYDOWN, VK_F10), 42);
    EXPECT_EQ(Send(WM_SYSKEYUP, VK_F10), 42);
    EXPECT_EQ(Send(WM_SYSKEYDOWN, VK_F4, 1 << 29), 42);
    EXPECT_EQ(Send(WM_CREATE, 0), 42);
    EXPECT_EQ(keys[VK_F10], BOOL_FALSE);
    EXPECT_EQ(keys[VK_F4], BOOL_FALSE);
    EXPECT_EQ(Win32CallCount("DefWindowProcA"), 4u);
    EXPECT_TRUE(glCalls.empty());
}

TEST(WindowProc, ActivationFollowsOnlyTheMinimisedFlag) {
    ResetGameState();
    EXPECT_EQ(Send(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1)), 0);
    EXPECT_EQ(active, BOOL_FALSE);
    EXPECT_EQ(Send(WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0)), 0);
    EXPECT_EQ(active, BOOL_TRUE);
    Send(WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1)); // the low word is not looked at
    EXPECT_EQ(active, BOOL_FALSE);
    Send(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0)); // another application got the focus
    EXPECT_EQ(active, BOOL_TRUE);
}

TEST(WindowProc, CloseRequestPostsQuitAndKeepsTheWindow) {
    ResetGameState();
    EXPECT_EQ(Send(WM_CLOSE, 0), 0);
    ASSERT_EQ(win32Queue.size(), 1u);
    EXPECT_EQ(win32Queue[0].message, WM_QUIT);
    EXPECT_EQ(win32Queue[0].wParam, 0u);
    EXPECT_EQ(Win32CallIndex("DestroyWindow"), -1);
    EXPECT_EQ(Win32CallIndex("DefWindowProcA"), -1);
}

TEST(WindowProc, ScreenSaverAndMonitorPowerOffAreRefused) {
    ResetGameState();
    defWindowProcResult = 7;
    EXPECT_EQ(Send(WM_SYSCOMMAND, SC_SCREENSAVE), 0);
    EXPECT_EQ(Send(WM_SYSCOMMAND, SC_MONITORPOWER, 2), 0);
    EXPECT_EQ(Win32CallIndex("DefWindowProcA"), -1);
    // Every other command, and the whole wParam decides.
    EXPECT_EQ(Send(WM_SYSCOMMAND, SC_CLOSE), 7);
    EXPECT_EQ(Send(WM_SYSCOMMAND, SC_SCREENSAVE | 1), 7);
    EXPECT_EQ(Win32CallCount("DefWindowProcA"), 2u);
}

TEST(WindowProc, SizeMessageSetsTheProjectionForTheClientArea) {
    ResetGameState();
    EXPECT_EQ(Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(1024, 600)), 0);
    ExpectProjection(1024, 600);

    GlRecorderReset();
    Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(65535, 40000)); // both words unsigned
    ExpectProjection(65535, 40000);

    // A window shrunk to no client height still gets a viewport; no width stays.
    GlRecorderReset();
    Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 0));
    ExpectProjection(300, 1);
    GlRecorderReset();
    ResizeScene(0, 0);
    ExpectProjection(0, 1);
}

TEST(InitGL, SetsTheStateInOrderAndNothingElse) {
    ResetGameState();
    InitGL();
    ASSERT_EQ(glCalls.size(), 6u);
    ExpectCall(0, "glShadeModel", {GL_SMOOTH});
    ExpectCall(1, "glClearColor", {0.8f, 0.8f, 1.0f, 1.0f});
    ExpectCall(2, "glClearDepth", {1.0});
    ExpectCall(3, "glEnable", {GL_BLEND});
    ExpectCall(4, "glBlendFunc", {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA});
    ExpectCall(5, "glHint", {GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST});
}
