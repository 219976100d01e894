// A gamepad for the end-to-end tests, preloaded into the real game: SDL's own
// virtual pad, plugged in as soon as the game starts its gamepads (or when
// told "plug"), whose buttons the test presses by writing their SDL names
// ("a", "b", "start", "back", ...) into the FIFO named by VIRTUAL_PAD. A press
// is held for 150 ms, or as many ms as follow the name ("a:1000").
#define _GNU_SOURCE
#include <SDL2/SDL.h>
#include <dlfcn.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static SDL_Joystick *pad;

static void Plug(void) {
    const int device = SDL_JoystickAttachVirtual(
        SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
    pad = device < 0 ? NULL : SDL_JoystickOpen(device);
    if (pad == NULL)
        fprintf(stderr, "virtual pad: %s\n", SDL_GetError());
}

static void *Play(void *fifo) {
    // Opened for writing too, so that the test's writers may come and go.
    FILE *commands = fopen(fifo, "r+");
    char word[32];
    while (commands != NULL && fscanf(commands, "%31s", word) == 1) {
        const char *hold = strchr(word, ':');
        const int ms = hold ? atoi(hold + 1) : 150;
        word[strcspn(word, ":")] = '\0';
        const SDL_GameControllerButton button = SDL_GameControllerGetButtonFromString(word);
        if (strcmp(word, "plug") == 0) {
            Plug();
        } else if (pad != NULL && button != SDL_CONTROLLER_BUTTON_INVALID) {
            SDL_JoystickSetVirtualButton(pad, button, SDL_PRESSED);
            SDL_Delay(ms);
            SDL_JoystickSetVirtualButton(pad, button, SDL_RELEASED);
        }
    }
    return NULL;
}

int SDL_InitSubSystem(Uint32 flags) {
    static int (*start)(Uint32);
    static int started;
    if (start == NULL)
        start = (int (*)(Uint32))dlsym(RTLD_NEXT, "SDL_InitSubSystem");
    const int result = start(flags);
    const char *fifo = getenv("VIRTUAL_PAD");
    if (result == 0 && (flags & SDL_INIT_GAMECONTROLLER) && fifo != NULL && !started) {
        started = 1;
        if (getenv("VIRTUAL_PAD_LATE") == NULL)
            Plug();
        pthread_t player;
        pthread_create(&player, NULL, Play, (void *)fifo);
    }
    return result;
}
