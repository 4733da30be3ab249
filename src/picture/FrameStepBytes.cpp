// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/FrameStepBytes.h"

#include <algorithm>

#if defined(__x86_64__)
#include <immintrin.h>
#define VELMORA_X86 1
#else
#define VELMORA_X86 0
#endif

TRingStep MakeRingStep(int level, int modulus, bool backward) {
    TRingStep step;
    if (modulus < 1 || modulus > 255) return step;
    const int64_t add = backward ? int64_t{modulus} - level : int64_t{level};
    if (add < 0) return step;
    step.Usable = true;
    step.Add = static_cast<uint8_t>(add % modulus);
    step.Wrap = static_cast<uint8_t>(modulus - step.Add);
    step.Modulus = static_cast<uint8_t>(modulus);
    return step;
}

void StepRingBytesScalar(uint8_t* p, int64_t count, const TRingStep& step) {
    for (int64_t i = 0; i < count; ++i) {
        const uint8_t b = p[i];
        const uint8_t moved = b >= step.Wrap ? static_cast<uint8_t>(b - step.Wrap)
                                             : static_cast<uint8_t>(b + step.Add);
        p[i] = b > step.Modulus ? b : moved;
    }
}

// The vector form of one byte's step, without a branch: for b <= M the moved byte is
// min(b + Add saturated, b - Wrap wrapped). When b reaches Wrap, b + Add is at least M while
// b - Wrap is below Add, so the minimum is b - Wrap; below Wrap, b - Wrap wraps to
// 256 + b - Wrap, which exceeds b + Add because M < 256. Bytes above M are put back only when
// M < 255; with M = 255 no byte lies above it.

#if VELMORA_X86

namespace {

// A span of at least one vector is done in aligned vectors, with one unaligned vector at each
// end for the bytes before the first and after the last aligned one: a store that straddles
// two cache lines costs nearly as much as two, and the right side of a row starts anywhere.
// Both end vectors are loaded before anything is stored, so bytes they share with an aligned
// vector are stepped once, from their old value, and stored twice with the same result.

template <bool SomeStay> void StepSse2(uint8_t* p, int64_t count, const TRingStep& step) {
    if (count < 16) {
        StepRingBytesScalar(p, count, step);
        return;
    }
    const __m128i add = _mm_set1_epi8(static_cast<char>(step.Add));
    const __m128i wrap = _mm_set1_epi8(static_cast<char>(step.Wrap));
    const __m128i modulus = _mm_set1_epi8(static_cast<char>(step.Modulus));
    const auto stepped = [&](__m128i b) {
        const __m128i moved = _mm_min_epu8(_mm_adds_epu8(b, add), _mm_sub_epi8(b, wrap));
        if constexpr (!SomeStay) return moved;
        const __m128i inRing = _mm_cmpeq_epi8(_mm_min_epu8(b, modulus), b);
        return _mm_or_si128(_mm_and_si128(inRing, moved), _mm_andnot_si128(inRing, b));
    };
    uint8_t* const end = p + count;
    auto* const first = reinterpret_cast<__m128i*>(p);
    auto* const last = reinterpret_cast<__m128i*>(end - 16);
    const __m128i head = _mm_loadu_si128(first);
    const __m128i tail = _mm_loadu_si128(last);
    for (uint8_t* at = p + (16 - reinterpret_cast<uintptr_t>(p) % 16) % 16; at + 16 <= end;
         at += 16) {
        auto* v = reinterpret_cast<__m128i*>(at);
        _mm_store_si128(v, stepped(_mm_load_si128(v)));
    }
    _mm_storeu_si128(first, stepped(head));
    _mm_storeu_si128(last, stepped(tail));
}

template <bool SomeStay>
__attribute__((target("avx2"))) void StepAvx2(uint8_t* p, int64_t count, const TRingStep& step) {
    if (count < 32) {
        StepSse2<SomeStay>(p, count, step);
        return;
    }
    const __m256i add = _mm256_set1_epi8(static_cast<char>(step.Add));
    const __m256i wrap = _mm256_set1_epi8(static_cast<char>(step.Wrap));
    const __m256i modulus = _mm256_set1_epi8(static_cast<char>(step.Modulus));
    uint8_t* const end = p + count;
    auto* const first = reinterpret_cast<__m256i*>(p);
    auto* const last = reinterpret_cast<__m256i*>(end - 32);
    __m256i head = _mm256_loadu_si256(first);
    __m256i tail = _mm256_loadu_si256(last);
    // Written out rather than shared with the SSE2 form: vectors of 32 bytes may not pass
    // through functions compiled without AVX.
    for (uint8_t* at = p + (32 - reinterpret_cast<uintptr_t>(p) % 32) % 32; at + 32 <= end;
         at += 32) {
        auto* v = reinterpret_cast<__m256i*>(at);
        const __m256i b = _mm256_load_si256(v);
        __m256i moved = _mm256_min_epu8(_mm256_adds_epu8(b, add), _mm256_sub_epi8(b, wrap));
        if constexpr (SomeStay)
            moved = _mm256_blendv_epi8(b, moved, _mm256_cmpeq_epi8(_mm256_min_epu8(b, modulus), b));
        _mm256_store_si256(v, moved);
    }
    for (__m256i* b : {&head, &tail}) {
        __m256i moved = _mm256_min_epu8(_mm256_adds_epu8(*b, add), _mm256_sub_epi8(*b, wrap));
        if constexpr (SomeStay)
            moved =
                _mm256_blendv_epi8(*b, moved, _mm256_cmpeq_epi8(_mm256_min_epu8(*b, modulus), *b));
        *b = moved;
    }
    _mm256_storeu_si256(first, head);
    _mm256_storeu_si256(last, tail);
}

using Kernel = void (*)(uint8_t*, int64_t, const TRingStep&);

// Chosen once: the processor does not change while the program runs.
Kernel WidestKernel() {
    return HasAvx2Kernel() ? StepRingBytesAvx2 : StepRingBytesSse2;
}

} // namespace

void StepRingBytesSse2(uint8_t* p, int64_t count, const TRingStep& step) {
    if (step.Modulus == 255) {
        StepSse2<false>(p, count, step);
    } else {
        StepSse2<true>(p, count, step);
    }
}

void StepRingBytesAvx2(uint8_t* p, int64_t count, const TRingStep& step) {
    if (step.Modulus == 255) {
        StepAvx2<false>(p, count, step);
    } else {
        StepAvx2<true>(p, count, step);
    }
}

bool HasAvx2Kernel() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

void StepRingBytes(uint8_t* p, int64_t count, const TRingStep& step) {
    static const Kernel kernel = WidestKernel();
    kernel(p, count, step);
}

#else

void StepRingBytesSse2(uint8_t* p, int64_t count, const TRingStep& step) {
    StepRingBytesScalar(p, count, step);
}

void StepRingBytesAvx2(uint8_t* p, int64_t count, const TRingStep& step) {
    StepRingBytesScalar(p, count, step);
}

bool HasAvx2Kernel() {
    return false;
}

void StepRingBytes(uint8_t* p, int64_t count, const TRingStep& step) {
    StepRingBytesScalar(p, count, step);
}

#endif
