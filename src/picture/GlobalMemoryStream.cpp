// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/GlobalMemoryStream.h"

TGlobalMemoryStream::TGlobalMemoryStream(HGLOBAL block)
    : TReadOnlyMemoryStream(nullptr, 0), block_(block) {
    const void* bytes = GlobalLock(block_);
    Reset(bytes, bytes ? static_cast<int64_t>(GlobalSize(block_)) : 0);
}

TGlobalMemoryStream::~TGlobalMemoryStream() {
    GlobalUnlock(block_);
}
