// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers of the sound tests: wave containers built byte by byte, an offline device and
// measurements on rendered output.

#include "audio/SoundDevice.h"
#include "platform/LittleEndian.h"
#include "sound/DXClass.h"
#include "sound/WaveFileHeader.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace soundtest {

inline void Put16(std::vector<uint8_t>& v, uint32_t x) {
    AppendLe16(v, x);
}

inline void Put32(std::vector<uint8_t>& v, uint32_t x) {
    AppendLe32(v, x);
}

// A 16-byte format block.
inline std::vector<uint8_t> Format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    std::vector<uint8_t> f;
    const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    Put16(f, tag);
    Put16(f, channels);
    Put32(f, rate);
    Put32(f, rate * align);
    Put16(f, align);
    Put16(f, bits);
    return f;
}

inline void Chunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body) {
    out.reserve(out.size() + 8 + body.size());
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(id[i]));
    Put32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
}

// "RIFF" <length> "WAVE" and the given chunks, in order.
inline std::vector<uint8_t> Riff(const std::vector<std::vector<uint8_t>>& chunks) {
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
    size_t length = 4;
    for (const auto& c : chunks)
        length += c.size();
    out.reserve(8 + length);
    Put32(out, static_cast<uint32_t>(length));
    out.insert(out.end(), {'W', 'A', 'V', 'E'});
    for (const auto& c : chunks)
        out.insert(out.end(), c.begin(), c.end());
    return out;
}

inline std::vector<uint8_t> MakeChunk(const char* id, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> c;
    Chunk(c, id, body);
    return c;
}

inline std::vector<uint8_t> Samples16(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> b(samples.size() * 2);
    std::memcpy(b.data(), samples.data(), b.size());
    return b;
}

// A 16-bit PCM wave file of the given samples.
inline std::vector<uint8_t> Wave16(uint16_t channels, uint32_t rate,
                                   const std::vector<int16_t>& samples) {
    return wavefile::Pcm16(rate, channels, samples);
}

// Selects the offline output for the devices a test makes, and the default again after.
struct OfflineOutput {
    OfflineOutput() { SetSoundOutputChoice(SoundOutputChoice::Offline); }
    ~OfflineOutput() { SetSoundOutputChoice(SoundOutputChoice::Device); }
};

inline std::vector<float> Render(TDirectSound& device, uint32_t frames) {
    std::vector<float> out(2 * static_cast<size_t>(frames));
    device.RequireSound().RenderOffline(out.data(), frames);
    return out;
}

// Root mean square of one channel (0 left, 1 right) over frames [from, to).
inline double Rms(const std::vector<float>& out, int channel, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i)
        sum += double(out[2 * i + channel]) * out[2 * i + channel];
    return std::sqrt(sum / double(to - from));
}

inline bool Silent(const std::vector<float>& out) {
    for (float x : out) {
        if (x != 0.0f) return false;
    }
    return true;
}

// The message of the failure of type E that f raises, or "no failure".
template <typename E, typename F> std::string Failure(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return e.Message();
    }
    return "no failure";
}

} // namespace soundtest
