#include "app/startup.h"

int main() {
    return GameMain();
}
