// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The refresh rate of the display a window is on, as far as it can be known: measured from the
// window's own frame clock where the compositor paces it (Wayland's frame callbacks), read from
// the video mode of the screen where the X server drives one, or learnt from a run that
// followed the display's frames. Elsewhere it is unknown: a virtual X server has a mode without
// timings, for which the toolkit still reports 60 Hz, and the offscreen platform has no display.

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <vector>

class QScreen;
class QWidget;
class QWindow;

class TDisplayRefresh : public QObject {
    Q_OBJECT
public:
    enum class TSource { Unknown, FrameClock, VideoMode, Run };

    // window: a top-level widget; nothing is measured before Start.
    explicit TDisplayRefresh(QWidget& window);
    ~TDisplayRefresh() override;

    // The refresh rate in Hz; 0 when unknown.
    double Hz() const { return hz_; }
    TSource Source() const { return source_; }
    bool Measuring() const { return measuring_; }

    // Finds the rate anew for the screen the window is on, once the window is shown; the window
    // system's frame clock is measured over a few dozen frames.
    void Start();
    // Starts once the window is shown, and again once it is on another screen.
    void Follow();
    // A rate measured from the display's own frame times during a run; kept until the window
    // moves to another screen.
    void Learn(double hz);

Q_SIGNALS:
    // The rate or its source changed.
    void Changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Set(double hz, TSource source);
    void StopMeasuring();
    // The rate from the frames measured so far.
    void FinishMeasuring();

    QWidget& widget_;
    QPointer<QWindow> window_;
    QPointer<QScreen> screen_;
    double hz_ = 0;
    TSource source_ = TSource::Unknown;
    bool measuring_ = false;
    QElapsedTimer clock_;
    QTimer giveUp_;
    std::vector<int64_t> stamps_;
};

// The rate of frames from the nanoseconds between them: whole periods of the median interval
// over the time they took, as long as the rate holds through the measurement and is one a
// display runs at (20 to 500 Hz); 0 otherwise, when too few came or the rate wandered.
double RefreshFromIntervals(std::vector<int64_t> intervalsNs);
// The refresh rate of an X video mode from its timings: the pixel clock over the pixels of a
// whole frame, blanking included; twice that for an interlaced mode, half for a double-scanned
// one. 0 for a mode without timings.
double VideoModeRefreshHz(uint32_t dotClock, uint16_t hTotal, uint16_t vTotal, bool interlaced,
                          bool doubleScan);
