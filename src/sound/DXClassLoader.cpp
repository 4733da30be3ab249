// SPDX-License-Identifier: GPL-3.0-or-later
// The loader of the sound library: loaded libraries are cached by their lower-cased
// names and unloaded when the program ends.

#include "sound/DXClass.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>

namespace {

struct LibraryCache {
    std::mutex mutex;
    std::map<std::string, LibraryHandle> libraries;

    void FreeAll() {
        std::lock_guard lock(mutex);
        for (auto& [name, library] : libraries)
            FreeBuiltInLibrary(library);
        libraries.clear();
    }
    ~LibraryCache() { FreeAll(); }
};

LibraryCache& Cache() {
    static LibraryCache cache;
    return cache;
}

} // namespace

LibraryProc DXLoadLibrary(const std::string& libraryName, const std::string& functionName) {
    std::string key = libraryName;
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    LibraryCache& cache = Cache();
    LibraryHandle library = nullptr;
    {
        std::lock_guard lock(cache.mutex);
        auto found = cache.libraries.find(key);
        if (found != cache.libraries.end()) {
            library = found->second;
        } else {
            library = LoadBuiltInLibrary(libraryName);
            if (library == nullptr) throw Exception(Msg::NotLoaded, {libraryName});
            cache.libraries.emplace(key, library);
        }
    }
    LibraryProc proc = FindBuiltInFunction(library, functionName);
    if (proc == nullptr) throw Exception(Msg::NotLoaded, {libraryName});
    return proc;
}

void DXFreeLibraries() {
    Cache().FreeAll();
}
