#include "OfflineTimeline.h"

#include "framework/Exception.h"
#include "platform/SoundDevice.h"

#include <algorithm>

namespace {
constexpr uint32_t kChunkFrames = 16384;
}

TOfflineTimeline::TOfflineTimeline(IDirectSound& device, TWavWriter& out, uint64_t totalFrames,
                                   Progress progress)
    : device_(device), out_(out), total_(totalFrames), progress_(std::move(progress)),
      chunk_(2 * size_t{kChunkFrames}) {}

void TOfflineTimeline::AdvanceTo(uint64_t frame) {
    while (frame_ < frame) {
        const uint32_t n =
            static_cast<uint32_t>(std::min<uint64_t>(frame - frame_, kChunkFrames - held_));
        if (device_.RenderOffline(chunk_.data() + 2 * size_t{held_}, n) != DS_OK)
            throw Exception("the offline sound output refused to render");
        held_ += n;
        frame_ += n;
        if (held_ == kChunkFrames) Flush();
    }
}

void TOfflineTimeline::Flush() {
    out_.Write(chunk_.data(), held_);
    held_ = 0;
    if (progress_) progress_(frame_, total_);
}

void TOfflineTimeline::Finish() {
    if (held_ > 0) Flush();
}
