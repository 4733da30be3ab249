// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the renderer meets the offline output. The output places every change of rate, pan or
// volume at the frame that was "now" for it, so the renderer names the frame of each moment
// before making that moment's settings, and the output renders in whole chunks with every
// change landing at its exact frame inside them.

#include "SoundWriter.h"

#include <cstdint>
#include <functional>
#include <vector>

class IDirectSound;
class IDirectSoundBuffer;

class TOfflineTimeline {
public:
    using Progress = std::function<void(uint64_t done, uint64_t total)>;

    // The sound is the buffer the changes go to: a change that finds its queue full would
    // sound late, so the render then fails rather than write a file the program would not play.
    TOfflineTimeline(IDirectSound& device, const IDirectSoundBuffer& sound, TSoundWriter& out,
                     uint64_t totalFrames, Progress progress);

    // The program's output runs from the window's start, long before Start is pressed, so
    // what the controls set before then is in place, without a glide, when the sound begins.
    // Lets the output take the changes made so far while the sound is stopped, writing
    // nothing; frames are counted from the end of it. Called once, before any AdvanceTo.
    void LeadIn();
    // Changes made after this call sound from this frame on. Moments never go back.
    void AdvanceTo(uint64_t frame);
    // Renders and writes everything up to the total.
    void Finish();

private:
    void RenderInto(uint32_t frames);
    void Flush();

    IDirectSound& device_;
    const IDirectSoundBuffer& sound_;
    TSoundWriter& out_;
    uint64_t total_;
    Progress progress_;
    uint64_t origin_ = 0; // the output's frame of frame 0
    uint64_t rendered_ = 0;
    std::vector<float> chunk_; // a fixed chunk of interleaved stereo, written when full
    uint32_t held_ = 0;        // frames in the chunk
};
