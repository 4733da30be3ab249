// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Paints the picture once per display frame while a run is on, each frame at the picture due
// when that frame will be shown. The display's frame clock comes from a source of its own
// kind: the X Present extension's vblank notifications (FramePacerPresent.cpp), or the
// window's update requests, which the compositor paces by its frame callbacks
// (FramePacerUpdate.cpp). The frame period is measured from the display's own frame times,
// never taken from what the screen advertises. Where there is no frame clock, or it is lost,
// or it runs slower than any display (a virtual server's stand-in vblank), the pacer stands
// aside and the picture timer paints, and the run is called unsynchronised.

#include "picture/FrameStats.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

class QWidget;

// The display's frame period from the frames it reports: the slope of the line through the
// last frames kept (times against counters, least squares), so that a frame whose notice
// came late moves it little and a frame never seen not at all. A counter that goes back, or a
// frame far off the line (the window moved to another output, or lost its own), starts the
// measure afresh.
class TFramePeriod {
public:
    // False when the frame does not follow the last one (same or smaller counter).
    bool Add(uint64_t counter, int64_t atNs);
    void Reset() {
        count_ = 0;
        period_ = 0;
    }
    // Nanoseconds; 0 until enough frames are in.
    double PeriodNs() const { return period_; }
    // A period a display can have: 1 to 50 ms (1000 to 20 Hz).
    bool Usable() const;
    // When the frame of a counter begins on the line (once a period is told).
    double PredictNs(uint64_t counter) const;

    static constexpr size_t kKept = 512;
    static constexpr size_t kNeeded = 5; // frames (four periods) before any period is told

private:
    struct Frame {
        uint64_t Counter;
        int64_t AtNs;
    };
    void Fit();
    std::array<Frame, kKept> frames_{};
    size_t first_ = 0; // the oldest kept
    size_t count_ = 0;
    double period_ = 0;
    double intercept_ = 0; // the line's time at the oldest frame's counter, from its time
    const Frame& At(size_t i) const { return frames_[(first_ + i) % kKept]; }
    const Frame& Oldest() const { return frames_[first_]; }
    const Frame& Newest() const { return frames_[(first_ + count_ - 1) % kKept]; }
};

// What a compositor told of a frame painted for: presented at a time (on the steady clock's
// nanoseconds; 0 when its clock is another), with its counter (0 when it has none) and
// whether at a vertical blank, or discarded.
struct TPresented {
    uint64_t Frame = 0;
    bool Presented = false;
    int64_t AtNs = 0;
    uint64_t Counter = 0;
    bool Vsync = false;
};

// Where a display frame's timing comes from. Made and owned by the pacer; tells it of every
// frame through the pacer's Frame* calls, on the GUI thread.
class TFrameSource {
public:
    virtual ~TFrameSource() = default;
    // Be told of the next frame once (a source keeps at most one request under way).
    virtual void RequestFrame() = 0;
    virtual TFrameMode Mode() const = 0;
    // Whether Mode is known yet (a compositor's feedback is known once it has answered).
    virtual bool ModeKnown() const { return true; }
    // Each frame painted for is told of again, presented or discarded (FramePresented).
    virtual bool Feedback() const { return false; }
    virtual const char* ClockSource() const = 0;
    // A paint for a frame is about to be committed.
    virtual void BeforePaint(uint64_t /*frame*/) {}
    // The window paints what is marked right after the frame is told (its update request):
    // the picture is marked rather than painted apart, so that the frame is a single commit.
    virtual bool PaintsWithWindow() const { return false; }
    // A paint for a frame is done: what it drew goes to the display now, not once the event
    // loop next waits, so that a paint in time is shown in time.
    virtual void Painted() {}
};

class TFramePacer : public QObject {
    Q_OBJECT
public:
    using Clock = std::chrono::steady_clock;
    // Brings the picture to the state due at a moment and paints it once: at once, or (now
    // false) in the window's own painting that follows, so that the frame is one commit.
    using TPaint = std::function<void(Clock::time_point due, bool now)>;

    // The picture is a widget of the window whose frames pace it; paint is called only between
    // RunStarted and RunStopped.
    TFramePacer(QWidget& picture, TPaint paint);
    ~TFramePacer() override;

    // Off, the pacer never paints and every run is unsynchronised (the setting to paint by
    // the timer alone).
    void SetEnabled(bool enabled);
    void RunStarted();
    void RunStopped();
    // The display's frames paint the picture now; otherwise its timer does.
    bool Pacing() const;
    // The run under way, else the last one.
    TFrameStats Stats() const;

    // From the sources, on the GUI thread. A frame the display began at a time, its counter
    // told by the display (vblank).
    void FrameBegan(uint64_t counter, Clock::time_point at);
    // The compositor asks for a frame now; it tells no times.
    void FrameRequested();
    // What the compositor did with a frame painted for.
    void FramePresented(const TPresented& presented);
    // The source can no longer tell frames: said once, and the timer paints from here on.
    void SourceLost(const char* why);

    // Frames from this source in place of the one the platform gives (tests, other platforms).
    void UseSource(std::unique_ptr<TFrameSource> source);

    // The picture's step due at a moment: with it, each frame shown is checked against the
    // step due when it began (FrameStats' NotDue).
    using TStepAt = std::function<int64_t(Clock::time_point)>;
    void SetStepAt(TStepAt stepAt) { stepAt_ = std::move(stepAt); }

    // Test builds: every n-th paced paint is held for two frame periods (0: none).
    void SetSlowEvery(uint64_t n) { slowEvery_ = n; }

private:
    void OpenSource();
    void PaintFor(uint64_t target, Clock::time_point due);
    void RunModeAtLeast(TFrameMode mode);
    void CheckShown(uint64_t counter, Clock::time_point at);

    QPointer<QWidget> picture_;
    TPaint paint_;
    std::unique_ptr<TFrameSource> source_;
    bool enabled_ = true;
    bool sourceTried_ = false;
    bool lostSaid_ = false;
    bool running_ = false;
    TFramePeriod period_;
    uint64_t lastCounter_ = 0;
    bool haveCounter_ = false;
    Clock::time_point lastFrameAt_{};
    Clock::time_point lastNoticeAt_{}; // when the last frame's notice came, for staleness
    // The run's accounting.
    bool runModeSet_ = false;
    TFrameMode runMode_ = TFrameMode::Unsynchronised;
    uint64_t lastTarget_ = 0;
    bool painted_ = false;
    uint64_t shown_ = 0, late_ = 0, dropped_ = 0, notDue_ = 0;
    // The last frame painted for, until the display tells when it began.
    static constexpr int64_t kNoStep = INT64_MIN;
    struct Checking {
        bool Have = false;
        uint64_t Target = 0;
        int64_t Step = 0;   // painted
        int64_t Before = 0; // on the screen before
        Clock::time_point Done{};
    } checking_;
    int64_t lastStep_ = kNoStep;
    TStepAt stepAt_;
    // Frames painted for, until the compositor tells what it did with them.
    struct Sent {
        uint64_t Target = 0;
        Clock::time_point Due{}, Done{};
        int64_t Step = 0;
    };
    std::array<Sent, 32> sent_{};
    uint64_t presentedCounter_ = 0;
    int64_t lastPresentedNs_ = 0;
    double depthNs_ = -1; // from the end of a paint to its presentation, smoothed
    uint64_t slowEvery_ = 0;
};
