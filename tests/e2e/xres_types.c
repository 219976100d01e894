/* Prints the X resources held by the client that owns a window, by type,
 * as "TYPE=count" pairs sorted by name: windows, graphics contexts, GL
 * contexts, colormaps and the rest. Used by leaks_f1_toggle.sh.
 * Usage: xres_types WINDOW-ID */
#include <X11/Xlib.h>
#include <X11/extensions/XRes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int ByName(const void *a, const void *b) {
    return strcmp(*(char *const *)a, *(char *const *)b);
}

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: xres_types WINDOW-ID\n");
        return 2;
    }
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "xres_types: no display\n");
        return 1;
    }
    XID window = strtoul(argv[1], NULL, 0);
    int clients = 0, found = 0;
    XResClient *client = NULL;
    if (!XResQueryClients(display, &clients, &client)) {
        fprintf(stderr, "xres_types: the server has no X-Resource extension\n");
        return 1;
    }
    for (int i = 0; i < clients && !found; ++i) {
        if ((window & ~client[i].resource_mask) != client[i].resource_base)
            continue;
        found = 1;
        int types = 0;
        XResType *type = NULL;
        XResQueryClientResources(display, client[i].resource_base, &types, &type);
        char **lines = calloc((size_t)types + 1, sizeof *lines);
        for (int j = 0; j < types; ++j) {
            char *name = XGetAtomName(display, type[j].resource_type);
            lines[j] = malloc(strlen(name) + 16);
            sprintf(lines[j], "%s=%u", name, type[j].count);
            /* Some names hold spaces ("OTHER CLIENT"). */
            for (char *c = lines[j]; *c; ++c)
                if (*c == ' ')
                    *c = '_';
            XFree(name);
        }
        qsort(lines, (size_t)types, sizeof *lines, ByName);
        for (int j = 0; j < types; ++j)
            printf("%s%s", j ? " " : "", lines[j]);
        printf("\n");
    }
    XCloseDisplay(display);
    if (!found) {
        fprintf(stderr, "xres_types: no client owns window %s\n", argv[1]);
        return 1;
    }
    return 0;
}
