// The window layer over SDL2 on the offscreen driver: what the runs under Xvfb
// cannot see — the game's keys they never press, system keys, the minimised
// flag of WM_ACTIVATE, the screen saver the window procedure refuses, and
// gamepads playing as the keyboard.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "win32/win32.h"

namespace {

// A message as a word: "+38" / "-38" key 38 down / up, else "message:wParam"
// (2 WM_DESTROY; 6 WM_ACTIVATE, its high word the minimised flag: 6:65536
// minimised, 6:1 active, 6:0 not; 16 WM_CLOSE; 260 / 261 a system key down /
// up; 274 WM_SYSCOMMAND).
std::string Word(UINT m, WPARAM wParam) {
    const std::string kind = m == WM_KEYDOWN ? "+" : m == WM_KEYUP ? "-" : std::to_string(m) + ":";
    return kind + std::to_string(wParam) + " ";
}

std::string sent; // what the window procedure saw
LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    sent += Word(message, wParam);
    if ((message == WM_SYSCOMMAND && wParam == SC_SCREENSAVE) || message == WM_CLOSE)
        return 0;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

std::vector<MSG> got; // the messages of the last drain
std::string Drain() {
    std::string words;
    got.clear();
    for (MSG m; PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);)
        got.push_back(m), words += Word(m.message, m.wParam);
    return words;
}

// Events as SDL would queue them: a key, a window event, or a gamepad's axis
// (value: its position), button (1 pressed, 0 let go) or removal.
void Push(Uint32 type, Uint32 id, int which, int value = 0) {
    SDL_Event e{};
    const Uint8 w = static_cast<Uint8>(which), state = value ? SDL_PRESSED : SDL_RELEASED;
    const Uint16 mod = static_cast<Uint16>(value); // of a key
    if (type == SDL_KEYDOWN || type == SDL_KEYUP)
        e.key = {type, 0, id, type == SDL_KEYDOWN, 0, 0, 0, {SDL_SCANCODE_UNKNOWN, which, mod, 0}};
    if (type == SDL_WINDOWEVENT)
        e.window = {type, 0, id, w, 0, 0, 0, 0, 0};
    if (type == SDL_CONTROLLERAXISMOTION)
        e.caxis = {type, 0, 1000, w, 0, 0, 0, static_cast<Sint16>(value), 0};
    const Uint32 button = value ? SDL_CONTROLLERBUTTONDOWN : SDL_CONTROLLERBUTTONUP;
    if (type == SDL_CONTROLLERBUTTONDOWN)
        e.cbutton = {button, 0, 1000, w, state, 0, 0};
    if (type == SDL_CONTROLLERDEVICEREMOVED)
        e.cdevice = {type, 0, 1000};
    SDL_PushEvent(&e);
}

} // namespace

TEST(WindowLayer, KeysWindowEventsScreenSaverAndGamepads) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    WNDCLASSA c{};
    c.lpfnWndProc = RecordingProc, c.hInstance = GetModuleHandleA(nullptr), c.lpszClassName = "T";
    ASSERT_NE(RegisterClassA(&c), 0);
    HWND hwnd = CreateWindowExA(0, "T", "layer test", WS_OVERLAPPEDWINDOW, 0, 0, 320, 200, nullptr,
                                nullptr, c.hInstance, nullptr);
    ASSERT_NE(hwnd, nullptr) << SDL_GetError();
    Uint32 id = 1; // of the SDL window, for the events fed in
    while (std::strcmp(SDL_GetWindowTitle(SDL_GetWindowFromID(id)), "layer test") != 0)
        ++id;
    EXPECT_FALSE(SDL_IsScreenSaverEnabled()); // the procedure refused it
    Drain();

    // The keys the game reads, as their virtual-key codes.
    for (SDL_Keycode sym :
         {SDLK_q, SDLK_RETURN, SDLK_ESCAPE, SDLK_LEFT, SDLK_UP, SDLK_RIGHT, SDLK_DOWN, SDLK_F1})
        Push(SDL_KEYDOWN, id, sym), Push(SDL_KEYUP, id, sym);
    EXPECT_EQ(Drain(), "+81 -81 +13 -13 +27 -27 +37 -37 +38 -38 +39 -39 +40 -40 +112 -112 ");
    EXPECT_EQ(got[0].hwnd, hwnd);

    // Hidden (all some window managers do to a window they minimise), and
    // losing the focus meanwhile: off the screen. Shown again; another window
    // takes the focus, and the key held goes up first; a close request.
    ShowWindow(hwnd, SW_SHOW);
    SDL_Window *sdl = SDL_GetWindowFromID(id);
    Drain();
    SDL_HideWindow(sdl), Push(SDL_WINDOWEVENT, id, SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_EQ(Drain(), "6:65536 6:65536 ");
    SDL_ShowWindow(sdl), Push(SDL_KEYDOWN, id, SDLK_RIGHT);
    for (int event : {SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_CLOSE})
        Push(SDL_WINDOWEVENT, id, event);
    EXPECT_EQ(Drain(), "6:1 +39 -39 6:0 16:0 ");

    // A key goes up as it went down: pressed alone and let go with Alt held,
    // it is a plain key-up; Alt itself is a system key.
    Push(SDL_KEYDOWN, id, SDLK_RIGHT), Push(SDL_KEYDOWN, id, SDLK_LALT, KMOD_LALT);
    Push(SDL_KEYUP, id, SDLK_RIGHT, KMOD_LALT), Push(SDL_KEYUP, id, SDLK_LALT);
    EXPECT_EQ(Drain(), "+39 260:18 -39 261:18 ");

    // Alt+F4 through the default handling is a close request.
    Push(SDL_KEYDOWN, id, SDLK_F4, KMOD_LALT);
    Drain();
    ASSERT_EQ(got.size(), 1u);
    sent.clear();
    DispatchMessageA(&got[0]);
    EXPECT_EQ(sent, "260:115 274:61536 16:0 ");

    // A virtual pad plugged in, pressed and pulled out through SDL's own
    // controller layer. (SDL passes pad input on only to a focused window
    // unless told otherwise; the offscreen window never has the focus.)
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    const int device = SDL_JoystickAttachVirtual(
        SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
    ASSERT_GE(device, 0) << SDL_GetError();
    const SDL_JoystickID pad = SDL_JoystickGetDeviceInstanceID(device);
    EXPECT_EQ(Drain(), "");
    ASSERT_NE(SDL_GameControllerFromInstanceID(pad), nullptr) << "the layer did not open the pad";
    SDL_JoystickSetVirtualButton(SDL_JoystickFromInstanceID(pad), SDL_CONTROLLER_BUTTON_A, 1);
    EXPECT_EQ(Drain(), "+13 ");
    EXPECT_EQ(got.at(0).hwnd, hwnd);
    SDL_JoystickDetachVirtual(device); // while held: the key comes up
    EXPECT_EQ(Drain(), "-13 ");
    EXPECT_EQ(SDL_GameControllerFromInstanceID(pad), nullptr) << "the pad was not closed";

    // Another pad's events fed straight in. The stick has a dead zone and lets
    // go later than it presses (back at 9000 it still holds, so 20000 again
    // is no new press); inputs that stand for one key hold it until the last
    // lets go.
    const Uint32 AXIS = SDL_CONTROLLERAXISMOTION, BUTTON = SDL_CONTROLLERBUTTONDOWN;
    const int X = SDL_CONTROLLER_AXIS_LEFTX, Y = SDL_CONTROLLER_AXIS_LEFTY;
    for (int v : {6000, 20000, 9000, 20000, 7000, -20000, 32767})
        Push(AXIS, 0, X, v);
    Push(AXIS, 0, SDL_CONTROLLER_AXIS_RIGHTX, -32768);
    Push(AXIS, 0, Y, -20000), Push(BUTTON, 0, SDL_CONTROLLER_BUTTON_DPAD_UP, 1);
    Push(AXIS, 0, Y, 0), Push(BUTTON, 0, SDL_CONTROLLER_BUTTON_DPAD_UP, 0);
    for (int down : {1, 0})
        for (int b : {SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_BACK, SDL_CONTROLLER_BUTTON_X})
            Push(BUTTON, 0, b, down);
    Push(BUTTON, 0, SDL_CONTROLLER_BUTTON_START, 1), Push(SDL_CONTROLLERDEVICEREMOVED, 0, 0);
    EXPECT_EQ(Drain(), "+39 -39 +37 -37 +39 +38 -38 +27 -27 +13 -13 -39 ");

    // A window destroyed while keys are down (Up, and F4 of Alt+F4 above)
    // lets go of each first, as it went down.
    Push(SDL_KEYDOWN, id, SDLK_UP);
    EXPECT_EQ(Drain(), "+38 ");
    sent.clear();
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_EQ(sent, "-38 261:115 2:0 ");
    EXPECT_TRUE(SDL_IsScreenSaverEnabled()); // given back with the window
}
