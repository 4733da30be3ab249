// SPDX-License-Identifier: GPL-3.0-or-later
// Preset schedules (text or JSON) from outside bytes, held to what every schedule reader must do.
#include "ImportFuzz.h"
#include "exchange/SpsqReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzImport(ImportSpsq, data, size, "f.spsq");
}
