// The null output: mixes and discards one block per block duration, so that playback
// positions advance as they would on a device.

#include "platform/SoundMixer.h"
#include "platform/SoundOutput.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

class NullOutput final : public SoundOutput {
public:
    explicit NullOutput(SoundMixer& mixer)
        : mixer_(mixer), block_(2 * static_cast<size_t>(kOutputBlockFrames)),
          thread_([this] { Run(); }) {}
    ~NullOutput() override { Close(); }

    void Close() override {
        running_.store(false);
        if (thread_.joinable()) thread_.join();
    }
    const char* Name() const override { return "null"; }
    uint32_t Rate() const override { return mixer_.OutputRate(); }
    uint32_t BlockFrames() const override { return kOutputBlockFrames; }

private:
    void Run() {
        using Clock = std::chrono::steady_clock;
        const auto period = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(double(kOutputBlockFrames) / mixer_.OutputRate()));
        auto next = Clock::now();
        while (running_.load()) {
            mixer_.Render(block_.data(), kOutputBlockFrames);
            next += period;
            // After a long stall, carry on from now rather than rendering a burst.
            if (Clock::now() - next > 10 * period) next = Clock::now();
            std::this_thread::sleep_until(next);
        }
    }

    SoundMixer& mixer_;
    std::vector<float> block_;
    std::atomic<bool> running_{true};
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
