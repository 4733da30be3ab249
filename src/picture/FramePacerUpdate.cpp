// SPDX-License-Identifier: GPL-3.0-or-later
// Display frames from the window's update requests. Under a compositor they come with its
// frame callbacks, one per frame it is ready to take; they tell no times.
#include "picture/FramePacerSources.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace {

class TUpdateSource : public QObject, public TFrameSource {
public:
    TUpdateSource(TFramePacer& pacer, QWindow& window) : pacer_(pacer), window_(&window) {
        window.installEventFilter(this);
        wayland_ = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    }
    ~TUpdateSource() override {
        if (window_) window_->removeEventFilter(this);
    }

    void RequestFrame() override {
        if (requested_ || !window_) return;
        requested_ = true;
        window_->requestUpdate();
    }
    TFrameMode Mode() const override { return TFrameMode::NoFeedback; }
    const char* ClockSource() const override {
        return wayland_ ? "frame callbacks" : "update requests";
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // The window's own painting follows as usual; only the frames asked for are paced.
        if (watched == window_ && event->type() == QEvent::UpdateRequest && requested_) {
            requested_ = false;
            pacer_.FrameRequested();
        }
        return false;
    }

private:
    TFramePacer& pacer_;
    QPointer<QWindow> window_;
    bool requested_ = false;
    bool wayland_ = false;
};

} // namespace

std::unique_ptr<TFrameSource> MakeUpdateFrameSource(TFramePacer& pacer, QWidget& window) {
    QWindow* handle = window.windowHandle();
    if (!handle) return nullptr;
    return std::make_unique<TUpdateSource>(pacer, *handle);
}
