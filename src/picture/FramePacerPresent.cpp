// SPDX-License-Identifier: GPL-3.0-or-later
// Display frames from the X Present extension: a notice for each frame counter (MSC) of the
// window's output, asked for one frame ahead at a time on a connection of the pacer's own, so
// that nothing Qt does on its connection delays them. Each complete notification carries the
// frame's counter and the time its vertical blank began (UST, microseconds, on the server's
// monotonic clock).
#include "picture/FramePacerSources.h"

#include <QGuiApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <cstring>

#if defined(VELMORA_HAVE_XCB_PRESENT)
#include <xcb/present.h>
#include <xcb/xcb.h>
#endif

bool DecodePresentComplete(const uint8_t* bytes, size_t size, uint8_t presentOpcode,
                           uint32_t eventId, uint32_t window, TPresentComplete& out) {
    // The layout of the extension's complete notification as the connection stores it.
    constexpr size_t kSize = 44;
    constexpr uint8_t kGenericEvent = 35;
    constexpr uint16_t kCompleteNotify = 1;
    constexpr uint8_t kKindNotifyMsc = 1;
    if (bytes == nullptr || size < kSize) return false;
    // Sent by a client (the high bit), or another extension's: not ours.
    if (bytes[0] != kGenericEvent || bytes[1] != presentOpcode) return false;
    uint32_t length = 0;
    std::memcpy(&length, bytes + 4, 4);
    // The length counts 4-byte units past the first 32; the notification needs its 8 more.
    if (length < 2 || 36 + size_t{length} * 4 > size) return false;
    uint16_t type = 0;
    std::memcpy(&type, bytes + 8, 2);
    if (type != kCompleteNotify || bytes[10] != kKindNotifyMsc) return false;
    uint32_t event = 0, win = 0;
    std::memcpy(&event, bytes + 12, 4);
    std::memcpy(&win, bytes + 16, 4);
    if (event != eventId || win != window) return false;
    std::memcpy(&out.Serial, bytes + 20, 4);
    std::memcpy(&out.Ust, bytes + 24, 8);
    std::memcpy(&out.Msc, bytes + 36, 8);
    return true;
}

#if defined(VELMORA_HAVE_XCB_PRESENT)

static_assert(sizeof(xcb_present_complete_notify_event_t) == 44);
static_assert(offsetof(xcb_present_complete_notify_event_t, msc) == 36);
static_assert(offsetof(xcb_present_complete_notify_event_t, ust) == 24);

namespace {

class TPresentSource : public QObject, public TFrameSource {
public:
    TPresentSource(TFramePacer& pacer, xcb_connection_t* connection, uint8_t opcode,
                   xcb_window_t window)
        : pacer_(pacer), connection_(connection), opcode_(opcode), window_(window) {}

    ~TPresentSource() override {
        delete notifier_;
        xcb_disconnect(connection_);
    }

    bool Open() {
        eventId_ = xcb_generate_id(connection_);
        const xcb_void_cookie_t selected = xcb_present_select_input_checked(
            connection_, eventId_, window_, XCB_PRESENT_EVENT_MASK_COMPLETE_NOTIFY);
        if (xcb_generic_error_t* error = xcb_request_check(connection_, selected)) {
            std::free(error);
            return false;
        }
        notifier_ =
            new QSocketNotifier(xcb_get_file_descriptor(connection_), QSocketNotifier::Read, this);
        QObject::connect(notifier_, &QSocketNotifier::activated, this, [this] { ReadEvents(); });
        return true;
    }

    void RequestFrame() override {
        if (outstanding_ || lost_) return;
        outstanding_ = true;
        // The frame after the last one told; one already past is told at once.
        xcb_present_notify_msc(connection_, window_, ++serial_, haveMsc_ ? lastMsc_ + 1 : 0, 0, 0);
        xcb_flush(connection_);
        // Writing may have read notices into the connection's queue, where the socket shows
        // nothing more to read.
        QTimer::singleShot(0, this, [this] { ReadEvents(); });
    }

    void Painted() override {
        // The picture goes out on the toolkit's own connection.
        if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
            xcb_flush(x11->connection());
    }

    TFrameMode Mode() const override { return TFrameMode::Synchronised; }
    const char* ClockSource() const override {
        return mapped_ ? "X Present UST, mapped at receipt" : "X Present UST (CLOCK_MONOTONIC)";
    }

private:
    void ReadEvents() {
        if (lost_) return;
        bool have = false;
        TPresentComplete newest;
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            const uint8_t type = event->response_type;
            size_t size = 32;
            if ((type & 0x7f) == XCB_GE_GENERIC)
                size = 36 + size_t{reinterpret_cast<xcb_ge_generic_event_t*>(event)->length} * 4;
            TPresentComplete complete;
            if (type == 0) {
                // An error for one of this connection's requests: the window is gone, or the
                // server refuses.
                lost_ = true;
            } else if (DecodePresentComplete(reinterpret_cast<const uint8_t*>(event), size, opcode_,
                                             eventId_, window_, complete)) {
                if (complete.Serial == serial_) outstanding_ = false;
                if (!have || complete.Msc > newest.Msc) newest = complete;
                have = true;
            }
            std::free(event);
        }
        if (lost_ || xcb_connection_has_error(connection_)) {
            lost_ = true;
            notifier_->setEnabled(false);
            pacer_.SourceLost("the display's vblank notices stopped");
            return;
        }
        if (!have) return;
        haveMsc_ = true;
        lastMsc_ = newest.Msc;
        pacer_.FrameBegan(newest.Msc, ToSteady(newest.Ust));
    }

    // The server's UST is the monotonic clock of its machine; a display elsewhere has another,
    // which is mapped by the shortest delay seen between a frame and its notice.
    TFramePacer::Clock::time_point ToSteady(uint64_t ust) {
        const int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                TFramePacer::Clock::now().time_since_epoch())
                                .count();
        const int64_t at = static_cast<int64_t>(ust) * 1000;
        if (!clockKnown_) {
            clockKnown_ = true;
            mapped_ = at > now + 50'000'000 || at < now - 1'000'000'000;
            offset_ = now - at;
        }
        if (mapped_) {
            offset_ = std::min(offset_, now - at);
            return TFramePacer::Clock::time_point(std::chrono::nanoseconds(at + offset_));
        }
        return TFramePacer::Clock::time_point(std::chrono::nanoseconds(at));
    }

    TFramePacer& pacer_;
    xcb_connection_t* connection_;
    uint8_t opcode_;
    xcb_window_t window_;
    uint32_t eventId_ = 0;
    QSocketNotifier* notifier_ = nullptr;
    uint32_t serial_ = 0;
    bool outstanding_ = false;
    bool haveMsc_ = false;
    uint64_t lastMsc_ = 0;
    bool lost_ = false;
    bool clockKnown_ = false;
    bool mapped_ = false;
    int64_t offset_ = 0;
};

} // namespace

std::unique_ptr<TFrameSource> MakePresentFrameSource(TFramePacer& pacer, QWidget& window) {
    const QByteArray display = qgetenv("DISPLAY");
    xcb_connection_t* connection =
        xcb_connect(display.isEmpty() ? nullptr : display.constData(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(connection, &xcb_present_id);
    xcb_present_query_version_reply_t* version =
        extension && extension->present
            ? xcb_present_query_version_reply(connection,
                                              xcb_present_query_version(connection, 1, 0), nullptr)
            : nullptr;
    if (!version) {
        xcb_disconnect(connection);
        return nullptr;
    }
    std::free(version);
    auto source = std::make_unique<TPresentSource>(pacer, connection, extension->major_opcode,
                                                   static_cast<xcb_window_t>(window.winId()));
    if (!source->Open()) return nullptr;
    return source;
}

#else

std::unique_ptr<TFrameSource> MakePresentFrameSource(TFramePacer&, QWidget&) {
    return nullptr;
}

#endif
