// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/ResourceStream.h"

#include "framework/Exception.h"

namespace {
TResourceData FindOrFail(TModuleHandle module, const TResourceName& name,
                         const TResourceName& type) {
    auto found = FindResourceData(module, name, type);
    if (!found) throw EResNotFound(Msg::ResourceNotFound, {name.Text()});
    return std::move(*found);
}
} // namespace

TResourceStream::TResourceStream(TModuleHandle module, const TResourceName& name,
                                 const TResourceName& type)
    : TReadOnlyMemoryStream(nullptr, 0), resource_(FindOrFail(module, name, type)) {
    Reset(resource_.Data, static_cast<int64_t>(resource_.Size));
}
