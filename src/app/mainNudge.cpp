// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainNudge.h"

#include "app/main.h"
#include "app/mainJournal.h"
#include "app/mainSession.h"
#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "framework/Application.h"
#include "run/RunParameters.h"
#include "session/Session.h"

#include <QDateTime>

#include <algorithm>

namespace {
int64_t NowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}
constexpr int32_t kMinMilli = 100, kMaxMilli = 35000;
} // namespace

TMainNudge::TMainNudge(TMainForm& form) : QObject(&form), form_(form) {
    ticker_.setInterval(kTickMs);
    connect(&ticker_, &QTimer::timeout, this, [this] { Guard([this] { Tick(); }); });
}

bool TMainNudge::OnSession() const {
    const TMainSession* session = form_.Session();
    return session && session->FollowsFrequency();
}

int32_t TMainNudge::Now() const {
    if (!gliding_) {
        if (OnSession()) return form_.Session()->OffsetMilli();
        return static_cast<int32_t>(FrequencyMilliHz(form_.FreqEdit->Value()));
    }
    const double done =
        std::min(1.0, static_cast<double>(NowMs() - startMs_) / static_cast<double>(kGlideMs));
    return from_ + static_cast<int32_t>(std::lround((to_ - from_) * done));
}

bool TMainNudge::KeyPressed(int key) {
    int32_t step = 0;
    switch (key) {
    case Qt::Key_Up:
        step = 100;
        break;
    case Qt::Key_Down:
        step = -100;
        break;
    case Qt::Key_PageUp:
        step = 1000;
        break;
    case Qt::Key_PageDown:
        step = -1000;
        break;
    case Qt::Key_Home:
        if (!OnSession()) return false;
        Glide(0);
        return true;
    case Qt::Key_BracketLeft:
    case Qt::Key_BracketRight:
        form_.UpDown1->SetPosition(
            std::clamp(form_.UpDown1->Position() + (key == Qt::Key_BracketRight ? 1 : -1), 1,
                       form_.UpDown1->Max()));
        return true;
    case Qt::Key_Minus:
    case Qt::Key_Plus:
    case Qt::Key_Equal: // "+" without Shift on most layouts
        form_.Volume->SetPosition(std::clamp(
            form_.Volume->Position() + (key == Qt::Key_Minus ? -1 : 1), 0, form_.Volume->Max()));
        return true;
    default:
        return false;
    }
    // A nudge during a glide goes on from where the glide was heading.
    const int32_t base = gliding_ && onSession_ == OnSession() ? to_ : (Halt(), Now());
    if (OnSession()) {
        Glide(base + step);
    } else {
        Glide(std::clamp(base + step, kMinMilli, kMaxMilli));
    }
    return true;
}

void TMainNudge::Glide(int32_t toMilli) {
    from_ = Now();
    to_ = toMilli;
    onSession_ = OnSession();
    startMs_ = NowMs();
    gliding_ = true;
    ticker_.start();
}

void TMainNudge::Tick() {
    // A session that ended or took the frequency back meanwhile leaves nothing to glide.
    if (!gliding_ || onSession_ != OnSession()) {
        Halt();
        return;
    }
    const int32_t value = Now();
    if (NowMs() - startMs_ >= kGlideMs) {
        gliding_ = false;
        ticker_.stop();
    }
    Apply(gliding_ ? value : to_);
}

void TMainNudge::Apply(int32_t milli) {
    struct Nudging {
        TMainJournal* journal;
        explicit Nudging(TMainJournal* j) : journal(j) {
            if (journal) journal->SetNudging(true);
        }
        ~Nudging() {
            if (journal) journal->SetNudging(false);
        }
    } nudging(form_.Journal());
    if (OnSession()) {
        form_.Session()->SetOffset(milli);
    } else {
        form_.FreqEdit->SetValue(FrequencyFromMilli(std::clamp(milli, kMinMilli, kMaxMilli)));
    }
}

void TMainNudge::Halt() {
    gliding_ = false;
    ticker_.stop();
}
