// SPDX-License-Identifier: GPL-3.0-or-later
// The X server's frame notices over arbitrary bytes, as the frame pacer reads what its
// connection hands over: the size the event's own length field claims is the size read, and
// nothing is read past the bytes there are.

#include "picture/FramePacerSources.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Exactly the bytes given, so that a read past them is caught.
    const std::vector<uint8_t> bytes(data, data + size);
    uint32_t window = 0;
    if (size >= 20) std::memcpy(&window, data + 16, 4);
    TPresentComplete out;
    const bool ok = DecodePresentComplete(bytes.data(), bytes.size(), bytes.empty() ? 0 : bytes[1],
                                          7, window, out);
    if (ok) {
        uint32_t length = 0;
        std::memcpy(&length, data + 4, 4);
        if (size < 44 || length < 2 || 36 + size_t{length} * 4 > size) std::abort();
        uint64_t msc = 0;
        std::memcpy(&msc, data + 36, 8);
        if (out.Msc != msc) std::abort();
    }
    return 0;
}
