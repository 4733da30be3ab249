// SPDX-License-Identifier: GPL-3.0-or-later
// Loading the default library as start-up and "Apply" do: open main.zdl, read both lists,
// load one sound into a sound buffer and one picture into the holder and a display bitmap.
// Looking up and listing a hostile module of 1 MiB, with the peak memory it takes.

#include "audio/SoundDevice.h"
#include "common/LibraryTargets.h"
#include "framework/Picture.h"
#include "library/LibraryFormat.h"
#include "library/LibraryLoader.h"
#include "picture/DIB.h"
#include "platform/LittleEndian.h"
#include "platform/ResourceModule.h"
#include "sound/DXSounds.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// main.zdl is built beside the program, one directory above the benchmarks.
std::string DefaultLibraryPath() {
    const auto exe = std::filesystem::read_symlink("/proc/self/exe");
    return (exe.parent_path().parent_path() / "main.zdl").string();
}

void BM_LoadDefaultLibrary(benchmark::State& state) {
    TOfflineLibraryTargets loaded;
    const std::string path = DefaultLibraryPath();
    for (auto _ : state) {
        loaded.Pictures.SetItemIndex(static_cast<int>(state.iterations() % 6));
        loaded.Sounds.SetItemIndex(static_cast<int>(state.iterations() % 5));
        LoadStimulusLibrary(path, loaded.Targets);
        benchmark::DoNotOptimize(loaded.Display.Width());
    }
    state.counters["library_bytes"] = static_cast<double>(std::filesystem::file_size(path));
}
BENCHMARK(BM_LoadDefaultLibrary)->Unit(benchmark::kMillisecond);

void BM_OpenAndReadLists(benchmark::State& state) {
    const std::string path = DefaultLibraryPath();
    for (auto _ : state) {
        const TModuleHandle module = LoadResourceModule(path);
        benchmark::DoNotOptimize(FindResourceData(module, kPictureList, kListType));
        benchmark::DoNotOptimize(FindResourceData(module, kSoundList, kListType));
        FreeResourceModule(module);
    }
}
BENCHMARK(BM_OpenAndReadLists)->Unit(benchmark::kMillisecond);

// A hostile module of 1 MiB: a bitmap directory of 65534 entries that all point at one name
// of 65535 characters, then the resource own. With shared a near match of own (the last
// character differs), every entry asks to be compared in full; otherwise its length alone
// tells it apart.
std::vector<uint8_t> HostileModule(const std::u16string& shared, const std::u16string& own) {
    constexpr uint32_t kSize = 1u << 20, kSectionAt = 0x200, kRva = 0x1000, kEntries = 65535;
    std::vector<uint8_t> f(kSize, 0);
    const auto put16 = [&](uint32_t at, uint32_t v) { WriteLe16(&f[at], v); };
    const auto put32 = [&](uint32_t at, uint32_t v) { WriteLe32(&f[at], v); };
    const uint32_t sectionSize = kSize - kSectionAt;
    f[0] = 'M';
    f[1] = 'Z';
    put32(0x3C, 0x40);
    put32(0x40, 0x4550);
    put16(0x44, 0x14C);
    put16(0x46, 1);
    put16(0x54, 224);
    put16(0x58, 0x10B);
    put32(0x58 + 92, 16);
    put32(0x58 + 96 + 16, kRva);
    put32(0x58 + 96 + 20, sectionSize);
    const uint32_t header = 0x58 + 224;
    put32(header + 8, sectionSize);
    put32(header + 12, kRva);
    put32(header + 16, sectionSize);
    put32(header + 20, kSectionAt);

    // Offsets inside the section; s(x) is where x lies in the file.
    const auto s = [&](uint32_t offset) { return kSectionAt + offset; };
    const uint32_t names = 0x18, lang = names + 16 + 8 * kEntries, data = lang + 24;
    const uint32_t ownText = data + 16, sharedText = ownText + 2 + 2 * uint32_t(own.size());
    put16(s(14), 1); // root: type 2
    put32(s(16), 2);
    put32(s(20), 0x80000000u | names);
    put16(s(names + 12), kEntries);
    for (uint32_t i = 0; i < kEntries; ++i) {
        const uint32_t text = i + 1 == kEntries ? ownText : sharedText;
        put32(s(names + 16 + 8 * i), 0x80000000u | text);
        put32(s(names + 20 + 8 * i), 0x80000000u | lang);
    }
    put16(s(lang + 14), 1);
    put32(s(lang + 20), data);
    put32(s(data), kRva + sectionSize - 4);
    put32(s(data + 4), 4);
    for (const auto& [at, text] : {std::pair{ownText, &own}, std::pair{sharedText, &shared}}) {
        put16(s(at), static_cast<uint32_t>(text->size()));
        for (std::size_t i = 0; i < text->size(); ++i)
            put16(s(at + 2 + 2 * static_cast<uint32_t>(i)), (*text)[i]);
    }
    return f;
}

long StatusKb(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(std::strlen(key)));
    }
    return -1;
}

// Peak memory above the resident set at its start, over the whole benchmark run: the kernel's
// high-water mark is reset first, and every iteration frees what it made.
class PeakMemory {
public:
    PeakMemory() {
        std::ofstream("/proc/self/clear_refs") << "5";
        startKb_ = StatusKb("VmRSS:");
    }
    double MiB() const { return static_cast<double>(StatusKb("VmHWM:") - startKb_) / 1024.0; }

private:
    long startKb_;
};

// The hostile cases: 0 a long shared name of another length than the picture's, 1 a long
// near match of it, 2 a short shared name (a listing of the most entries).
std::vector<uint8_t> HostileCase(int64_t kind) {
    const std::u16string own(65535, u'A');
    std::u16string nearMatch = own;
    nearMatch.back() = u'B';
    switch (kind) {
    case 1:
        return HostileModule(nearMatch, own);
    case 2:
        return HostileModule(u"Shared", u"Pic");
    default:
        return HostileModule(std::u16string(65535, u'X'), u"Pic");
    }
}

// Opening the module and the lookups a library load makes of it: both lists, then the
// picture twice (its header word, then its bitmap).
void BM_HostileModuleLookup(benchmark::State& state) {
    const std::vector<uint8_t> bytes = HostileCase(state.range(0));
    const std::string picture = state.range(0) == 1 ? std::string(65535, 'A') : "Pic";
    PeakMemory peak;
    for (auto _ : state) {
        const TModuleHandle module = LoadResourceModuleFromBytes(bytes);
        benchmark::DoNotOptimize(FindResourceData(module, kPictureList, kListType));
        benchmark::DoNotOptimize(FindResourceData(module, kSoundList, kListType));
        benchmark::DoNotOptimize(FindResourceData(module, picture, RT_BITMAP));
        benchmark::DoNotOptimize(FindResourceData(module, picture, RT_BITMAP));
        FreeResourceModule(module);
    }
    state.counters["module_MiB"] = static_cast<double>(bytes.size()) / (1 << 20);
    state.counters["peak_MiB"] = peak.MiB();
}
BENCHMARK(BM_HostileModuleLookup)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_HostileModuleList(benchmark::State& state) {
    const std::vector<uint8_t> bytes = HostileCase(state.range(0));
    PeakMemory peak;
    std::size_t listed = 0;
    for (auto _ : state) {
        const TModuleHandle module = LoadResourceModuleFromBytes(bytes);
        listed = ListResources(module).Entries.size();
        FreeResourceModule(module);
    }
    state.counters["listed"] = static_cast<double>(listed);
    state.counters["peak_MiB"] = peak.MiB();
}
BENCHMARK(BM_HostileModuleList)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
