// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/BuiltInLibraries.h"

#include "audio/SoundDevice.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <mutex>
#include <set>

struct BuiltInFunction {
    const char* name;
    LibraryProc proc;
};

struct BuiltInLibrary {
    const char* name;
    const BuiltInFunction* functions;
    size_t count;
};

namespace {

const BuiltInFunction kSoundFunctions[] = {
    {"DirectSoundCreate", reinterpret_cast<LibraryProc>(&DirectSoundCreate)},
};

const BuiltInLibrary kLibraries[] = {
    {"DSound.dll", kSoundFunctions, std::size(kSoundFunctions)},
};

std::atomic<int> g_loads{0};
std::mutex g_missingMutex;
std::set<std::string> g_missing;

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

} // namespace

LibraryHandle LoadBuiltInLibrary(const std::string& name) {
    const std::string key = Lower(name);
    {
        std::lock_guard lock(g_missingMutex);
        if (g_missing.count(key) != 0) return nullptr;
    }
    for (const auto& library : kLibraries) {
        if (Lower(library.name) == key) {
            ++g_loads;
            return &library;
        }
    }
    return nullptr;
}

void FreeBuiltInLibrary(LibraryHandle) {}

LibraryProc FindBuiltInFunction(LibraryHandle library, const std::string& name) {
    if (library == nullptr) return nullptr;
    for (size_t i = 0; i < library->count; ++i) {
        if (name == library->functions[i].name) return library->functions[i].proc;
    }
    return nullptr;
}

int BuiltInLibraryLoadCount() {
    return g_loads.load();
}

void SetBuiltInLibraryAvailable(const std::string& name, bool available) {
    std::lock_guard lock(g_missingMutex);
    if (available) {
        g_missing.erase(Lower(name));
    } else {
        g_missing.insert(Lower(name));
    }
}
