// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The frame step that animates the picture: every byte of every row is moved by the transform
// level around a ring of cycle-modulus values; with the Right/Left difference on, the right
// part of each row moves the other way.

class TDIB;
class TDXPaintBox;

struct TFrameStepParams {
    int TransformLevel = 0; // L
    int CycleModulus = 255; // M
    bool RightLeftDifference = false;
};

// Steps the first Width bytes of each row (no more than the row holds). A byte b above M stays;
// otherwise it becomes (b + L) mod M, or (b + M - L) mod M on the right side (x > Width div 2),
// the remainder taking the sign of the dividend and the low 8 bits being kept. A modulus of 0
// changes nothing.
void StepFrame(TDIB& dib, const TFrameStepParams& params);

// One firing of the picture timer: the step, then an immediate repaint of the display.
void RunFrameStep(TDXPaintBox& display, const TFrameStepParams& params);
