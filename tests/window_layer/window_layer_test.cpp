// The window layer over SDL2, used as the game uses it: classes, windows, GL
// contexts, the message queue fed by SDL events, display modes and boxes.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/win32.h"

namespace {

using Messages = std::vector<std::pair<UINT, WPARAM>>;

std::vector<MSG> sent; // every message the window procedure saw, in order
bool refuseScreenSaver = true;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    sent.push_back(MSG{hwnd, message, wParam, lParam, 0, {}});
    if ((message == WM_SYSCOMMAND && wParam == SC_SCREENSAVE && refuseScreenSaver) ||
        message == WM_CLOSE)
        return 0;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

std::vector<MSG> Drain() {
    std::vector<MSG> out;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        out.push_back(m);
    return out;
}

Messages Summary(const std::vector<MSG> &messages) {
    Messages out;
    for (const MSG &m : messages)
        out.emplace_back(m.message, m.wParam);
    return out;
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
    void MakeWindow() { // a 320 x 200 client area with the frame added, as the game does
        RECT r{0, 0, 320, 200};
        AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
        hwnd = CreateWindowExA(0, "LayerTest", "layer", WS_OVERLAPPEDWINDOW, 0, 0, r.right - r.left,
                               r.bottom - r.top, nullptr, nullptr, instance, nullptr);
        ASSERT_NE(hwnd, nullptr) << SDL_GetError();
        dc = GetDC(hwnd);
        ASSERT_NE(dc, nullptr);
    }
    void MakeGl() {
        MakeWindow();
        PIXELFORMATDESCRIPTOR pfd{};
        pfd.nSize = sizeof pfd, pfd.nVersion = 1, pfd.iPixelType = PFD_TYPE_RGBA;
        pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        pfd.cColorBits = 32, pfd.cAlphaBits = 8, pfd.cDepthBits = 16;
        EXPECT_EQ(wglCreateContext(dc), nullptr); // no pixel format yet
        ASSERT_TRUE(SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd));
        rc = wglCreateContext(dc);
        ASSERT_NE(rc, nullptr);
        EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr); // current only once made so
        ASSERT_TRUE(wglMakeCurrent(dc, rc));
        sdlId = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
    }
    void Push(Uint32 type, SDL_Keycode sym, Uint16 mod = KMOD_NONE, Uint8 repeat = 0) {
        SDL_Event e{};
        const Uint8 state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key = {type, 0, sdlId, state, repeat, 0, 0, {SDL_SCANCODE_UNKNOWN, sym, mod, 0}};
        SDL_PushEvent(&e);
    }

    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND hwnd = nullptr;
    HDC dc = nullptr;
    HGLRC rc = nullptr;
    Uint32 sdlId = 0;
};

} // namespace

TEST_F(WindowLayer, WindowsContextsAndTheScreenSaver) {
    MakeWindow();
    EXPECT_EQ(Summary(sent), (Messages{{WM_CREATE, 0}, {WM_SYSCOMMAND, SC_SCREENSAVE}}));
    EXPECT_FALSE(SDL_IsScreenSaverEnabled()); // the procedure refused it
    sent.clear();
    ShowWindow(hwnd, SW_SHOW);
    ASSERT_EQ(Summary(sent), (Messages{{WM_SIZE, 0}, {WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0)}}));
    EXPECT_EQ(sent[0].lParam, MAKELPARAM(320, 200)); // the frame is taken off again

    EXPECT_FALSE(UnregisterClassA("LayerTest", instance)); // it still has a window
    EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
    sent.clear();
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_EQ(Summary(sent), (Messages{{WM_DESTROY, 0}}));
    EXPECT_FALSE(DestroyWindow(hwnd));
    hwnd = nullptr;
    EXPECT_TRUE(SDL_IsScreenSaverEnabled());

    refuseScreenSaver = false; // a procedure that allows it leaves it on
    MakeGl();
    EXPECT_TRUE(SDL_IsScreenSaverEnabled());
    EXPECT_NE(SDL_GL_GetCurrentContext(), nullptr);
    EXPECT_TRUE(SwapBuffers(dc));
    EXPECT_TRUE(wglMakeCurrent(dc, nullptr));
    EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
    EXPECT_TRUE(wglDeleteContext(rc));
    EXPECT_FALSE(wglDeleteContext(rc));
    rc = nullptr;
}

TEST_F(WindowLayer, KeysBecomeVirtualKeyMessages) {
    MakeGl();
    const std::pair<SDL_Keycode, WPARAM> names[] = {
        {'q', 81},         {'a', 65},         {'z', 90},       {'0', 48},       {'9', 57},
        {SDLK_RETURN, 13}, {SDLK_ESCAPE, 27}, {SDLK_LEFT, 37}, {SDLK_UP, 38},   {SDLK_RIGHT, 39},
        {SDLK_DOWN, 40},   {SDLK_F1, 112},    {SDLK_F12, 123}, {SDLK_KP_5, 101}};
    Messages expected;
    for (const auto &[sym, vk] : names) {
        Push(SDL_KEYDOWN, sym);
        Push(SDL_KEYUP, sym);
        expected.insert(expected.end(), {{WM_KEYDOWN, vk}, {WM_KEYUP, vk}});
    }
    std::vector<MSG> got = Drain();
    EXPECT_EQ(Summary(got), expected);
    EXPECT_EQ(got[0].hwnd, hwnd);

    // Auto-repeat is one more key-down; F10 and Alt combinations are system keys.
    Push(SDL_KEYDOWN, SDLK_UP, KMOD_NONE, 1);
    Push(SDL_KEYDOWN, SDLK_F10);
    Push(SDL_KEYDOWN, 'x', KMOD_LALT);
    Push(SDL_KEYUP, 'x', KMOD_LALT);
    got = Drain();
    EXPECT_EQ(
        Summary(got),
        (Messages{{WM_KEYDOWN, 38}, {WM_SYSKEYDOWN, 121}, {WM_SYSKEYDOWN, 88}, {WM_SYSKEYUP, 88}}));
    EXPECT_NE(got[0].lParam & (1 << 30), 0); // it was down before
    EXPECT_NE(got[2].lParam & (1 << 29), 0);

    // Before SDL knows which window has the keyboard, keys go to the one given
    // the focus; keys of a window that is gone are dropped.
    SetFocus(hwnd);
    sdlId = 0;
    Push(SDL_KEYDOWN, 'q');
    sdlId = 9999;
    Push(SDL_KEYUP, 'q');
    got = Drain();
    ASSERT_EQ(Summary(got), (Messages{{WM_KEYDOWN, 81}}));
    EXPECT_EQ(got[0].hwnd, hwnd);
}

TEST_F(WindowLayer, WindowEventsBecomeActivationSizeAndClose) {
    MakeGl();
    for (Uint8 event :
         {SDL_WINDOWEVENT_MINIMIZED, SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_RESTORED,
          SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_SIZE_CHANGED, SDL_WINDOWEVENT_CLOSE}) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = sdlId;
        e.window.event = event;
        SDL_PushEvent(&e);
    }
    std::vector<MSG> got = Drain();
    // Minimised, still minimised while losing the focus, restored, and another
    // window took the focus.
    EXPECT_EQ(Summary(got), (Messages{{WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1)},
                                      {WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1)},
                                      {WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0)},
                                      {WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0)},
                                      {WM_SIZE, 0},
                                      {WM_CLOSE, 0}}));
    EXPECT_EQ(got[4].lParam, MAKELPARAM(320, 200));

    // Alt+F4 through the default handling is a close request.
    Push(SDL_KEYDOWN, SDLK_F4, KMOD_LALT);
    got = Drain();
    ASSERT_EQ(got.size(), 1u);
    sent.clear();
    DispatchMessageA(&got[0]);
    EXPECT_EQ(Summary(sent),
              (Messages{{WM_SYSKEYDOWN, 115}, {WM_SYSCOMMAND, SC_CLOSE}, {WM_CLOSE, 0}}));
}

TEST_F(WindowLayer, QuitComesOutOfTheQueueAndADestroyedWindowsMessagesDie) {
    MakeGl();
    Push(SDL_KEYDOWN, 'q');
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, WM_KEYDOWN);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(rc);
    DestroyWindow(hwnd);
    rc = nullptr, hwnd = nullptr;
    PostQuitMessage(5);
    EXPECT_EQ(Summary(Drain()), (Messages{{WM_QUIT, 5}}));
}

TEST_F(WindowLayer, OnlySizesTheDisplayOffersAreGrantedAndTheClockRuns) {
    MakeWindow(); // starts the video
    DEVMODEA mode{};
    mode.dmSize = sizeof mode, mode.dmBitsPerPel = 32;
    mode.dmPelsWidth = 12345, mode.dmPelsHeight = 678;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    EXPECT_NE(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);

    const DWORD before = GetTickCount();
    SDL_Delay(30);
    const DWORD elapsed = GetTickCount() - before;
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

TEST_F(NoDisplay, WindowsAndDisplayModesFail) {
    DEVMODEA mode{};
    mode.dmPelsWidth = 800, mode.dmPelsHeight = 600, mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
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
