/* The X resources held by the client that owns a window, one line per type as
 * the X-Resource extension names it ("COLORMAP", "GLXContext", ...): "count
 * type". It sees what xrestop lumps together as unknown.
 * Usage: x_resources WINDOW-ID */
#include <X11/Xlib.h>
#include <X11/extensions/XRes.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char **argv) {
    Display *display = argc == 2 ? XOpenDisplay(NULL) : NULL;
    XResType *types = NULL;
    int count = 0;
    if (display == NULL ||
        !XResQueryClientResources(display, strtoul(argv[1], NULL, 0), &count, &types))
        return 1;
    for (int i = 0; i < count; i++) {
        char *name = XGetAtomName(display, types[i].resource_type);
        printf("%u %s\n", types[i].count, name);
        XFree(name);
    }
    XFree(types);
    XCloseDisplay(display);
    return 0;
}
