#pragma once
// The settings object: typed access to one INI file through the profile functions. Every read
// and write goes to the file at once; nothing is cached.

#include <cstdint>
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

private:
    void PrepareWrite() const;
    [[noreturn]] void WriteFailed() const;

    std::string fileName_;
    bool inConfigDir_;
};

// The stored-integer syntax: leading blanks, then an optional sign and either decimal digits or
// "$" and hexadecimal digits, nothing after. Decimal values must fit 32 bits; hexadecimal
// values up to $FFFFFFFF wrap to the negative range. False (value untouched) for anything else.
bool ParseStoredInteger(const std::string& text, int32_t& value);
