#include "library/LibraryFormat.h"

#include "framework/Exception.h"
#include "library/ResourceModuleWriter.h"

namespace {

// Resources are stored language-neutral, so every user finds them first.
constexpr uint16_t kNeutral = 0;

void CheckListName(const std::string& name, const char* kind) {
    const std::string quoted = std::string(kind) + " name \"" + name + "\"";
    if (name.empty()) throw Exception(std::string("A ") + kind + " name is empty");
    if (name.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
        throw Exception(quoted + " holds a line break or zero byte");
    }
    if (TResourceName(name).IsId()) {
        throw Exception(quoted + " would be read as a resource number");
    }
}

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

} // namespace

std::string JoinNameList(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += name + "\r\n";
    return text;
}

std::vector<uint8_t> BuildLibraryModule(const std::vector<TNamedData>& pictures,
                                        const std::vector<TNamedData>& sounds) {
    std::vector<TModuleResource> resources;
    std::vector<std::string> pictureNames, soundNames;
    for (const TNamedData& p : pictures) {
        CheckListName(p.Name, "picture");
        pictureNames.push_back(p.Name);
        resources.push_back({TResourceName(RT_BITMAP), TResourceName(p.Name), kNeutral, p.Bytes});
    }
    for (const TNamedData& s : sounds) {
        CheckListName(s.Name, "sound");
        soundNames.push_back(s.Name);
        resources.push_back({TResourceName(kSoundType), TResourceName(s.Name), kNeutral, s.Bytes});
    }
    resources.push_back({TResourceName(kListType), TResourceName(kPictureList), kNeutral,
                         Bytes(JoinNameList(pictureNames))});
    resources.push_back({TResourceName(kListType), TResourceName(kSoundList), kNeutral,
                         Bytes(JoinNameList(soundNames))});
    return WriteResourceModule(resources);
}
