// SPDX-License-Identifier: GPL-3.0-or-later
// Prints what the journal reader finds in a journal file, one run a line:
// "run <length ms> <changes> <bookmarks> <end> <skipped lines>", for the scripts that kill the
// real program and look at what it left. Usage: velmora-journal-check JOURNAL
#include "journal/Journal.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmora-journal-check JOURNAL\n");
        return 2;
    }
    const TJournal journal(argv[1]);
    const TJournalContents read = journal.Read();
    for (const TJournalRun& run : read.Runs)
        std::printf("run %lld %zu %zu %s %zu\n", static_cast<long long>(run.LengthMs),
                    run.Changes.size(), run.Marks.size(), JournalEndWord(run.End),
                    read.SkippedLines);
    return 0;
}
