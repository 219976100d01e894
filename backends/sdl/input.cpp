// SDL's events as window messages: keys with Windows virtual-key codes,
// gamepads playing as keys, and the window manager's news (close, minimise,
// focus, size).
#include "backends/sdl/sdl_layer.h"

using namespace sdl_layer;

namespace {

struct KeyName {
    SDL_Keycode sym;
    int vk;
};
// clang-format off
const KeyName KEY_NAMES[] = {
    {SDLK_RETURN, VK_RETURN}, {SDLK_KP_ENTER, VK_RETURN}, {SDLK_ESCAPE, VK_ESCAPE},
    {SDLK_SPACE, VK_SPACE}, {SDLK_BACKSPACE, VK_BACK}, {SDLK_TAB, VK_TAB},
    {SDLK_LEFT, VK_LEFT}, {SDLK_UP, VK_UP}, {SDLK_RIGHT, VK_RIGHT}, {SDLK_DOWN, VK_DOWN},
    {SDLK_INSERT, VK_INSERT}, {SDLK_DELETE, VK_DELETE}, {SDLK_HOME, VK_HOME}, {SDLK_END, VK_END},
    {SDLK_PAGEUP, VK_PRIOR}, {SDLK_PAGEDOWN, VK_NEXT},
    {SDLK_LSHIFT, VK_SHIFT}, {SDLK_RSHIFT, VK_SHIFT}, {SDLK_LCTRL, VK_CONTROL},
    {SDLK_RCTRL, VK_CONTROL}, {SDLK_LALT, VK_MENU}, {SDLK_RALT, VK_MENU},
    {SDLK_LGUI, VK_LWIN}, {SDLK_RGUI, VK_RWIN}, {SDLK_APPLICATION, VK_APPS},
    {SDLK_PAUSE, VK_PAUSE}, {SDLK_CAPSLOCK, VK_CAPITAL}, {SDLK_NUMLOCKCLEAR, VK_NUMLOCK},
    {SDLK_SCROLLLOCK, VK_SCROLL}, {SDLK_PRINTSCREEN, VK_SNAPSHOT},
    {SDLK_KP_0, VK_NUMPAD0}, {SDLK_KP_MULTIPLY, VK_MULTIPLY}, {SDLK_KP_PLUS, VK_ADD},
    {SDLK_KP_MINUS, VK_SUBTRACT}, {SDLK_KP_PERIOD, VK_DECIMAL}, {SDLK_KP_DIVIDE, VK_DIVIDE},
    {SDLK_SEMICOLON, VK_OEM_1}, {SDLK_EQUALS, VK_OEM_PLUS}, {SDLK_COMMA, VK_OEM_COMMA},
    {SDLK_MINUS, VK_OEM_MINUS}, {SDLK_PERIOD, VK_OEM_PERIOD}, {SDLK_SLASH, VK_OEM_2},
    {SDLK_BACKQUOTE, VK_OEM_3}, {SDLK_LEFTBRACKET, VK_OEM_4}, {SDLK_BACKSLASH, VK_OEM_5},
    {SDLK_RIGHTBRACKET, VK_OEM_6}, {SDLK_QUOTE, VK_OEM_7},
};
// clang-format on

// Windows virtual-key codes: letters and digits by their character, the rest by name.
int VirtualKeyOf(const SDL_Keysym &key) {
    SDL_Keycode k = key.sym;
    if (k >= 'a' && k <= 'z')
        return static_cast<int>(k - 'a' + 'A');
    if (k >= '0' && k <= '9')
        return static_cast<int>(k);
    // Letters of layouts beyond Latin: the key's place on the board.
    if (key.scancode >= SDL_SCANCODE_A && key.scancode <= SDL_SCANCODE_Z && k >= 128)
        return 'A' + (key.scancode - SDL_SCANCODE_A);
    if (k >= SDLK_F1 && k <= SDLK_F12)
        return VK_F1 + static_cast<int>(k - SDLK_F1);
    if (k >= SDLK_F13 && k <= SDLK_F24)
        return VK_F12 + 1 + static_cast<int>(k - SDLK_F13);
    if (k >= SDLK_KP_1 && k <= SDLK_KP_9)
        return VK_NUMPAD0 + 1 + static_cast<int>(k - SDLK_KP_1);
    for (const KeyName &entry : KEY_NAMES)
        if (entry.sym == k)
            return entry.vk;
    return 0;
}

// A window in use again: full screen, left on the screen without its mode, it
// takes the mode back; the game hears whether it is on the screen.
void BackInUse(Window *w) {
    TakeModeBack(*w);
    Post(w, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, IsShowing(*w) ? 0 : 1), 0);
}

void PostKey(const SDL_KeyboardEvent &e) {
    // SDL on X11 learns of a new window's focus a little late; keys pressed in
    // between (no window named) belong to the window that was given the focus.
    // So do keys that reach it with no window manager left to give it the
    // focus: the player is back at it. Keys of a window that is gone die with
    // it, as its messages do.
    Window *w = WindowOfSdlId(e.windowID);
    if (w == nullptr && e.windowID == 0 && focusWindow != nullptr && focusWindow->used)
        w = focusWindow;
    int vk = VirtualKeyOf(e.keysym);
    if (w == nullptr || vk == 0)
        return;
    bool down = e.type == SDL_KEYDOWN;
    if (down && e.windowID == 0 && !IsShowing(*w))
        BackInUse(w);
    // Alt combinations (not AltGr, which arrives as Ctrl+Alt), Alt itself and
    // F10 are system keys, as Windows reports them.
    bool alt = (e.keysym.mod & KMOD_ALT) && !(e.keysym.mod & KMOD_CTRL);
    bool system = alt || vk == VK_MENU || vk == VK_F10;
    LPARAM lParam = 1; // repeat count
    if (alt)
        lParam |= LPARAM{1} << 29;
    if (!down || e.repeat)
        lParam |= LPARAM{1} << 30; // the key was down before
    if (!down)
        lParam |= LPARAM{1} << 31;
    UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    Post(w, message, static_cast<WPARAM>(vk), lParam);
}

// The minimised flag of WM_ACTIVATE and WM_SIZE: minimised, hidden or without
// its full-screen mode, however SDL learnt of it. The game draws nothing
// then, and the pump waits.
WPARAM OffScreen(const Window &w) {
    return IsShowing(w) ? 0 : 1;
}

void PostWindowEvent(const SDL_WindowEvent &e) {
    Window *w = WindowOfSdlId(e.windowID);
    if (w == nullptr)
        return;
    switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE:
        Post(w, WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_HIDDEN:
        Post(w, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        BackInUse(w);
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SHOWN:
        Post(w, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, OffScreen(*w)), 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        // Keys released elsewhere never reach the window, however the focus
        // went (SDL's own key-ups come as system keys while Alt is held).
        LetGoOfKeys(w, false);
        Post(w, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, OffScreen(*w)), 0);
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
        int width = 0, height = 0;
        ClientSize(*w, &width, &height);
        Post(w, WM_SIZE, OffScreen(*w) ? SIZE_MINIMIZED : SIZE_RESTORED, MAKELPARAM(width, height));
        break;
    }
    default:
        break;
    }
}

// ---- gamepads ----------------------------------------------------------------

// A gamepad plays as the keyboard: the d-pad and the left stick are the arrow
// keys, A and Start are Enter, B and Back are Escape. Several inputs (and
// several pads) may stand for one key; the key goes down with the first of
// them and up with the last.
enum PadInput {
    PAD_UP,
    PAD_DOWN,
    PAD_LEFT,
    PAD_RIGHT,
    PAD_A,
    PAD_START,
    PAD_B,
    PAD_BACK,
    STICK_UP,
    STICK_DOWN,
    STICK_LEFT,
    STICK_RIGHT,
    PAD_INPUTS
};
constexpr int PAD_KEYS[PAD_INPUTS] = {VK_UP,     VK_DOWN,   VK_LEFT, VK_RIGHT, VK_RETURN, VK_RETURN,
                                      VK_ESCAPE, VK_ESCAPE, VK_UP,   VK_DOWN,  VK_LEFT,   VK_RIGHT};
constexpr int MAX_PADS = 8;
// The stick is a key once pushed past half way, and lets go only when back
// under a quarter, so a stick held near the edge does not chatter.
constexpr int STICK_PRESS = 16384;
constexpr int STICK_RELEASE = 8192;

struct Pad {
    bool used;
    SDL_JoystickID id;
    SDL_GameController *opened; // null for a pad SDL did not let us open
    unsigned held;              // one bit per PadInput
};
Pad pads[MAX_PADS];
int padKeyCount[256]; // inputs of all pads now holding each virtual key

Pad *PadOf(SDL_JoystickID id, bool add) {
    for (Pad &p : pads)
        if (p.used && p.id == id)
            return &p;
    if (add)
        for (Pad &p : pads)
            if (!p.used) {
                p = Pad{true, id, nullptr, 0};
                return &p;
            }
    return nullptr;
}

// The window a pad's keys go to: the one with the keyboard, else the one
// given the focus, else any.
Window *PadWindow() {
    SDL_Window *keyboard = SDL_GetKeyboardFocus();
    if (Window *w = keyboard ? WindowOfSdlId(SDL_GetWindowID(keyboard)) : nullptr)
        return w;
    if (focusWindow != nullptr && focusWindow->used)
        return focusWindow;
    for (Window &w : windows)
        if (w.used)
            return &w;
    return nullptr;
}

void SetPadInput(Pad &p, int input, bool down) {
    const unsigned bit = 1u << input;
    if (((p.held & bit) != 0) == down)
        return;
    p.held ^= bit;
    const int vk = PAD_KEYS[input];
    const int count = padKeyCount[vk] += down ? 1 : -1;
    Window *w = PadWindow();
    if (w == nullptr || (down ? count != 1 : count != 0))
        return;
    const LPARAM up = (LPARAM{1} << 30) | (LPARAM{1} << 31); // was down, goes up
    Post(w, down ? WM_KEYDOWN : WM_KEYUP, static_cast<WPARAM>(vk), down ? 1 : 1 | up);
}

void PadButton(const SDL_ControllerButtonEvent &e) {
    int input;
    switch (e.button) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
        input = PAD_UP;
        break;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
        input = PAD_DOWN;
        break;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
        input = PAD_LEFT;
        break;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
        input = PAD_RIGHT;
        break;
    case SDL_CONTROLLER_BUTTON_A:
        input = PAD_A;
        break;
    case SDL_CONTROLLER_BUTTON_START:
        input = PAD_START;
        break;
    case SDL_CONTROLLER_BUTTON_B:
        input = PAD_B;
        break;
    case SDL_CONTROLLER_BUTTON_BACK:
        input = PAD_BACK;
        break;
    default:
        return;
    }
    if (Pad *p = PadOf(e.which, true))
        SetPadInput(*p, input, e.state == SDL_PRESSED);
}

void PadAxis(const SDL_ControllerAxisEvent &e) {
    int less, more; // the inputs for the two directions (y grows downward)
    if (e.axis == SDL_CONTROLLER_AXIS_LEFTX)
        less = STICK_LEFT, more = STICK_RIGHT;
    else if (e.axis == SDL_CONTROLLER_AXIS_LEFTY)
        less = STICK_UP, more = STICK_DOWN;
    else
        return;
    Pad *p = PadOf(e.which, true);
    if (p == nullptr)
        return;
    const int v = e.value;
    for (int input : {less, more}) {
        const int along = input == less ? -v : v;
        if (along > STICK_PRESS)
            SetPadInput(*p, input, true);
        else if (along < STICK_RELEASE)
            SetPadInput(*p, input, false);
    }
}

void PadAdded(int deviceIndex) {
    SDL_GameController *opened = SDL_GameControllerOpen(deviceIndex);
    if (opened == nullptr)
        return;
    Pad *p = PadOf(SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(opened)), true);
    if (p == nullptr || p->opened != nullptr) {
        SDL_GameControllerClose(opened); // no room, or opened already
        return;
    }
    p->opened = opened;
}

void LetGo(Pad &p) {
    for (int input = 0; input < PAD_INPUTS; ++input)
        SetPadInput(p, input, false);
}

// A pad unplugged lets go of every key it held.
void PadRemoved(SDL_JoystickID id) {
    Pad *p = PadOf(id, false);
    if (p == nullptr)
        return;
    LetGo(*p);
    if (p->opened != nullptr)
        SDL_GameControllerClose(p->opened);
    p->used = false;
}

} // namespace

namespace sdl_layer {

// What the pads did while a message box was up belonged to the box: it never
// reaches a window, and every key a pad held lets go, as SDL lets go of the
// keyboard's keys for a box.
void PadsAfterBox() {
    SDL_FlushEvents(SDL_CONTROLLERAXISMOTION, SDL_CONTROLLERBUTTONUP);
    for (Pad &p : pads)
        if (p.used)
            LetGo(p);
}

void PostEvent(const SDL_Event &e) {
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        PostKey(e.key);
        break;
    case SDL_WINDOWEVENT:
        PostWindowEvent(e.window);
        break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        PadButton(e.cbutton);
        break;
    case SDL_CONTROLLERAXISMOTION:
        PadAxis(e.caxis);
        break;
    case SDL_CONTROLLERDEVICEADDED:
        PadAdded(e.cdevice.which);
        break;
    case SDL_CONTROLLERDEVICEREMOVED:
        PadRemoved(e.cdevice.which);
        break;
    case SDL_QUIT: // Ctrl+C or a termination request: close like the close box
        for (Window &w : windows)
            if (w.used)
                Post(&w, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

} // namespace sdl_layer
