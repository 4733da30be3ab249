// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Resource modules: 32-bit PE files opened for their resources only. The reader only reads
// bytes; nothing in a module is ever mapped executable or run. The program's own resources
// (built in through the Qt resource system) are reached through the same handles.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A handle to an open module; 0 is "no module", on which every lookup fails.
using TModuleHandle = std::uintptr_t;
constexpr TModuleHandle kNoModule = 0;

// A resource type or name: a number, or a text compared without regard to case.
// A text of the form "#123" stands for the number 123, as module loaders take it.
class TResourceName {
public:
    TResourceName(uint16_t id) : isId_(true), id_(id) {}
    TResourceName(const char* name) : TResourceName(std::string(name ? name : "")) {}
    TResourceName(const std::string& name);

    bool IsId() const { return isId_; }
    uint16_t Id() const { return id_; }
    const std::string& Name() const { return name_; }
    // The name as messages show it: the text, or "#<number>".
    std::string Text() const;

private:
    bool isId_ = false;
    uint16_t id_ = 0;
    std::string name_;
};

// The predefined resource types used by the system.
constexpr uint16_t RT_CURSOR = 1;
constexpr uint16_t RT_BITMAP = 2;
constexpr uint16_t RT_ICON = 3;
constexpr uint16_t RT_RCDATA = 10;
constexpr uint16_t RT_GROUP_CURSOR = 12;
constexpr uint16_t RT_GROUP_ICON = 14;

// The longest module path the loader takes, as a zero-terminated string of this many characters.
constexpr std::size_t kMaxModulePath = 260;

// The bytes of one resource. They stay valid while this object lives, even after the module
// they came from has been released.
struct TResourceData {
    std::shared_ptr<const std::vector<uint8_t>> Owner;
    const uint8_t* Data = nullptr;
    std::size_t Size = 0;
};

// One resource as a listing sees it.
struct TResourceEntry {
    TResourceName Type = TResourceName(uint16_t{0});
    TResourceName Name = TResourceName(uint16_t{0});
    uint16_t Language = 0;
    std::size_t Size = 0;
};

// Opens a module for resource access. A name without a directory is searched for (see
// ModuleSearch.h). A path over kMaxModulePath characters, a missing or unreadable file and a
// file that is no 32-bit PE module all give kNoModule.
TModuleHandle LoadResourceModule(const std::string& fileName);
// Opens a module held in memory (tests and fuzzing); kNoModule when the bytes are no module.
TModuleHandle LoadResourceModuleFromBytes(std::vector<uint8_t> bytes);
// Releases a module; the program's own module and kNoModule are ignored. False for an
// unknown handle.
bool FreeResourceModule(TModuleHandle module);

// How many modules are open (the program's own not counted); a load that ends with the same
// count has released what it opened.
std::size_t OpenModuleCount();

// The program itself: its built-in resources under ":/resources" and ":/". Bitmap resources
// are served as packed bitmaps (the file header of a built-in .bmp file is dropped), so they
// read exactly like bitmap resources of a module.
TModuleHandle ProgramModule();

// Finds a resource by name and type; where the name exists in several languages the
// language is chosen as the platform does: neutral, then the user's, then US English,
// then the first one present.
std::optional<TResourceData> FindResourceData(TModuleHandle module, const TResourceName& name,
                                              const TResourceName& type);

// How a listing ended: with every resource, or early because the directory names more
// entries, or more name bytes, than a listing takes from a module of its size.
enum class TListingEnd { Complete, TooManyEntries, TooManyNameBytes };

struct TResourceListing {
    std::vector<TResourceEntry> Entries;
    TListingEnd End = TListingEnd::Complete;
};

// Every resource of a module in directory order (empty for the program's own module), up to
// the limits that keep a damaged directory from multiplying into a huge listing.
TResourceListing ListResources(TModuleHandle module);

// The user's language as a platform language id (primary language in the low 10 bits, the
// sublanguage above); tests may replace it, 0 restores the system's.
uint16_t UserLanguageId();
void SetUserLanguageId(uint16_t languageId);

// Converts a resource name stored in a module (UTF-16) to UTF-8, and back.
std::string Utf16ToUtf8(const std::u16string& text);
std::u16string Utf8ToUtf16(const std::string& text);
// Compares two texts without regard to case.
bool SameResourceText(const std::u16string& a, const std::u16string& b);
