// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ModuleSearch.h"

#include <filesystem>
#include <system_error>

// The data directory relative to the program's own, so an installed tree can move (a package
// installs under /usr whatever prefix the build was configured with).
#ifndef VELMORA_DATADIR_FROM_BINDIR
#define VELMORA_DATADIR_FROM_BINDIR "../share/velmora"
#endif

namespace fs = std::filesystem;

std::vector<std::string> ModuleSearchDirectories() {
    std::vector<std::string> dirs;
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (!error && program.has_parent_path()) {
        const fs::path programDir = program.parent_path();
        dirs.push_back(programDir.string());
        dirs.push_back((programDir / VELMORA_DATADIR_FROM_BINDIR).lexically_normal().string());
    }
    const fs::path current = fs::current_path(error);
    if (!error) dirs.push_back(current.string());
    return dirs;
}

std::string ResolveModulePath(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos) return name;
    for (const std::string& dir : ModuleSearchDirectories()) {
        std::error_code error;
        const fs::path candidate = fs::path(dir) / name;
        if (fs::is_regular_file(candidate, error)) return candidate.string();
    }
    return name;
}

std::string FindDataFolder(const std::string& name) {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (error || !program.has_parent_path()) return {};
    const fs::path programDir = program.parent_path();
    for (const fs::path& dir :
         {programDir / name, programDir / VELMORA_DATADIR_FROM_BINDIR / name}) {
        if (fs::is_directory(dir, error)) return dir.lexically_normal().string();
    }
    return {};
}
