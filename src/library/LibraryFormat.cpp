// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/LibraryFormat.h"

#include "framework/Exception.h"
#include "framework/Messages.h"
#include "library/NameLists.h"
#include "library/ResourceModuleWriter.h"

#include <QCoreApplication>

namespace {

// Resources are stored language-neutral, so every user finds them first.
constexpr uint16_t kNeutral = 0;

// The name with every byte outside ASCII written as \xNN, for a message about bad bytes.
std::string Escaped(const std::string& name) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += "\\x";
            out += digits[b >> 4];
            out += digits[b & 15];
        }
    }
    return out;
}

// The refusals of a list name, one set per kind of resource, so that each reads whole in
// every language.
struct TNameTexts {
    const char* Empty;
    const char* NotUtf8;
    const char* LineBreak;
    const char* Number;
};
constexpr TNameTexts kPictureName = {
    QT_TRANSLATE_NOOP("Library", "A picture name is empty"),
    QT_TRANSLATE_NOOP("Library", "picture name \"%1\" is not valid UTF-8"),
    QT_TRANSLATE_NOOP("Library", "picture name \"%1\" holds a line break or zero byte"),
    QT_TRANSLATE_NOOP("Library", "picture name \"%1\" would be read as a resource number")};
constexpr TNameTexts kSoundName = {
    QT_TRANSLATE_NOOP("Library", "A sound name is empty"),
    QT_TRANSLATE_NOOP("Library", "sound name \"%1\" is not valid UTF-8"),
    QT_TRANSLATE_NOOP("Library", "sound name \"%1\" holds a line break or zero byte"),
    QT_TRANSLATE_NOOP("Library", "sound name \"%1\" would be read as a resource number")};

void CheckListName(const std::string& name, const TNameTexts& texts) {
    if (name.empty()) throw Exception(TranslatedText("Library", texts.Empty));
    // A list line is read as UTF-8 only when it is valid UTF-8 (else as Windows-1252), while the
    // resource name is always stored from UTF-8: other bytes would make the two differ.
    if (!IsValidUtf8(name))
        throw Exception(TranslatedText("Library", texts.NotUtf8, {Escaped(name)}));
    if (name.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
        throw Exception(TranslatedText("Library", texts.LineBreak, {name}));
    }
    if (TResourceName(name).IsId())
        throw Exception(TranslatedText("Library", texts.Number, {name}));
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
        CheckListName(p.Name, kPictureName);
        pictureNames.push_back(p.Name);
        resources.push_back({TResourceName(RT_BITMAP), TResourceName(p.Name), kNeutral, p.Bytes});
    }
    for (const TNamedData& s : sounds) {
        CheckListName(s.Name, kSoundName);
        soundNames.push_back(s.Name);
        resources.push_back({TResourceName(kSoundType), TResourceName(s.Name), kNeutral, s.Bytes});
    }
    resources.push_back({TResourceName(kListType), TResourceName(kPictureList), kNeutral,
                         Bytes(JoinNameList(pictureNames))});
    resources.push_back({TResourceName(kListType), TResourceName(kSoundList), kNeutral,
                         Bytes(JoinNameList(soundNames))});
    return WriteResourceModule(resources);
}
