// The grid-file reader itself, free of any window or process call, so that
// tools/gridtool and the fuzzer drive exactly what the game reads:
//   - ReadGrid: a pure function over any byte source that reports a failure
//     as (error number, check id) instead of ending anything;
//   - the tokenizer and token parser beneath it, with positions for tools.
// LoadGrid (grid_file.h) turns a failure into the run-time error box.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/game_state.h"

// Error numbers of a failed load (also the exit code).
constexpr int GRID_ERROR_FILE_MISSING = 2;
constexpr int GRID_ERROR_PATH_MISSING = 3;
constexpr int GRID_ERROR_ACCESS_DENIED = 5;
constexpr int GRID_ERROR_BAD_TOKEN = 106;

// Which check failed; shown as the eight hex digits of the error box. One id
// per distinct check, so a report from a player names the exact cause.
enum GridCheck : uint32_t {
    GRID_CHECK_NONE = 0,
    GRID_CHECK_OPEN = 0x00A10001,           // the open call failed
    GRID_CHECK_OPEN_DIRECTORY = 0x00A10002, // the name is a directory
    GRID_CHECK_READ = 0x00A10003,           // a read call failed
    GRID_CHECK_CLOSE = 0x00A10004,          // the close call failed
    GRID_CHECK_OPEN_NOT_FILE = 0x00A10005,  // a pipe, socket or device, not a file
    GRID_CHECK_OPEN_STAT = 0x00A10006,      // what the name is could not be found out
    GRID_CHECK_BAD_BYTE = 0x00A20001,       // a byte that cannot stand where it stands
    GRID_CHECK_NO_DIGITS = 0x00A20002,      // a sign or prefix with no digits after it
    GRID_CHECK_DECIMAL_RANGE = 0x00A20003,  // decimal outside the 32-bit range
    GRID_CHECK_HEX_LENGTH = 0x00A20004,     // more than 8 significant hex digits
};

struct GridFailure {
    int error = 0; // 0: no failure
    uint32_t check = GRID_CHECK_NONE;
};

// The longest token; a longer run of bytes is cut into tokens of this length.
constexpr int GRID_TOKEN_MAX = 32;

// --- Tokens -------------------------------------------------------------------

enum GridTokenFault {
    GRID_TOKEN_OK,
    GRID_TOKEN_BAD_BYTE,      // badIndex names the byte
    GRID_TOKEN_NO_DIGITS,     // a lone sign, a lone prefix, or a sign and a prefix
    GRID_TOKEN_DECIMAL_RANGE, // outside -2147483648 .. 2147483647
    GRID_TOKEN_HEX_LENGTH,    // more than 8 hex digits after leading zeros
};

// Parses one token of 1..GRID_TOKEN_MAX bytes. On success stores the 32-bit
// value; otherwise, for GRID_TOKEN_BAD_BYTE, the index of the offending byte.
GridTokenFault ParseGridToken(const unsigned char *text, int length, int32_t *value, int *badIndex);
GridCheck GridCheckOfFault(GridTokenFault fault);
// A short English reason, for tools.
const char *GridTokenFaultText(GridTokenFault fault);

// --- Byte sources and the tokenizer ---------------------------------------------

// Reads up to `size` bytes into `buffer`. Returns the count, 0 at the physical
// end, or -1 with `*error` set to a non-zero error number.
typedef long (*GridReadFunction)(void *context, unsigned char *buffer, long size, int *error);

struct GridByteSource {
    GridReadFunction read;
    void *context;
};

struct GridToken {
    unsigned char text[GRID_TOKEN_MAX];
    int length;
    uint64_t offset; // of the first byte, from the start of the file
    uint32_t line;   // 1-based; line feeds counted
    uint32_t column; // 1-based, in bytes
};

// The tokenizer's state: reads its source in blocks, only when it needs the
// next byte, and never past the byte that ends the token it is collecting.
struct GridTokenizer {
    GridByteSource source;
    unsigned char buffer[1024];
    long position, filled;
    bool ended; // physical end, byte 26, or a failed read
    GridFailure failure;
    uint64_t offset;
    uint32_t line, column;
};

void GridTokenizerStart(GridTokenizer *tokenizer, GridByteSource source);
// Skips separators and collects the next token. Returns false at the end of
// the input (or after a failed read: see tokenizer->failure).
bool NextGridToken(GridTokenizer *tokenizer, GridToken *token);
// True when a token follows (the input is not at its end). Skips separators.
bool GridTokenizerHasMore(GridTokenizer *tokenizer);

// --- The whole grid -----------------------------------------------------------

// Fills all 1200 cells of `grid` from the source, row by row; cells after the
// end of the input get 0. Stops at the first failure, leaving the failing cell
// and the cells after it as they were. Never reads past the 1200th token.
GridFailure ReadGrid(Grid grid, GridByteSource source);
// The same over bytes in memory (for tools and the fuzzer).
GridFailure ReadGridFromBytes(Grid grid, const unsigned char *data, size_t size);

// The exit code of a system error: its low 8 bits, never 0 (which would read as
// success).
int GridErrorNumber(unsigned systemError);

// "Runtime error 106 at 00A20001": the text of the error box.
void FormatGridFailure(const GridFailure &failure, char *text, size_t size);
