// A fresh empty folder that is the working directory while the object lives,
// for tests of code that opens files by bare name.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class ScratchDir {
  public:
    ScratchDir() { std::filesystem::current_path(path_); }
    ~ScratchDir() {
        std::filesystem::current_path(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    static void Write(const std::string &name, const std::string &bytes) {
        std::ofstream(name, std::ios::binary) << bytes;
    }

  private:
    std::string pattern_ = std::filesystem::temp_directory_path() / "vk-test-XXXXXX";
    std::filesystem::path previous_ = std::filesystem::current_path(),
                          path_ = mkdtemp(pattern_.data());
};
