// SPDX-License-Identifier: GPL-3.0-or-later
// One thread makes, changes and removes voices while another mixes them, as the GUI thread
// and the output's thread do. Run under ThreadSanitizer as well as the other checked builds.

#include "SoundTestSupport.h"
#include "audio/SoundMixer.h"
#include "common/LoopingSound.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <deque>
#include <thread>

using namespace soundtest;

namespace {

// Mixes pulls of a few hundred frames until told to stop; remembers whether every sample
// stayed a number within full scale.
class RenderThread {
public:
    template <typename Pull> explicit RenderThread(Pull pull) {
        thread_ = std::thread([this, pull] {
            std::vector<float> out(2 * 300);
            while (!stop_.load(std::memory_order_acquire)) {
                pull(out.data(), 300);
                for (float x : out) {
                    if (!(std::fabs(x) <= 1.0f)) whole_ = false;
                }
                pulls_.fetch_add(1, std::memory_order_release);
            }
        });
    }
    ~RenderThread() { Join(); }

    // Waits until the mixing side has finished another pull, so that the changes made so far
    // meet at least one block.
    void AwaitPull() const {
        const uint64_t seen = pulls_.load(std::memory_order_acquire);
        while (pulls_.load(std::memory_order_acquire) == seen)
            std::this_thread::yield();
    }
    // Stops the thread; answers whether every pull was whole.
    bool Join() {
        stop_.store(true, std::memory_order_release);
        if (thread_.joinable()) thread_.join();
        return whole_;
    }
    uint64_t Pulls() const { return pulls_.load(std::memory_order_acquire); }

private:
    std::atomic<bool> stop_{false};
    std::atomic<uint64_t> pulls_{0};
    bool whole_ = true;
    std::thread thread_;
};

} // namespace

TEST(ConcurrentMixing, BuffersMadeChangedAndReleasedWhileAnotherThreadRendersLeaveTheRestIntact) {
    OfflineOutput offline;
    std::shared_ptr<IDirectSound> device;
    ASSERT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK);
    const std::vector<int16_t> half(2 * 2000, 16384);
    auto kept = PlayLooping(*device, 22050, half);
    ASSERT_TRUE(kept);

    constexpr int kRounds = 300;
    RenderThread renderer([&](float* out, uint32_t frames) { device->RenderOffline(out, frames); });
    std::deque<std::shared_ptr<IDirectSoundBuffer>> live;
    for (int i = 0; i < kRounds; ++i) {
        auto buffer = PlayLooping(*device, 11025 + 97 * static_cast<uint32_t>(i), half, -2000);
        ASSERT_TRUE(buffer) << i;
        for (int step = 0; step < 4; ++step) {
            buffer->SetPan(500 * step - 1000);
            buffer->SetFrequency(22050 + 400 * static_cast<uint32_t>(step));
            buffer->SetVolume(-300 * step);
            kept->SetPan(step * 100);
        }
        if (i % 3 == 0) buffer->Stop();
        if (i % 7 == 0) buffer->TakeMemoryAwayForTest();
        live.push_back(std::move(buffer));
        // Released oldest first, a few blocks after they were made.
        if (live.size() > 6) live.pop_front();
        if (i % 10 == 0) renderer.AwaitPull();
    }
    live.clear();
    kept->SetPan(0);
    renderer.AwaitPull();
    EXPECT_TRUE(renderer.Join()) << "a sample left full scale or was not a number";
    EXPECT_GE(renderer.Pulls(), static_cast<uint64_t>(kRounds / 10));

    // Only the kept sound is left, at its own level and its last pan, once the limiter has let
    // go of what the many sounds together reached (it recovers by about 1 dB a second).
    std::vector<float> out(2 * 44100 * 20);
    ASSERT_EQ(device->RenderOffline(out.data(), 44100 * 20), DS_OK);
    EXPECT_NEAR(out[out.size() - 2], 0.5f, 1e-6);
    EXPECT_NEAR(out[out.size() - 1], 0.5f, 1e-6);
    int32_t pan = -1;
    ASSERT_EQ(kept->GetMixedPan(&pan), DS_OK);
    EXPECT_EQ(pan, 0);
    EXPECT_EQ(kept->OverflowedChanges(), 0u);
}

TEST(ConcurrentMixing, VoicesRemovedDuringBlocksAreAllFreedOnceTheMixingSideHasMovedOn) {
    SoundMixer mixer(44100, FrameClock::Mode::Offline);
    const SampleFormat format{SampleKind::S16, 1, 44100, 2};
    RenderThread renderer([&](float* out, uint32_t frames) { mixer.Render(out, frames); });
    // Until some removals have met a block in progress and had to wait for it.
    size_t everPending = 0;
    for (int i = 0; i < 500 || (everPending == 0 && i < 100000); ++i) {
        auto voice = std::make_unique<MixerVoice>(format, 4096);
        std::fill_n(reinterpret_cast<int16_t*>(voice->Memory()), 2048, int16_t{8192});
        ASSERT_TRUE(mixer.AddVoice(voice.get()));
        voice->SetPan(i % 2 == 0 ? 300 : -300, mixer.Now());
        voice->Play(true);
        voice->SetVolume(-100, mixer.Now());
        if (i % 25 == 0) renderer.AwaitPull();
        mixer.RemoveVoice(std::move(voice));
        everPending = std::max(everPending, mixer.PendingRemovals());
        mixer.CollectRemoved();
    }
    renderer.AwaitPull();
    mixer.CollectRemoved();
    EXPECT_EQ(mixer.PendingRemovals(), 0u);
    EXPECT_TRUE(renderer.Join());
    EXPECT_GT(everPending, 0u);
    std::vector<float> out(2 * 64, 1.0f);
    mixer.Render(out.data(), 64);
    EXPECT_TRUE(Silent(out));
}
