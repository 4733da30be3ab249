// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/SessionCues.h"

#include <algorithm>

TSessionCues::TSessionCues(const TSession& session) {
    for (const TSessionPoint& p : session.Points())
        if (p.HasCue()) cues_.push_back(&p);
}

void TSessionCues::Seek(int64_t ms) {
    next_ = static_cast<size_t>(
        std::lower_bound(cues_.begin(), cues_.end(), ms,
                         [](const TSessionPoint* p, int64_t t) { return p->TimeMs < t; }) -
        cues_.begin());
}

const TSessionPoint* TSessionCues::Next(int64_t untilMs) {
    if (next_ >= cues_.size() || cues_[next_]->TimeMs > untilMs) return nullptr;
    return cues_[next_++];
}

const TSessionPoint* TSessionCues::Ahead(size_t ahead) const {
    return next_ + ahead < cues_.size() ? cues_[next_ + ahead] : nullptr;
}
