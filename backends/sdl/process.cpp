// The process around the game: standard descriptors, termination signals, the
// end of the process.
//
// The layer readies the process before the game's entry point runs: standard
// input, output and error exist (on /dev/null when they came closed), and
// every signal that ends a process by default (Ctrl+C, SIGTERM, the terminal
// hung up, ...) ends the game, as the window's close while the window is up
// and at once at any other moment. A broken pipe is no reason to end.
#include <SDL2/SDL.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <unistd.h>

#include "backends/sdl/sdl_layer.h"

namespace sdl_layer {

// How a termination signal (Ctrl+C, SIGTERM, SIGHUP, ...) is taken. While a
// window is up the main loop runs and reads messages, so the signal arrives
// as the window's close and the game ends as it always does. At any other
// moment (loading, a message box, the start-up question) nothing would ever
// read a request, so the process ends at once, the way the signal's default
// ends it. No display mode is held then: a full-screen mode lives only as
// long as its window (and a box over a full-screen window leaves the signal a
// close request).
std::atomic<int> windowsUp{0};
std::atomic<bool> boxShowing{false};
std::atomic<bool> boxOverFullScreen{false};
std::atomic<int> pendingCloseSignal{0};

// Ends the process as the signal's default action would (the shell then
// reports 130 for Ctrl+C, 143 for SIGTERM), but never with a core file: that
// would land in the data folder. Safe inside the handler.
void EndBySignal(int signalNumber) {
    prctl(PR_SET_DUMPABLE, 0);
    std::signal(signalNumber, SIG_DFL);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, signalNumber);
    pthread_sigmask(SIG_UNBLOCK, &unblock, nullptr); // blocked while its handler runs
    std::raise(signalNumber);
    _exit(128 + signalNumber);
}

// Every window receives SDL's quit event as WM_CLOSE.
void PostSignalClose() {
    if (pendingCloseSignal.load() == 0 || windowsUp.load() == 0)
        return;
    pendingCloseSignal.store(0);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
}

} // namespace sdl_layer

using namespace sdl_layer;

namespace {

pid_t gameProcess = 0;

void OnTerminationSignal(int signalNumber) {
    if (windowsUp.load() > 0 && (!boxShowing.load() || boxOverFullScreen.load())) {
        pendingCloseSignal.store(signalNumber);
        return;
    }
    EndBySignal(signalNumber);
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
// reads before the main loop runs, and only for Ctrl+C and SIGTERM. A signal
// ignored by whoever started the game stays ignored. A write to a pipe or
// socket whose reader is gone fails instead of ending the game.
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
    std::signal(SIGPIPE, SIG_IGN);
    for (int signalNumber : {SIGHUP, SIGINT, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGTERM}) {
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

} // namespace

void WINAPI ExitProcess(UINT exitCode) {
    std::fflush(nullptr);
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_QuitSubSystem(SDL_INIT_VIDEO); // gives back a changed display mode
    std::_Exit(static_cast<int>(exitCode));
}
