// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppFont.h"

#include <QFontDatabase>
#include <QFontInfo>

QFont ProgramFont() {
    static const QString family = [] {
        const QString wanted = QStringLiteral("MS Sans Serif");
        if (QFontDatabase::hasFamily(wanted)) return wanted;
        QFont sans(QStringLiteral("Sans Serif"));
        sans.setStyleHint(QFont::SansSerif);
        const QString resolved = QFontInfo(sans).family();
        return resolved.isEmpty() ? QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()
                                  : resolved;
    }();
    QFont font(family);
    font.setPointSize(8);
    return font;
}

QFont ProgramBoldFont() {
    QFont font = ProgramFont();
    font.setBold(true);
    return font;
}
