// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's one open-file dialog. Its filter is written "Description|*.ext" and
// kept between runs; the way a file is chosen can be replaced (tests choose without a dialog).

#include <QString>
#include <functional>

class QWidget;

class TOpenDialog {
public:
    QString Filter;
    QString FileName;
    // Where the dialog opens; empty for the toolkit's choice.
    QString InitialDir;

    // Chooses a file for the given filter; returns an empty text when the user cancels.
    using Chooser = std::function<QString(QWidget* owner, const QString& filter)>;
    Chooser Choose;

    TOpenDialog();
    // The default chooser reads InitialDir of its own dialog.
    TOpenDialog(const TOpenDialog&) = delete;
    TOpenDialog& operator=(const TOpenDialog&) = delete;

    // Runs the dialog; true with FileName set when a file was chosen.
    bool Execute(QWidget* owner);

    // "Velmora Libraries|*.zdl" becomes "Velmora Libraries (*.zdl)"; pairs become ";;" items.
    static QString QtFilter(const QString& filter);
};
