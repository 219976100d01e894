// Every way a grid file can fail to load. What loads, and every token's value,
// is the fuzzer's to check against its own model of the format.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>

#include "core/grid_file.h"
#include "tests/doubles/test_support.h"
#include "tests/unit/scratch_dir.h"

// The box (OK only, captioned "Error") names the error number and the failing
// check, the process ends with that number, and the file is closed before the box.
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
    // One bad token for each check, after good ones.
    const char *const badTokens[][2] = {
        {"1 2 1.0 4", "00A20001"},  {"0 1 $", "00A20002"},       {"-X", "00A20002"},
        {"2147483648", "00A20003"}, {"-2147483649", "00A20003"}, {"$100000000", "00A20004"},
    };
    for (const auto &[bytes, check] : badTokens) {
        ScratchDir::Write("bad", bytes);
        expectFailure("bad", std::string("Runtime error 106 at ") + check);
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
