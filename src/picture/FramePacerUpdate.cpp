// SPDX-License-Identifier: GPL-3.0-or-later
// Display frames from the window's update requests. Under a compositor they come with its
// frame callbacks, one per frame it is ready to take; they tell no times. Under Wayland the
// compositor's presentation feedback (FramePacerWayland.cpp), where it offers it, then tells
// when each frame painted for was presented, or that it was discarded.
#include "picture/FramePacerSources.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace {

// Frames painted for without an answer before the compositor's feedback counts as absent.
constexpr uint64_t kUnansweredFrames = 60;

class TUpdateSource : public QObject, public TFrameSource {
public:
    TUpdateSource(TFramePacer& pacer, QWindow& window) : pacer_(pacer), window_(&window) {
        window.installEventFilter(this);
        wayland_ = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
        if (wayland_) feedback_ = MakePresentationFeedback(window);
    }
    ~TUpdateSource() override {
        if (window_) window_->removeEventFilter(this);
    }

    void RequestFrame() override {
        if (requested_ || !window_) return;
        requested_ = true;
        window_->requestUpdate();
    }
    TFrameMode Mode() const override {
        if (!Feedback()) return TFrameMode::NoFeedback;
        return vsync_ ? TFrameMode::Synchronised : TFrameMode::TimestampsOnly;
    }
    bool ModeKnown() const override { return !feedback_ || presented_ > 0 || Feedback() == false; }
    bool Feedback() const override {
        return feedback_ && (presented_ > 0 || painted_ < kUnansweredFrames);
    }
    const char* ClockSource() const override {
        if (Feedback() && presented_ > 0) return feedback_->ClockName();
        return wayland_ ? "frame callbacks" : "update requests";
    }
    bool PaintsWithWindow() const override { return true; }
    void BeforePaint(uint64_t frame) override {
        ++painted_;
        if (feedback_) feedback_->Request(frame);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // The window's own painting follows as usual; only the frames asked for are paced.
        if (watched == window_ && event->type() == QEvent::UpdateRequest && requested_) {
            requested_ = false;
            TakeFeedback();
            pacer_.FrameRequested();
        }
        return false;
    }

private:
    void TakeFeedback() {
        if (!feedback_) return;
        for (const TPresented& p : feedback_->Take()) {
            if (p.Presented) {
                // A run is synchronised only while every frame is presented at a vblank.
                vsync_ = (presented_ == 0 || vsync_) && p.Vsync;
                ++presented_;
            }
            pacer_.FramePresented(p);
        }
    }

    TFramePacer& pacer_;
    QPointer<QWindow> window_;
    std::unique_ptr<TPresentationFeedback> feedback_;
    bool requested_ = false;
    bool wayland_ = false;
    bool vsync_ = false;
    uint64_t presented_ = 0;
    uint64_t painted_ = 0;
};

} // namespace

std::unique_ptr<TFrameSource> MakeUpdateFrameSource(TFramePacer& pacer, QWidget& window) {
    QWindow* handle = window.windowHandle();
    if (!handle) return nullptr;
    return std::make_unique<TUpdateSource>(pacer, *handle);
}
