// The window layer over SDL2, used as the game uses it: classes, windows, GL
// contexts, the message queue fed by SDL events, display modes and boxes.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/win32.h"

namespace {

std::vector<MSG> sent; // every message the window procedure saw, in order
bool refuseScreenSaver = true;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    sent.push_back(MSG{hwnd, message, wParam, lParam, 0, {}});
    if (message == WM_SYSCOMMAND && wParam == SC_SCREENSAVE && refuseScreenSaver)
        return 0;
    if (message == WM_CLOSE)
        return 0;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool Saw(UINT message, WPARAM wParam) {
    for (const MSG &m : sent)
        if (m.message == message && m.wParam == wParam)
            return true;
    return false;
}

std::vector<MSG> Drain() {
    std::vector<MSG> out;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        out.push_back(m);
    return out;
}

PIXELFORMATDESCRIPTOR GameRequest() {
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cAlphaBits = 8;
    pfd.cDepthBits = 16;
    return pfd;
}

class WindowLayer : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        unsetenv("DISPLAY"); // no box may pop up on a developer's screen
        unsetenv("WAYLAND_DISPLAY");
    }
    void SetUp() override {
        sent.clear();
        refuseScreenSaver = true;
        instance = GetModuleHandleA(nullptr);
        WNDCLASSA c{};
        c.lpfnWndProc = RecordingProc;
        c.hInstance = instance;
        c.lpszClassName = "LayerTest";
        ASSERT_NE(RegisterClassA(&c), 0);
    }
    void TearDown() override {
        if (rc) {
            wglMakeCurrent(nullptr, nullptr);
            wglDeleteContext(rc);
        }
        if (hwnd)
            DestroyWindow(hwnd);
        EXPECT_TRUE(UnregisterClassA("LayerTest", instance));
        Drain();
    }

    void MakeWindow(DWORD style = WS_OVERLAPPEDWINDOW) {
        RECT r{0, 0, 320, 200};
        AdjustWindowRectEx(&r, style, FALSE, 0);
        hwnd = CreateWindowExA(0, "LayerTest", "layer", style, 0, 0, r.right - r.left,
                               r.bottom - r.top, nullptr, nullptr, instance, nullptr);
        ASSERT_NE(hwnd, nullptr) << SDL_GetError();
    }
    void MakeGl() {
        MakeWindow();
        dc = GetDC(hwnd);
        PIXELFORMATDESCRIPTOR pfd = GameRequest();
        int format = ChoosePixelFormat(dc, &pfd);
        ASSERT_NE(format, 0);
        ASSERT_TRUE(SetPixelFormat(dc, format, &pfd));
        rc = wglCreateContext(dc);
        ASSERT_NE(rc, nullptr);
        ASSERT_TRUE(wglMakeCurrent(dc, rc));
        sdlId = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
    }

    void PushKey(Uint32 type, SDL_Keycode sym, Uint16 mod = KMOD_NONE, Uint8 repeat = 0) {
        SDL_Event e{};
        e.type = type;
        e.key.windowID = sdlId;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        SDL_PushEvent(&e);
    }
    void PushWindowEvent(Uint8 event) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = sdlId;
        e.window.event = event;
        SDL_PushEvent(&e);
    }

    HINSTANCE instance = nullptr;
    HWND hwnd = nullptr;
    HDC dc = nullptr;
    HGLRC rc = nullptr;
    Uint32 sdlId = 0;
};

} // namespace

TEST_F(WindowLayer, CreationAndShowingSendTheirMessagesAndHoldOffTheScreenSaver) {
    MakeGl();
    EXPECT_TRUE(Saw(WM_CREATE, 0));
    EXPECT_FALSE(SDL_IsScreenSaverEnabled()); // the procedure refused SC_SCREENSAVE
    int w = 0, h = 0;
    SDL_GetWindowSize(SDL_GL_GetCurrentWindow(), &w, &h);
    EXPECT_EQ(w, 320); // the frame added by AdjustWindowRectEx is taken off again
    EXPECT_EQ(h, 200);

    sent.clear();
    ShowWindow(hwnd, SW_SHOW);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].message, WM_SIZE);
    EXPECT_EQ(sent[0].lParam, MAKELPARAM(320, 200));
    EXPECT_EQ(sent[1].message, WM_ACTIVATE);
    EXPECT_EQ(HIWORD(sent[1].wParam), 0);

    EXPECT_FALSE(UnregisterClassA("LayerTest", instance)); // it still has a window
    sent.clear();
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_TRUE(Saw(WM_DESTROY, 0));
    EXPECT_FALSE(DestroyWindow(hwnd));
    hwnd = nullptr;
    EXPECT_TRUE(SDL_IsScreenSaverEnabled());
}

TEST_F(WindowLayer, AProcedureThatAllowsTheScreenSaverLeavesItOn) {
    refuseScreenSaver = false;
    MakeWindow();
    EXPECT_TRUE(SDL_IsScreenSaverEnabled());
}

TEST_F(WindowLayer, ClassesRegisterOnce) {
    WNDCLASSA again{};
    again.lpfnWndProc = RecordingProc;
    again.hInstance = instance;
    again.lpszClassName = "LayerTest";
    EXPECT_EQ(RegisterClassA(&again), 0);
    EXPECT_FALSE(UnregisterClassA("NoSuchClass", instance));
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              instance, nullptr),
              nullptr);
}

TEST_F(WindowLayer, PixelFormatContextAndBuffers) {
    MakeWindow();
    dc = GetDC(hwnd);
    ASSERT_NE(dc, nullptr);
    PIXELFORMATDESCRIPTOR request = GameRequest();
    EXPECT_EQ(wglCreateContext(dc), nullptr); // no pixel format yet
    PIXELFORMATDESCRIPTOR colourIndex = request;
    colourIndex.iPixelType = 1;
    EXPECT_EQ(ChoosePixelFormat(dc, &colourIndex), 0);
    int format = ChoosePixelFormat(dc, &request);
    ASSERT_NE(format, 0);
    EXPECT_FALSE(SetPixelFormat(dc, format + 1, &request));
    ASSERT_TRUE(SetPixelFormat(dc, format, &request));

    rc = wglCreateContext(dc);
    ASSERT_NE(rc, nullptr);
    EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr); // current only once made so
    ASSERT_TRUE(wglMakeCurrent(dc, rc));
    EXPECT_NE(SDL_GL_GetCurrentContext(), nullptr);
    EXPECT_TRUE(SwapBuffers(dc));
    EXPECT_TRUE(wglMakeCurrent(dc, nullptr));
    EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
    EXPECT_TRUE(wglDeleteContext(rc));
    EXPECT_FALSE(wglDeleteContext(rc));
    rc = nullptr;

    EXPECT_EQ(ReleaseDC(nullptr, dc), 0);
    EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
}

TEST_F(WindowLayer, KeysBecomeVirtualKeyMessages) {
    MakeGl();
    struct {
        SDL_Keycode sym;
        WPARAM vk;
    } const names[] = {{'q', 81},       {'a', 65},         {'z', 90},         {'0', 48},
                       {'9', 57},       {SDLK_RETURN, 13}, {SDLK_ESCAPE, 27}, {SDLK_SPACE, 32},
                       {SDLK_LEFT, 37}, {SDLK_UP, 38},     {SDLK_RIGHT, 39},  {SDLK_DOWN, 40},
                       {SDLK_F1, 112},  {SDLK_F12, 123},   {SDLK_LSHIFT, 16}, {SDLK_KP_5, 101}};
    for (const auto &n : names) {
        PushKey(SDL_KEYDOWN, n.sym);
        PushKey(SDL_KEYUP, n.sym);
        std::vector<MSG> got = Drain();
        ASSERT_EQ(got.size(), 2u) << n.vk;
        EXPECT_EQ(got[0].message, WM_KEYDOWN);
        EXPECT_EQ(got[0].wParam, n.vk);
        EXPECT_EQ(got[0].hwnd, hwnd);
        EXPECT_EQ(got[1].message, WM_KEYUP);
        EXPECT_EQ(got[1].wParam, n.vk);
    }

    // Auto-repeat is one more key-down; F10 and Alt combinations are system keys.
    PushKey(SDL_KEYDOWN, SDLK_UP, KMOD_NONE, 1);
    PushKey(SDL_KEYDOWN, SDLK_F10);
    PushKey(SDL_KEYDOWN, 'x', KMOD_LALT);
    PushKey(SDL_KEYUP, 'x', KMOD_LALT);
    std::vector<MSG> got = Drain();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].message, WM_KEYDOWN);
    EXPECT_EQ(got[0].wParam, 38u);
    EXPECT_NE(got[0].lParam & (1 << 30), 0); // it was down before
    EXPECT_EQ(got[1].message, WM_SYSKEYDOWN);
    EXPECT_EQ(got[1].wParam, 121u);
    EXPECT_EQ(got[2].message, WM_SYSKEYDOWN);
    EXPECT_EQ(got[2].wParam, 88u);
    EXPECT_NE(got[2].lParam & (1 << 29), 0);
    EXPECT_EQ(got[3].message, WM_SYSKEYUP);

    // Before SDL knows which window has the keyboard, keys go to the one given
    // the focus; keys of a window that is gone are dropped.
    SetFocus(hwnd);
    sdlId = 0;
    PushKey(SDL_KEYDOWN, 'q');
    sdlId = 9999;
    PushKey(SDL_KEYUP, 'q');
    got = Drain();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].hwnd, hwnd);
    EXPECT_EQ(got[0].message, WM_KEYDOWN);
}

TEST_F(WindowLayer, WindowEventsBecomeActivationSizeAndClose) {
    MakeGl();
    PushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    PushWindowEvent(SDL_WINDOWEVENT_RESTORED);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    PushWindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED);
    PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    std::vector<MSG> got = Drain();
    ASSERT_EQ(got.size(), 6u);
    const UINT messages[] = {WM_ACTIVATE, WM_ACTIVATE, WM_ACTIVATE, WM_ACTIVATE, WM_SIZE, WM_CLOSE};
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(got[i].message, messages[i]) << i;
    EXPECT_EQ(HIWORD(got[0].wParam), 1); // minimised
    EXPECT_EQ(HIWORD(got[1].wParam), 1); // still minimised while losing the focus
    EXPECT_EQ(HIWORD(got[2].wParam), 0);
    EXPECT_EQ(HIWORD(got[3].wParam), 0); // another window took the focus
    EXPECT_EQ(LOWORD(got[3].wParam), WA_INACTIVE);
    EXPECT_EQ(got[4].lParam, MAKELPARAM(320, 200));
}

TEST_F(WindowLayer, AltF4ThroughTheDefaultHandlingIsACloseRequest) {
    MakeGl();
    PushKey(SDL_KEYDOWN, SDLK_F4, KMOD_LALT);
    std::vector<MSG> got = Drain();
    ASSERT_EQ(got.size(), 1u);
    sent.clear();
    DispatchMessageA(&got[0]);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].message, WM_SYSKEYDOWN);
    EXPECT_EQ(sent[1].message, WM_SYSCOMMAND);
    EXPECT_EQ(sent[1].wParam, SC_CLOSE);
    EXPECT_EQ(sent[2].message, WM_CLOSE);
}

TEST_F(WindowLayer, QuitComesOutOfTheQueueAndADestroyedWindowsMessagesDie) {
    MakeGl();
    PushKey(SDL_KEYDOWN, 'q');
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, WM_KEYDOWN);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(rc);
    rc = nullptr;
    DestroyWindow(hwnd);
    hwnd = nullptr;
    PostQuitMessage(5);
    std::vector<MSG> got = Drain();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, WM_QUIT);
    EXPECT_EQ(got[0].wParam, 5u);
}

TEST_F(WindowLayer, OnlySizesTheDisplayOffersAreGranted) {
    MakeWindow(); // starts the video
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = 12345;
    mode.dmPelsHeight = 678;
    mode.dmBitsPerPel = 32;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    EXPECT_NE(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
}

TEST(WindowLayerClock, TickCountFollowsTheMonotonicClock) {
    DWORD before = GetTickCount();
    SDL_Delay(30);
    DWORD elapsed = GetTickCount() - before;
    EXPECT_GE(elapsed, 30u);
    EXPECT_LT(elapsed, 60000u);
}

// A machine with no screen at all: SDL must not quietly draw somewhere unseen.
class NoDisplay : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("SDL_VIDEODRIVER");
    }
};

TEST_F(NoDisplay, BoxesGoToStderrAndWindowsAndModesFail) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "Fullsrceen?", "Little questioN", MB_YESNO | MB_ICONQUESTION),
              0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Little questioN: Fullsrceen?\n"), std::string::npos) << err;

    DEVMODEA mode{};
    mode.dmPelsWidth = 800;
    mode.dmPelsHeight = 600;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    EXPECT_NE(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);

    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA c{};
    c.lpfnWndProc = RecordingProc;
    c.hInstance = instance;
    c.lpszClassName = "Headless";
    ASSERT_NE(RegisterClassA(&c), 0); // a class needs no screen
    EXPECT_EQ(CreateWindowExA(0, "Headless", "", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                              instance, nullptr),
              nullptr);
    EXPECT_TRUE(UnregisterClassA("Headless", instance));
}

TEST_F(NoDisplay, ExitProcessFlushesAndEndsWithItsCode) {
    std::string path = testing::TempDir() + "exit_flush.txt";
    EXPECT_EXIT(
        {
            FILE *f = std::fopen(path.c_str(), "w");
            std::fputs("written before the end", f);
            ExitProcess(3);
        },
        testing::ExitedWithCode(3), "");
    FILE *f = std::fopen(path.c_str(), "r");
    ASSERT_NE(f, nullptr);
    char text[64] = {};
    std::fgets(text, sizeof text, f);
    std::fclose(f);
    EXPECT_STREQ(text, "written before the end");
}
