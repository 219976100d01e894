// The program's entry point: runs the game and ends with its exit code.
#include "app/startup.h"

int main() {
    return GameMain();
}
