// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Translations.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>
#include <memory>
#include <span>

namespace {

struct Entry {
    const char* context;
    const char* source;
    const char* translation;
};

constexpr Entry kCyrillicHertz[] = {
    {"TMainForm", "0.0,' Hz'", "0.0,' Гц'"},
};

// A translation held in the program itself, so it needs no file and no build tool.
class BuiltInTranslator : public QTranslator {
public:
    explicit BuiltInTranslator(std::span<const Entry> entries) : entries_(entries) {}

    QString translate(const char* context, const char* source, const char*, int) const override {
        for (const Entry& entry : entries_)
            if (qstrcmp(entry.context, context) == 0 && qstrcmp(entry.source, source) == 0)
                return QString::fromUtf8(entry.translation);
        return {};
    }
    bool isEmpty() const override { return entries_.empty(); }

private:
    std::span<const Entry> entries_;
};

std::unique_ptr<QTranslator> installed;

} // namespace

void InstallTranslations(const QLocale& locale) {
    if (installed) QCoreApplication::removeTranslator(installed.get());
    installed.reset();
    for (const QString& name : locale.uiLanguages()) {
        switch (QLocale(name).language()) {
        case QLocale::English:
            return;
        case QLocale::Russian:
        case QLocale::Ukrainian:
        case QLocale::Belarusian:
        case QLocale::Bulgarian:
            installed = std::make_unique<BuiltInTranslator>(kCyrillicHertz);
            QCoreApplication::installTranslator(installed.get());
            return;
        default:
            break;
        }
    }
}
