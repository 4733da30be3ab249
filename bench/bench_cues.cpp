// SPDX-License-Identifier: GPL-3.0-or-later
// What a session's cues cost where they are made: the bell's buffer (once a rate, at a
// session's load, on the GUI thread), a sentence spoken into a buffer at the output's rate (on
// the speech worker, ahead of its point), and mixing a cue over a block on the audio thread.

#include "audio/SoundCue.h"
#include "audio/SoundMixer.h"
#include "sound/Speech.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void BM_BellBuffer(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(MakeBell(44100).Samples.data());
}
BENCHMARK(BM_BellBuffer)->Unit(benchmark::kMillisecond);

void BM_SpeakSentence(benchmark::State& state) {
    const std::string voice = SpeechVoiceFor({"en"});
    size_t frames = 0;
    for (auto _ : state)
        frames = SynthesiseSpeech("Let your breath slow down, and feel your shoulders drop.", voice,
                                  44100)
                     ->Samples.size();
    state.counters["spoken_s"] = static_cast<double>(frames) / 44100.0;
}
BENCHMARK(BM_SpeakSentence)->Unit(benchmark::kMillisecond);

void BM_MixTwoCuesOverABlock(benchmark::State& state) {
    SoundMixer mixer(44100, FrameClock::Mode::Offline);
    auto bell = std::make_shared<const CueSound>(MakeBell(44100));
    std::vector<float> out(2 * kMixBlockFrames);
    uint64_t rendered = 0;
    for (auto _ : state) {
        if (mixer.Cues().Held() == 0) {
            mixer.Cues().Play(bell, -1000, static_cast<int64_t>(rendered));
            mixer.Cues().Play(bell, -1000, static_cast<int64_t>(rendered));
        }
        mixer.Render(out.data(), kMixBlockFrames);
        rendered += kMixBlockFrames;
        mixer.Cues().Collect();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kMixBlockFrames);
}
BENCHMARK(BM_MixTwoCuesOverABlock);

} // namespace

BENCHMARK_MAIN();
