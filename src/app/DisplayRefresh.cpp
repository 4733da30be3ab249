// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DisplayRefresh.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#ifdef VELMORA_HAVE_XCB_RANDR
#include <xcb/randr.h>
#include <xcb/xcb.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

// Frames measured: enough for a steady median, a second or less on any display. The first
// answer may come at once, before any frame was committed, so its interval is left out.
constexpr size_t kIntervals = 48;
// A window whose frames stop coming (hidden, minimised) gives up after this long.
constexpr int kGiveUpMs = 3000;

#ifdef VELMORA_HAVE_XCB_RANDR
// An xcb reply, freed as xcb wants.
template <typename T> using TReply = std::unique_ptr<T, decltype(&std::free)>;
template <typename T> TReply<T> Reply(T* reply) {
    return TReply<T>(reply, &std::free);
}

// The refresh rate of the video mode that drives the RandR output of the screen's name; 0 where
// the server has no such output or its mode has no timings (a virtual server's).
double XVideoModeRefresh(const QScreen& screen) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c) return 0;
    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(c, &xcb_randr_id);
    if (!randr || !randr->present) return 0;
    const auto version =
        Reply(xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 3), nullptr));
    if (!version || (version->major_version == 1 && version->minor_version < 3)) return 0;
    const xcb_screen_iterator_t roots = xcb_setup_roots_iterator(xcb_get_setup(c));
    if (roots.rem < 1) return 0;
    const auto resources = Reply(xcb_randr_get_screen_resources_current_reply(
        c, xcb_randr_get_screen_resources_current(c, roots.data->root), nullptr));
    if (!resources) return 0;
    const xcb_randr_output_t* outputs =
        xcb_randr_get_screen_resources_current_outputs(resources.get());
    const int outputCount = xcb_randr_get_screen_resources_current_outputs_length(resources.get());
    const xcb_randr_mode_info_t* modes =
        xcb_randr_get_screen_resources_current_modes(resources.get());
    const int modeCount = xcb_randr_get_screen_resources_current_modes_length(resources.get());
    const QByteArray name = screen.name().toUtf8();
    for (int i = 0; i < outputCount; ++i) {
        const auto output = Reply(xcb_randr_get_output_info_reply(
            c, xcb_randr_get_output_info(c, outputs[i], resources->config_timestamp), nullptr));
        if (!output || output->crtc == XCB_NONE) continue;
        const auto* outputName =
            reinterpret_cast<const char*>(xcb_randr_get_output_info_name(output.get()));
        const int nameLength = xcb_randr_get_output_info_name_length(output.get());
        if (QByteArray(outputName, nameLength) != name) continue;
        const auto crtc = Reply(xcb_randr_get_crtc_info_reply(
            c, xcb_randr_get_crtc_info(c, output->crtc, resources->config_timestamp), nullptr));
        if (!crtc || crtc->mode == XCB_NONE) return 0;
        for (int m = 0; m < modeCount; ++m) {
            if (modes[m].id != crtc->mode) continue;
            return VideoModeRefreshHz(modes[m].dot_clock, modes[m].htotal, modes[m].vtotal,
                                      modes[m].mode_flags & XCB_RANDR_MODE_FLAG_INTERLACE,
                                      modes[m].mode_flags & XCB_RANDR_MODE_FLAG_DOUBLE_SCAN);
        }
        return 0;
    }
    return 0;
}
#else
double XVideoModeRefresh(const QScreen&) {
    return 0;
}
#endif

} // namespace

double RefreshFromIntervals(std::vector<int64_t> intervalsNs) {
    const size_t n = intervalsNs.size();
    if (n < 8) return 0;
    std::vector<int64_t> sorted = intervalsNs;
    const auto middle = sorted.begin() + static_cast<ptrdiff_t>(n / 2);
    std::nth_element(sorted.begin(), middle, sorted.end());
    const int64_t median = *middle;
    if (median < 2'000'000 || median > 50'000'000) return 0;
    // Frame times fall on the display's grid, but a compositor may answer late and the next
    // one early (a headless one alternates 20 and 30 ms), and a frame the window missed spans
    // two periods. So: the periods each interval spans, whole ones of the median, over the
    // time, as long as every quarter of the measurement gives the same rate within a tenth.
    double periods[4] = {}, seconds[4] = {};
    for (size_t i = 0; i < n; ++i) {
        const int64_t spans = std::max<int64_t>(1, (intervalsNs[i] + median / 2) / median);
        periods[i * 4 / n] += static_cast<double>(spans);
        seconds[i * 4 / n] += static_cast<double>(intervalsNs[i]) * 1e-9;
    }
    const double hz = (periods[0] + periods[1] + periods[2] + periods[3]) /
                      (seconds[0] + seconds[1] + seconds[2] + seconds[3]);
    for (size_t q = 0; q < 4; ++q) {
        if (!(seconds[q] > 0) || std::abs(periods[q] / seconds[q] - hz) > hz / 10) return 0;
    }
    return hz >= 20 && hz <= 500 ? hz : 0;
}

double VideoModeRefreshHz(uint32_t dotClock, uint16_t hTotal, uint16_t vTotal, bool interlaced,
                          bool doubleScan) {
    if (dotClock == 0 || hTotal == 0 || vTotal == 0) return 0;
    double hz = static_cast<double>(dotClock) / (static_cast<double>(hTotal) * vTotal);
    if (interlaced) hz *= 2;
    if (doubleScan) hz /= 2;
    return hz;
}

TDisplayRefresh::TDisplayRefresh(QWidget& window) : QObject(&window), widget_(window) {
    giveUp_.setSingleShot(true);
    giveUp_.setInterval(kGiveUpMs);
    connect(&giveUp_, &QTimer::timeout, this, &TDisplayRefresh::FinishMeasuring);
}

TDisplayRefresh::~TDisplayRefresh() {
    StopMeasuring();
}

void TDisplayRefresh::Start() {
    StopMeasuring();
    window_ = widget_.windowHandle();
    if (!window_) return;
    if (screen_ != window_->screen()) {
        // A rate learnt on another screen says nothing about this one.
        screen_ = window_->screen();
        if (source_ != TSource::Unknown) Set(0, TSource::Unknown);
    }
    if (!screen_) return;
    const QString platform = QGuiApplication::platformName();
    if (platform.startsWith(QLatin1String("wayland"))) {
        // The compositor answers each committed frame when it shows the next: a small repaint
        // a frame keeps the answers coming, and their intervals are the display's.
        measuring_ = true;
        stamps_.clear();
        clock_.start();
        window_->installEventFilter(this);
        window_->requestUpdate();
        giveUp_.start();
    } else if (platform == QLatin1String("xcb")) {
        const double hz = XVideoModeRefresh(*screen_);
        if (source_ != TSource::Run) Set(hz, hz > 0 ? TSource::VideoMode : TSource::Unknown);
    }
}

void TDisplayRefresh::Follow() {
    const QWindow* window = widget_.windowHandle();
    if (!window || !widget_.isVisible() || measuring_) return;
    if (window == window_ && window->screen() == screen_) return;
    Start();
}

void TDisplayRefresh::Learn(double hz) {
    if (!(hz > 0)) return;
    if (source_ == TSource::Run && std::abs(hz - hz_) <= hz_ * 0.001) return;
    StopMeasuring();
    Set(hz, TSource::Run);
}

bool TDisplayRefresh::eventFilter(QObject* watched, QEvent* event) {
    if (!measuring_ || watched != window_ || event->type() != QEvent::UpdateRequest) return false;
    stamps_.push_back(clock_.nsecsElapsed());
    if (stamps_.size() > kIntervals + 1) {
        FinishMeasuring();
        return false;
    }
    widget_.update(0, 0, 1, 1);
    window_->requestUpdate();
    return false;
}

void TDisplayRefresh::FinishMeasuring() {
    if (!measuring_) return;
    std::vector<int64_t> intervals;
    for (size_t i = 2; i < stamps_.size(); ++i)
        intervals.push_back(stamps_[i] - stamps_[i - 1]);
    StopMeasuring();
    const double hz = RefreshFromIntervals(std::move(intervals));
    if (source_ != TSource::Run) Set(hz, hz > 0 ? TSource::FrameClock : TSource::Unknown);
}

void TDisplayRefresh::Set(double hz, TSource source) {
    if (hz == hz_ && source == source_) return;
    hz_ = hz;
    source_ = source;
    Q_EMIT Changed();
}

void TDisplayRefresh::StopMeasuring() {
    if (!measuring_) return;
    measuring_ = false;
    giveUp_.stop();
    if (window_) window_->removeEventFilter(this);
}
