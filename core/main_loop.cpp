#include "core/main_loop.h"

int RunMainLoop() {
    return 0;
}
