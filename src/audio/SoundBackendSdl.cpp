// SPDX-License-Identifier: GPL-3.0-or-later
// The SDL output: the mixer fills SDL's buffers in its audio callback. Only the audio
// subsystem of SDL is used. Opening the stream happens once, on the caller's thread; a
// stream the sound server drops is closed and opened again by a watcher thread, so neither
// ever waits on SDL's audio thread from the program's own threads while it runs.

#include "audio/SoundMixer.h"
#include "audio/SoundOutput.h"
#include "platform/ThreadScheduling.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string_view>
#include <thread>

namespace {

using namespace std::chrono_literals;

class SdlOutput final : public SoundOutput {
public:
    explicit SdlOutput(SoundMixer& mixer) : mixer_(mixer) {}
    ~SdlOutput() override { Close(); }

    bool Open() {
        device_ = OpenDevice();
        if (device_ == 0) return false;
        opened_ = true;
        openedNs_ = SteadyNanos();
        watcher_ = std::thread([this] { Watch(); });
        return true;
    }

    void Close() override {
        {
            std::lock_guard lock(mutex_);
            closing_ = true;
        }
        wake_.notify_all();
        if (watcher_.joinable()) watcher_.join();
        // Closing waits for a callback in progress, so the mixer is not used afterwards.
        if (device_ != 0) SDL_CloseAudioDevice(device_);
        device_ = 0;
        if (opened_) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            if (SoundReportWanted())
                std::fprintf(stderr, "Sound output: %llu underruns in %.0f s\n",
                             static_cast<unsigned long long>(underruns_.Count()),
                             static_cast<double>(SteadyNanos() - openedNs_) * 1e-9);
        }
        opened_ = false;
    }
    const char* Name() const override { return "sdl"; }
    uint32_t Rate() const override { return mixer_.OutputRate(); }
    uint32_t BlockFrames() const override { return blockFrames_.load(); }
    uint64_t Underruns() const override { return underruns_.Count(); }
    int64_t DelayNs() const override { return delayNs_.load(std::memory_order_relaxed); }

private:
    static void Callback(void* user, Uint8* stream, int len) {
        auto* output = static_cast<SdlOutput*>(user);
        // The watcher gives this thread its schedule; it only needs to learn which one it is.
        if (output->audioThread_.load(std::memory_order_relaxed) == 0) {
            output->audioThread_.store(CurrentThreadId(), std::memory_order_relaxed);
        }
        const uint32_t frames = static_cast<uint32_t>(len) / uint32_t{2 * sizeof(float)};
        const int64_t now = SteadyNanos();
        const int64_t queued = output->underruns_.Pull(now, frames, output->mixer_.OutputRate());
        output->FollowQueue();
        // A server with a long queue asks for several blocks at once, then for none for a
        // while; the clock would follow those bursts and move the changes about by a few
        // frames from one pull to the next. It is given the pull where a steady queue puts
        // it: the queue's length before the pull's first frame plays, as the reckoning has it.
        output->mixer_.Render(reinterpret_cast<float*>(stream), frames,
                              now + queued - output->underruns_.MostQueuedNs());
    }

    // Mixing side: a change is heard one fixed delay after its stamp. The clock places it
    // that delay, less the queue the server keeps ahead of the pulls, after its moment; two
    // requests at least, so that a change made just after a pull still lands at its own time
    // in a later one, also when a pull comes a block late. A server that keeps a longer queue
    // than the delay allows lengthens the delay.
    void FollowQueue() {
        const uint32_t rate = mixer_.OutputRate();
        const int64_t request = int64_t{blockFrames_.load(std::memory_order_relaxed)} *
                                1'000'000'000 / static_cast<int64_t>(rate);
        const int64_t queued = underruns_.MostQueuedNs();
        const int64_t delay = std::max(kDelayNs, queued + 2 * request);
        delayNs_.store(delay, std::memory_order_relaxed);
        mixer_.Clock().SetLatencyFrames(
            static_cast<uint32_t>((delay - queued) * static_cast<int64_t>(rate) / 1'000'000'000));
    }

    SDL_AudioDeviceID OpenDevice() {
        SDL_AudioSpec want{};
        want.freq = static_cast<int>(mixer_.OutputRate());
        want.format = AUDIO_F32SYS;
        want.channels = 2;
        want.samples = kSdlRequestFrames;
        want.callback = &Callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        // No changes allowed: SDL converts to the device's own format if it must.
        const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device == 0) return 0;
        blockFrames_.store(have.samples);
        // Until the first pulls show the server's queue (FollowQueue).
        mixer_.Clock().SetLatencyFrames(
            static_cast<uint32_t>(kDelayNs * int64_t{mixer_.OutputRate()} / 1'000'000'000));
        delayNs_.store(kDelayNs, std::memory_order_relaxed);
        audioThread_.store(0, std::memory_order_relaxed);
        scheduled_ = 0;
        underruns_.Restart();
        SDL_PauseAudioDevice(device, 0);
        return device;
    }

    bool Sleep(std::chrono::milliseconds time) {
        std::unique_lock lock(mutex_);
        return !wake_.wait_for(lock, time, [this] { return closing_; });
    }

    // SDL's own request for a real-time audio thread may not take effect (the thread was seen
    // running at nice 0); it would then compete with every other thread and let the server run
    // dry on a busy machine.
    void ScheduleAudioThread() {
        const int thread = audioThread_.load(std::memory_order_relaxed);
        if (thread == 0 || thread == scheduled_) return;
        UseRealTimeSchedule(thread);
        scheduled_ = thread;
    }

    void Watch() {
        // Soon after opening, the audio thread has made itself known and gets its schedule.
        while (Sleep(scheduled_ == 0 ? 10ms : 250ms)) {
            ScheduleAudioThread();
            if (SDL_GetAudioDeviceStatus(device_) != SDL_AUDIO_STOPPED) continue;
            std::fprintf(stderr, "Sound output lost; opening it again\n");
            SDL_CloseAudioDevice(device_);
            device_ = 0;
            while (device_ == 0 && Sleep(500ms))
                device_ = OpenDevice();
            if (device_ == 0) return;
        }
    }

    SoundMixer& mixer_;
    SDL_AudioDeviceID device_ = 0; // the watcher's while it runs
    bool opened_ = false;
    std::atomic<uint32_t> blockFrames_{0};
    std::atomic<int> audioThread_{0}; // the kernel id of SDL's audio thread, once it has run
    int scheduled_ = 0;               // the audio thread whose schedule was set
    std::mutex mutex_;
    std::condition_variable wake_;
    bool closing_ = false;
    std::thread watcher_;
    UnderrunCount underruns_;
    int64_t openedNs_ = 0;
    static constexpr int64_t kDelayNs = int64_t{kSdlDelayMs} * 1'000'000;
    std::atomic<int64_t> delayNs_{kDelayNs};
};

} // namespace

bool SoundReportWanted() {
    const char* report = std::getenv("VELMORA_SOUND_REPORT");
    return report != nullptr && std::string_view(report) == "1";
}

std::unique_ptr<SoundOutput> OpenSdlOutput(SoundMixer& mixer) {
    // Let SDL ask for a real-time audio thread too; the watcher makes sure of it.
    SDL_SetHint(SDL_HINT_THREAD_FORCE_REALTIME_TIME_CRITICAL, "1");
    // The audio subsystem brings SDL's event subsystem, whose signal handlers would swallow
    // SIGTERM and SIGINT; the program handles those itself (QuitSignals.h).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Sound settings and mixers list the stream under these names.
    SDL_SetHint(SDL_HINT_APP_NAME, kSoundAppName);
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, kSoundStreamName);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
    auto output = std::make_unique<SdlOutput>(mixer);
    if (!output->Open()) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    return output;
}
