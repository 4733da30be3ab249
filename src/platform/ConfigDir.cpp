// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ConfigDir.h"

#include <cstdlib>
#include <filesystem>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string HomeDirectory() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
        return pw->pw_dir;
    }
    return ".";
}

} // namespace

std::string ConfigDirectory() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/velmora";
    return HomeDirectory() + "/.config/velmora";
}

bool IsBareFileName(const std::string& fileName) {
    return fileName.find('/') == std::string::npos;
}

std::string ConfigFilePath(const std::string& fileName) {
    return IsBareFileName(fileName) ? ConfigDirectory() + "/" + fileName : fileName;
}

bool MakeConfigDirectory() {
    const std::filesystem::path dir(ConfigDirectory());
    std::error_code ec;
    if (std::filesystem::is_directory(dir, ec)) return true;
    std::filesystem::create_directories(dir, ec);
    if (ec) return false;
    // Settings are the user's own business.
    ::chmod(dir.c_str(), 0700);
    return true;
}
