// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writes a 32-bit PE module that holds resources and nothing else: no code, no entry point,
// no imports; one ".rsrc" section whose directory is sorted as the format requires (named
// entries first in case-insensitive order, then numbered entries in ascending order).

#include "platform/ResourceModule.h"

#include <cstdint>
#include <vector>

struct TModuleResource {
    TResourceName Type;
    TResourceName Name;
    uint16_t Language = 0;
    std::vector<uint8_t> Data;
};

// Fails with an Exception when two resources share type, name and language, or a name is
// empty or longer than a directory string can hold.
std::vector<uint8_t> WriteResourceModule(const std::vector<TModuleResource>& resources);

// Orders directory names as the format requires: case-insensitive, by their UTF-16 code units
// in capitals. True when a comes before b.
bool ResourceNameLess(const TResourceName& a, const TResourceName& b);
