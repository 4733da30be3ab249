// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/OpenDialog.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QStringList>
#include <QTreeView>

#include <algorithm>

namespace {

// Wide enough for the file list's four columns beside the places.
constexpr int kDialogWidth = 800;

// The toolkit's own dialog sizes the file list's columns for a wider window and leaves Size,
// Type and Date cut off at the right; here each of those is as wide as its texts, and the name
// takes the rest. A dialog of the desktop's own has no such list and is left as it is.
void FitFileList(QFileDialog& dialog) {
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (list == nullptr) return;
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    dialog.resize(std::max(dialog.width(), kDialogWidth), dialog.height());
}

} // namespace

TOpenDialog::TOpenDialog() {
    Choose = [this](QWidget* owner, const QString& filter) {
        QFileDialog dialog(owner, QString(), InitialDir, QtFilter(filter));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        FitFileList(dialog);
        if (dialog.exec() != QDialog::Accepted) return QString();
        const QStringList chosen = dialog.selectedFiles();
        return chosen.isEmpty() ? QString() : chosen.front();
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
