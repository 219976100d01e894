// The window-system calls of the game, given their Windows meanings over SDL2.
//
// Windows, device contexts and GL contexts are kept in small fixed tables; a
// handle is the address of its table entry. SDL events become window messages
// in one queue that PeekMessageA takes from; messages that Windows sends during
// creation, showing and destruction go straight to the window procedure.
//
// The layer also readies the process before the game's entry point runs:
// standard input, output and error exist (on /dev/null when they came closed),
// and Ctrl+C and SIGTERM always end the game, as the window's close while the
// window is up and at once at any other moment.
//
// Time as the game expects it of its platform: the tick counter moves in whole
// ticks of one physics step, and a swap presents at the display's refresh rate
// (frame_pacing.h says why). While nothing can be drawn, an empty message queue
// waits a moment for the next event instead of handing back at once, so that
// a minimised game does not spin.
#include "win32/win32.h"

#include <SDL2/SDL.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <pthread.h>
#include <strings.h>
#include <sys/prctl.h>
#include <thread>
#include <unistd.h>

#include "win32/frame_pacing.h"

namespace {

constexpr int MAX_CLASSES = 4;
constexpr int MAX_WINDOWS = 4;
constexpr int MAX_CONTEXTS = 4;
constexpr int CLASS_NAME_LENGTH = 64;

// The one pixel format this layer describes: RGBA, double-buffered, with depth,
// as fixed by the window's visual when the window was made.
constexpr int THE_PIXEL_FORMAT = 1;

struct WindowClass {
    bool used;
    char name[CLASS_NAME_LENGTH];
    ATOM atom;
    WNDCLASSA info;
};

struct DeviceContext {
    int pixelFormat; // 0 until SetPixelFormat
};

struct Window {
    bool used;
    SDL_Window *sdl;
    Uint32 sdlId;
    const WindowClass *windowClass;
    WNDPROC proc;
    bool hasGl;     // made with an OpenGL-capable visual
    bool shownOnce; // the first show sends the size and activation
    bool minimised; // as last reported by the window manager
    bool refusesScreenSaver;
    DeviceContext dc;
    int64_t framePeriod; // ns between refreshes of the window's display
    int64_t lastShown;   // when the last swapped frame counted as shown (ns)
};

struct GlContext {
    bool used;
    SDL_GLContext gl;
    int pixelFormat;
};

WindowClass classes[MAX_CLASSES];
Window windows[MAX_WINDOWS];
GlContext contexts[MAX_CONTEXTS];

// The first unused slot of one of the tables above, or null when all are taken.
template <typename T, size_t N> T *FreeSlot(T (&table)[N]) {
    for (T &slot : table)
        if (!slot.used)
            return &slot;
    return nullptr;
}

std::deque<MSG> queue;
int cursorCount = 0;
Window *focusWindow = nullptr; // given the keyboard by SetFocus

// The full-screen mode granted by ChangeDisplaySettingsA, taken by the next pop-up window.
bool modePending = false;
SDL_DisplayMode pendingMode;

// Set by DefWindowProcA when asked to start the screen saver.
bool screenSaverDefaulted = false;

// How long an empty queue waits for the next event while nothing can be drawn:
// short enough that the loop still notices everything in good time.
constexpr int IDLE_WAIT_MS = 5;

// The wait after an early swap sleeps until this long before the frame is due
// (a sleep may end a little late) and passes the rest in a short final wait.
constexpr int64_t FINAL_WAIT_NS = 200000;

unsigned char moduleMarker, iconMarker, cursorMarker;

// ---- the process -----------------------------------------------------------------

// How a termination signal (Ctrl+C, SIGTERM) is taken. While a window is up
// the main loop runs and reads messages, so the signal arrives as the window's
// close and the game ends as it always does. At any other moment (loading, a
// message box, the start-up question) nothing would ever read a request, so
// the process ends at once, the way the signal's default ends it. No display
// mode is held then: a full-screen mode lives only as long as its window (and
// a box over a full-screen window leaves the signal a close request).
std::atomic<int> windowsUp{0};              // counted from before the window is made
std::atomic<bool> boxShowing{false};        // a message box runs its own loop
std::atomic<bool> boxOverFullScreen{false}; // ... while a full-screen window is up
std::atomic<int> pendingCloseSignal{0};     // taken by PumpEvents as a close request
pid_t gameProcess = 0;

// Ends the process as the signal's default action would (the shell then
// reports 130 for Ctrl+C, 143 for SIGTERM). Safe inside the handler.
[[noreturn]] void EndBySignal(int signalNumber) {
    std::signal(signalNumber, SIG_DFL);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, signalNumber);
    pthread_sigmask(SIG_UNBLOCK, &unblock, nullptr); // blocked while its handler runs
    std::raise(signalNumber);
    _exit(128 + signalNumber);
}

void OnTerminationSignal(int signalNumber) {
    if (windowsUp.load() > 0 && (!boxShowing.load() || boxOverFullScreen.load())) {
        pendingCloseSignal.store(signalNumber);
        return;
    }
    EndBySignal(signalNumber);
}

// A close request from a signal, passed on as SDL's quit event, which every
// window receives as WM_CLOSE.
void PostSignalClose() {
    if (pendingCloseSignal.load() == 0 || windowsUp.load() == 0)
        return;
    pendingCloseSignal.store(0);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
}

// SDL shows a message box from a process of its own, forked for the box. It
// ends with the game, so that a game ended by a signal leaves no box behind.
void BoxFollowsGame() {
    if (!boxShowing.load())
        return;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != gameProcess)
        _exit(1); // the game was gone before the line above
}

// Runs as this file is initialised, before the game's entry point, so the game
// has nothing to call for it. Descriptors 0-2 that came closed are
// opened on /dev/null first, before anything opens a file: otherwise the next
// file opened (the X connection) would become "standard error", and whatever
// a library prints there would land in it. Then the termination signals are
// taken over from SDL, which would only queue them as an event that no one
// reads before the main loop runs. A signal ignored by whoever started the
// game stays ignored.
bool PrepareProcess() {
    for (int fd = 0; fd <= 2; ++fd)
        if (fcntl(fd, F_GETFD) < 0 && errno == EBADF) {
            const int opened = open("/dev/null", O_RDWR);
            if (opened > 2)
                close(opened);
        }
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    gameProcess = getpid();
    pthread_atfork(nullptr, nullptr, BoxFollowsGame);
    for (int signalNumber : {SIGINT, SIGTERM}) {
        struct sigaction previous;
        if (sigaction(signalNumber, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = OnTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(signalNumber, &action, nullptr);
    }
    return true;
}

[[maybe_unused]] const bool processReady = PrepareProcess();

// ---- handles -----------------------------------------------------------------

HWND HandleOf(Window *w) {
    return reinterpret_cast<HWND>(w);
}
Window *WindowOf(HWND hwnd) {
    for (Window &w : windows)
        if (w.used && HandleOf(&w) == hwnd)
            return &w;
    return nullptr;
}
Window *WindowOfSdlId(Uint32 id) {
    for (Window &w : windows)
        if (w.used && w.sdlId == id)
            return &w;
    return nullptr;
}
Window *WindowOfDc(HDC hdc) {
    for (Window &w : windows)
        if (w.used && reinterpret_cast<HDC>(&w.dc) == hdc)
            return &w;
    return nullptr;
}
GlContext *ContextOf(HGLRC rc) {
    for (GlContext &c : contexts)
        if (c.used && reinterpret_cast<HGLRC>(&c) == rc)
            return &c;
    return nullptr;
}

bool IsAtom(LPCSTR name) {
    return (reinterpret_cast<uintptr_t>(name) >> 16) == 0;
}
WindowClass *ClassNamed(LPCSTR name, HINSTANCE instance) {
    if (name == nullptr)
        return nullptr;
    for (WindowClass &c : classes) {
        if (!c.used || c.info.hInstance != instance)
            continue;
        if (IsAtom(name) ? c.atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(name))
                         : strcasecmp(c.name, name) == 0)
            return &c;
    }
    return nullptr;
}

// ---- video -------------------------------------------------------------------

// Says once, on stderr, that no display could be opened, and which one was
// tried: the game's own messages that follow there are all the player sees.
void SayNoDisplay() {
    static bool said = false;
    if (said)
        return;
    said = true;
    const char *display = SDL_getenv("DISPLAY");
    if (display == nullptr || display[0] == '\0')
        std::fprintf(stderr, "vorta kemi: no display could be opened: DISPLAY is not set\n");
    else
        std::fprintf(stderr, "vorta kemi: no display could be opened on DISPLAY=%s\n", display);
}

// Starts SDL's video on first use. Only an explicit SDL_VIDEODRIVER may pick a
// driver without a screen (tools and tests); otherwise a missing display fails
// like a system without one.
bool VideoReady() {
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");   // windows refuse it themselves
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0"); // closing is WM_CLOSE
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        SayNoDisplay();
        return false;
    }
    const char *driver = SDL_GetCurrentVideoDriver();
    const char *asked = SDL_getenv("SDL_VIDEODRIVER");
    bool headless =
        driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0 ||
                   std::strcmp(driver, "evdev") == 0);
    if (headless && (asked == nullptr || std::strstr(asked, driver) == nullptr)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SayNoDisplay();
        return false;
    }
    SDL_StopTextInput(); // the game reads keys, not text
    // Gamepads are optional: without the subsystem the keyboard still works.
    // Pads already plugged in arrive as SDL_CONTROLLERDEVICEADDED events.
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
    return true;
}

void UpdateScreenSaver() {
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return;
    for (const Window &w : windows) {
        if (w.used && w.refusesScreenSaver) {
            SDL_DisableScreenSaver();
            return;
        }
    }
    SDL_EnableScreenSaver();
}

// The frame a window with this style gets around its client area (a classic
// Windows look; on X11 the window manager draws its own, so CreateWindowExA
// takes exactly this back off to find the client size).
struct Frame {
    int side, top;
};
Frame FrameOf(DWORD style, bool menu) {
    Frame f{0, 0};
    if (style & WS_THICKFRAME)
        f.side = 4;
    else if (style & (WS_BORDER | WS_DLGFRAME))
        f.side = 1;
    f.top = f.side;
    if ((style & WS_CAPTION) == WS_CAPTION)
        f.top += 19;
    if (menu)
        f.top += 19;
    return f;
}

void ClientSize(const Window &w, int *width, int *height) {
    if (w.hasGl)
        SDL_GL_GetDrawableSize(w.sdl, width, height);
    else
        SDL_GetWindowSize(w.sdl, width, height);
}

// Tries the visual the game's pixel format asks for, then SDL's plain GL
// defaults, then a window without GL (whose pixel format is then not found).
SDL_Window *MakeSdlWindow(const char *title, int x, int y, int width, int height, Uint32 flags,
                          bool *hasGl) {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    *hasGl = true;
    SDL_Window *made = SDL_CreateWindow(title, x, y, width, height, flags | SDL_WINDOW_OPENGL);
    if (made != nullptr)
        return made;
    SDL_GL_ResetAttributes();
    made = SDL_CreateWindow(title, x, y, width, height, flags | SDL_WINDOW_OPENGL);
    if (made != nullptr)
        return made;
    *hasGl = false;
    return SDL_CreateWindow(title, x, y, width, height, flags);
}

LRESULT Send(Window *w, UINT message, WPARAM wParam, LPARAM lParam) {
    return w->proc(HandleOf(w), message, wParam, lParam);
}

void Post(Window *w, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG m{};
    m.hwnd = HandleOf(w);
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = GetTickCount();
    queue.push_back(m);
}

// ---- keyboard ----------------------------------------------------------------

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

void PostKey(const SDL_KeyboardEvent &e) {
    // SDL on X11 learns of a new window's focus a little late; keys pressed in
    // between (no window named) belong to the window that was given the focus.
    // Keys of a window that is gone die with it, as its messages do.
    Window *w = WindowOfSdlId(e.windowID);
    if (w == nullptr && e.windowID == 0 && focusWindow != nullptr && focusWindow->used)
        w = focusWindow;
    int vk = VirtualKeyOf(e.keysym);
    if (w == nullptr || vk == 0)
        return;
    bool down = e.type == SDL_KEYDOWN;
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

void PostWindowEvent(const SDL_WindowEvent &e) {
    Window *w = WindowOfSdlId(e.windowID);
    if (w == nullptr)
        return;
    switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE:
        Post(w, WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        w->minimised = true;
        Post(w, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0);
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        w->minimised = false;
        Post(w, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        Post(w, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, w->minimised ? 1 : 0), 0);
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
        int width = 0, height = 0;
        ClientSize(*w, &width, &height);
        Post(w, WM_SIZE, w->minimised ? SIZE_MINIMIZED : SIZE_RESTORED, MAKELPARAM(width, height));
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

// A pad unplugged lets go of every key it held.
void PadRemoved(SDL_JoystickID id) {
    Pad *p = PadOf(id, false);
    if (p == nullptr)
        return;
    for (int input = 0; input < PAD_INPUTS; ++input)
        SetPadInput(*p, input, false);
    if (p->opened != nullptr)
        SDL_GameControllerClose(p->opened);
    p->used = false;
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

void PumpEvents() {
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return;
    PostSignalClose();
    SDL_Event e;
    while (SDL_PollEvent(&e))
        PostEvent(e);
}

// On the screen: shown and not minimised.
bool IsShowing(const Window &w) {
    const Uint32 flags = SDL_GetWindowFlags(w.sdl);
    return (flags & SDL_WINDOW_SHOWN) && !(flags & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED));
}

// While no window is on the screen the game draws no frames.
bool AnyWindowShowing() {
    for (const Window &w : windows)
        if (w.used && IsShowing(w))
            return true;
    return false;
}

// Waits up to IDLE_WAIT_MS for the next event and queues what it brings.
void WaitForEvents() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        SDL_Delay(IDLE_WAIT_MS); // no window yet: nothing can arrive but time
        return;
    }
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, IDLE_WAIT_MS)) {
        PostEvent(e);
        PumpEvents();
    }
}

int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Sleeps until the monotonic clock reads `deadline` (ns): most of the way in
// one sleep, the last moment in a short wait that gives way to other threads.
void WaitUntil(int64_t deadline) {
    const int64_t now = NowNs();
    if (deadline - now > FINAL_WAIT_NS)
        std::this_thread::sleep_for(std::chrono::nanoseconds(deadline - now - FINAL_WAIT_NS));
    while (NowNs() < deadline)
        std::this_thread::yield();
}

// The time between refreshes of the display the window is on.
int64_t FramePeriodOf(SDL_Window *sdl) {
    SDL_DisplayMode mode{};
    if (SDL_GetWindowDisplayMode(sdl, &mode) != 0)
        mode.refresh_rate = 0;
    return RefreshPeriodNs(mode.refresh_rate);
}

bool Matches(const MSG &m, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (hwnd != nullptr && m.hwnd != hwnd)
        return false;
    if (filterMin == 0 && filterMax == 0)
        return true;
    return m.message >= filterMin && m.message <= filterMax;
}

// ---- message boxes -------------------------------------------------------------

struct BoxButtons {
    int count;
    SDL_MessageBoxButtonData buttons[3];
    int closed; // the answer when the box is closed without a button
};

BoxButtons ButtonsOf(UINT type) {
    constexpr Uint32 ENTER = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    constexpr Uint32 ESCAPE = SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    switch (type & MB_TYPEMASK) {
    case MB_YESNO:
        return {2, {{ENTER, IDYES, "Yes"}, {ESCAPE, IDNO, "No"}, {}}, IDNO};
    case MB_OKCANCEL:
        return {2, {{ENTER, IDOK, "OK"}, {ESCAPE, IDCANCEL, "Cancel"}, {}}, IDCANCEL};
    case MB_YESNOCANCEL:
        return {
            3, {{ENTER, IDYES, "Yes"}, {0, IDNO, "No"}, {ESCAPE, IDCANCEL, "Cancel"}}, IDCANCEL};
    default:
        return {1, {{ENTER | ESCAPE, IDOK, "OK"}, {}, {}}, IDOK};
    }
}

Uint32 IconOf(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
        return SDL_MESSAGEBOX_ERROR;
    case MB_ICONEXCLAMATION:
        return SDL_MESSAGEBOX_WARNING;
    case MB_ICONQUESTION:
    case MB_ICONINFORMATION:
        return SDL_MESSAGEBOX_INFORMATION;
    default:
        return 0;
    }
}

} // namespace

// ---- kernel ----------------------------------------------------------------------

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    return moduleName == nullptr ? reinterpret_cast<HMODULE>(&moduleMarker) : nullptr;
}

DWORD WINAPI GetTickCount() {
    auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count();
    return TickCountAt(static_cast<uint64_t>(ms)); // in whole ticks, wraps after 49.7 days
}

void WINAPI ExitProcess(UINT exitCode) {
    std::fflush(nullptr);
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_QuitSubSystem(SDL_INIT_VIDEO); // gives back a changed display mode
    std::_Exit(static_cast<int>(exitCode));
}

// ---- classes and windows ---------------------------------------------------------

HICON WINAPI LoadIconA(HINSTANCE, LPCSTR) {
    return reinterpret_cast<HICON>(&iconMarker);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR) {
    return reinterpret_cast<HCURSOR>(&cursorMarker);
}

ATOM WINAPI RegisterClassA(const WNDCLASSA *windowClass) {
    if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr ||
        windowClass->lpszClassName == nullptr || IsAtom(windowClass->lpszClassName) ||
        std::strlen(windowClass->lpszClassName) >= CLASS_NAME_LENGTH)
        return 0;
    if (ClassNamed(windowClass->lpszClassName, windowClass->hInstance) != nullptr)
        return 0; // already registered
    for (int i = 0; i < MAX_CLASSES; ++i) {
        WindowClass &c = classes[i];
        if (c.used)
            continue;
        c.used = true;
        std::strcpy(c.name, windowClass->lpszClassName);
        c.atom = static_cast<ATOM>(0xC000 + i);
        c.info = *windowClass;
        c.info.lpszClassName = c.name;
        return c.atom;
    }
    return 0;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance) {
    WindowClass *c = ClassNamed(className, instance);
    if (c == nullptr)
        return FALSE;
    for (const Window &w : windows)
        if (w.used && w.windowClass == c)
            return FALSE; // still has windows
    c->used = false;
    return TRUE;
}

BOOL WINAPI AdjustWindowRectEx(RECT *rect, DWORD style, BOOL menu, DWORD) {
    if (rect == nullptr)
        return FALSE;
    Frame f = FrameOf(style, menu != FALSE);
    rect->left -= f.side;
    rect->right += f.side;
    rect->top -= f.top;
    rect->bottom += f.side;
    return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND, HMENU menu, HINSTANCE instance, void *) {
    WindowClass *c = ClassNamed(className, instance);
    if (c == nullptr || !VideoReady())
        return nullptr;
    Window *w = FreeSlot(windows);
    if (w == nullptr)
        return nullptr;

    Frame f = FrameOf(style, menu != nullptr);
    int clientWidth = width - 2 * f.side;
    int clientHeight = height - f.top - f.side;
    if (clientWidth < 1 || clientHeight < 1)
        return nullptr;
    Uint32 flags = SDL_WINDOW_HIDDEN; // shown by ShowWindow
    bool fullScreen = false;
    if (style & WS_POPUP) {
        flags |= SDL_WINDOW_BORDERLESS;
        fullScreen = modePending;
        if (fullScreen)
            flags |= SDL_WINDOW_FULLSCREEN;
    }
    if (style & WS_THICKFRAME)
        flags |= SDL_WINDOW_RESIZABLE;

    bool hasGl = false;
    // Counted before it exists: a signal from here on is a close request, and
    // never ends the process while a full-screen mode may be taken.
    ++windowsUp;
    // X11 window managers place the frame's corner where asked, as Windows does.
    SDL_Window *sdl =
        MakeSdlWindow(windowName ? windowName : "", x, y, clientWidth, clientHeight, flags, &hasGl);
    if (sdl != nullptr && fullScreen && SDL_SetWindowDisplayMode(sdl, &pendingMode) != 0) {
        SDL_DestroyWindow(sdl);
        sdl = nullptr;
    }
    if (sdl == nullptr) {
        --windowsUp;
        return nullptr;
    }

    *w = Window{};
    w->used = true;
    w->sdl = sdl;
    w->sdlId = SDL_GetWindowID(sdl);
    w->windowClass = c;
    w->proc = c->info.lpfnWndProc;
    w->hasGl = hasGl;
    if (Send(w, WM_CREATE, 0, 0) == -1) {
        SDL_DestroyWindow(sdl);
        w->used = false;
        --windowsUp;
        return nullptr;
    }
    // A procedure that answers a screen-saver request itself, without the
    // default handling, keeps the screen saver off while its window exists.
    screenSaverDefaulted = false;
    w->refusesScreenSaver = Send(w, WM_SYSCOMMAND, SC_SCREENSAVE, 0) == 0 && !screenSaverDefaulted;
    UpdateScreenSaver();
    return HandleOf(w);
}

BOOL WINAPI DestroyWindow(HWND hwnd) {
    Window *w = WindowOf(hwnd);
    if (w == nullptr)
        return FALSE;
    Send(w, WM_DESTROY, 0, 0);
    SDL_DestroyWindow(w->sdl);
    w->used = false;
    --windowsUp;
    if (focusWindow == w)
        focusWindow = nullptr;
    // Messages still waiting for the window die with it.
    for (auto it = queue.begin(); it != queue.end();)
        it = it->hwnd == hwnd ? queue.erase(it) : it + 1;
    UpdateScreenSaver();
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND hwnd, int command) {
    Window *w = WindowOf(hwnd);
    if (w == nullptr)
        return FALSE;
    BOOL wasVisible = (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_SHOWN) ? TRUE : FALSE;
    if (command == SW_HIDE) {
        SDL_HideWindow(w->sdl);
        return wasVisible;
    }
    SDL_ShowWindow(w->sdl);
    if (!w->shownOnce) {
        w->shownOnce = true;
        int width = 0, height = 0;
        ClientSize(*w, &width, &height);
        Send(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
        Send(w, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
    }
    return wasVisible;
}

BOOL WINAPI SetForegroundWindow(HWND hwnd) {
    Window *w = WindowOf(hwnd);
    if (w == nullptr)
        return FALSE;
    SDL_RaiseWindow(w->sdl);
    return TRUE;
}

HWND WINAPI SetFocus(HWND hwnd) {
    Window *previous = nullptr;
    if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetKeyboardFocus() != nullptr)
        previous = WindowOfSdlId(SDL_GetWindowID(SDL_GetKeyboardFocus()));
    Window *w = WindowOf(hwnd);
    if (w != nullptr) {
        SDL_SetWindowInputFocus(w->sdl); // not all window managers allow it; not an error
        focusWindow = w;
    }
    return previous ? HandleOf(previous) : nullptr;
}

int WINAPI ShowCursor(BOOL show) {
    cursorCount += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_ShowCursor(cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return cursorCount;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (text == nullptr)
        text = "";
    if (caption == nullptr)
        caption = "Error";
    BoxButtons buttons = ButtonsOf(type);
    SDL_MessageBoxData box{};
    box.flags = IconOf(type) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    Window *w = WindowOf(owner);
    box.window = w ? w->sdl : nullptr;
    box.title = caption;
    box.message = text;
    box.numbuttons = buttons.count;
    box.buttons = buttons.buttons;
    // A close request that no window is left to receive ends the game here,
    // instead of after the box.
    if (pendingCloseSignal.load() != 0 && windowsUp.load() == 0)
        EndBySignal(pendingCloseSignal.load());
    int pressed = -1;
    // Over a full-screen window a signal stays a close request: ending during
    // the box would leave the display in the game's mode.
    bool overFullScreen = false;
    for (const Window &other : windows)
        if (other.used && (SDL_GetWindowFlags(other.sdl) & SDL_WINDOW_FULLSCREEN))
            overFullScreen = true;
    boxOverFullScreen = overFullScreen;
    boxShowing = true;
    const int shown = SDL_ShowMessageBox(&box, &pressed);
    boxShowing = false;
    if (shown != 0) {
        if (!SDL_WasInit(SDL_INIT_VIDEO))
            VideoReady(); // says so on stderr when there is no display at all
        std::fprintf(stderr, "%s: %s\n", caption, text);
        return 0;
    }
    return pressed < 0 ? buttons.closed : pressed;
}

// ---- display modes ---------------------------------------------------------------

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA *mode, DWORD) {
    if (mode == nullptr) {
        // Back to the desktop's own mode.
        modePending = false;
        for (Window &w : windows)
            if (w.used && (SDL_GetWindowFlags(w.sdl) & SDL_WINDOW_FULLSCREEN))
                SDL_SetWindowFullscreen(w.sdl, 0);
        return DISP_CHANGE_SUCCESSFUL;
    }
    if (!VideoReady())
        return DISP_CHANGE_FAILED;
    if ((mode->dmFields & (DM_PELSWIDTH | DM_PELSHEIGHT)) != (DM_PELSWIDTH | DM_PELSHEIGHT))
        return DISP_CHANGE_BADMODE;
    // Only a size the display really offers; the colour depth is the desktop's.
    int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode offered;
        if (SDL_GetDisplayMode(0, i, &offered) != 0)
            continue;
        if (offered.w == static_cast<int>(mode->dmPelsWidth) &&
            offered.h == static_cast<int>(mode->dmPelsHeight)) {
            pendingMode = offered;
            modePending = true;
            return DISP_CHANGE_SUCCESSFUL;
        }
    }
    return DISP_CHANGE_BADMODE;
}

// ---- messages --------------------------------------------------------------------

namespace {

bool TakeMessage(MSG *msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove) {
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (!Matches(*it, hwnd, filterMin, filterMax))
            continue;
        *msg = *it;
        if (remove & PM_REMOVE)
            queue.erase(it);
        return true;
    }
    return false;
}

} // namespace

BOOL WINAPI PeekMessageA(MSG *msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove) {
    if (msg == nullptr)
        return FALSE;
    PumpEvents();
    if (TakeMessage(msg, hwnd, filterMin, filterMax, remove))
        return TRUE;
    // With no frame to draw the caller would only come straight back.
    if (AnyWindowShowing())
        return FALSE;
    WaitForEvents();
    return TakeMessage(msg, hwnd, filterMin, filterMax, remove) ? TRUE : FALSE;
}

BOOL WINAPI TranslateMessage(const MSG *msg) {
    // The game reads key states, not characters: nothing to translate.
    return msg != nullptr && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN);
}

LRESULT WINAPI DispatchMessageA(const MSG *msg) {
    Window *w = msg ? WindowOf(msg->hwnd) : nullptr;
    if (w == nullptr)
        return 0;
    return Send(w, msg->message, msg->wParam, msg->lParam);
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window *w = WindowOf(hwnd);
    if (w == nullptr)
        return 0;
    switch (message) {
    case WM_SYSKEYDOWN:
        if (wParam == static_cast<WPARAM>(VK_F4) && (lParam & (LPARAM{1} << 29)))
            Send(w, WM_SYSCOMMAND, SC_CLOSE, 0); // Alt+F4
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE)
            Send(w, WM_CLOSE, 0, 0);
        else if ((wParam & 0xFFF0) == SC_SCREENSAVE)
            screenSaverDefaulted = true;
        return 0;
    default:
        return 0;
    }
}

void WINAPI PostQuitMessage(int exitCode) {
    MSG m{};
    m.message = WM_QUIT;
    m.wParam = static_cast<WPARAM>(exitCode);
    m.time = GetTickCount();
    queue.push_back(m);
}

// ---- device contexts and GL --------------------------------------------------------

HDC WINAPI GetDC(HWND hwnd) {
    Window *w = WindowOf(hwnd);
    return w ? reinterpret_cast<HDC>(&w->dc) : nullptr;
}

int WINAPI ReleaseDC(HWND hwnd, HDC hdc) {
    Window *w = WindowOf(hwnd);
    return (w != nullptr && WindowOfDc(hdc) == w) ? 1 : 0;
}

int WINAPI ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR *pfd) {
    Window *w = WindowOfDc(hdc);
    if (w == nullptr || pfd == nullptr || !w->hasGl)
        return 0;
    // The window's visual is RGBA and double-buffered; like Windows, hand out
    // the closest format rather than fail on a count of bits.
    if (pfd->iPixelType != PFD_TYPE_RGBA || (pfd->dwFlags & PFD_DRAW_TO_BITMAP))
        return 0;
    return THE_PIXEL_FORMAT;
}

BOOL WINAPI SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR *) {
    Window *w = WindowOfDc(hdc);
    if (w == nullptr || !w->hasGl || format != THE_PIXEL_FORMAT)
        return FALSE;
    if (w->dc.pixelFormat != 0 && w->dc.pixelFormat != format)
        return FALSE; // a window's format is set once
    w->dc.pixelFormat = format;
    return TRUE;
}

BOOL WINAPI SwapBuffers(HDC hdc) {
    Window *w = WindowOfDc(hdc);
    if (w == nullptr || w->dc.pixelFormat == 0)
        return FALSE;
    // Off the screen there is nothing to present and no display to keep pace
    // with; the message pump waits for events instead.
    if (!IsShowing(*w))
        return TRUE;
    SDL_GL_SwapWindow(w->sdl);
    // A driver that waited for the display comes back a period after the last
    // swap; one that did not (vsync off, a virtual screen) is held back here.
    WaitUntil(PaceFrame(&w->lastShown, NowNs(), w->framePeriod));
    return TRUE;
}

HGLRC WINAPI wglCreateContext(HDC hdc) {
    Window *w = WindowOfDc(hdc);
    if (w == nullptr || w->dc.pixelFormat == 0)
        return nullptr;
    GlContext *c = FreeSlot(contexts);
    if (c == nullptr)
        return nullptr;
    // SDL makes a new context current at once; Windows leaves that to wglMakeCurrent.
    SDL_Window *previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previous = SDL_GL_GetCurrentContext();
    SDL_GLContext gl = SDL_GL_CreateContext(w->sdl);
    if (gl == nullptr)
        return nullptr;
    // Swaps wait for the display where the driver can; SwapBuffers paces the rest.
    SDL_GL_SetSwapInterval(1);
    w->framePeriod = FramePeriodOf(w->sdl);
    w->lastShown = 0;
    SDL_GL_MakeCurrent(previousWindow, previous);
    c->used = true;
    c->gl = gl;
    c->pixelFormat = w->dc.pixelFormat;
    return reinterpret_cast<HGLRC>(c);
}

BOOL WINAPI wglMakeCurrent(HDC hdc, HGLRC rc) {
    if (rc == nullptr) {
        if (!SDL_WasInit(SDL_INIT_VIDEO) || SDL_GL_GetCurrentContext() == nullptr)
            return TRUE;
        return SDL_GL_MakeCurrent(nullptr, nullptr) == 0 ? TRUE : FALSE;
    }
    Window *w = WindowOfDc(hdc);
    GlContext *c = ContextOf(rc);
    if (w == nullptr || c == nullptr || w->dc.pixelFormat != c->pixelFormat)
        return FALSE;
    return SDL_GL_MakeCurrent(w->sdl, c->gl) == 0 ? TRUE : FALSE;
}

BOOL WINAPI wglDeleteContext(HGLRC rc) {
    GlContext *c = ContextOf(rc);
    if (c == nullptr)
        return FALSE;
    SDL_GL_DeleteContext(c->gl);
    c->used = false;
    return TRUE;
}
