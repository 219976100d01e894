#include "platform/gl_window.h"

BOOL CreateGameWindow(const char *, int, int, int, BOOL) {
    return FALSE;
}
void DestroyGameWindow() {}
