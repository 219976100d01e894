/* Counts the frames a window shows, from outside the game: each buffer swap
 * puts one image over the window, which the X server reports as damage.
 * Prints the frames per second seen over the given number of seconds.
 * Usage: frame_rate WINDOW-ID SECONDS */
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static double Now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

int main(int argc, char **argv) {
    Display *display = XOpenDisplay(NULL);
    int damageEvent, damageError;
    if (argc != 3 || !display || !XDamageQueryExtension(display, &damageEvent, &damageError))
        return 1;
    XDamageCreate(display, strtoul(argv[1], NULL, 0), XDamageReportRawRectangles);
    XSync(display, True); /* and forget what was drawn before */
    long frames = 0;
    const double start = Now(), end = start + atof(argv[2]);
    for (struct pollfd x = {ConnectionNumber(display), POLLIN, 0}; Now() < end; poll(&x, 1, 10)) {
        while (XPending(display)) {
            XEvent e;
            XNextEvent(display, &e);
            frames += e.type == damageEvent + XDamageNotify && !((XDamageNotifyEvent *)&e)->more;
        }
    }
    printf("%.1f\n", frames / (Now() - start));
    return 0;
}
