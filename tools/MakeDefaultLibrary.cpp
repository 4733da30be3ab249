// SPDX-License-Identifier: GPL-3.0-or-later
// make-default-library DIR: draws the pictures and synthesises the sounds of the default
// stimulus library into DIR (NAME.bmp, NAME.wav), ready for "velmora-lib pack".
//
// Pictures are 8-bit: every pixel is a palette index that varies smoothly across the picture
// and wraps around 256, and every palette is a smooth closed loop of colours, so stepping the
// indices makes the colours flow without a seam. Sounds are 16-bit mono at 22050 Hz and loop
// without a click: tones have a whole number of cycles in the loop, noises are cross-faded
// from their end into their start or made periodic in the first place, and events near the
// end continue at the start.

#include "sound/WaveFileHeader.h"

#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2 * kPi;
constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kRate = 22050;

// ---- Output files

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

bool Save(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

struct Rgb {
    uint8_t R, G, B;
};

// An 8-bit bitmap file: indices top row first, written bottom-up as the format stores them.
std::vector<uint8_t> BitmapFile(const std::vector<uint8_t>& indices,
                                const std::vector<Rgb>& palette) {
    const uint32_t pixelsAt = 14 + 40 + 256 * 4;
    std::vector<uint8_t> out;
    out.reserve(pixelsAt + indices.size());
    out.push_back('B');
    out.push_back('M');
    Put(out, pixelsAt + static_cast<uint32_t>(indices.size()), 4);
    Put(out, 0, 4);
    Put(out, pixelsAt, 4);
    Put(out, 40, 4);
    Put(out, kWidth, 4);
    Put(out, kHeight, 4);
    Put(out, 1, 2);
    Put(out, 8, 2);
    Put(out, 0, 4);
    Put(out, static_cast<uint32_t>(indices.size()), 4);
    Put(out, 2835, 4); // 72 dots per inch
    Put(out, 2835, 4);
    Put(out, 256, 4);
    Put(out, 0, 4);
    for (const Rgb& c : palette) {
        out.push_back(c.B);
        out.push_back(c.G);
        out.push_back(c.R);
        out.push_back(0);
    }
    for (int y = kHeight - 1; y >= 0; --y) {
        out.insert(out.end(), indices.begin() + y * kWidth, indices.begin() + (y + 1) * kWidth);
    }
    return out;
}

std::vector<uint8_t> WaveFile(const std::vector<double>& samples) {
    std::vector<int16_t> pcm;
    pcm.reserve(samples.size());
    for (double s : samples)
        pcm.push_back(
            static_cast<int16_t>(std::lround(std::fmax(-1.0, std::fmin(1.0, s)) * 32767.0)));
    return wavefile::Pcm16(kRate, 1, pcm);
}

// ---- Pictures

// A cosine palette: each channel runs a whole number of times around its cosine over the 256
// entries, so entry 255 leads smoothly back to entry 0.
std::vector<Rgb> CyclicPalette(const double phase[3], const int turns[3], double base = 0.5,
                               double swing = 0.5) {
    std::vector<Rgb> palette(256);
    for (int i = 0; i < 256; ++i) {
        const double t = i / 256.0;
        double c[3];
        for (int k = 0; k < 3; ++k) {
            c[k] = base + swing * std::cos(kTwoPi * (turns[k] * t + phase[k]));
        }
        palette[static_cast<size_t>(i)] = {
            static_cast<uint8_t>(std::lround(255 * std::fmin(1, std::fmax(0, c[0])))),
            static_cast<uint8_t>(std::lround(255 * std::fmin(1, std::fmax(0, c[1])))),
            static_cast<uint8_t>(std::lround(255 * std::fmin(1, std::fmax(0, c[2]))))};
    }
    return palette;
}

// Fills the picture from a field whose value, taken modulo 256, is the palette index.
std::vector<uint8_t>
Draw(const std::function<double(double x, double y, double r, double a)>& field) {
    std::vector<uint8_t> indices(kWidth * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const double dx = x + 0.5 - kWidth / 2.0;
            const double dy = y + 0.5 - kHeight / 2.0;
            const double v = field(x, y, std::hypot(dx, dy), std::atan2(dy, dx));
            const long i = static_cast<long>(std::floor(v));
            indices[static_cast<size_t>(y * kWidth + x)] =
                static_cast<uint8_t>(((i % 256) + 256) % 256);
        }
    }
    return indices;
}

struct Picture {
    const char* Name;
    std::function<double(double, double, double, double)> Field;
    double Phase[3];
    int Turns[3];
};

// Angles enter every field as whole multiples, so no field has a seam along the negative x axis.
const Picture kPictures[] = {
    {"Spiral",
     [](double, double, double r, double a) {
         return 256 * 3 * a / kTwoPi + 90 * std::log(1 + r / 6);
     },
     {0.0, 0.33, 0.67},
     {1, 1, 1}},
    {"Tunnel",
     [](double, double, double r, double a) {
         return 256 * 420.0 / std::fmax(r, 2.0) + 256 * a / kTwoPi + 30 * std::cos(8 * a);
     },
     {0.6, 0.1, 0.3},
     {1, 2, 1}},
    {"Rings",
     [](double, double, double r, double a) { return r * 256 / 56 + 10 * std::sin(6 * a); },
     {0.5, 0.2, 0.0},
     {1, 1, 2}},
    {"Plasma",
     [](double x, double y, double r, double) {
         return 128 * (std::sin(x / 37.0) + std::sin(y / 23.0) + std::sin((x + y) / 41.0) +
                       std::sin(r / 29.0));
     },
     {0.15, 0.45, 0.8},
     {1, 1, 1}},
    {"Mandala",
     [](double, double, double r, double a) {
         return 2.2 * r + 48 * std::cos(12 * a) * std::exp(-r / 400) + 20 * std::cos(5 * a);
     },
     {0.0, 0.1, 0.2},
     {2, 1, 1}},
    {"Waves",
     [](double x, double y, double, double) {
         return 1.6 * y + 44 * std::sin(x / 53.0) + 22 * std::sin(x / 19.0 + y / 61.0);
     },
     {0.55, 0.6, 0.7},
     {1, 1, 1}},
};

// ---- Sounds

// A small deterministic noise source, so every build makes the same library.
class Noise {
public:
    Noise() = default;
    explicit Noise(uint64_t seed) : state_(seed) {}
    double Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return static_cast<double>(state_ >> 11) / 9007199254740992.0 * 2 - 1;
    }

private:
    uint64_t state_ = 0x9E3779B97F4A7C15ull;
};

// Makes a noise-based sound loop: render fade more samples than the loop, then let the extra
// tail fade out while the start fades in (equal power), so the last sample leads on smoothly
// into the first.
std::vector<double> LoopCrossfaded(std::vector<double> x, std::size_t length, std::size_t fade) {
    for (std::size_t i = 0; i < fade; ++i) {
        const double w = std::sin(kPi / 2 * static_cast<double>(i) / static_cast<double>(fade));
        const double v = std::cos(kPi / 2 * static_cast<double>(i) / static_cast<double>(fade));
        x[i] = x[i] * w + x[length + i] * v;
    }
    x.resize(length);
    return x;
}

void Normalise(std::vector<double>& s, double peak) {
    double top = 0;
    for (double v : s)
        top = std::fmax(top, std::fabs(v));
    if (top > 0) {
        for (double& v : s)
            v *= peak / top;
    }
}

struct Partial {
    double Frequency;
    double Level;
};

// A sum of steady sine partials over seconds; each frequency must have a whole number of
// cycles in that time, so the end meets the start.
std::vector<double> Partials(int seconds, std::initializer_list<Partial> partials) {
    std::vector<double> s(static_cast<std::size_t>(seconds) * kRate);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        for (const Partial& p : partials)
            s[i] += p.Level * std::sin(kTwoPi * p.Frequency * t);
    }
    return s;
}

std::vector<double> Drone() {
    // Every frequency is a multiple of 1/8 Hz; the slow swell has two cycles per loop.
    std::vector<double> s = Partials(
        8,
        {{110.0, 1.0}, {110.25, 0.6}, {165.0, 0.45}, {220.5, 0.3}, {329.875, 0.15}, {55.0, 0.5}});
    for (std::size_t i = 0; i < s.size(); ++i) {
        s[i] *= 0.8 + 0.2 * std::cos(kTwoPi * static_cast<double>(i) / kRate / 4);
    }
    return s;
}

std::vector<double> Surf() {
    const std::size_t n = 8 * kRate, fade = kRate;
    Noise noise;
    std::vector<double> s(n + fade);
    double low = 0, lower = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        // A wave breaks twice per loop: the swell opens the filter and raises the level.
        const double swell = std::pow(0.5 - 0.5 * std::cos(kTwoPi * t / 4), 2);
        const double k = 0.02 + 0.12 * swell;
        low += k * (noise.Next() - low);
        lower += 0.5 * k * (low - lower);
        s[i] = lower * (0.15 + 0.85 * swell);
    }
    s = LoopCrossfaded(std::move(s), n, fade);
    return s;
}

std::vector<double> Bell() {
    const int n = 6 * kRate;
    const double loop = 6.0;
    const double strikes[] = {0.0, 3.0};
    const double partials[][3] = {// ratio to 392 Hz, level, decay time in s
                                  {0.5, 0.5, 2.6},   {1.0, 1.0, 2.0},  {1.183, 0.6, 1.5},
                                  {1.506, 0.5, 1.2}, {2.0, 0.45, 0.9}, {2.514, 0.3, 0.6},
                                  {3.011, 0.2, 0.4}};
    std::vector<double> s(n, 0.0);
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kRate;
        double v = 0;
        for (double strike : strikes) {
            // Strikes of earlier loops still ring: add them, so the loop is seamless.
            for (int back = 0; back < 6; ++back) {
                const double age = t - strike + back * loop;
                if (age < 0) continue;
                const double attack = std::fmin(1.0, age / 0.004);
                for (const auto& p : partials) {
                    v +=
                        attack * p[1] * std::exp(-age / p[2]) * std::sin(kTwoPi * 392 * p[0] * age);
                }
            }
        }
        s[static_cast<size_t>(i)] = v;
    }
    return s;
}

std::vector<double> Hum() {
    // Multiples of 1/4 Hz: a 55 Hz hum with its harmonics and a slow beat.
    return Partials(
        4, {{55.0, 1.0}, {110.0, 0.55}, {165.0, 0.35}, {220.0, 0.22}, {275.0, 0.12}, {55.25, 0.3}});
}

std::vector<double> Rain() {
    const std::size_t n = 6 * kRate, fade = kRate / 2;
    Noise noise;
    std::vector<double> s(n + fade);
    double low = 0, prev = 0;
    for (double& v : s) {
        // A soft hiss: noise with its lowest and highest parts taken away.
        const double white = noise.Next();
        low += 0.35 * (white - low);
        v = 0.25 * (low - prev);
        prev = low;
    }
    s = LoopCrossfaded(std::move(s), n, fade);
    // Drops: short decaying ringing bursts at random places; a drop that runs past the end
    // continues at the start.
    for (int drop = 0; drop < 900; ++drop) {
        const std::size_t at = static_cast<std::size_t>((noise.Next() * 0.5 + 0.5) * (n - 1));
        const double level = 0.15 + 0.35 * (noise.Next() * 0.5 + 0.5);
        const double pitch = 2200 + 2600 * (noise.Next() * 0.5 + 0.5);
        const double decay = 0.004 + 0.01 * (noise.Next() * 0.5 + 0.5);
        const std::size_t length = static_cast<std::size_t>(decay * 6 * kRate);
        for (std::size_t k = 0; k < length; ++k) {
            const double age = static_cast<double>(k) / kRate;
            const double attack = std::fmin(1.0, age / 0.0005);
            s[(at + k) % n] +=
                level * attack * std::exp(-age / decay) * std::sin(kTwoPi * pitch * age);
        }
    }
    return s;
}

// In-place radix-2 FFT of a power-of-two length; inverse without the 1/n scaling.
void Fft(std::vector<std::complex<double>>& a, bool inverse) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const double angle = (inverse ? kTwoPi : -kTwoPi) / static_cast<double>(len);
        const std::complex<double> turn(std::cos(angle), std::sin(angle));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> w(1);
            for (std::size_t k = 0; k < len / 2; ++k, w *= turn) {
                const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

// Noise whose power falls by dbPerOctave per octave, made as one period of a periodic signal:
// every frequency of the loop gets exactly that level and a random phase, so the spectrum is
// the slope itself and the end leads into the start as any sample into the next. Below 20 Hz it
// fades away, so that the loop carries no slow drift.
std::vector<double> SlopedNoise(double dbPerOctave, uint64_t seed) {
    const std::size_t n = std::size_t{1} << 17; // 5.9 s
    Noise noise(seed);
    std::vector<std::complex<double>> spectrum(n);
    const double exponent = dbPerOctave / (20.0 * std::log10(2.0)); // amplitude ~ f^exponent
    for (std::size_t k = 1; k < n / 2; ++k) {
        const double f = static_cast<double>(k) * kRate / static_cast<double>(n);
        double level = std::pow(f, exponent);
        if (f < 20.0) level *= std::pow(f / 20.0, 2);
        const double phase = kPi * noise.Next();
        spectrum[k] = std::polar(level, phase);
        spectrum[n - k] = std::conj(spectrum[k]);
    }
    Fft(spectrum, true);
    std::vector<double> s(n);
    for (std::size_t i = 0; i < n; ++i)
        s[i] = spectrum[i].real();
    return s;
}

std::vector<double> PinkNoise() {
    return SlopedNoise(-3.0, 0x243F6A8885A308D3ull);
}

std::vector<double> BrownNoise() {
    return SlopedNoise(-6.0, 0x13198A2E03707344ull);
}

struct Sound {
    const char* Name;
    std::vector<double> (*Make)();
};

const Sound kSounds[] = {{"Drone", Drone},
                         {"Surf", Surf},
                         {"Bell", Bell},
                         {"Hum", Hum},
                         {"Rain", Rain},
                         {"Pink Noise", PinkNoise},
                         {"Brown Noise", BrownNoise}};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-default-library DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    for (const Picture& p : kPictures) {
        const std::string path = dir + "/" + p.Name + ".bmp";
        if (!Save(path, BitmapFile(Draw(p.Field), CyclicPalette(p.Phase, p.Turns)))) {
            std::fprintf(stderr, "make-default-library: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    for (const Sound& s : kSounds) {
        std::vector<double> samples = s.Make();
        Normalise(samples, 0.6);
        const std::string path = dir + "/" + s.Name + ".wav";
        if (!Save(path, WaveFile(samples))) {
            std::fprintf(stderr, "make-default-library: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
