// The SDL output: the mixer fills SDL's buffers in its audio callback. Only the audio
// subsystem of SDL is used.

#include "platform/SoundMixer.h"
#include "platform/SoundOutput.h"

#include <SDL.h>

namespace {

class SdlOutput final : public SoundOutput {
public:
    SdlOutput(SDL_AudioDeviceID device, const SDL_AudioSpec& obtained)
        : device_(device), obtained_(obtained) {
        SDL_PauseAudioDevice(device_, 0);
    }
    ~SdlOutput() override { Close(); }

    void Close() override {
        if (device_ == 0) return;
        // Closing waits for a callback in progress, so the mixer is not used afterwards.
        SDL_CloseAudioDevice(device_);
        device_ = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    const char* Name() const override { return "sdl"; }
    uint32_t Rate() const override { return static_cast<uint32_t>(obtained_.freq); }
    uint32_t BlockFrames() const override { return obtained_.samples; }

    static void Callback(void* user, Uint8* stream, int len) {
        auto* mixer = static_cast<SoundMixer*>(user);
        const auto frames = static_cast<uint32_t>(len) / (2 * sizeof(float));
        mixer->Render(reinterpret_cast<float*>(stream), frames);
    }

private:
    SDL_AudioDeviceID device_;
    SDL_AudioSpec obtained_;
};

} // namespace

std::unique_ptr<SoundOutput> OpenSdlOutput(SoundMixer& mixer) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(mixer.OutputRate());
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kOutputBlockFrames;
    want.callback = &SdlOutput::Callback;
    want.userdata = &mixer;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to the device's own format if it must.
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    return std::make_unique<SdlOutput>(device, have);
}
