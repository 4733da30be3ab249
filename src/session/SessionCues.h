// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which of a session's cues are due: its points with cues in time order, each handed out once
// however often the session is looked at. A run that enters the session part-way skips the
// cues before its start; a cue at the start itself is played. The main window and the
// renderer both take their cues from here.

#include "session/Session.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class TSessionCues {
public:
    // The session must outlive this.
    explicit TSessionCues(const TSession& session);

    // The cues from ms on are still to come; those before it are passed.
    void Seek(int64_t ms);
    // The next point with cues at or before untilMs that has not been handed out; none when
    // there is none.
    const TSessionPoint* Next(int64_t untilMs);
    // The points with cues still to come, the next one first: ahead = 0 is the next.
    const TSessionPoint* Ahead(size_t ahead) const;
    size_t Count() const { return cues_.size(); }

private:
    std::vector<const TSessionPoint*> cues_;
    size_t next_ = 0;
};
