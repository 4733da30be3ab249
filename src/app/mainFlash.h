// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's flash check: a short verdict with a coloured mark under the Start button,
// its figures in the tooltip, rechecked whenever the picture, the frequency, the depth, the
// Right/Left difference, the picture's size, the screen or the loaded session change. With a
// session loaded it grades the session's worst minute, since the session sets the frequency; the
// "Flash Check..." window with the figures and what would bring the run under the limits; "Reduced
// Flashing", which changes only the colours the display shows; and the photosensitivity warning
// before the first run.

#include "picture/FrameStats.h"
#include "safety/FlashCheck.h"
#include "safety/SessionFlash.h"

#include <QElapsedTimer>
#include <QObject>
#include <QRect>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <tuple>
#include <vector>

class QAction;
class QDialog;
class QLabel;
class TDisplayRefresh;
class TMainForm;

// The refresh rate the light is checked at where the display's is unknown: the most common.
constexpr double kAssumedRefreshHz = 60;

class TMainFlash : public QObject {
    Q_OBJECT
public:
    explicit TMainFlash(TMainForm& form);
    ~TMainFlash() override;

    QLabel* Mark = nullptr;
    QAction* FlashCheck1 = nullptr;
    QAction* ReducedFlashing1 = nullptr;
    // The refresh rate of the display the window is on, which the check samples the light at.
    TDisplayRefresh* Refresh = nullptr;

    // Reads "Reduced Flashing" from the settings, once the window has its settings file.
    void LoadOptions();
    // Checks again when anything the check reads has changed since the last check.
    void Update();
    // The present settings' report, or the loaded session's worst minute's.
    const TFlashReport& Report() const { return report_; }
    // The loaded session's minutes as last graded; empty without a session.
    const std::vector<TFlashMinute>& SessionMinutes() const { return minutes_; }
    TFlashSettings CurrentSettings() const;

    bool Reduced() const;
    void SetReduced(bool on);

    // Before a run starts: the photosensitivity warning, unless the settings say it was
    // accepted; true when the run may start. The answer Start is remembered.
    bool ConfirmStart();
    void ShowFlashCheck();
    // What the display makes of the light, for the tooltip and "Flash Check...": that its
    // refresh rate is unknown, or where it shows the light otherwise than due; empty when it
    // shows it as due.
    QString ShownLightNote() const;
    // The last run's frames as the display showed them (statistics from the window); "no run
    // yet" when ranAny is false.
    static QString FrameStatsText(const TFrameStats& stats, bool ranAny);

    // Whether the warning is asked at all; the program turns it on at its start.
    static bool AskWarning;

private:
    // What the check reads: the picture and the display (the first eight), then the run.
    using TKey = std::tuple<int, int, TColorTable, int, bool, QRect, QRect, double, bool, int,
                            double, uint64_t>;
    TKey CurrentKey() const;
    void ShowVerdict();
    // The verdict's first line: what was graded and how it came out.
    QString Heading() const;
    // The checked picture as the display shows it.
    TFlashPicture ShownPicture() const;

    TMainForm& form_;
    QTimer poll_;
    TFlashReport report_;
    std::vector<TFlashMinute> minutes_;
    size_t worst_ = 0;
    // Sessions are graded through one grader while the picture and the display stay.
    std::unique_ptr<TSessionFlashGrader> grader_;
    TKey graderKey_{};
    TKey key_{};
    bool checked_ = false;
    QElapsedTimer sinceCheck_;
    QDialog* dialog_ = nullptr;
    QLabel* dialogText_ = nullptr;
    bool ranAny_ = false; // a run was seen since the window opened
};
