// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The inner loop of the frame step: a span of bytes moved around the ring of cycle-modulus
// values, many bytes at a time. The frame step runs up to 70 times a second over the whole
// picture, so this loop is the whole of its cost.

#include <cstdint>

// One side's step, prepared once per frame. It is usable when every dividend b + add (b in
// 0..M) is non-negative: then a byte b <= M becomes b + add, less M when that reaches M, with
// add reduced below M, and bytes above M stay. Otherwise the remainder can be negative and
// the step needs the full rule.
struct TRingStep {
    bool Usable = false;
    uint8_t Add = 0;     // (add mod M), below M
    uint8_t Wrap = 0;    // M - Add: bytes from here on wrap around
    uint8_t Modulus = 0; // M; bytes above it stay
};

// The ring step of (b + L) mod M, or of (b + M - L) mod M for the backward side.
TRingStep MakeRingStep(int level, int modulus, bool backward);

// Steps count bytes at p, with the widest kernel the processor has.
void StepRingBytes(uint8_t* p, int64_t count, const TRingStep& step);

// The kernels themselves, each giving the same bytes; the wide ones finish with the scalar.
void StepRingBytesScalar(uint8_t* p, int64_t count, const TRingStep& step);
void StepRingBytesSse2(uint8_t* p, int64_t count, const TRingStep& step);
// Only where the processor has AVX2 (HasAvx2Kernel()).
void StepRingBytesAvx2(uint8_t* p, int64_t count, const TRingStep& step);
bool HasAvx2Kernel();
