// SPDX-License-Identifier: GPL-3.0-or-later
// Modules named without a directory: the program's directory, then the data directory, then
// the current directory.

#include "HandMadeModule.h"

#include "platform/ModuleSearch.h"
#include "platform/ResourceModule.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A module whose one bitmap resource "PIC" holds the given four characters.
void WriteModule(const fs::path& path, const std::string& four) {
    auto tree = handmade::Tree();
    std::copy(four.begin(), four.end(), tree.begin() + handmade::kData);
    const auto bytes = handmade::Module(tree);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::string ContentOf(const std::string& name) {
    const TModuleHandle module = LoadResourceModule(name);
    const auto data = FindResourceData(module, "PIC", RT_BITMAP);
    FreeResourceModule(module);
    return data ? std::string(reinterpret_cast<const char*>(data->Data), data->Size) : "<none>";
}

// Runs in a fresh current directory and restores the old one.
class InTempDirectory {
public:
    InTempDirectory() : old_(fs::current_path()) {
        dir_ = fs::temp_directory_path() / ("velmora-search-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        fs::current_path(dir_);
    }
    ~InTempDirectory() {
        fs::current_path(old_);
        fs::remove_all(dir_);
    }
    const fs::path& Dir() const { return dir_; }

private:
    fs::path old_;
    fs::path dir_;
};

} // namespace

TEST(ModuleSearch, TheProgramDirectoryComesFirstAndTheCurrentDirectoryLast) {
    const auto dirs = ModuleSearchDirectories();
    ASSERT_EQ(dirs.size(), 3u);
    EXPECT_EQ(fs::path(dirs[0]), fs::read_symlink("/proc/self/exe").parent_path());
    // The data directory hangs off the program's, so a moved installation still finds it.
    EXPECT_EQ(fs::path(dirs[1]).filename(), "velmora") << dirs[1];
    EXPECT_EQ(fs::path(dirs[1]).parent_path().parent_path(), fs::path(dirs[0]).parent_path())
        << dirs[1];
    EXPECT_EQ(fs::path(dirs[2]), fs::current_path());
}

TEST(ModuleSearch, BareNamesAreSearchedAndPathsAreTakenAsTheyAre) {
    InTempDirectory temp;
    const std::string name = "velmora-search-" + std::to_string(::getpid()) + ".zdl";
    WriteModule(temp.Dir() / name, "CWD!");
    EXPECT_EQ(ContentOf(name), "CWD!");
    EXPECT_EQ(ResolveModulePath(name), (temp.Dir() / name).string());

    const fs::path besideProgram = fs::read_symlink("/proc/self/exe").parent_path() / name;
    WriteModule(besideProgram, "EXE!");
    EXPECT_EQ(ContentOf(name), "EXE!") << "the program's directory wins";
    EXPECT_EQ(ContentOf("./" + name), "CWD!") << "a name with a directory is not searched";
    fs::remove(besideProgram);

    EXPECT_EQ(ContentOf("missing-" + name), "<none>");
    EXPECT_EQ(ResolveModulePath("missing-" + name), "missing-" + name);
    EXPECT_EQ(ResolveModulePath("sub/" + name), "sub/" + name);
}
