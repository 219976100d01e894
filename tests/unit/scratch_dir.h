// A fresh empty folder that is the working directory while the object lives,
// for tests of code that opens files by bare name.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

class ScratchDir {
  public:
    ScratchDir() {
        previous_ = std::filesystem::current_path();
        std::string pattern = (std::filesystem::temp_directory_path() / "vk-test-XXXXXX").string();
        char *made = mkdtemp(pattern.data());
        EXPECT_NE(made, nullptr);
        path_ = pattern;
        std::filesystem::current_path(path_);
    }
    ~ScratchDir() {
        std::filesystem::current_path(previous_);
        std::error_code ignored;
        // Give back any permission a test took away, so the folder can go.
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        for (auto &entry : std::filesystem::recursive_directory_iterator(path_, ignored))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;

    static void Write(const std::string &name, const std::string &bytes) {
        std::ofstream out(name, std::ios::binary);
        out << bytes;
    }

  private:
    std::filesystem::path previous_, path_;
};
