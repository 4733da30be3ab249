// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/GlobalMemory.h"

#include <cstdlib>
#include <new>

struct TGlobalBlock {
    void* bytes = nullptr;
    size_t size = 0;
    int locks = 0;
};

HGLOBAL GlobalAlloc(unsigned flags, size_t bytes) {
    if (bytes > GlobalMemoryLimit) return nullptr;
    auto* block = new (std::nothrow) TGlobalBlock;
    if (!block) return nullptr;
    // One byte at least, so that even an empty block has an address to lock.
    block->bytes = (flags & GMEM_ZEROINIT) ? std::calloc(bytes ? bytes : 1, 1)
                                           : std::malloc(bytes ? bytes : 1);
    if (!block->bytes) {
        delete block;
        return nullptr;
    }
    block->size = bytes;
    return block;
}

HGLOBAL GlobalFree(HGLOBAL block) {
    if (!block) return nullptr;
    if (block->locks > 0) return block;
    std::free(block->bytes);
    delete block;
    return nullptr;
}

void* GlobalLock(HGLOBAL block) {
    if (!block) return nullptr;
    ++block->locks;
    return block->bytes;
}

bool GlobalUnlock(HGLOBAL block) {
    if (!block || block->locks == 0) return false;
    --block->locks;
    return block->locks > 0;
}

size_t GlobalSize(HGLOBAL block) {
    return block ? block->size : 0;
}

int GlobalLockCount(HGLOBAL block) {
    return block ? block->locks : 0;
}
