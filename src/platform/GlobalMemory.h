// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Global memory blocks, as the clipboard exchanges them: a byte block that is locked to reach
// its bytes and unlocked afterwards. A handle belongs to whoever was given it.

#include <cstddef>
#include <cstdint>

constexpr unsigned GMEM_FIXED = 0x0000;
constexpr unsigned GMEM_MOVEABLE = 0x0002;
constexpr unsigned GMEM_ZEROINIT = 0x0040;

struct TGlobalBlock;
using HGLOBAL = TGlobalBlock*;

// Largest block handed out; asking for more fails like an exhausted heap.
constexpr size_t GlobalMemoryLimit = size_t{1} << 30;

// A new block of bytes (cleared with GMEM_ZEROINIT); nullptr when it can't be had.
HGLOBAL GlobalAlloc(unsigned flags, size_t bytes);
// Frees the block; returns nullptr, or the handle when it was still locked.
HGLOBAL GlobalFree(HGLOBAL block);
// The block's bytes, counting one more lock; nullptr for no block.
void* GlobalLock(HGLOBAL block);
// Counts one lock less; returns whether the block is still locked.
bool GlobalUnlock(HGLOBAL block);
size_t GlobalSize(HGLOBAL block);
int GlobalLockCount(HGLOBAL block);
