// The window layer over SDL2 on the offscreen driver: what the scripted runs
// under Xvfb cannot see — the virtual-key table, system keys, the minimised
// flag of WM_ACTIVATE and the screen saver the window procedure refuses.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>
#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "win32/win32.h"

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

// Gamepads as the keyboard: a virtual pad plugged in, pressed and pulled out
// through SDL's own controller layer, then a second pad's events fed straight
// into the queue.
TEST(WindowLayer, GamepadsPlayAsArrowsEnterAndEscape) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA c{};
    c.lpfnWndProc = RecordingProc, c.hInstance = instance, c.lpszClassName = "PadTest";
    ASSERT_NE(RegisterClassA(&c), 0);
    HWND hwnd = CreateWindowExA(0, "PadTest", "pad", WS_OVERLAPPEDWINDOW, 0, 0, 320, 200, nullptr,
                                nullptr, instance, nullptr);
    ASSERT_NE(hwnd, nullptr) << SDL_GetError();
    Drain();

    // Plugged in while the game runs: opened, and its buttons are keys. (SDL
    // passes pad input on only to a focused window, unless told otherwise;
    // the offscreen window never has the focus.)
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    const int device = SDL_JoystickAttachVirtual(
        SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
    ASSERT_GE(device, 0) << SDL_GetError();
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(device);
    EXPECT_TRUE(Drain().empty());
    ASSERT_NE(SDL_GameControllerFromInstanceID(id), nullptr) << "the layer did not open the pad";
    SDL_Joystick *stick = SDL_JoystickFromInstanceID(id);
    SDL_JoystickSetVirtualButton(stick, SDL_CONTROLLER_BUTTON_A, 1);
    SDL_JoystickSetVirtualButton(stick, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 1);
    SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_LEFTY, 30000);
    std::vector<MSG> got = Drain();
    Messages pressed = Summary(got);
    std::sort(pressed.begin(), pressed.end());
    EXPECT_EQ(pressed,
              (Messages{{WM_KEYDOWN, VK_RETURN}, {WM_KEYDOWN, VK_RIGHT}, {WM_KEYDOWN, VK_DOWN}}));
    EXPECT_EQ(got.at(0).hwnd, hwnd);
    // Pulled out while held: every key it held comes up.
    SDL_JoystickDetachVirtual(device);
    got = Drain();
    Messages released = Summary(got);
    std::sort(released.begin(), released.end());
    EXPECT_EQ(released,
              (Messages{{WM_KEYUP, VK_RETURN}, {WM_KEYUP, VK_RIGHT}, {WM_KEYUP, VK_DOWN}}));
    EXPECT_EQ(got.at(0).lParam, LPARAM{1} | LPARAM{1} << 30 | LPARAM{1} << 31);
    EXPECT_EQ(SDL_GameControllerFromInstanceID(id), nullptr) << "the pad was not closed";

    // The stick has a dead zone and lets go later than it presses; inputs
    // that stand for one key hold it until the last lets go.
    const SDL_JoystickID other = 1000;
    const auto axis = [&](Uint8 which, Sint16 value) {
        SDL_Event e{};
        e.type = SDL_CONTROLLERAXISMOTION, e.caxis.which = other, e.caxis.axis = which;
        e.caxis.value = value;
        SDL_PushEvent(&e);
    };
    const auto button = [&](Uint8 which, bool down) {
        SDL_Event e{};
        e.type = down ? SDL_CONTROLLERBUTTONDOWN : SDL_CONTROLLERBUTTONUP;
        e.cbutton.which = other, e.cbutton.button = which;
        e.cbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
        SDL_PushEvent(&e);
    };
    const Uint8 X = SDL_CONTROLLER_AXIS_LEFTX, Y = SDL_CONTROLLER_AXIS_LEFTY;
    for (Sint16 v : {6000, 20000, 12000, 20000, 9000, 7000, -12000, -20000, 32767})
        axis(X, v);
    axis(SDL_CONTROLLER_AXIS_RIGHTX, -32768);
    axis(Y, -20000);
    button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    axis(Y, 0);
    button(SDL_CONTROLLER_BUTTON_DPAD_UP, false);
    button(SDL_CONTROLLER_BUTTON_B, true);
    button(SDL_CONTROLLER_BUTTON_BACK, true);
    button(SDL_CONTROLLER_BUTTON_X, true);
    button(SDL_CONTROLLER_BUTTON_B, false);
    button(SDL_CONTROLLER_BUTTON_BACK, false);
    button(SDL_CONTROLLER_BUTTON_START, true);
    SDL_Event removed{};
    removed.type = SDL_CONTROLLERDEVICEREMOVED, removed.cdevice.which = other;
    SDL_PushEvent(&removed);
    EXPECT_EQ(Summary(Drain()), (Messages{{WM_KEYDOWN, VK_RIGHT},
                                          {WM_KEYUP, VK_RIGHT},
                                          {WM_KEYDOWN, VK_LEFT},
                                          {WM_KEYUP, VK_LEFT},
                                          {WM_KEYDOWN, VK_RIGHT},
                                          {WM_KEYDOWN, VK_UP},
                                          {WM_KEYUP, VK_UP},
                                          {WM_KEYDOWN, VK_ESCAPE},
                                          {WM_KEYUP, VK_ESCAPE},
                                          {WM_KEYDOWN, VK_RETURN},
                                          {WM_KEYUP, VK_RETURN},
                                          {WM_KEYUP, VK_RIGHT}}));
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_TRUE(UnregisterClassA("PadTest", instance));
}
