// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RXProps.h"

#include "framework/FloatFormat.h"
#include "framework/IniFiles.h"

#include <QLocale>
#include <QMetaEnum>
#include <QObject>
#include <QString>
#include <QVariant>

namespace {

enum class StoredKind { None, Boolean, Float, Integer, Enumeration, Text };

StoredKind KindOf(const QMetaProperty& property) {
    if (property.isEnumType() && !property.isFlagType()) return StoredKind::Enumeration;
    const QMetaType type = property.metaType();
    if (type == QMetaType::fromType<long double>()) return StoredKind::Float;
    switch (type.id()) {
    case QMetaType::Bool:
        return StoredKind::Boolean;
    case QMetaType::Double:
    case QMetaType::Float:
        return StoredKind::Float;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return StoredKind::Integer;
    case QMetaType::QString:
        return StoredKind::Text;
    default:
        return StoredKind::None;
    }
}

bool SameTextIgnoringCase(const std::string& a, const char* b) {
    return QString::fromUtf8(a).compare(QString::fromUtf8(b), Qt::CaseInsensitive) == 0;
}

long double FloatValue(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<long double>()) return value.value<long double>();
    return static_cast<long double>(value.toDouble());
}

QVariant FloatVariant(const QMetaProperty& property, long double value) {
    if (property.metaType() == QMetaType::fromType<long double>()) {
        return QVariant::fromValue(value);
    }
    return QVariant(static_cast<double>(value));
}

} // namespace

std::string TrimBlanks(const std::string& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= ' ')
        ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ')
        --last;
    return text.substr(first, last - first);
}

std::string QuoteForProfile(const std::string& value) {
    if (value.empty()) return value;
    const char first = value.front();
    if ((first == '"' || first == '\'') && value.back() == first) return '"' + value + '"';
    return value;
}

TPropsStorage::TPropsStorage(TIniFile& iniFile, std::string section)
    : iniFile_(iniFile), section_(std::move(section)) {}

void TPropsStorage::SetObject(QObject* object) {
    object_ = object;
    prefix_ = object ? object->objectName().toStdString() + "_" : std::string();
}

std::string TPropsStorage::ReadString(const std::string& key, const std::string& defaultValue) {
    return TrimBlanks(iniFile_.ReadString(section_, key, defaultValue));
}

void TPropsStorage::WriteString(const std::string& key, const std::string& value) {
    iniFile_.WriteString(section_, key, QuoteForProfile(TrimBlanks(value)));
}

QMetaProperty TPropsStorage::FindProperty(const QObject& object, const std::string& storedName) {
    const QMetaObject* meta = object.metaObject();
    const int exact = meta->indexOfProperty(storedName.c_str());
    if (exact >= 0) return meta->property(exact);
    QMetaProperty found;
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty candidate = meta->property(i);
        if (!SameTextIgnoringCase(storedName, candidate.name())) continue;
        // Two properties differing only in case leave the name ambiguous: use neither.
        if (found.isValid()) return QMetaProperty();
        found = candidate;
    }
    return found;
}

std::optional<std::string> TPropsStorage::PropertyText(const QObject& object,
                                                       const QMetaProperty& property) {
    const QVariant value = property.read(&object);
    switch (KindOf(property)) {
    case StoredKind::Boolean:
        return std::string(value.toBool() ? "True" : "False");
    case StoredKind::Float:
        return FloatToStrDot(FloatValue(value)).toStdString();
    case StoredKind::Integer:
        return std::to_string(value.toLongLong());
    case StoredKind::Enumeration: {
        const char* key = property.enumerator().valueToKey(value.toInt());
        if (!key) return std::to_string(value.toInt());
        return std::string(key);
    }
    case StoredKind::Text:
        return value.toString().toStdString();
    case StoredKind::None:
        break;
    }
    return std::nullopt;
}

void TPropsStorage::SetPropertyText(QObject& object, const QMetaProperty& property,
                                    const std::string& text) {
    switch (KindOf(property)) {
    case StoredKind::Boolean:
        if (SameTextIgnoringCase(text, "False")) {
            property.write(&object, false);
        } else if (SameTextIgnoringCase(text, "True")) {
            property.write(&object, true);
        }
        return;
    case StoredKind::Float: {
        // The file always holds "."; the conversion expects the locale's separator.
        const QChar separator = QLocale::system().decimalPoint().front();
        QString local = QString::fromUtf8(text);
        local.replace(QLatin1Char('.'), separator);
        long double value = 0;
        if (TextToFloat(local, value, separator))
            property.write(&object, FloatVariant(property, value));
        return;
    }
    case StoredKind::Integer: {
        int32_t value = 0;
        if (!ParseStoredInteger(text, value)) value = 0;
        property.write(&object, QVariant(value));
        return;
    }
    case StoredKind::Enumeration: {
        bool ok = false;
        const int value = property.enumerator().keyToValue(text.c_str(), &ok);
        if (ok) property.write(&object, value);
        return;
    }
    case StoredKind::Text:
        property.write(&object, QString::fromStdString(text));
        return;
    case StoredKind::None:
        return;
    }
}

void TPropsStorage::StoreProperty(const std::string& storedName) {
    if (!object_) return;
    const QMetaProperty property = FindProperty(*object_, storedName);
    if (!property.isValid()) return;
    const std::optional<std::string> text = PropertyText(*object_, property);
    if (!text) return;
    WriteString(prefix_ + storedName, *text);
}

void TPropsStorage::LoadProperty(const std::string& storedName) {
    if (!object_) return;
    const QMetaProperty property = FindProperty(*object_, storedName);
    if (!property.isValid() || !property.isWritable()) return;
    const std::optional<std::string> current = PropertyText(*object_, property);
    if (!current) return;
    SetPropertyText(*object_, property, ReadString(prefix_ + storedName, *current));
}
