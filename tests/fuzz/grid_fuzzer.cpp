// libFuzzer target for the grid-file reader.
//
// A small model of the file format, written apart from the reader, says what
// every byte stream must give: all 1200 cells, or error 106 with the check
// that names the first bad token's fault. The reader must also never take a
// byte past the token that ends its work (beyond the byte that showed the
// token was over). The bytes go through ReadGrid in odd pieces and one byte
// at a time, and through LoadGrid itself over an in-memory file, with the
// error box and the process exit caught here.
#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "core/grid_file.h"
#include "core/grid_reader.h"

namespace {

#define REQUIRE(condition)                                                                         \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "grid reader property broken: %s\n", #condition);                 \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// The model. The fault of one token (0: none; else the low digit of its
// check: 1 a bad byte, 2 no digits, 3 a decimal out of range, 4 more than 8
// significant hex digits) and its 32-bit value.
uint32_t ModelToken(std::string t, uint32_t *value) {
    const bool negative = !t.empty() && t[0] == '-';
    if (!t.empty() && (t[0] == '-' || t[0] == '+'))
        t.erase(0, 1);
    const bool dollar = !t.empty() && (t[0] == '$' || t[0] == 'x' || t[0] == 'X');
    const bool hex = dollar || (t.size() >= 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'));
    t.erase(0, dollar ? 1 : hex ? 2 : 0);
    if (t.empty())
        return 2;
    if (t.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos)
        return 1;
    t.erase(0, std::min(t.find_first_not_of('0'), t.size() - 1));
    if (hex && t.size() > 8)
        return 4;
    if (!hex && (t.size() > 10 || std::stoull(t) > (negative ? 2147483648ull : 2147483647ull)))
        return 3;
    const uint32_t magnitude = static_cast<uint32_t>(std::stoull(t, nullptr, hex ? 16 : 10));
    *value = negative ? 0u - magnitude : magnitude;
    return 0;
}

struct Expected {
    uint32_t fault = 0;
    Grid cells = {};
    size_t mostTaken = 0; // the furthest the reader may read, in bytes
};

// Separators are the bytes up to the space but 26, which ends the input; a
// token is at most GRID_TOKEN_MAX bytes, a longer run is cut.
Expected Model(const uint8_t *data, size_t size) {
    Expected e;
    size_t pos = 0;
    for (int cell = 0; cell < GRID_CELLS; ++cell) {
        while (pos < size && data[pos] <= ' ' && data[pos] != 26)
            ++pos;
        if (pos == size || data[pos] == 26) {
            e.mostTaken = pos + (pos < size); // a byte 26 has to be looked at
            return e;
        }
        const size_t start = pos;
        while (pos < size && pos - start < GRID_TOKEN_MAX && data[pos] > ' ')
            ++pos;
        // A shorter token is only known to be over once the byte after it was seen.
        e.mostTaken = pos + (pos < size && pos - start < GRID_TOKEN_MAX);
        uint32_t value = 0;
        e.fault = ModelToken(std::string(data + start, data + pos), &value);
        if (e.fault != 0)
            return e;
        e.cells[cell] = static_cast<unsigned char>(value & 0xFF);
    }
    return e;
}

struct PieceSource {
    const uint8_t *data;
    size_t size, position, piece; // at most `piece` bytes per call
};

long ReadPieces(void *context, unsigned char *buffer, long size, int *) {
    PieceSource *s = static_cast<PieceSource *>(context);
    const size_t n = std::min({s->size - s->position, s->piece, static_cast<size_t>(size)});
    std::memcpy(buffer, s->data + s->position, n);
    s->position += n;
    return static_cast<long>(n);
}

std::jmp_buf exitJump;
int exitCode = -1;
std::string boxes;

int LowestFreeFd() {
    const int fd = dup(0);
    close(fd);
    return fd;
}

} // namespace

// The window layer, as far as LoadGrid needs it.
int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    boxes += std::string(caption) + ": " + text + " " + std::to_string(type) + "\n";
    return IDOK;
}

void WINAPI ExitProcess(UINT code) {
    exitCode = static_cast<int>(code);
    std::longjmp(exitJump, 1);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const int file = memfd_create("grid", 0);
    static const std::string fileName = "/proc/self/fd/" + std::to_string(file);
    static const int lowestFreeFd = LowestFreeFd();
    static Expected e;
    e = Model(data, size);
    const uint32_t check = e.fault != 0 ? 0x00A20000u + e.fault : 0;
    Grid grid;

    // In odd pieces, so blocks end inside tokens; then a byte at a time,
    // counting every byte taken.
    for (size_t piece : {1 + size % 37, size_t(1)}) {
        PieceSource source{data, size, 0, piece};
        const GridFailure failure = ReadGrid(grid, GridByteSource{ReadPieces, &source});
        REQUIRE(failure.error == (e.fault != 0 ? GRID_ERROR_BAD_TOKEN : 0));
        REQUIRE(failure.check == check);
        REQUIRE(e.fault != 0 || std::memcmp(grid, e.cells, GRID_CELLS) == 0);
        REQUIRE(piece > 1 || source.position <= e.mostTaken);
    }

    // The game's own loader over the same bytes as a file: every cell, or the
    // error box and the exit code; the file closed on both paths.
    REQUIRE(file >= 0 && ftruncate(file, 0) == 0);
    REQUIRE(pwrite(file, data, size, 0) == static_cast<ssize_t>(size));
    exitCode = -1;
    boxes.clear();
    if (setjmp(exitJump) == 0)
        LoadGrid(grid, fileName.c_str());
    char box[64] = "";
    if (e.fault != 0)
        std::snprintf(box, sizeof box, "Error: Runtime error 106 at %08X %u\n", check, MB_OK);
    REQUIRE(exitCode == (e.fault != 0 ? GRID_ERROR_BAD_TOKEN : -1) && boxes == box);
    REQUIRE(e.fault != 0 || std::memcmp(grid, e.cells, GRID_CELLS) == 0);
    REQUIRE(LowestFreeFd() == lowestFreeFd);
    return 0;
}
