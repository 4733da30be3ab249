// SPDX-License-Identifier: GPL-3.0-or-later
// Voice schedules in XML from outside bytes, held to what every schedule reader must do.
#include "ImportFuzz.h"
#include "exchange/GnauralReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzImport(ImportGnaural, data, size, "f.gnaural");
}
