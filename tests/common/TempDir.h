// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A fresh directory for one test, removed with everything in it afterwards.

#include <filesystem>
#include <string>

#include <unistd.h>

class TempDir {
public:
    explicit TempDir(const std::string& tag) {
        static int counter = 0;
        path_ =
            std::filesystem::temp_directory_path() /
            ("velmora-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};
