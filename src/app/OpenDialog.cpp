// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/OpenDialog.h"

#include <QFileDialog>
#include <QStringList>

TOpenDialog::TOpenDialog() {
    Choose = [this](QWidget* owner, const QString& filter) {
        return QFileDialog::getOpenFileName(owner, QString(), InitialDir, QtFilter(filter));
    };
}

bool TOpenDialog::Execute(QWidget* owner) {
    const QString chosen = Choose ? Choose(owner, Filter) : QString();
    if (chosen.isEmpty()) return false;
    FileName = chosen;
    return true;
}

QString TOpenDialog::QtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList items;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        items << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return items.join(QStringLiteral(";;"));
}
