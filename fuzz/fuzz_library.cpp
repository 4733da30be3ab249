// SPDX-License-Identifier: GPL-3.0-or-later
// Opens a resource module from arbitrary bytes, lists it, reads both name lists and loads the
// first picture and the first sound, as a library load does.

#include "framework/Bitmap.h"
#include "framework/Exception.h"
#include "framework/ResourceStream.h"
#include "library/LibraryFormat.h"
#include "library/LibraryLoader.h"
#include "library/NameLists.h"
#include "library/PackedDib.h"
#include "platform/ResourceModule.h"
#include "sound/Wave.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

std::vector<std::string> Names(TModuleHandle module, const char* list) {
    const auto data = FindResourceData(module, list, kListType);
    return data ? SplitNameList(data->Data, data->Size) : std::vector<std::string>{};
}

template <typename F> void Try(F&& step) {
    try {
        step();
    } catch (const Exception&) {
        // Refusals are expected; only crashes, hangs and sanitizer reports are findings.
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TModuleHandle module =
        LoadResourceModuleFromBytes(std::vector<uint8_t>(data, data + size));
    if (module == kNoModule) return 0;
    (void)ListResources(module);
    const auto pictures = Names(module, kPictureList);
    const auto sounds = Names(module, kSoundList);
    const std::string picture = pictures.empty() ? std::string() : pictures.front();
    const std::string sound = sounds.empty() ? std::string() : sounds.front();
    Try([&] {
        TResourceStream stream(module, picture, RT_BITMAP);
        (void)CycleModulusFromHeader(stream);
        stream.SetPosition(0);
        TBitmap bitmap;
        bitmap.ReadPackedDib(stream);
    });
    Try([&] {
        // The library tool's view of the same picture.
        const auto bytes = FindResourceData(module, picture, RT_BITMAP);
        if (bytes) (void)BmpFileFromPackedDib({bytes->Data, bytes->Data + bytes->Size}, picture);
    });
    Try([&] {
        TResourceStream stream(module, sound, kSoundType);
        TWave wave;
        wave.LoadFromStream(stream);
    });
    FreeResourceModule(module);
    return 0;
}
