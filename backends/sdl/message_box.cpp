// Message boxes: SDL's own boxes with the buttons, icon and caption asked for,
// answered with the keyboard, the mouse or a gamepad.
#include <csignal>
#include <cstdio>
#include <new>
#include <pthread.h>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

#include "backends/sdl/sdl_layer.h"

using namespace sdl_layer;

namespace {

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

// ---- a gamepad's answer
//
// SDL shows a box from a process of its own and only waits for that process,
// so nothing in the game reads the pads meanwhile. A thread of the box does:
// from the moment the box's process exists, it looks at every pad (one
// plugged in meanwhile too) every few ms, and a new press of A or Start, or of
// B or Back, ends the box's process and answers as Enter or Escape would. A
// button already down when the box came up has to be let go first. Where SDL
// could not start a process for the box, only the keyboard and mouse answer.

constexpr int PAD_POLL_MS = 10;
constexpr int MAX_BOX_PADS = 8;
constexpr unsigned ENTER_BUTTON = 1, ESCAPE_BUTTON = 2;

// In a page shared with the box's process (a forked process's other writes
// stay its own): which process shows the box, and whether a pad has answered.
struct BoxShare {
    std::atomic<pid_t> process;
    std::atomic<bool> answered;
};
BoxShare *boxShare = nullptr;

// Runs in every process forked while a box is up. SDL takes a box that ended
// without an answer of its own for one it could not show, and tries the next
// kind of box (zenity, say): once a pad has answered, no further box starts.
void NoteBoxProcess() {
    if (!boxShowing.load()) // a fork of a library, outside any box
        return;
    boxShare->process.store(getpid());
    if (boxShare->answered.load())
        _exit(1);
}

// Gamepads are started with the first box: the start-up question comes before
// the game's window, which starts them otherwise.
bool PadsCanAnswer() {
    static const bool ready = [] {
        void *page = mmap(nullptr, sizeof(BoxShare), PROT_READ | PROT_WRITE,
                          MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        if (page == MAP_FAILED || SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
            return false;
        boxShare = new (page) BoxShare{};
        pthread_atfork(nullptr, nullptr, NoteBoxProcess);
        return true;
    }();
    return ready;
}

unsigned ButtonsDown(SDL_GameController *pad) {
    const auto down = [pad](SDL_GameControllerButton b) {
        return SDL_GameControllerGetButton(pad, b) != 0;
    };
    return (down(SDL_CONTROLLER_BUTTON_A) || down(SDL_CONTROLLER_BUTTON_START) ? ENTER_BUTTON : 0) |
           (down(SDL_CONTROLLER_BUTTON_B) || down(SDL_CONTROLLER_BUTTON_BACK) ? ESCAPE_BUTTON : 0);
}

struct PadWatch {
    std::atomic<bool> boxOver{false};
    int enterAnswer, escapeAnswer; // what the box's Enter and Escape pick
    int answer;                    // 0 until a pad answers
};

void WatchPads(PadWatch *watch) {
    // Until the box's process exists the game's thread is still inside SDL.
    while (!watch->boxOver.load() && boxShare->process.load() == 0)
        SDL_Delay(PAD_POLL_MS);
    struct Seen {
        SDL_GameController *pad;
        SDL_JoystickID id;
        unsigned down;
    } seen[MAX_BOX_PADS] = {};
    while (!watch->boxOver.load() && watch->answer == 0) {
        SDL_GameControllerUpdate(); // also finds pads plugged in since
        for (int device = 0; device < SDL_NumJoysticks(); ++device) {
            const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(device);
            bool known = false;
            Seen *free = nullptr;
            for (Seen &s : seen) {
                known = known || (s.pad != nullptr && s.id == id);
                free = free == nullptr && s.pad == nullptr ? &s : free;
            }
            if (!known && free != nullptr && SDL_IsGameController(device) &&
                (free->pad = SDL_GameControllerOpen(device)) != nullptr)
                *free = {free->pad, id, ButtonsDown(free->pad)};
        }
        for (Seen &s : seen) {
            if (s.pad == nullptr)
                continue;
            if (!SDL_GameControllerGetAttached(s.pad)) {
                SDL_GameControllerClose(s.pad);
                s = {};
                continue;
            }
            const unsigned now = ButtonsDown(s.pad), pressed = now & ~s.down;
            s.down = now;
            if (watch->answer == 0 && pressed != 0)
                watch->answer = pressed & ENTER_BUTTON ? watch->enterAnswer : watch->escapeAnswer;
        }
        if (watch->answer == 0) {
            SDL_Delay(PAD_POLL_MS);
        } else if (!watch->boxOver.load()) { // the game still waits for the box
            boxShare->answered.store(true);
            kill(boxShare->process.load(), SIGKILL);
        }
    }
    for (Seen &s : seen)
        if (s.pad != nullptr)
            SDL_GameControllerClose(s.pad);
}

} // namespace

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
    PadWatch watch{};
    std::thread padWatcher;
    const bool pads = PadsCanAnswer();
    if (pads) {
        for (int i = 0; i < buttons.count; ++i) {
            if (buttons.buttons[i].flags & SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT)
                watch.enterAnswer = buttons.buttons[i].buttonid;
            if (buttons.buttons[i].flags & SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT)
                watch.escapeAnswer = buttons.buttons[i].buttonid;
        }
        boxShare->process.store(0);
        boxShare->answered.store(false);
        // SDL passes a pad's input on only while one of the game's windows
        // has the focus; now the box has it.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        padWatcher = std::thread(WatchPads, &watch);
    }
    boxShowing = true;
    const int shown = SDL_ShowMessageBox(&box, &pressed);
    boxShowing = false;
    if (pads) {
        watch.boxOver = true;
        padWatcher.join();
        SDL_ResetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS);
        PadsAfterBox();
    }
    if (watch.answer != 0)
        return watch.answer;
    if (shown != 0) {
        if (!SDL_WasInit(SDL_INIT_VIDEO))
            VideoReady(); // says so on stderr when there is no display at all
        std::fprintf(stderr, "%s: %s\n", caption, text);
        return 0;
    }
    return pressed < 0 ? buttons.closed : pressed;
}
