// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One save or restore of stored control properties: the section, the current object and its
// key prefix ("Name_"), reading and writing through an open settings object.
//
// Properties are Qt properties. The stored name is looked up as written and, failing that,
// without regard to case, so "Checked" reaches a check box's "checked" while the key keeps
// the stored spelling ("DivCheck_Checked").
//
// Stored forms: Booleans "True"/"False" (read back without regard to case, anything else
// leaves the value); floating values in general format with "." (text that is no number
// leaves the value); integers in decimal (text that is no integer gives 0); enumerations by
// key name (an unknown name leaves the value); text as it is.

#include <QMetaProperty>
#include <optional>
#include <string>

class QObject;
class TIniFile;

class TPropsStorage {
public:
    TPropsStorage(TIniFile& iniFile, std::string section);

    const std::string& Section() const { return section_; }
    QObject* Object() const { return object_; }
    const std::string& Prefix() const { return prefix_; }
    void SetObject(QObject* object);

    // Writes the current object's property under Prefix() + storedName; a property that does
    // not exist or has no stored form writes nothing.
    void StoreProperty(const std::string& storedName);
    // Reads the key back into the property; a missing key keeps the current value.
    void LoadProperty(const std::string& storedName);

    // Text values, trimmed both ways; a value that begins and ends with the same quote is
    // written inside one more pair of double quotes, since reading strips one pair.
    std::string ReadString(const std::string& key, const std::string& defaultValue);
    void WriteString(const std::string& key, const std::string& value);

    static QMetaProperty FindProperty(const QObject& object, const std::string& storedName);
    // The stored form of the property's value; nothing when its type has none.
    static std::optional<std::string> PropertyText(const QObject& object,
                                                   const QMetaProperty& property);
    // Sets the property from its stored form by the rules above.
    static void SetPropertyText(QObject& object, const QMetaProperty& property,
                                const std::string& text);

private:
    TIniFile& iniFile_;
    std::string section_;
    QObject* object_ = nullptr;
    std::string prefix_;
};

std::string TrimBlanks(const std::string& text);
std::string QuoteForProfile(const std::string& value);
