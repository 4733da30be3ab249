// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A read-only stream over the bytes of one resource of a module.

#include "framework/Streams.h"
#include "platform/ResourceModule.h"

class TResourceStream : public TReadOnlyMemoryStream {
public:
    // Fails with "Resource %s not found" (EResNotFound) naming the resource when the module
    // has no resource of that name and type, or when the module is kNoModule.
    TResourceStream(TModuleHandle module, const TResourceName& name, const TResourceName& type);

private:
    TResourceData resource_;
};
