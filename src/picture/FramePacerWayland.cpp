// SPDX-License-Identifier: GPL-3.0-or-later
// What a Wayland compositor did with each frame the window committed: the presentation-time
// protocol's feedback, asked for just before each paced paint's commit, tells when the frame
// was presented (and whether at a vertical blank) or that it was discarded. Its objects live
// on an event queue of their own on the toolkit's connection, dispatched at each frame, so
// nothing of the toolkit's own handling changes.
#include "picture/FramePacerSources.h"

#if defined(VELMORA_HAVE_WAYLAND_PRESENTATION)

// The protocol names a request after the object it makes; the type is spelled "struct".
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wshadow"
#include "presentation-time-client-protocol.h"
#pragma GCC diagnostic pop

#include <QGuiApplication>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <wayland-client.h>

#include <cstdint>
#include <cstring>
#include <ctime>
#include <list>
#include <vector>

namespace {

class TWaylandFeedback : public TPresentationFeedback {
public:
    TWaylandFeedback(wl_display* display, wl_surface* surface)
        : display_(display), surface_(surface) {}

    ~TWaylandFeedback() override {
        for (Pending& p : pending_)
            wp_presentation_feedback_destroy(p.Feedback);
        if (presentation_) wp_presentation_destroy(presentation_);
        if (registry_) wl_registry_destroy(registry_);
        if (wrapper_) wl_proxy_wrapper_destroy(wrapper_);
        if (queue_) wl_event_queue_destroy(queue_);
    }

    bool Open() {
        queue_ = wl_display_create_queue(display_);
        wrapper_ = static_cast<wl_display*>(wl_proxy_create_wrapper(display_));
        if (!queue_ || !wrapper_) return false;
        wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper_), queue_);
        registry_ = wl_display_get_registry(wrapper_);
        static const wl_registry_listener kRegistry = {
            [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
                auto* self = static_cast<TWaylandFeedback*>(data);
                if (!self->presentation_ &&
                    std::strcmp(interface, wp_presentation_interface.name) == 0)
                    self->presentation_ = static_cast<wp_presentation*>(
                        wl_registry_bind(registry, name, &wp_presentation_interface, 1));
            },
            [](void*, wl_registry*, uint32_t) {}};
        wl_registry_add_listener(registry_, &kRegistry, this);
        // Once at the first run: the globals, then the presentation's clock.
        if (wl_display_roundtrip_queue(display_, queue_) < 0 || !presentation_) return false;
        static const wp_presentation_listener kPresentation = {
            [](void* data, wp_presentation*, uint32_t clock) {
                static_cast<TWaylandFeedback*>(data)->clock_ = clock;
            }};
        wp_presentation_add_listener(presentation_, &kPresentation, this);
        return wl_display_roundtrip_queue(display_, queue_) >= 0;
    }

    void Request(uint64_t frame) override {
        if (pending_.size() >= kMostPending) return; // a compositor that never answers
        struct wp_presentation_feedback* made = wp_presentation_feedback(presentation_, surface_);
        if (!made) return;
        pending_.push_back({frame, made, this});
        static const wp_presentation_feedback_listener kFeedback = {
            [](void*, struct wp_presentation_feedback*, wl_output*) {},
            [](void* data, struct wp_presentation_feedback* feedback, uint32_t secHi,
               uint32_t secLo, uint32_t nsec, uint32_t, uint32_t seqHi, uint32_t seqLo,
               uint32_t flags) {
                const auto* p = static_cast<const Pending*>(data);
                const uint64_t sec = (uint64_t{secHi} << 32) | secLo;
                TPresented result;
                result.Frame = p->Frame;
                result.Presented = true;
                result.AtNs = static_cast<int64_t>(sec * 1'000'000'000u + nsec);
                result.Counter = (uint64_t{seqHi} << 32) | seqLo;
                result.Vsync = (flags & WP_PRESENTATION_FEEDBACK_KIND_VSYNC) != 0;
                p->Owner->Done(feedback, result);
            },
            [](void* data, struct wp_presentation_feedback* feedback) {
                const auto* p = static_cast<const Pending*>(data);
                TPresented result;
                result.Frame = p->Frame;
                p->Owner->Done(feedback, result);
            }};
        // The listener's data is the entry, which stays in place until its answer.
        wp_presentation_feedback_add_listener(made, &kFeedback, &pending_.back());
    }

    std::vector<TPresented> Take() override {
        wl_display_dispatch_queue_pending(display_, queue_);
        std::vector<TPresented> done;
        done.swap(done_);
        // Another clock of this machine (a headless compositor's raw monotonic clock) is
        // brought to the steady clock by their difference now; one that cannot be read
        // leaves the frames without times.
        const int64_t offset = Offset();
        for (TPresented& p : done) {
            if (!p.Presented) continue;
            p.AtNs = offset == kUnreadable ? 0 : p.AtNs + offset;
        }
        return done;
    }

    const char* ClockName() const override {
        switch (clock_) {
        case CLOCK_MONOTONIC:
            return "wp_presentation (CLOCK_MONOTONIC)";
        case CLOCK_MONOTONIC_RAW:
            return "wp_presentation (CLOCK_MONOTONIC_RAW, mapped)";
        default:
            return "wp_presentation, another clock";
        }
    }

private:
    struct Pending {
        uint64_t Frame;
        struct wp_presentation_feedback* Feedback;
        TWaylandFeedback* Owner;
    };
    static constexpr size_t kMostPending = 16;
    static constexpr int64_t kUnreadable = INT64_MIN;

    int64_t Offset() const {
        if (clock_ == CLOCK_MONOTONIC) return 0;
        if (clock_ != CLOCK_MONOTONIC_RAW) return kUnreadable;
        timespec mono{}, other{};
        if (clock_gettime(CLOCK_MONOTONIC, &mono) != 0 ||
            clock_gettime(static_cast<clockid_t>(clock_), &other) != 0)
            return kUnreadable;
        return (int64_t{mono.tv_sec} - int64_t{other.tv_sec}) * 1'000'000'000 +
               (int64_t{mono.tv_nsec} - int64_t{other.tv_nsec});
    }

    void Done(struct wp_presentation_feedback* feedback, const TPresented& result) {
        done_.push_back(result);
        wp_presentation_feedback_destroy(feedback);
        for (auto it = pending_.begin(); it != pending_.end(); ++it) {
            if (it->Feedback == feedback) {
                pending_.erase(it);
                break;
            }
        }
    }

    wl_display* display_;
    wl_surface* surface_;
    wl_event_queue* queue_ = nullptr;
    wl_display* wrapper_ = nullptr;
    wl_registry* registry_ = nullptr;
    wp_presentation* presentation_ = nullptr;
    uint32_t clock_ = 0;
    std::list<Pending> pending_; // entries never move while listened to
    std::vector<TPresented> done_;
};

} // namespace

std::unique_ptr<TPresentationFeedback> MakePresentationFeedback(QWindow& window) {
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    if (!native) return nullptr;
    auto* display = static_cast<wl_display*>(
        native->nativeResourceForIntegration(QByteArrayLiteral("wl_display")));
    auto* surface = static_cast<wl_surface*>(
        native->nativeResourceForWindow(QByteArrayLiteral("surface"), &window));
    if (!display || !surface) return nullptr;
    auto feedback = std::make_unique<TWaylandFeedback>(display, surface);
    if (!feedback->Open()) return nullptr;
    return feedback;
}

#else

std::unique_ptr<TPresentationFeedback> MakePresentationFeedback(QWindow&) {
    return nullptr;
}

#endif
