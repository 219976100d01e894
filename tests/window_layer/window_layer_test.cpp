// The window layer over SDL2 on the offscreen driver: what the scripted runs
// under Xvfb cannot see — the virtual-key table, system keys, the minimised
// flag of WM_ACTIVATE and the screen saver the window procedure refuses.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/win32/win32.h"

namespace {

using Messages = std::vector<std::pair<UINT, WPARAM>>;
Messages sent; // what the window procedure saw

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    sent.emplace_back(message, wParam);
    if ((message == WM_SYSCOMMAND && wParam == SC_SCREENSAVE) || message == WM_CLOSE)
        return 0;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

std::vector<MSG> Drain() {
    std::vector<MSG> out;
    for (MSG m; PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);)
        out.push_back(m);
    return out;
}

Messages Summary(const std::vector<MSG> &messages) {
    Messages out;
    for (const MSG &m : messages)
        out.emplace_back(m.message, m.wParam);
    return out;
}

void PushKey(Uint32 window, Uint32 type, SDL_Keycode sym, Uint16 mod = KMOD_NONE) {
    SDL_Event e{};
    const Uint8 state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key = {type, 0, window, state, 0, 0, 0, {SDL_SCANCODE_UNKNOWN, sym, mod, 0}};
    SDL_PushEvent(&e);
}

} // namespace

TEST(WindowLayer, KeysWindowEventsAndTheScreenSaver) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    unsetenv("DISPLAY");
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA c{};
    c.lpfnWndProc = RecordingProc, c.hInstance = instance, c.lpszClassName = "LayerTest";
    ASSERT_NE(RegisterClassA(&c), 0);
    HWND hwnd = CreateWindowExA(0, "LayerTest", "layer", WS_OVERLAPPEDWINDOW, 0, 0, 320, 200,
                                nullptr, nullptr, instance, nullptr);
    ASSERT_NE(hwnd, nullptr) << SDL_GetError();
    EXPECT_EQ(sent, (Messages{{WM_CREATE, 0}, {WM_SYSCOMMAND, SC_SCREENSAVE}}));
    EXPECT_FALSE(SDL_IsScreenSaverEnabled()); // the procedure refused it
    HDC dc = GetDC(hwnd);
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd, pfd.nVersion = 1, pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.cColorBits = 32, pfd.cDepthBits = 16;
    ASSERT_TRUE(SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd));
    HGLRC rc = wglCreateContext(dc);
    ASSERT_TRUE(wglMakeCurrent(dc, rc));
    const Uint32 id = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
    Drain();

    // Virtual-key codes; auto-repeat is one more key-down; F10 and Alt
    // combinations are system keys.
    const std::pair<SDL_Keycode, WPARAM> names[] = {
        {'q', 81},         {'a', 65},         {'z', 90},       {'0', 48},       {'9', 57},
        {SDLK_RETURN, 13}, {SDLK_ESCAPE, 27}, {SDLK_LEFT, 37}, {SDLK_UP, 38},   {SDLK_RIGHT, 39},
        {SDLK_DOWN, 40},   {SDLK_F1, 112},    {SDLK_F12, 123}, {SDLK_KP_5, 101}};
    Messages expected;
    for (const auto &[sym, vk] : names) {
        PushKey(id, SDL_KEYDOWN, sym);
        PushKey(id, SDL_KEYUP, sym);
        expected.insert(expected.end(), {{WM_KEYDOWN, vk}, {WM_KEYUP, vk}});
    }
    PushKey(id, SDL_KEYDOWN, SDLK_F10);
    PushKey(id, SDL_KEYDOWN, 'x', KMOD_LALT);
    PushKey(id, SDL_KEYUP, 'x', KMOD_LALT);
    expected.insert(expected.end(), {{WM_SYSKEYDOWN, 121}, {WM_SYSKEYDOWN, 88}, {WM_SYSKEYUP, 88}});
    std::vector<MSG> got = Drain();
    EXPECT_EQ(Summary(got), expected);
    EXPECT_EQ(got[0].hwnd, hwnd);

    // Minimised (high word 1) stays minimised while losing the focus; restored;
    // another window took the focus; a close request.
    for (Uint8 event :
         {SDL_WINDOWEVENT_MINIMIZED, SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_RESTORED,
          SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_CLOSE}) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT, e.window.windowID = id, e.window.event = event;
        SDL_PushEvent(&e);
    }
    EXPECT_EQ(Summary(Drain()), (Messages{{WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1)},
                                          {WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1)},
                                          {WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0)},
                                          {WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0)},
                                          {WM_CLOSE, 0}}));

    // Alt+F4 through the default handling is a close request.
    PushKey(id, SDL_KEYDOWN, SDLK_F4, KMOD_LALT);
    got = Drain();
    ASSERT_EQ(got.size(), 1u);
    sent.clear();
    DispatchMessageA(&got[0]);
    EXPECT_EQ(sent, (Messages{{WM_SYSKEYDOWN, 115}, {WM_SYSCOMMAND, SC_CLOSE}, {WM_CLOSE, 0}}));

    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(rc);
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_TRUE(SDL_IsScreenSaverEnabled()); // given back with the window
    EXPECT_TRUE(UnregisterClassA("LayerTest", instance));
}
