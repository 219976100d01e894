// libFuzzer target for the grid-file reader.
//
// Every byte stream must either fill all 1200 cells or stop with error 106 (a
// bad token is the only failure bytes alone can cause), and the reader must
// never take a byte past the 1200th token beyond the separator that ended it.
// The input goes through the real reading code three ways: ReadGrid over
// memory in blocks, ReadGrid over a source that hands out one byte per call
// (which counts exactly what was taken), and LoadGrid itself over an in-memory
// file, with the error box and the process exit caught here. A small model of
// the file format, written separately, says what each cell must hold.
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

[[noreturn]] void Violation(const char *what) {
    std::fprintf(stderr, "grid reader property broken: %s\n", what);
    std::abort();
}

#define REQUIRE(condition)                                                                         \
    do {                                                                                           \
        if (!(condition))                                                                          \
            Violation(#condition);                                                                 \
    } while (0)

// --- The model -------------------------------------------------------------------

bool ModelParse(const unsigned char *s, size_t n, uint32_t *value) {
    size_t i = 0;
    bool negative = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < n && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        hex = true;
        ++i;
    } else if (n - i >= 2 && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == n)
        return false;
    std::string digits(reinterpret_cast<const char *>(s + i), n - i);
    const char *allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (digits.find_first_not_of(allowed) != std::string::npos)
        return false;
    size_t first = digits.find_first_not_of('0');
    std::string significant = first == std::string::npos ? "0" : digits.substr(first);
    if (hex) {
        if (significant.size() > 8)
            return false;
        uint32_t pattern = static_cast<uint32_t>(std::strtoul(significant.c_str(), nullptr, 16));
        *value = negative ? 0u - pattern : pattern;
        return true;
    }
    if (significant.size() > 10)
        return false;
    unsigned long long magnitude = std::strtoull(significant.c_str(), nullptr, 10);
    if (magnitude > (negative ? 2147483648ull : 2147483647ull))
        return false;
    *value = negative ? static_cast<uint32_t>(0ull - magnitude) : static_cast<uint32_t>(magnitude);
    return true;
}

struct Expected {
    bool ok = true;
    int failedCell = -1; // the cell whose token is bad
    unsigned char cells[GRID_CELLS] = {};
    size_t mostTaken = 0; // the furthest the reader may read, in bytes
};

void Model(const uint8_t *data, size_t size, Expected *e) {
    size_t pos = 0;
    for (int cell = 0; cell < GRID_CELLS; ++cell) {
        while (pos < size && data[pos] <= ' ' && data[pos] != 26)
            ++pos;
        if (pos == size || data[pos] == 26) {
            // The end: everything after is zero. A byte 26 has to be looked at.
            e->mostTaken = pos == size ? size : pos + 1;
            return;
        }
        const size_t start = pos;
        while (pos < size && pos - start < GRID_TOKEN_MAX && data[pos] > ' ')
            ++pos;
        // A token cut at the limit needs no look beyond it; a shorter one is
        // only known to be over once the byte after it was seen.
        e->mostTaken = (pos - start == GRID_TOKEN_MAX || pos == size) ? pos : pos + 1;
        uint32_t value = 0;
        if (!ModelParse(data + start, pos - start, &value)) {
            e->ok = false;
            e->failedCell = cell;
            return;
        }
        e->cells[cell] = static_cast<unsigned char>(value & 0xFF);
    }
}

// --- Byte sources ------------------------------------------------------------------

struct CountingSource {
    const uint8_t *data;
    size_t size, position;
    size_t chunk; // the most handed out per call
};

long ReadCounted(void *context, unsigned char *buffer, long size, int *) {
    CountingSource *s = static_cast<CountingSource *>(context);
    REQUIRE(size > 0);
    size_t n = s->size - s->position;
    if (n > s->chunk)
        n = s->chunk;
    if (n > static_cast<size_t>(size))
        n = static_cast<size_t>(size);
    std::memcpy(buffer, s->data + s->position, n);
    s->position += n;
    return static_cast<long>(n);
}

bool IsTokenCheck(uint32_t check) {
    return check == GRID_CHECK_BAD_BYTE || check == GRID_CHECK_NO_DIGITS ||
           check == GRID_CHECK_DECIMAL_RANGE || check == GRID_CHECK_HEX_LENGTH;
}

// Checks one ReadGrid result against the model. The grid was filled with
// `fill` beforehand, so cells the reader did not write still hold it.
void CheckRead(const GridFailure &failure, const Grid grid, unsigned char fill, const Expected &e) {
    if (e.ok) {
        REQUIRE(failure.error == 0);
        REQUIRE(std::memcmp(grid, e.cells, GRID_CELLS) == 0);
        return;
    }
    REQUIRE(failure.error == GRID_ERROR_BAD_TOKEN);
    REQUIRE(IsTokenCheck(failure.check));
    REQUIRE(std::memcmp(grid, e.cells, static_cast<size_t>(e.failedCell)) == 0);
    for (int cell = e.failedCell; cell < GRID_CELLS; ++cell)
        REQUIRE(grid[cell] == fill);
}

// --- LoadGrid with the error box and the exit caught ---------------------------------

std::jmp_buf exitJump;
int boxes = 0;
std::string boxText, boxCaption;
UINT boxType = 0;
int memoryFile = -1;
char memoryFileName[64];
int lowestFreeFd = -1;

int LowestFreeFd() {
    int fd = dup(0);
    if (fd >= 0)
        close(fd);
    return fd;
}

} // namespace

// The window layer, as far as LoadGrid needs it.
int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    ++boxes;
    boxText = text;
    boxCaption = caption;
    boxType = type;
    return IDOK;
}

void WINAPI ExitProcess(UINT exitCode) {
    std::longjmp(exitJump, static_cast<int>(exitCode) + 1);
}

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    memoryFile = memfd_create("grid", 0);
    if (memoryFile < 0) {
        std::perror("memfd_create");
        std::abort();
    }
    std::snprintf(memoryFileName, sizeof memoryFileName, "/proc/self/fd/%d", memoryFile);
    lowestFreeFd = LowestFreeFd();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static Expected e;
    e = Expected{};
    Model(data, size, &e);

    // In blocks, as from a file.
    Grid grid;
    std::memset(grid, 0xA5, sizeof grid);
    CheckRead(ReadGridFromBytes(grid, data, size), grid, 0xA5, e);

    // In odd pieces, so blocks end inside tokens; then one byte at a time,
    // counting every byte taken.
    for (size_t chunk : {size_t(1) + size % 37, size_t(1)}) {
        CountingSource source{data, size, 0, chunk};
        std::memset(grid, 0x5A, sizeof grid);
        CheckRead(ReadGrid(grid, GridByteSource{ReadCounted, &source}), grid, 0x5A, e);
        if (chunk == 1)
            REQUIRE(source.position <= e.mostTaken);
    }

    // The game's own loader, over the same bytes as a file.
    REQUIRE(ftruncate(memoryFile, 0) == 0);
    REQUIRE(pwrite(memoryFile, data, size, 0) == static_cast<ssize_t>(size));
    std::memset(grid, 0x3C, sizeof grid);
    boxes = 0;
    volatile int exitCode = -1;
    int jumped = setjmp(exitJump);
    if (jumped == 0)
        LoadGrid(grid, memoryFileName);
    else
        exitCode = jumped - 1;
    if (e.ok) {
        REQUIRE(exitCode == -1 && boxes == 0);
        REQUIRE(std::memcmp(grid, e.cells, GRID_CELLS) == 0);
    } else {
        REQUIRE(exitCode == GRID_ERROR_BAD_TOKEN && boxes == 1);
        REQUIRE(boxCaption == "Error" && boxType == MB_OK);
        REQUIRE(boxText.rfind("Runtime error 106 at ", 0) == 0 && boxText.size() == 29);
        REQUIRE(boxText.find_first_not_of("0123456789ABCDEF", 21) == std::string::npos);
    }
    // The file is closed on both paths.
    REQUIRE(LowestFreeFd() == lowestFreeFd);
    return 0;
}
