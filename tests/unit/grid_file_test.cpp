#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "core/grid_file.h"
#include "tests/doubles/test_support.h"
#include "tests/unit/scratch_dir.h"

namespace {

using Cells = std::array<unsigned char, GRID_CELLS>;

struct Loaded {
    GridFailure failure;
    Cells cells;
};

Loaded FromBytes(const std::string &bytes) {
    Loaded out;
    out.cells.fill(0xAA); // so a cell the reader forgot to write shows
    out.failure = ReadGridFromBytes(
        out.cells.data(), reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size());
    return out;
}

Cells Expected(std::initializer_list<int> leading) {
    Cells c{};
    size_t i = 0;
    for (int v : leading)
        c[i++] = static_cast<unsigned char>(v);
    return c;
}

// Runs LoadGrid expecting it to end the process; returns the exit code.
int LoadExpectingExit(const char *name) {
    Grid grid;
    try {
        LoadGrid(grid, name);
    } catch (const ProcessExit &exit) {
        return static_cast<int>(exit.code);
    }
    ADD_FAILURE() << "LoadGrid returned for " << name;
    return -1;
}

size_t OpenFileCount() {
    size_t n = 0;
    for ([[maybe_unused]] auto &e : std::filesystem::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}

} // namespace

TEST(GridFile, SeparatorLayoutsLoadTheSameGrid) {
    std::vector<std::string> numbers;
    Cells expected{};
    for (int i = 0; i < GRID_CELLS; ++i) {
        numbers.push_back(std::to_string(i * 37 % 300 - 20));
        expected[i] = static_cast<unsigned char>((i * 37 % 300 - 20) & 0xFF);
    }
    std::string oneLine, onePerLine, rowsWithTabs, controlBytes;
    for (int i = 0; i < GRID_CELLS; ++i) {
        oneLine += numbers[i] + " ";
        onePerLine += numbers[i] + "\n";
        rowsWithTabs += numbers[i] + (i % 100 == 99 ? "\r\n" : "\t");
        // Every byte 0..32 but 26 separates, runs of them too.
        char sep = static_cast<char>(i % 33 == 26 ? 0 : i % 33);
        controlBytes += numbers[i] + std::string(1 + i % 3, sep);
    }
    for (const std::string *layout : {&oneLine, &onePerLine, &rowsWithTabs, &controlBytes}) {
        Loaded got = FromBytes(*layout);
        EXPECT_EQ(got.failure.error, 0);
        EXPECT_EQ(got.cells, expected);
    }
}

TEST(GridFile, ShortInputsFillTheRestWithZeros) {
    struct Case {
        std::string bytes;
        Cells expected;
    } cases[] = {
        {"", Expected({})},
        {" \t\r\n\v\f \x01", Expected({})},
        {"5 6 7 8 9", Expected({5, 6, 7, 8, 9})},
        {"  1 2\n", Expected({1, 2})},
        // Ctrl-Z ends the input: what follows, even garbage, is never examined.
        {"1 2 3 4 5 6 7 8 9 10\x1a 11 12 junk", Expected({1, 2, 3, 4, 5, 6, 7, 8, 9, 10})},
        {"1 2 3\x1a", Expected({1, 2, 3})},
        {"12\x1a"
         "34",
         Expected({12})},
        // A run of 33 bytes is two tokens: 32 zeros, then the 1.
        {std::string(32, '0') + "1", Expected({0, 1})},
        {std::string(32, '0') + "\x1a"
                                "5",
         Expected({0})},
    };
    for (const Case &c : cases) {
        Loaded got = FromBytes(c.bytes);
        EXPECT_EQ(got.failure.error, 0) << c.bytes;
        EXPECT_EQ(got.cells, c.expected) << c.bytes;
    }
}

TEST(GridFile, TokensStoreTheirLowByte) {
    struct Case {
        std::string token;
        int stored;
    } cases[] = {
        {"-1", 255},
        {"256", 0},
        {"258", 2},
        {"+1", 1},
        {"01", 1},
        {"$1", 1},
        {"x1", 1},
        {"X1", 1},
        {"0x1", 1},
        {"0X1", 1},
        {"007", 7},
        {"$ff", 255},
        {"$Ff", 255},
        {"-$1", 255},
        {"+$1", 1},
        {"-0x2", 254},
        {"$FFFFFFFF", 255},
        {"$FFFFFF00", 0},
        {"-$80000000", 0},
        {"$0000000000ff", 255},
        {"2147483647", 255},
        {"-2147483648", 0},
        {"-0", 0},
        {"0", 0},
        {std::string(31, '0') + "9", 9}, // leading zeros up to the full token length
    };
    for (const Case &c : cases) {
        Loaded got = FromBytes(c.token + " 77");
        EXPECT_EQ(got.failure.error, 0) << c.token;
        EXPECT_EQ(got.cells[0], c.stored) << c.token;
        EXPECT_EQ(got.cells[1], 77) << c.token;
    }
}

TEST(GridFile, BadTokensFailWithErrorNumber106) {
    struct Case {
        std::string bytes;
        GridCheck check;
    } cases[] = {
        {"1.0", GRID_CHECK_BAD_BYTE},
        {"1,", GRID_CHECK_BAD_BYTE},
        {"a", GRID_CHECK_BAD_BYTE},
        {"--1", GRID_CHECK_BAD_BYTE},
        {"+-1", GRID_CHECK_BAD_BYTE},
        {"$-1", GRID_CHECK_BAD_BYTE},
        {"1x", GRID_CHECK_BAD_BYTE},
        {"0xg", GRID_CHECK_BAD_BYTE},
        {"$$1", GRID_CHECK_BAD_BYTE},
        {"\xEF\xBB\xBF"
         "1 2 3",
         GRID_CHECK_BAD_BYTE}, // a byte-order mark joins the first token
        {"1 2 \x7F", GRID_CHECK_BAD_BYTE},
        {"+", GRID_CHECK_NO_DIGITS},
        {"-", GRID_CHECK_NO_DIGITS},
        {"$", GRID_CHECK_NO_DIGITS},
        {"0x", GRID_CHECK_NO_DIGITS},
        {"-X", GRID_CHECK_NO_DIGITS},
        {"2147483648", GRID_CHECK_DECIMAL_RANGE},
        {"-2147483649", GRID_CHECK_DECIMAL_RANGE},
        {"99999999999999999999999999999999", GRID_CHECK_DECIMAL_RANGE},
        {"$100000000", GRID_CHECK_HEX_LENGTH},
        {"-0x123456789", GRID_CHECK_HEX_LENGTH},
    };
    for (const Case &c : cases) {
        Loaded got = FromBytes(c.bytes);
        EXPECT_EQ(got.failure.error, GRID_ERROR_BAD_TOKEN) << c.bytes;
        EXPECT_EQ(got.failure.check, c.check) << c.bytes;
    }
}

namespace {
// Hands out one byte per read and counts them; after the data it fails.
struct TrickleSource {
    std::string data;
    size_t given = 0;
    bool failed = false;
};
long Trickle(void *context, unsigned char *buffer, long, int *error) {
    TrickleSource *s = static_cast<TrickleSource *>(context);
    if (s->given == s->data.size()) {
        s->failed = true;
        *error = EIO;
        return -1;
    }
    buffer[0] = static_cast<unsigned char>(s->data[s->given++]);
    return 1;
}
} // namespace

TEST(GridFile, NothingAfterThe1200thTokenIsRead) {
    std::string full;
    for (int i = 0; i < GRID_CELLS; ++i)
        full += "1 ";
    Cells ones;
    ones.fill(1);
    for (const char *rest : {"2 3 4", "junk 1.0 $", "\xEF\xBB\xBF"}) {
        Loaded got = FromBytes(full + rest);
        EXPECT_EQ(got.failure.error, 0) << rest;
        EXPECT_EQ(got.cells, ones) << rest;
    }
}

TEST(GridFile, ReaderStopsRightAfterTheLastToken) {
    TrickleSource source{std::string(GRID_CELLS * 2, ' ')};
    for (int i = 0; i < GRID_CELLS; ++i)
        source.data[2 * i] = '3';
    Grid grid;
    GridFailure f = ReadGrid(grid, GridByteSource{Trickle, &source});
    EXPECT_EQ(f.error, 0);
    // The separator after token 1200 ends it; the failing read is never made.
    EXPECT_EQ(source.given, source.data.size());
    EXPECT_FALSE(source.failed);
    EXPECT_EQ(grid[GRID_CELLS - 1], 3);
}

TEST(GridFile, AFailedReadReportsTheSystemError) {
    TrickleSource source{"1 2 3"}; // no end: the next read fails
    Grid grid;
    GridFailure f = ReadGrid(grid, GridByteSource{Trickle, &source});
    EXPECT_EQ(f.error, EIO);
    EXPECT_EQ(f.check, GRID_CHECK_READ);
}

// --- LoadGrid on real files: the error box and the exit code -----------------

TEST(LoadGrid, ReadsAFileFromTheWorkingDirectory) {
    ResetGameState();
    ScratchDir dir;
    ScratchDir::Write("map", "1 2\r\n$ff\t-1\x1a 9");
    Grid grid;
    std::memset(grid, 0xAA, sizeof grid);
    LoadGrid(grid, "map");
    Cells got;
    std::memcpy(got.data(), grid, sizeof grid);
    EXPECT_EQ(got, Expected({1, 2, 255, 255}));
    EXPECT_TRUE(messageBoxes.empty());
}

TEST(LoadGrid, FailuresShowTheBoxAndExitWithTheErrorNumber) {
    ResetGameState();
    ScratchDir dir;
    ScratchDir::Write("bad", "1 2 1.0 4");
    ScratchDir::Write("plain", "1");
    std::filesystem::create_directory("folder");
    std::filesystem::create_symlink("loop", "loop");
    struct Case {
        const char *name;
        int error;
        GridCheck check;
    } cases[] = {
        {"time", 2, GRID_CHECK_OPEN},
        {"nowhere/time", 3, GRID_CHECK_OPEN},
        {"plain/time", 3, GRID_CHECK_OPEN}, // a file where a folder should be
        {"folder", 5, GRID_CHECK_OPEN_DIRECTORY},
        {"loop", ELOOP, GRID_CHECK_OPEN}, // any other failure: the system's number
        {"bad", 106, GRID_CHECK_BAD_BYTE},
    };
    size_t openBefore = OpenFileCount();
    for (const Case &c : cases) {
        messageBoxes.clear();
        EXPECT_EQ(LoadExpectingExit(c.name), c.error) << c.name;
        ASSERT_EQ(messageBoxes.size(), 1u) << c.name;
        char text[64];
        std::snprintf(text, sizeof text, "Runtime error %3d at %08X", c.error,
                      static_cast<unsigned>(c.check));
        EXPECT_EQ(messageBoxes[0].text, text);
        EXPECT_EQ(messageBoxes[0].caption, "Error");
        EXPECT_EQ(messageBoxes[0].type, MB_OK); // OK only, no icon
    }
    // Every file was closed before the box, so nothing is left open.
    EXPECT_EQ(OpenFileCount(), openBefore);
}

TEST(LoadGrid, ErrorNumbersAreRightAlignedInThreeCharacters) {
    char text[64];
    FormatGridFailure(GridFailure{2, 0x00A10001}, text, sizeof text);
    EXPECT_STREQ(text, "Runtime error   2 at 00A10001");
    FormatGridFailure(GridFailure{106, 0xDEADBEEF}, text, sizeof text);
    EXPECT_STREQ(text, "Runtime error 106 at DEADBEEF");
    FormatGridFailure(GridFailure{13, 0x1F}, text, sizeof text);
    EXPECT_STREQ(text, "Runtime error  13 at 0000001F");
}

TEST(LoadGrid, AnUnreadableFileIsAccessDenied) {
    ResetGameState();
    ScratchDir dir;
    ScratchDir::Write("over", "1");
    chmod("over", 0);
    if (access("over", R_OK) == 0)
        GTEST_SKIP() << "running with rights that read any file (root)";
    EXPECT_EQ(LoadExpectingExit("over"), 5);
    ASSERT_EQ(messageBoxes.size(), 1u);
    EXPECT_EQ(messageBoxes[0].text.substr(0, 17), "Runtime error   5");
}
