// Profile text from outside bytes: reading, writing and erasing must never crash, and a write
// must read back while every other value stays as it was.
#include "framework/IniFiles.h"
#include "platform/ProfileFiles.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);

    const std::string name = ProfileTextRead(text, "Options", "LibrName", "main.zdl");
    const std::string other = ProfileTextRead(text, "TMainForm", "NormPos", "none");
    const std::string index = ProfileTextRead(text, "options", "ITEMINDEX1", "0");
    Check(name.size() <= kProfileValueLimit && other.size() <= kProfileValueLimit);
    int32_t value = 0;
    ParseStoredInteger(index, value);

    std::string written = text;
    Check(ProfileTextWrite(written, "Options", "ItemIndex1", "42"));
    Check(ProfileTextRead(written, "OPTIONS", "itemindex1", "") == "42");
    Check(ProfileTextRead(written, "Options", "LibrName", "main.zdl") == name);
    Check(ProfileTextRead(written, "TMainForm", "NormPos", "none") == other);

    std::string erased = written;
    ProfileTextEraseSection(erased, "options");
    Check(ProfileTextRead(erased, "Options", "ItemIndex1", "gone") == "gone");
    Check(ProfileTextRead(erased, "TMainForm", "NormPos", "none") == other);

    // A write whose value would break the line structure is refused and changes nothing.
    std::string refused = text;
    Check(!ProfileTextWrite(refused, "Options", "Key", "a\nb"));
    Check(refused == text);
    return 0;
}
