// The grid-file reader: tokens, numbers and failures, over any source of bytes.
#include "core/grid_reader.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr unsigned char END_OF_INPUT = 26; // Ctrl-Z: nothing after it is read

bool IsDigit(unsigned char b) {
    return b >= '0' && b <= '9';
}

int HexDigitValue(unsigned char b) {
    if (b >= '0' && b <= '9')
        return b - '0';
    if (b >= 'a' && b <= 'f')
        return b - 'a' + 10;
    if (b >= 'A' && b <= 'F')
        return b - 'A' + 10;
    return -1;
}

// Makes the next byte available in the buffer; false at the end of the input.
bool Refill(GridTokenizer *t) {
    if (t->ended)
        return false;
    if (t->position < t->filled)
        return true;
    int error = 0;
    long n = t->source.read(t->source.context, t->buffer, sizeof t->buffer, &error);
    if (n <= 0) {
        if (n < 0)
            t->failure =
                GridFailure{GridErrorNumber(static_cast<unsigned>(error)), GRID_CHECK_READ};
        t->ended = true;
        return false;
    }
    t->position = 0;
    t->filled = n < static_cast<long>(sizeof t->buffer) ? n : static_cast<long>(sizeof t->buffer);
    return true;
}

// The next byte, or -1 at the end of the input (a byte 26 ends it for good).
int PeekByte(GridTokenizer *t) {
    if (!Refill(t))
        return -1;
    unsigned char b = t->buffer[t->position];
    if (b == END_OF_INPUT) {
        t->ended = true;
        return -1;
    }
    return b;
}

void Advance(GridTokenizer *t) {
    if (t->buffer[t->position] == '\n') {
        ++t->line;
        t->column = 1;
    } else {
        ++t->column;
    }
    ++t->position;
    ++t->offset;
}

struct MemorySource {
    const unsigned char *data;
    size_t size, position;
};

long ReadMemory(void *context, unsigned char *buffer, long size, int *) {
    MemorySource *m = static_cast<MemorySource *>(context);
    size_t n = m->size - m->position;
    if (n > static_cast<size_t>(size))
        n = static_cast<size_t>(size);
    std::memcpy(buffer, m->data + m->position, n);
    m->position += n;
    return static_cast<long>(n);
}

} // namespace

GridTokenFault ParseGridToken(const unsigned char *text, int length, int32_t *value,
                              int *badIndex) {
    int i = 0;
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < length && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < length && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= length)
        return GRID_TOKEN_NO_DIGITS;

    if (hex) {
        uint32_t pattern = 0;
        int significant = 0;
        for (; i < length; ++i) {
            int d = HexDigitValue(text[i]);
            if (d < 0) {
                *badIndex = i;
                return GRID_TOKEN_BAD_BYTE;
            }
            if (significant > 0 || d != 0)
                ++significant;
            pattern = (pattern << 4) | static_cast<uint32_t>(d);
        }
        if (significant > 8)
            return GRID_TOKEN_HEX_LENGTH;
        // The digits are a 32-bit two's-complement pattern; a minus negates it.
        *value = static_cast<int32_t>(negative ? 0u - pattern : pattern);
        return GRID_TOKEN_OK;
    }

    // At most 32 digits; stop growing once past the range so nothing overflows.
    const uint64_t limit = negative ? 2147483648u : 2147483647u;
    uint64_t magnitude = 0;
    bool tooLarge = false;
    for (; i < length; ++i) {
        if (!IsDigit(text[i])) {
            *badIndex = i;
            return GRID_TOKEN_BAD_BYTE;
        }
        if (!tooLarge) {
            magnitude = magnitude * 10 + static_cast<uint64_t>(text[i] - '0');
            tooLarge = magnitude > limit;
        }
    }
    if (tooLarge)
        return GRID_TOKEN_DECIMAL_RANGE;
    int64_t signedValue =
        negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    *value = static_cast<int32_t>(signedValue);
    return GRID_TOKEN_OK;
}

GridCheck GridCheckOfFault(GridTokenFault fault) {
    switch (fault) {
    case GRID_TOKEN_OK:
        return GRID_CHECK_NONE;
    case GRID_TOKEN_BAD_BYTE:
        return GRID_CHECK_BAD_BYTE;
    case GRID_TOKEN_NO_DIGITS:
        return GRID_CHECK_NO_DIGITS;
    case GRID_TOKEN_DECIMAL_RANGE:
        return GRID_CHECK_DECIMAL_RANGE;
    case GRID_TOKEN_HEX_LENGTH:
        return GRID_CHECK_HEX_LENGTH;
    }
    return GRID_CHECK_BAD_BYTE;
}

const char *GridTokenFaultText(GridTokenFault fault) {
    switch (fault) {
    case GRID_TOKEN_OK:
        return "ok";
    case GRID_TOKEN_BAD_BYTE:
        return "not a digit of the number";
    case GRID_TOKEN_NO_DIGITS:
        return "sign or hex prefix without digits";
    case GRID_TOKEN_DECIMAL_RANGE:
        return "outside -2147483648..2147483647";
    case GRID_TOKEN_HEX_LENGTH:
        return "more than 8 significant hex digits";
    }
    return "bad token";
}

void GridTokenizerStart(GridTokenizer *tokenizer, GridByteSource source) {
    tokenizer->source = source;
    tokenizer->position = 0;
    tokenizer->filled = 0;
    tokenizer->ended = false;
    tokenizer->failure = GridFailure{};
    tokenizer->offset = 0;
    tokenizer->line = 1;
    tokenizer->column = 1;
}

bool GridTokenizerHasMore(GridTokenizer *t) {
    int b;
    while ((b = PeekByte(t)) >= 0 && b <= ' ')
        Advance(t);
    return b >= 0;
}

bool NextGridToken(GridTokenizer *t, GridToken *token) {
    if (!GridTokenizerHasMore(t))
        return false;
    token->offset = t->offset;
    token->line = t->line;
    token->column = t->column;
    token->length = 0;
    // A run longer than the token limit is cut; the rest starts the next token.
    int b;
    while (token->length < GRID_TOKEN_MAX && (b = PeekByte(t)) > ' ') {
        token->text[token->length++] = static_cast<unsigned char>(b);
        Advance(t);
    }
    return true;
}

GridFailure ReadGrid(Grid grid, GridByteSource source) {
    GridTokenizer t;
    GridTokenizerStart(&t, source);
    for (int cell = 0; cell < GRID_CELLS; ++cell) {
        GridToken token;
        bool got = NextGridToken(&t, &token);
        if (t.failure.error != 0)
            return t.failure;
        if (!got) {
            // A short file is fine: the rest of the grid is empty.
            std::memset(grid + cell, 0, static_cast<size_t>(GRID_CELLS - cell));
            return GridFailure{};
        }
        int32_t value = 0;
        int badIndex = 0;
        GridTokenFault fault = ParseGridToken(token.text, token.length, &value, &badIndex);
        if (fault != GRID_TOKEN_OK)
            return GridFailure{GRID_ERROR_BAD_TOKEN, GridCheckOfFault(fault)};
        grid[cell] = static_cast<unsigned char>(static_cast<uint32_t>(value) & 0xFF);
    }
    return GridFailure{};
}

GridFailure ReadGridFromBytes(Grid grid, const unsigned char *data, size_t size) {
    MemorySource memory{data, size, 0};
    return ReadGrid(grid, GridByteSource{ReadMemory, &memory});
}

int GridErrorNumber(unsigned systemError) {
    const int code = static_cast<int>(systemError & 0xFF);
    return code != 0 ? code : 0xFF;
}

void FormatGridFailure(const GridFailure &failure, char *text, size_t size) {
    std::snprintf(text, size, "Runtime error %3d at %08X", failure.error,
                  static_cast<unsigned>(failure.check));
}
