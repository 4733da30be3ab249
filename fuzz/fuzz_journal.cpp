// SPDX-License-Identifier: GPL-3.0-or-later
// Journals from outside bytes: the reader never fails, keeps every value within its bounds and
// every run in time order, and each run it gives becomes a session file that reads back.
#include "journal/Journal.h"
#include "session/SessionFile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {
void Check(bool ok) {
    if (!ok) __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 20) return 0;
    const TJournalContents read =
        ParseJournal(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const TJournalRun& run : read.Runs) {
        Check(run.Id > 0 && run.LengthMs >= 0 && run.LengthMs <= kJournalMaxRunMs);
        Check(run.Start.FrequencyMilli >= 100 && run.Start.FrequencyMilli <= 35000);
        Check(run.Changes.size() <= kJournalMaxChanges && run.Marks.size() <= kJournalMaxMarks &&
              run.Cues.size() <= kSessionMaxPoints);
        int64_t last = 0;
        for (const TJournalChange& c : run.Changes) {
            Check(c.Ms >= last && c.Ms <= run.LengthMs);
            last = c.Ms;
            if (!c.IsKnob) Check(c.Value >= 100 && c.Value <= 35000);
        }
        for (const TJournalMark& m : run.Marks)
            Check(m.Ms <= run.LengthMs && m.Note.size() <= 4 * kJournalMaxNoteChars);
        try {
            const TSession session =
                ParseSession(JournalSessionText(run, run.Start.SessionTitle), "f");
            Check(session.Points().size() <= kSessionMaxPoints);
        } catch (const ESessionError&) {
            Check(false); // a run always makes a valid session
        }
    }
    return 0;
}
