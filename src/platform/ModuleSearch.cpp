#include "platform/ModuleSearch.h"

#include <filesystem>
#include <system_error>

#ifndef VELMORA_DATADIR
#define VELMORA_DATADIR "/usr/local/share/velmora"
#endif

namespace fs = std::filesystem;

std::vector<std::string> ModuleSearchDirectories() {
    std::vector<std::string> dirs;
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (!error && program.has_parent_path()) dirs.push_back(program.parent_path().string());
    dirs.emplace_back(VELMORA_DATADIR);
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
