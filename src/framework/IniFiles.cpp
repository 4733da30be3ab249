// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/IniFiles.h"

#include "framework/Exception.h"
#include "platform/ConfigDir.h"
#include "platform/ProfileFiles.h"

TIniFile::TIniFile(const std::string& fileName)
    : fileName_(ConfigFilePath(fileName)), inConfigDir_(IsBareFileName(fileName)) {}

const std::string& TIniFile::FileName() const {
    return fileName_;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& def) {
    if (pending_) return ProfileTextRead(*pending_, section, key, def);
    return ReadProfileString(fileName_, section, key, def);
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key, int32_t def) {
    std::string text = ReadString(section, key, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.replace(0, 2, "$");
    }
    int32_t value = def;
    return ParseStoredInteger(text, value) ? value : def;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool def) {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
    if (pending_) {
        if (!ProfileTextWrite(*pending_, section, key, value)) WriteFailed();
        return;
    }
    PrepareWrite();
    if (!WriteProfileString(fileName_, section, key, value)) WriteFailed();
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::EraseSection(const std::string& section) {
    if (pending_) {
        ProfileTextEraseSection(*pending_, section);
        return;
    }
    PrepareWrite();
    if (!EraseProfileSection(fileName_, section)) WriteFailed();
}

void TIniFile::BeginUpdate() {
    if (updateDepth_++ > 0) return;
    std::string text;
    if (!LoadProfileText(fileName_, text)) return;
    loaded_ = text;
    pending_ = std::move(text);
}

void TIniFile::EndUpdate() {
    if (updateDepth_ == 0 || --updateDepth_ > 0 || !pending_) return;
    const std::string text = std::move(*pending_);
    pending_.reset();
    if (text == loaded_) return;
    PrepareWrite();
    if (!ReplaceProfileText(fileName_, text)) WriteFailed();
}

void TIniFile::UpdateFile() {
    if (!pending_ || *pending_ == loaded_) return;
    PrepareWrite();
    if (!ReplaceProfileText(fileName_, *pending_)) WriteFailed();
    loaded_ = *pending_;
}

void TIniFile::PrepareWrite() const {
    // A failure to create the directory shows up as the write's own failure.
    if (inConfigDir_) MakeConfigDirectory();
}

void TIniFile::WriteFailed() const {
    throw EIniFileException(Msg::UnableToWrite, {fileName_});
}

bool ParseStoredInteger(const std::string& text, int32_t& value) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const bool hex = i < text.size() && text[i] == '$';
    if (hex) ++i;
    if (i >= text.size()) return false;
    const uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (hex && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return false;
        }
        magnitude = magnitude * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
        if (magnitude > limit) return false;
    }
    // Hexadecimal is a bit pattern: $FFFFFFFF is -1, and a sign negates that pattern.
    const uint32_t bits = static_cast<uint32_t>(magnitude);
    value = static_cast<int32_t>(negative ? 0u - bits : bits);
    return true;
}
