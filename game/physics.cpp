// The player's physics in whole 5 ms steps: keys, gravity, the floor and the camera.
#include "game/physics.h"

#include <cstdint>

#include "core/game_state.h"
#include "core/numeric.h"

namespace {

// One 5 ms step of the player and the camera. Returns true when a jump started.
bool Step() {
    const int floorRow = FloorRowUnder(playerX + scrollX, playerY);
    const double floorY = CELL_SIZE * floorRow - 1.0; // centre height when resting on it

    // The camera pulls the player back by twice its own movement.
    playerX = MaxOf(LEFT_LIMIT, MinOf(RIGHT_LIMIT, playerX + playerVX - 2 * scrollSpeed));

    const double v = playerVX + pushX;
    playerVX = v - v / FRICTION_DIVISOR;
    pushX = 0.0;

    if (floorRow != NO_FLOOR)
        playerY = MinOf(floorY, MinOf(BOTTOM_LIMIT, playerY + playerVY));
    else
        playerY = MinOf(BOTTOM_LIMIT, playerY + playerVY);

    const bool standing = floorRow != NO_FLOOR && playerY == floorY;
    if (standing)
        playerVY = 0.0;

    playerVY = playerVY + gravity;
    gravity = NORMAL_GRAVITY;

    scrollSpeed = (playerX - CAMERA_CENTRE) / CAMERA_DIVISOR;
    scrollX = scrollX + scrollSpeed;

    // Keys act through pushX and gravity in the next step.
    bool jumped = false;
    if (keys[VK_RIGHT])
        pushX = pushX + KEY_PUSH;
    if (keys[VK_LEFT])
        pushX = pushX - KEY_PUSH;
    if (keys[VK_UP] && standing) {
        playerVY = JUMP_VELOCITY;
        jumped = true;
    }
    if (keys[VK_DOWN])
        gravity = DROP_GRAVITY;
    return jumped;
}

} // namespace

int FloorRowUnder(double levelX, double y) {
    // NaN and +inf land above the last row; -inf starts the search at row 0.
    const int32_t startRow = RoundToInt32((y + FEET_OFFSET) / CELL_SIZE, INT32_MAX);
    const int32_t column = TruncToInt32(levelX / CELL_SIZE, -1);
    if (startRow > GRID_ROWS - 1 || column < 0 || column > GRID_COLS - 1)
        return NO_FLOOR;
    for (int32_t row = startRow < 0 ? 0 : startRow; row < GRID_ROWS; ++row)
        if (mapGrid[row * GRID_COLS + column] == CELL_BLOCK)
            return row;
    return NO_FLOOR;
}

void StepPlayer(int32_t time) {
    // Whole steps since the last call; a time at or before it runs none. The
    // part of the interval short of a whole step is dropped.
    const int64_t steps =
        (static_cast<int64_t>(time) - static_cast<int64_t>(lastStepTick)) / STEP_MS;
    bool jumpStarted = false;
    for (int64_t i = 0; i < steps; ++i)
        if (Step())
            jumpStarted = true;

    // One jump sound per frame, however many jumps the frame's steps began.
    if (keys[VK_UP] && jumpStarted)
        FSOUND_PlaySound(JUMP_CHANNEL, jumpSound);
    lastStepTick = static_cast<DWORD>(time);
}
