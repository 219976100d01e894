#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/stat.h>

#include "core/grid_file.h"
#include "tests/doubles/test_support.h"
#include "tests/unit/scratch_dir.h"

namespace {

using Cells = std::array<unsigned char, GRID_CELLS>;

// Reads bytes with the game's reader; cells it forgot to write show as 0xAA.
GridFailure Read(const std::string &bytes, Cells *cells) {
    cells->fill(0xAA);
    return ReadGridFromBytes(cells->data(), reinterpret_cast<const unsigned char *>(bytes.data()),
                             bytes.size());
}

Cells Leading(std::initializer_list<int> values) {
    Cells c{};
    std::copy(values.begin(), values.end(), c.begin());
    return c;
}

} // namespace

TEST(GridFile, SeparatorLayoutsLoadTheSameGrid) {
    std::string oneLine, onePerLine, rowsWithTabs, controlBytes;
    Cells expected;
    for (int i = 0; i < GRID_CELLS; ++i) {
        int v = i * 37 % 300 - 20;
        expected[i] = static_cast<unsigned char>(v & 0xFF);
        std::string n = std::to_string(v);
        oneLine += n + " ";
        onePerLine += n + "\n";
        rowsWithTabs += n + (i % 100 == 99 ? "\r\n" : "\t");
        // Every byte 0..32 but 26 separates, and runs of them too.
        controlBytes += n + std::string(1 + i % 3, static_cast<char>(i % 33 == 26 ? 0 : i % 33));
    }
    for (const std::string &layout : {oneLine, onePerLine, rowsWithTabs, controlBytes}) {
        Cells got;
        EXPECT_EQ(Read(layout, &got).error, 0);
        EXPECT_EQ(got, expected);
    }
}

TEST(GridFile, InputEndsAtTheFileEndCtrlZOrThe1200thNumber) {
    std::string full;
    for (int i = 0; i < GRID_CELLS; ++i)
        full += "1 ";
    Cells ones;
    ones.fill(1);
    const struct {
        std::string bytes;
        Cells expected;
    } cases[] = {
        {"", Leading({})},
        {" \t\r\n\v\f \x01", Leading({})},
        {"5 6 7 8 9", Leading({5, 6, 7, 8, 9})},
        // Nothing after a Ctrl-Z is examined, not even garbage.
        {"1 2 3 4 5 6 7 8 9 10\x1a 11 junk", Leading({1, 2, 3, 4, 5, 6, 7, 8, 9, 10})},
        {"12\x1a"
         "34",
         Leading({12})},
        // A run of 33 bytes is two tokens: 32 zeros, then the 1.
        {std::string(32, '0') + "1", Leading({0, 1})},
        {full + "2 3 junk 1.0 $", ones},
    };
    for (const auto &c : cases) {
        Cells got;
        EXPECT_EQ(Read(c.bytes, &got).error, 0) << c.bytes;
        EXPECT_EQ(got, c.expected) << c.bytes;
    }
}

TEST(GridFile, TokensStoreTheLowByteOfTheirValue) {
    const struct {
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
        {"$ff", 255},
        {"-$1", 255},
        {"-0x2", 254},
        {"$FFFFFFFF", 255},
        {"-$80000000", 0},
        {"$0000000000ff", 255}, // leading zeros are not significant
        {"2147483647", 255},
        {"-2147483648", 0},
        {std::string(31, '0') + "9", 9},
    };
    for (const auto &c : cases) {
        Cells got;
        EXPECT_EQ(Read(c.token + " 77", &got).error, 0) << c.token;
        EXPECT_EQ(got[0], c.stored) << c.token;
        EXPECT_EQ(got[1], 77) << c.token;
    }
}

TEST(GridFile, BadTokensFailWithErrorNumber106) {
    const struct {
        std::string bytes;
        GridCheck check;
    } cases[] = {
        {"1.0", GRID_CHECK_BAD_BYTE},
        {"1,", GRID_CHECK_BAD_BYTE},
        {"a", GRID_CHECK_BAD_BYTE},
        {"--1", GRID_CHECK_BAD_BYTE},
        {"$-1", GRID_CHECK_BAD_BYTE},
        {"0xg", GRID_CHECK_BAD_BYTE},
        {"\xEF\xBB\xBF"
         "1 2",
         GRID_CHECK_BAD_BYTE}, // a byte-order mark joins the first token
        {"+", GRID_CHECK_NO_DIGITS},
        {"$", GRID_CHECK_NO_DIGITS},
        {"0x", GRID_CHECK_NO_DIGITS},
        {"-X", GRID_CHECK_NO_DIGITS},
        {"2147483648", GRID_CHECK_DECIMAL_RANGE},
        {"-2147483649", GRID_CHECK_DECIMAL_RANGE},
        {std::string(32, '9'), GRID_CHECK_DECIMAL_RANGE},
        {"$100000000", GRID_CHECK_HEX_LENGTH},
    };
    for (const auto &c : cases) {
        Cells got;
        GridFailure f = Read("0 " + c.bytes, &got);
        EXPECT_EQ(f.error, GRID_ERROR_BAD_TOKEN) << c.bytes;
        EXPECT_EQ(f.check, c.check) << c.bytes;
    }
}

TEST(GridFile, AFailedReadReportsTheSystemError) {
    auto failing = [](void *, unsigned char *, long, int *error) -> long {
        *error = EIO;
        return -1;
    };
    Grid grid;
    GridFailure f = ReadGrid(grid, GridByteSource{failing, nullptr});
    EXPECT_EQ(f.error, EIO);
    EXPECT_EQ(f.check, GRID_CHECK_READ);
}

// --- LoadGrid on real files: the error box and the exit code -----------------

TEST(LoadGrid, ReadsTheNamedFile) {
    ResetGameState();
    ScratchDir dir;
    ScratchDir::Write("map", "1 2\r\n$ff\t-1\x1a 9");
    Cells got;
    got.fill(0xAA);
    LoadGrid(got.data(), "map");
    EXPECT_EQ(got, Leading({1, 2, 255, 255}));
    EXPECT_TRUE(messageBoxes.empty());
}

TEST(LoadGrid, FailuresShowTheBoxAndExitWithTheErrorNumber) {
    ResetGameState();
    ScratchDir dir;
    ScratchDir::Write("bad", "1 2 1.0 4");
    ScratchDir::Write("plain", "1");
    std::filesystem::create_directory("folder");
    std::filesystem::create_symlink("loop", "loop");
    const struct {
        const char *name;
        unsigned code;
        const char *text;
    } cases[] = {
        {"time", 2, "Runtime error   2 at 00A10001"},
        {"nowhere/time", 3, "Runtime error   3 at 00A10001"},
        {"plain/time", 3, "Runtime error   3 at 00A10001"}, // a file where a folder should be
        {"folder", 5, "Runtime error   5 at 00A10002"},
        {"loop", ELOOP, "Runtime error  40 at 00A10001"}, // any other: the system's number
        {"bad", 106, "Runtime error 106 at 00A20001"},
    };
    size_t openBefore = std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    for (const auto &c : cases) {
        messageBoxes.clear();
        Grid grid;
        try {
            LoadGrid(grid, c.name);
            ADD_FAILURE() << c.name << " loaded";
        } catch (const ProcessExit &exit) {
            EXPECT_EQ(exit.code, c.code) << c.name;
        }
        ASSERT_EQ(messageBoxes.size(), 1u) << c.name;
        EXPECT_EQ(messageBoxes[0].text, c.text);
        EXPECT_EQ(messageBoxes[0].caption, "Error");
        EXPECT_EQ(messageBoxes[0].type, MB_OK); // OK only, no icon
    }
    // Every file was closed before its box.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}),
              static_cast<long>(openBefore));
}

TEST(LoadGrid, AnUnreadableFileIsAccessDenied) {
    ResetGameState();
    ScratchDir dir;
    ScratchDir::Write("over", "1");
    chmod("over", 0);
    if (access("over", R_OK) == 0)
        GTEST_SKIP() << "running with rights that read any file (root)";
    Grid grid;
    EXPECT_THROW(LoadGrid(grid, "over"), ProcessExit);
    ASSERT_EQ(messageBoxes.size(), 1u);
    EXPECT_EQ(messageBoxes[0].text, "Runtime error   5 at 00A10001");
}
