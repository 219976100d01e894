#include "core/startup.h"

int main() {
    return GameMain();
}
