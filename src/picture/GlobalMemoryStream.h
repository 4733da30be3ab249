// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A read-only stream over a global memory block: the block stays locked while the stream
// lives and is unlocked, not freed, when it ends.

#include "framework/Streams.h"
#include "platform/GlobalMemory.h"

class TGlobalMemoryStream : public TReadOnlyMemoryStream {
public:
    explicit TGlobalMemoryStream(HGLOBAL block);
    ~TGlobalMemoryStream() override;
    TGlobalMemoryStream(const TGlobalMemoryStream&) = delete;
    TGlobalMemoryStream& operator=(const TGlobalMemoryStream&) = delete;

private:
    HGLOBAL block_;
};
