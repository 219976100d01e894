/* Counts the frames a window shows, from outside the game: every buffer swap
 * draws the whole window, which the X server reports as damage. Prints the
 * frames per second seen over the given number of seconds.
 * Usage: frame_rate WINDOW-ID SECONDS */
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/select.h>
#include <time.h>

static double Now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: frame_rate WINDOW-ID SECONDS\n");
        return 2;
    }
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "frame_rate: no display\n");
        return 1;
    }
    int eventBase = 0, errorBase = 0;
    if (!XDamageQueryExtension(display, &eventBase, &errorBase)) {
        fprintf(stderr, "frame_rate: the server has no DAMAGE extension\n");
        return 1;
    }
    const Window window = strtoul(argv[1], NULL, 0);
    const double seconds = atof(argv[2]);
    /* One report per drawing request: a swap is one image put over the window. */
    XDamageCreate(display, window, XDamageReportRawRectangles);
    XSync(display, False);
    while (XPending(display)) { /* what was drawn before we looked */
        XEvent e;
        XNextEvent(display, &e);
    }

    long frames = 0;
    const double start = Now(), end = start + seconds;
    for (double now = start; now < end; now = Now()) {
        while (XPending(display)) {
            XEvent e;
            XNextEvent(display, &e);
            if (e.type == eventBase + XDamageNotify && !((XDamageNotifyEvent *)&e)->more)
                ++frames;
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(ConnectionNumber(display), &readable);
        struct timeval wait = {0, 10000};
        select(ConnectionNumber(display) + 1, &readable, NULL, NULL, &wait);
    }
    printf("%.1f\n", frames / (Now() - start));
    XCloseDisplay(display);
    return 0;
}
