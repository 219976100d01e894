#include "core/startup.h"

int GameMain() {
    return 0;
}
