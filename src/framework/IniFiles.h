// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings object: typed access to one INI file through the profile functions. Every read
// and write goes to the file at once; nothing is cached, except inside an update: between
// BeginUpdate and EndUpdate the file is read once, reads and writes work on that text, and
// EndUpdate replaces the file in one step, so a save of many keys costs one write and a crash
// in the middle leaves either the old or the new file.

#include <cstdint>
#include <optional>
#include <string>

class TIniFile {
public:
    explicit TIniFile(const std::string& fileName); // bare name -> configuration directory
    const std::string& FileName() const;            // the full path actually used

    // At most 1023 characters; def when the key is missing.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& def);
    // "0x"/"0X" followed by hexadecimal digits, or the stored-integer syntax; anything else
    // gives def.
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t def);
    // Any nonzero integer is true.
    bool ReadBool(const std::string& section, const std::string& key, bool def);

    // The writes fail with EIniFileException "Unable to write to %s" and leave the file as it was.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int32_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);
    void EraseSection(const std::string& section);

    // Updates nest; the outermost EndUpdate writes the file, and only when its text changed.
    // A file that cannot be read opens no update: its writes fail one by one as without one.
    void BeginUpdate();
    // Fails like the writes; the update is over either way.
    void EndUpdate();
    // Writes what the update gathered so far, if anything changed, and goes on updating.
    void UpdateFile();
    bool Updating() const { return pending_.has_value(); }

private:
    void PrepareWrite() const;
    [[noreturn]] void WriteFailed() const;

    std::string fileName_;
    bool inConfigDir_;
    int updateDepth_ = 0;
    std::optional<std::string> pending_; // the file's text during an update
    std::string loaded_;                 // and as it was read
};

// The stored-integer syntax: leading blanks, then an optional sign and either decimal digits or
// "$" and hexadecimal digits, nothing after. Decimal values must fit 32 bits; hexadecimal
// values up to $FFFFFFFF wrap to the negative range. False (value untouched) for anything else.
bool ParseStoredInteger(const std::string& text, int32_t& value);
