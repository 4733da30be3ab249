// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Translations.h"

#include "platform/ModuleSearch.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

namespace {

std::unique_ptr<QTranslator> ownTexts;
std::unique_ptr<QTranslator> toolkitTexts;

void Remove(std::unique_ptr<QTranslator>& translator) {
    if (translator) QCoreApplication::removeTranslator(translator.get());
    translator.reset();
}

} // namespace

QString TranslationsFolder() {
    return QString::fromStdString(FindDataFolder("translations"));
}

QString InstallTranslations(const QLocale& locale) {
    Remove(ownTexts);
    Remove(toolkitTexts);
    const QString folder = TranslationsFolder();
    if (folder.isEmpty()) return {};
    for (const QString& name : locale.uiLanguages()) {
        const QLocale language(name);
        if (language.language() == QLocale::English || language.language() == QLocale::C) return {};
        auto translator = std::make_unique<QTranslator>();
        // One language at a time: the translator's own search would fall through to the next
        // of the user's languages by itself, past English.
        if (!translator->load(QStringLiteral("velmora_") + name, folder, QStringLiteral("-_")))
            continue;
        ownTexts = std::move(translator);
        QCoreApplication::installTranslator(ownTexts.get());
        toolkitTexts = std::make_unique<QTranslator>();
        if (toolkitTexts->load(QStringLiteral("qtbase_") + name,
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                               QStringLiteral("-_")))
            QCoreApplication::installTranslator(toolkitTexts.get());
        else
            toolkitTexts.reset();
        return QLocale(ownTexts->language()).name().section(QLatin1Char('_'), 0, 0);
    }
    return {};
}

std::string FillIn(const QString& text, std::initializer_list<std::string> args) {
    const QByteArray encoded = text.toLocal8Bit();
    const std::string pattern(encoded.constData(), static_cast<size_t>(encoded.size()));
    std::string out;
    out.reserve(pattern.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        const size_t index = static_cast<size_t>(next - '1');
        if (pattern[i] == '%' && next >= '1' && next <= '9' && index < args.size()) {
            out += *(args.begin() + index);
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}
