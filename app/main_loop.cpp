// The main loop: the full-screen question, the window, then messages and frames until the end.
#include "app/main_loop.h"

#include "core/game_state.h"
#include "game/screens.h"
#include "platform/gl_window.h"

namespace {

const char *const WINDOW_TITLE = "vorta kemi";
// The start-up question in the game's own words, kept exactly as players have
// always read them, odd spelling and capitals included: not typos to mend.
const char *const QUESTION_TEXT = "Fullsrceen?";
const char *const QUESTION_CAPTION = "Little questioN";
constexpr int WINDOW_WIDTH = 800;
constexpr int WINDOW_HEIGHT = 600;
constexpr int WINDOW_BITS = 32;
constexpr int KEY_TOGGLE_FULLSCREEN = 112; // F1

// The run's end when its window cannot be made (no display, no GL context): a
// launcher or a script must be able to tell that the game never ran. No to
// playing in a window is the player's own way of quitting.
constexpr int NO_WINDOW_STATUS = 1;

BOOL OpenWindow() {
    return CreateGameWindow(WINDOW_TITLE, WINDOW_WIDTH, WINDOW_HEIGHT, WINDOW_BITS, fullscreen);
}

int NoWindowStatus() {
    return windowedRefused ? 0 : NO_WINDOW_STATUS;
}

} // namespace

BOOL RunFrame() {
    if (active) {
        // Unsigned subtraction: game time survives the tick counter wrapping.
        DWORD elapsed = GetTickCount() - startTick;
        if (!DrawFrame(static_cast<int32_t>(elapsed)))
            return BOOL_FALSE;
    }
    if (IsScreen(SCREEN_EXIT))
        return BOOL_FALSE; // the frame that chose to leave is never shown
    SwapBuffers(deviceContext);
    return BOOL_TRUE;
}

int RunMainLoop() {
    MSG msg{};
    BOOL done = BOOL_FALSE;
    int status = 0;

    // A box that cannot be shown (0) counts as a yes.
    fullscreen =
        MessageBoxA(nullptr, QUESTION_TEXT, QUESTION_CAPTION, MB_YESNO | MB_ICONQUESTION) == IDNO
            ? BOOL_FALSE
            : BOOL_TRUE;
    if (!OpenWindow())
        return NoWindowStatus();

    while (!done) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // Drain every waiting message before the next frame.
            if (msg.message == WM_QUIT) {
                done = BOOL_TRUE;
                status = static_cast<int>(msg.wParam);
            } else {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            continue;
        }

        if (!RunFrame())
            done = BOOL_TRUE;

        // F1 whatever the frame did, even when it ended the run.
        if (keys[KEY_TOGGLE_FULLSCREEN]) {
            keys[KEY_TOGGLE_FULLSCREEN] = BOOL_FALSE;
            DestroyGameWindow();
            fullscreen = fullscreen ? BOOL_FALSE : BOOL_TRUE;
            if (!OpenWindow())
                return NoWindowStatus();
        }
    }

    DestroyGameWindow();
    return status;
}
