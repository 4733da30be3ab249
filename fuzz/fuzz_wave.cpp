// SPDX-License-Identifier: GPL-3.0-or-later
// Wave reading over arbitrary bytes: the container walk and the format block check.

#include "audio/SoundFormats.h"
#include "framework/Streams.h"
#include "sound/Wave.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TReadOnlyMemoryStream stream(data, static_cast<int64_t>(size));
    TWave wave;
    try {
        wave.LoadFromStream(stream);
    } catch (const Exception&) {
        return 0;
    }
    // Nothing read can be larger than the input it came from.
    if (static_cast<size_t>(wave.FormatBytes()) > size ||
        static_cast<size_t>(wave.SampleBytes()) > size) {
        std::abort();
    }
    SampleFormat format;
    if (ParseWaveFormat(wave.FormatBlock(), static_cast<size_t>(wave.FormatBytes()), format) ==
        DS_OK) {
        if (format.channels < 1 || format.channels > 2 || format.blockAlign == 0) std::abort();
    }
    return 0;
}
