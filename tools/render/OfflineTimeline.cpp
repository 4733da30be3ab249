// SPDX-License-Identifier: GPL-3.0-or-later
#include "OfflineTimeline.h"

#include "audio/SoundDevice.h"
#include "framework/Exception.h"

#include <algorithm>
#include <string>

namespace {
// Between two renders the changes wait in the voice's queue: at the fastest modulation (a step
// every 2 ms, two changes each) a chunk gathers under 400, well inside the queue.
constexpr uint32_t kChunkFrames = 16384;
} // namespace

TOfflineTimeline::TOfflineTimeline(IDirectSound& device, const IDirectSoundBuffer& sound,
                                   TSoundWriter& out, uint64_t totalFrames, Progress progress)
    : device_(device), sound_(sound), out_(out), total_(totalFrames),
      progress_(std::move(progress)), chunk_(2 * size_t{kChunkFrames}) {}

void TOfflineTimeline::LeadIn() {
    // One frame is enough: the output applies every change due by a frame before mixing it.
    float frame[2];
    if (device_.RenderOffline(frame, 1) != DS_OK)
        throw Exception("the offline sound output refused to render");
    origin_ += 1;
    if (device_.SetOfflineTime(origin_) != DS_OK)
        throw Exception("the offline sound output cannot place changes");
}

void TOfflineTimeline::AdvanceTo(uint64_t frame) {
    // Every change for the frames of a chunk has been made once the moments pass its end.
    while (rendered_ + (kChunkFrames - held_) <= frame)
        RenderInto(kChunkFrames - held_);
    if (device_.SetOfflineTime(origin_ + frame) != DS_OK)
        throw Exception("the offline sound output cannot place changes");
}

void TOfflineTimeline::Finish() {
    while (rendered_ < total_)
        RenderInto(
            static_cast<uint32_t>(std::min<uint64_t>(total_ - rendered_, kChunkFrames - held_)));
    if (held_ > 0) Flush();
}

void TOfflineTimeline::RenderInto(uint32_t frames) {
    if (device_.RenderOffline(chunk_.data() + 2 * size_t{held_}, frames) != DS_OK)
        throw Exception("the offline sound output refused to render");
    if (const uint64_t late = sound_.OverflowedChanges() + device_.ToneOverflowedChanges()) {
        throw Exception(std::to_string(late) +
                        " changes of the sound found the output's queue full and would sound "
                        "late; the render is not what the program plays");
    }
    held_ += frames;
    rendered_ += frames;
    if (held_ == kChunkFrames) Flush();
}

void TOfflineTimeline::Flush() {
    out_.Write(chunk_.data(), held_);
    held_ = 0;
    if (progress_) progress_(rendered_, total_);
}
