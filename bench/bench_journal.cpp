// SPDX-License-Identifier: GPL-3.0-or-later
// The journal's cost per event (one line written and handed to the system, as the window does
// at each change and bookmark), and the journal's size for a 45-minute session that moves its
// frequency every tick with a nudge by hand each minute, as a run leaves it.

#include "journal/Journal.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

namespace {

std::filesystem::path Folder() {
    const auto path = std::filesystem::temp_directory_path() /
                      ("velmora-bench-journal-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    return path;
}

TJournalStart Start() {
    TJournalStart s;
    s.WallMs = 1765170000000;
    s.Library = "main.zdl";
    s.Picture = "Spiral";
    s.Sound = "Drone";
    s.SessionTitle = "Evening wind-down";
    s.SessionFile = "/usr/share/velmora/sessions/wind-down.vsession";
    s.FrequencyMilli = 14000;
    s.Knobs = {7, 2, 3, 8, 0, 1, 200};
    return s;
}

void BM_JournalEvent(benchmark::State& state) {
    const auto folder = Folder();
    TJournal journal((folder / "journal.jsonl").string(), kJournalMaxKBMax * 1024);
    journal.BeginRun(Start());
    int64_t ms = 0;
    for (auto _ : state) {
        // Frequency changes by hand that always move, a bookmark every tenth event.
        ms += 100;
        if (ms % 1000 == 0)
            journal.Mark(ms);
        else
            journal.Frequency(ms, ms % 200 == 0 ? 10000 : 10100, false, false);
        if (journal.RunBytes() > 4 << 20) {
            state.PauseTiming();
            journal.DeleteAll();
            journal.BeginRun(Start());
            ms = 0;
            state.ResumeTiming();
        }
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_JournalEvent)->Unit(benchmark::kMicrosecond);

// 14 Hz down to 4 Hz over 45 minutes in three straight pieces, followed every 25 ms; each minute
// a nudge of +0.1 Hz by hand, which the session's next tick takes back to its line.
void BM_JournalSession45(benchmark::State& state) {
    const auto folder = Folder();
    const std::string path = (folder / "journal.jsonl").string();
    const int64_t points[] = {0, 15 * 60000, 30 * 60000, 45 * 60000};
    const int32_t hz[] = {14000, 10000, 7000, 4000};
    int64_t bytes = 0, lines = 0;
    for (auto _ : state) {
        std::filesystem::remove(path);
        TJournal journal(path);
        journal.BeginRun(Start());
        size_t reached = 1;
        for (int64_t ms = 25; ms <= points[3]; ms += 25) {
            size_t seg = 0;
            while (seg < 2 && ms > points[seg + 1])
                ++seg;
            const int64_t span = points[seg + 1] - points[seg];
            const int32_t line =
                static_cast<int32_t>(hz[seg] + (hz[seg + 1] - hz[seg]) * (ms - points[seg]) / span);
            const bool atPoint = reached < 4 && ms >= points[reached];
            if (atPoint) ++reached;
            journal.Frequency(ms, line, true, atPoint);
            if (ms % 60000 == 0) journal.Frequency(ms, line + 100, false, false);
        }
        journal.EndRun(points[3], TJournalEnd::SessionEnd);
        bytes = static_cast<int64_t>(std::filesystem::file_size(path));
        const TJournalContents read = journal.Read();
        lines = static_cast<int64_t>(read.Runs.at(0).Changes.size()) + 2;
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["lines"] = static_cast<double>(lines);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_JournalSession45)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
