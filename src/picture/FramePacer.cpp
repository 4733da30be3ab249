// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/FramePacer.h"

#include "picture/FramePacerSources.h"

#include <QGuiApplication>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>

namespace {
using std::chrono::nanoseconds;
constexpr double kShortestPeriodNs = 1e6; // 1000 Hz
constexpr double kLongestPeriodNs = 50e6; // 20 Hz: a stand-in vblank of a virtual server is 1 Hz

int64_t Ns(TFramePacer::Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

TFramePacer::Clock::time_point At(double ns) {
    return TFramePacer::Clock::time_point(
        std::chrono::nanoseconds(static_cast<int64_t>(std::llround(ns))));
}
} // namespace

bool TFramePeriod::Add(uint64_t counter, int64_t atNs) {
    if (count_ > 0) {
        const Frame& newest = Newest();
        if (counter <= newest.Counter) {
            // Back (another output, a restarted counter) or the same frame told twice.
            if (counter < newest.Counter) Reset();
            if (count_ > 0) return false;
        } else if (period_ > 0) {
            // Far off the line: the frames are another output's now.
            const Frame& oldest = Oldest();
            const double expected = static_cast<double>(oldest.AtNs) + intercept_ +
                                    static_cast<double>(counter - oldest.Counter) * period_;
            if (std::abs(static_cast<double>(atNs) - expected) > std::max(3 * period_, 20e6))
                Reset();
        }
    }
    if (count_ == kKept) {
        first_ = (first_ + 1) % kKept;
        --count_;
    }
    frames_[(first_ + count_) % kKept] = {counter, atNs};
    ++count_;
    Fit();
    return true;
}

void TFramePeriod::Fit() {
    period_ = 0;
    intercept_ = 0;
    if (count_ < kNeeded) return;
    // Counted from the oldest frame, so that the sums keep their precision.
    const Frame& oldest = Oldest();
    double sx = 0, sy = 0;
    for (size_t i = 0; i < count_; ++i) {
        sx += static_cast<double>(At(i).Counter - oldest.Counter);
        sy += static_cast<double>(At(i).AtNs - oldest.AtNs);
    }
    const double n = static_cast<double>(count_);
    const double mx = sx / n, my = sy / n;
    double sxx = 0, sxy = 0;
    for (size_t i = 0; i < count_; ++i) {
        const double dx = static_cast<double>(At(i).Counter - oldest.Counter) - mx;
        sxx += dx * dx;
        sxy += dx * (static_cast<double>(At(i).AtNs - oldest.AtNs) - my);
    }
    if (sxx <= 0 || sxy <= 0) return;
    period_ = sxy / sxx;
    intercept_ = my - period_ * mx;
}

double TFramePeriod::PredictNs(uint64_t counter) const {
    const Frame& oldest = Oldest();
    const double from = counter >= oldest.Counter ? static_cast<double>(counter - oldest.Counter)
                                                  : -static_cast<double>(oldest.Counter - counter);
    return static_cast<double>(oldest.AtNs) + intercept_ + from * period_;
}

bool TFramePeriod::Usable() const {
    const double p = PeriodNs();
    return p >= kShortestPeriodNs && p <= kLongestPeriodNs;
}

TFramePacer::TFramePacer(QWidget& picture, TPaint paint)
    : picture_(&picture), paint_(std::move(paint)) {}

TFramePacer::~TFramePacer() = default;

void TFramePacer::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (!enabled) source_.reset();
}

void TFramePacer::OpenSource() {
    if (sourceTried_ || !enabled_ || !picture_) return;
    sourceTried_ = true;
    QWidget* top = picture_->window();
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb")) {
        source_ = MakePresentFrameSource(*this, *top);
        if (!source_) {
            std::fprintf(stderr, "velmora: the display tells no vblank (X Present); the picture "
                                 "is painted at the window's update requests\n");
            source_ = MakeUpdateFrameSource(*this, *top);
        }
    } else if (platform.startsWith(QLatin1String("wayland"))) {
        source_ = MakeUpdateFrameSource(*this, *top);
    }
    // Elsewhere (offscreen, a framebuffer, a remote viewer) there is no frame clock.
}

void TFramePacer::UseSource(std::unique_ptr<TFrameSource> source) {
    source_ = std::move(source);
    sourceTried_ = true;
}

void TFramePacer::RunStarted() {
    running_ = true;
    runModeSet_ = false;
    runMode_ = TFrameMode::Unsynchronised;
    painted_ = false;
    shown_ = late_ = dropped_ = notDue_ = 0;
    sent_ = {};
    checking_.Have = false;
    lastStep_ = kNoStep;
    OpenSource();
    if (source_) source_->RequestFrame();
}

void TFramePacer::RunStopped() {
    running_ = false;
    if (!runModeSet_) {
        runModeSet_ = true;
        runMode_ = TFrameMode::Unsynchronised;
    }
}

bool TFramePacer::Pacing() const {
    if (!running_ || !source_ || !picture_) return false;
    if (source_->Mode() != TFrameMode::Synchronised) {
        // Paced by frame callbacks: they stop while the window is hidden, and then the
        // timer paints the picture nobody sees.
        return lastNoticeAt_ != Clock::time_point{} &&
               Clock::now() - lastNoticeAt_ < std::chrono::milliseconds(250);
    }
    if (!period_.Usable()) return false;
    // Notices that stopped coming (the window lost its output) give the picture back to
    // the timer after four frames.
    const auto stale = std::chrono::nanoseconds(static_cast<int64_t>(period_.PeriodNs() * 4));
    return Clock::now() - lastNoticeAt_ < stale + std::chrono::milliseconds(20);
}

TFrameStats TFramePacer::Stats() const {
    TFrameStats stats;
    stats.Mode = runModeSet_ ? runMode_ : TFrameMode::Unsynchronised;
    stats.Shown = shown_;
    stats.Late = late_;
    stats.Dropped = dropped_;
    stats.NotDue = notDue_;
    // Measured from the display's own frame times, where it tells them.
    if (source_ && period_.Usable() &&
        (source_->Mode() == TFrameMode::Synchronised ||
         source_->Mode() == TFrameMode::TimestampsOnly))
        stats.RefreshHz = 1e9 / period_.PeriodNs();
    // An unsynchronised run's pictures went by the timer, whatever the display told.
    if (source_ && stats.Mode != TFrameMode::Unsynchronised)
        stats.ClockSource = source_->ClockSource();
    return stats;
}

void TFramePacer::RunModeAtLeast(TFrameMode mode) {
    // A run is as synchronised as its least synchronised frame.
    if (!runModeSet_ || static_cast<int>(mode) > static_cast<int>(runMode_)) runMode_ = mode;
    runModeSet_ = true;
}

void TFramePacer::FrameBegan(uint64_t counter, Clock::time_point at) {
    lastNoticeAt_ = Clock::now();
    if (haveCounter_ && counter <= lastCounter_ && counter + 1000 > lastCounter_) {
        // The same frame told again, or an older one: nothing new to show.
        if (running_ && source_) source_->RequestFrame();
        return;
    }
    period_.Add(counter, Ns(at));
    haveCounter_ = true;
    lastCounter_ = counter;
    lastFrameAt_ = at;
    if (!running_ || !source_) return;
    source_->RequestFrame();
    CheckShown(counter, at);
    if (period_.PeriodNs() == 0) return; // still measuring: the timer paints meanwhile
    if (!period_.Usable()) {
        // Slower than any display: a stand-in clock, not a vblank.
        RunModeAtLeast(TFrameMode::Unsynchronised);
        return;
    }
    // The next frame to begin after now: the one this paint can still reach. Its time is
    // taken from the line through the frames told, which a late notice moves far less than
    // it moves the frame's own time.
    const double period = period_.PeriodNs();
    const double since = static_cast<double>(Ns(Clock::now()) - Ns(at));
    const uint64_t ahead = static_cast<uint64_t>(std::max(0.0, std::floor(since / period))) + 1;
    RunModeAtLeast(source_->Mode());
    PaintFor(counter + ahead, At(period_.PredictNs(counter + ahead)));
}

void TFramePacer::CheckShown(uint64_t counter, Clock::time_point at) {
    if (!checking_.Have || counter < checking_.Target || !stepAt_ || !period_.Usable()) return;
    checking_.Have = false;
    // When the frame painted for began, and the picture it showed: the new one if the paint
    // was done by then, else the one before.
    const auto began = At(static_cast<double>(Ns(at)) -
                          static_cast<double>(counter - checking_.Target) * period_.PeriodNs());
    const int64_t shown = checking_.Done <= began ? checking_.Step : checking_.Before;
    if (shown != stepAt_(began)) ++notDue_;
}

void TFramePacer::FrameRequested() {
    lastNoticeAt_ = Clock::now();
    if (!running_ || !source_) return;
    source_->RequestFrame();
    if (source_->ModeKnown()) RunModeAtLeast(source_->Mode());
    // Shown the pipeline's depth from now, on the grid of the frames presented; without
    // times, now.
    double due = static_cast<double>(Ns(Clock::now())) + std::max(0.0, depthNs_);
    if (lastPresentedNs_ > 0 && period_.Usable()) {
        const double period = period_.PeriodNs();
        const double last = static_cast<double>(lastPresentedNs_);
        due = last + std::max(1.0, std::round((due - last) / period)) * period;
    }
    const uint64_t target = painted_ ? lastTarget_ + 1 : 0;
    source_->BeforePaint(target);
    PaintFor(target, At(due));
}

void TFramePacer::FramePresented(const TPresented& presented) {
    const Sent& sent = sent_[presented.Frame % sent_.size()];
    const bool known =
        painted_ && sent.Target == presented.Frame && sent.Done != Clock::time_point{};
    if (!presented.Presented) {
        ++dropped_;
        return;
    }
    ++shown_;
    if (presented.AtNs <= 0) return; // no times on the steady clock
    // The compositor's counter where it has one, else whole periods since the last.
    uint64_t counter = presentedCounter_ + 1;
    if (presented.Counter > presentedCounter_) {
        counter = presented.Counter;
    } else if (lastPresentedNs_ > 0 && period_.Usable()) {
        const double periods =
            static_cast<double>(presented.AtNs - lastPresentedNs_) / period_.PeriodNs();
        counter = presentedCounter_ + static_cast<uint64_t>(std::max(1.0, std::round(periods)));
    }
    presentedCounter_ = counter;
    period_.Add(counter, presented.AtNs);
    lastPresentedNs_ = std::max(lastPresentedNs_, presented.AtNs);
    if (!known) return;
    const double depth = static_cast<double>(presented.AtNs - Ns(sent.Done));
    depthNs_ = depthNs_ < 0 ? depth : depthNs_ + (depth - depthNs_) / 8;
    // Shown a frame or more after the one painted for.
    if (period_.Usable() &&
        static_cast<double>(presented.AtNs - Ns(sent.Due)) > period_.PeriodNs() / 2)
        ++late_;
    if (stepAt_ && stepAt_(Clock::time_point(nanoseconds(presented.AtNs))) != sent.Step) ++notDue_;
}

void TFramePacer::PaintFor(uint64_t target, Clock::time_point due) {
    if (painted_ && target <= lastTarget_) return; // this frame has its picture already
    if (painted_) dropped_ += target - lastTarget_ - 1;
    painted_ = true;
    lastTarget_ = target;
    paint_(due, !(source_ && source_->PaintsWithWindow()));
    if (source_) source_->Painted();
    const bool feedback = source_ && source_->Feedback();
    // Frames with feedback count as shown when the compositor says so.
    if (!feedback) ++shown_;
    if (slowEvery_ > 0 && (shown_ + (feedback ? target : 0)) % slowEvery_ == 0 && period_.Usable())
        std::this_thread::sleep_for(
            std::chrono::nanoseconds(static_cast<int64_t>(2 * period_.PeriodNs())));
    const Clock::time_point done = Clock::now();
    if (feedback) {
        sent_[target % sent_.size()] = {target, due, done, stepAt_ ? stepAt_(due) : 0};
        return;
    }
    if (!source_ || source_->Mode() != TFrameMode::Synchronised) return;
    // Painted after its frame began: it shows a frame late, or is drawn into a frame under way.
    if (done > due) ++late_;
    // Checked once the display tells when the frame began.
    if (stepAt_) {
        const int64_t step = stepAt_(due);
        checking_ = {true, target, step, lastStep_, done};
        lastStep_ = step;
    }
}

void TFramePacer::SourceLost(const char* why) {
    if (!lostSaid_) {
        lostSaid_ = true;
        std::fprintf(stderr, "velmora: %s; the picture follows its timer from here on\n", why);
    }
    // Freed once the caller, which may be the source itself, has returned.
    if (source_) {
        struct Keep : QObject {
            std::unique_ptr<TFrameSource> Source;
        };
        auto* keep = new Keep;
        keep->Source = std::move(source_);
        keep->deleteLater();
    }
    if (running_) RunModeAtLeast(TFrameMode::Unsynchronised);
}
