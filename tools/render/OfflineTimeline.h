#pragma once
// Where the renderer meets the offline output. Settings given to the sound buffer take effect
// at the start of the next frames mixed, so rendering exactly up to a moment and then making
// that moment's settings places every change at its exact frame.

#include "WavWriter.h"

#include <cstdint>
#include <functional>
#include <vector>

class IDirectSound;

class TOfflineTimeline {
public:
    using Progress = std::function<void(uint64_t done, uint64_t total)>;

    TOfflineTimeline(IDirectSound& device, TWavWriter& out, uint64_t totalFrames,
                     Progress progress);

    // Mixes and writes every frame before this one; changes made afterwards sound from it on.
    void AdvanceTo(uint64_t frame);
    // Writes what is still held.
    void Finish();
    uint64_t Frame() const { return frame_; }

private:
    void Flush();

    IDirectSound& device_;
    TWavWriter& out_;
    uint64_t total_;
    Progress progress_;
    uint64_t frame_ = 0;
    std::vector<float> chunk_; // a fixed chunk of interleaved stereo, written when full
    uint32_t held_ = 0;        // frames in the chunk
};
