#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>
#include <sys/stat.h>

#include "core/grid_file.h"
#include "tests/doubles/test_support.h"
#include "tests/unit/scratch_dir.h"

namespace {

using Cells = std::array<unsigned char, GRID_CELLS>;

// Reads bytes with the game's reader; a cell it forgot to write shows as 0xAA.
Cells Read(const std::string &bytes) {
    Cells cells;
    cells.fill(0xAA);
    GridFailure f = ReadGridFromBytes(
        cells.data(), reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size());
    EXPECT_EQ(f.error, 0) << bytes;
    return cells;
}

Cells Leading(std::initializer_list<int> values) {
    Cells c{};
    std::copy(values.begin(), values.end(), c.begin());
    return c;
}

} // namespace

TEST(GridFile, WhatLoadsAndWhereTheInputEnds) {
    // 1200 numbers between runs of every byte 0..32 but 26 (the fuzzer tries
    // the other layouts against its model).
    std::string full, controlBytes;
    Cells ones, varied;
    ones.fill(1);
    for (int i = 0; i < GRID_CELLS; ++i) {
        const int v = i * 37 % 300 - 20;
        const std::string n = std::to_string(v);
        varied[i] = static_cast<unsigned char>(v & 0xFF);
        full += "1 ";
        controlBytes += n + std::string(1 + i % 3, static_cast<char>(i % 33 == 26 ? 0 : i % 33));
    }
    const struct {
        std::string bytes;
        Cells expected;
    } cases[] = {
        {controlBytes, varied},
        {"", Leading({})},
        {" \t\r\n\v\f \x01", Leading({})},
        // Nothing after a Ctrl-Z is examined, not even garbage.
        {"1 2 3 4 5 6 7 8 9 10\x1a 11 junk", Leading({1, 2, 3, 4, 5, 6, 7, 8, 9, 10})},
        {"12\03234", Leading({12})},
        // A run of 33 bytes is two tokens: 32 zeros, then the 1.
        {std::string(32, '0') + "1", Leading({0, 1})},
        {full + "2 3 junk 1.0 $", ones},
        // Each token stores the low byte of its 32-bit value.
        {"-1 256 258 +1 01 $1 x1 X1 0x1 0X1 $ff -$1 -0x2 $FFFFFFFF -$80000000 $0000000000ff "
         "2147483647 -2147483648 " +
             std::string(31, '0') + "9",
         Leading({255, 0, 2, 1, 1, 1, 1, 1, 1, 1, 255, 255, 254, 255, 0, 255, 255, 0, 9})},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Read(c.bytes), c.expected) << c.bytes.substr(0, 80);
}

// Every way a load can fail: the box (OK only, captioned "Error") names the
// error number and the failing check, the process ends with that number, and
// the file is closed before the box.
TEST(LoadGrid, EachFailureShowsItsNumberAndEndsWithIt) {
    ResetGameState();
    ScratchDir dir;
    const auto openFiles = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    };
    const long openBefore = openFiles();
    const auto expectFailure = [](const char *name, const std::string &text) {
        messageBoxes.clear();
        Grid grid;
        try {
            LoadGrid(grid, name);
            ADD_FAILURE() << name << " loaded";
        } catch (const ProcessExit &exit) {
            EXPECT_EQ(exit.code, std::stoul(text.substr(14))) << text;
        }
        ASSERT_EQ(messageBoxes.size(), 1u) << name;
        EXPECT_EQ(messageBoxes[0].text, text);
        EXPECT_EQ(messageBoxes[0].caption, "Error");
        EXPECT_EQ(messageBoxes[0].type, MB_OK);
    };
    const struct {
        const char *check;
        std::vector<std::string> files;
    } badTokens[] = {
        {"00A20001",
         {"1 2 1.0 4", "0 1,", "a", "--1", "$-1", "0xg",
          "\357\273\2771 2"}},                  // a byte-order mark joins the first token
        {"00A20002", {"+", "1 $", "0x", "-X"}}, // a sign or prefix without digits
        {"00A20003", {"2147483648", "-2147483649", std::string(32, '9')}},
        {"00A20004", {"$100000000"}},
    };
    for (const auto &c : badTokens) {
        for (const std::string &bytes : c.files) {
            ScratchDir::Write("bad", bytes);
            expectFailure("bad", std::string("Runtime error 106 at ") + c.check);
        }
    }
    ScratchDir::Write("plain", "1");
    ScratchDir::Write("locked", "1");
    chmod("locked", 0);
    std::filesystem::create_directory("folder");
    std::filesystem::create_symlink("loop", "loop");
    expectFailure("time", "Runtime error   2 at 00A10001");
    expectFailure("nowhere/time", "Runtime error   3 at 00A10001");
    expectFailure("plain/time", "Runtime error   3 at 00A10001"); // a file for a folder
    expectFailure("folder", "Runtime error   5 at 00A10002");
    mkfifo("pipe", 0600); // no writer: an open that waited would never return
    expectFailure("pipe", "Runtime error   5 at 00A10005");
    expectFailure("/dev/zero", "Runtime error   5 at 00A10005"); // endless separators
    if (access("locked", R_OK) != 0)                             // root reads anything
        expectFailure("locked", "Runtime error   5 at 00A10001");
    expectFailure("loop", "Runtime error  40 at 00A10001");           // the system's number
    expectFailure("/proc/self/mem", "Runtime error   5 at 00A10003"); // a failed read (EIO)
    EXPECT_EQ(openFiles(), openBefore);
}
