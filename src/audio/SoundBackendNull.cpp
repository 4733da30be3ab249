// SPDX-License-Identifier: GPL-3.0-or-later
// The null output: mixes and discards one block per block duration, so that playback
// positions advance as they would on a device.

#include "audio/SoundMixer.h"
#include "audio/SoundOutput.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

class NullOutput final : public SoundOutput {
public:
    explicit NullOutput(SoundMixer& mixer)
        : mixer_(mixer), block_(2 * static_cast<size_t>(kOutputBlockFrames)) {
        mixer_.Clock().SetLatencyFrames(2 * kOutputBlockFrames);
        thread_ = std::thread([this] { Run(); });
    }
    ~NullOutput() override { Close(); }

    void Close() override {
        {
            std::lock_guard lock(mutex_);
            running_ = false;
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
    }
    const char* Name() const override { return "null"; }
    uint32_t Rate() const override { return mixer_.OutputRate(); }
    uint32_t BlockFrames() const override { return kOutputBlockFrames; }
    uint64_t Underruns() const override { return underruns_.Count(); }

private:
    void Run() {
        using Clock = std::chrono::steady_clock;
        const auto period = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(double(kOutputBlockFrames) / mixer_.OutputRate()));
        auto next = Clock::now();
        std::unique_lock lock(mutex_);
        while (running_) {
            lock.unlock();
            underruns_.Pull(SteadyNanos(), kOutputBlockFrames, mixer_.OutputRate());
            mixer_.Render(block_.data(), kOutputBlockFrames);
            next += period;
            // After a long stall, carry on from now rather than rendering a burst.
            if (Clock::now() - next > 10 * period) next = Clock::now();
            lock.lock();
            wake_.wait_until(lock, next, [this] { return !running_; });
        }
    }

    SoundMixer& mixer_;
    std::vector<float> block_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool running_ = true;
    UnderrunCount underruns_;
    std::thread thread_;
};

class OfflineOutput final : public SoundOutput {
public:
    explicit OfflineOutput(uint32_t rate) : rate_(rate) {}
    void Close() override {}
    const char* Name() const override { return "offline"; }
    uint32_t Rate() const override { return rate_; }
    uint32_t BlockFrames() const override { return kMixBlockFrames; }

private:
    uint32_t rate_;
};

} // namespace

std::unique_ptr<SoundOutput> OpenNullOutput(SoundMixer& mixer) {
    return std::make_unique<NullOutput>(mixer);
}

std::unique_ptr<SoundOutput> OpenOfflineOutput(uint32_t rate) {
    return std::make_unique<OfflineOutput>(rate);
}
