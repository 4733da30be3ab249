// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The frame pacer's sources of display frames, one file each.

#include "picture/FramePacer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class QWidget;
class QWindow;

// The X Present extension's vblank notifications for a top-level window, on a connection of
// its own; null where the server has no Present or the connection fails.
std::unique_ptr<TFrameSource> MakePresentFrameSource(TFramePacer& pacer, QWidget& window);

// The window's update requests, which a compositor paces by its frame callbacks.
std::unique_ptr<TFrameSource> MakeUpdateFrameSource(TFramePacer& pacer, QWidget& window);

// A Wayland compositor's feedback on the frames the window commits (presentation-time); null
// where the compositor does not offer it or the window has no surface yet.
class TPresentationFeedback {
public:
    virtual ~TPresentationFeedback() = default;
    // Feedback on the window's next commit, for this frame.
    virtual void Request(uint64_t frame) = 0;
    // The answers come since the last call, their times on the steady clock (0 where the
    // compositor's clock cannot be brought to it).
    virtual std::vector<TPresented> Take() = 0;
    // The compositor's clock, as the frame statistics name it.
    virtual const char* ClockName() const = 0;
};
std::unique_ptr<TPresentationFeedback> MakePresentationFeedback(QWindow& window);

// A Present complete notification as the connection handed it over: the event's bytes (the
// protocol's 32, the 4 of the full sequence number the connection inserts, then the rest the
// event's length field counts). True for a complete notification of a frame counter (not of a
// pixmap) carrying the given event id and window, with its frame counter and time.
struct TPresentComplete {
    uint32_t Serial = 0;
    uint64_t Ust = 0; // microseconds
    uint64_t Msc = 0;
};
bool DecodePresentComplete(const uint8_t* bytes, size_t size, uint8_t presentOpcode,
                           uint32_t eventId, uint32_t window, TPresentComplete& out);
