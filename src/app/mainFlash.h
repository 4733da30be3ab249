// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's flash check: a short verdict with a coloured mark under the Start button,
// its figures in the tooltip, rechecked whenever the picture, the frequency, the depth, the
// Right/Left difference, the picture's size or the screen change; the "Flash Check..." window
// with the figures and what would bring the run under the limits; "Reduced Flashing", which
// changes only the colours the display shows; and the photosensitivity warning before the
// first run.

#include "safety/FlashCheck.h"

#include <QElapsedTimer>
#include <QObject>
#include <QRect>
#include <QTimer>

#include <tuple>

class QAction;
class QDialog;
class QLabel;
class TMainForm;

class TMainFlash : public QObject {
    Q_OBJECT
public:
    explicit TMainFlash(TMainForm& form);
    ~TMainFlash() override;

    QLabel* Mark = nullptr;
    QAction* FlashCheck1 = nullptr;
    QAction* ReducedFlashing1 = nullptr;

    // Reads "Reduced Flashing" from the settings, once the window has its settings file.
    void LoadOptions();
    // Checks again when anything the check reads has changed since the last check.
    void Update();
    const TFlashReport& Report() const { return report_; }
    TFlashSettings CurrentSettings() const;

    bool Reduced() const;
    void SetReduced(bool on);

    // Before a run starts: the photosensitivity warning, unless the settings say it was
    // accepted; true when the run may start. The answer Start is remembered.
    bool ConfirmStart();
    void ShowFlashCheck();

    // Whether the warning is asked at all; the program turns it on at its start.
    static bool AskWarning;

private:
    using TKey =
        std::tuple<int, int, TColorTable, int, int, bool, double, QRect, QRect, double, bool>;
    TKey CurrentKey() const;
    void ShowVerdict();

    TMainForm& form_;
    QTimer poll_;
    TFlashReport report_;
    TKey key_{};
    bool checked_ = false;
    QElapsedTimer sinceCheck_;
    QDialog* dialog_ = nullptr;
    QLabel* dialogText_ = nullptr;
};
