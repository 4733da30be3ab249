// SPDX-License-Identifier: GPL-3.0-or-later
// Binaural-beat schedules from outside bytes, held to what every schedule reader must do.
#include "ImportFuzz.h"
#include "exchange/SbgReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzImport(ImportSbg, data, size, "f.sbg");
}
