// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Nudges while a run is on: with the picture focused (or the window in full screen), Up and
// Down move the main frequency by 0.1 Hz and Page Up and Page Down by 1 Hz, gliding to the new
// value over kGlideMs so that the run's phase, and so the light and the sound, move on without
// a jump; "[" and "]" move Depth, "-" and "+" Volume. During a session a nudge shifts the
// session's line from that moment, and Home glides back to it.

#include <QObject>
#include <QTimer>

#include <cstdint>

class TMainForm;

class TMainNudge : public QObject {
    Q_OBJECT
public:
    static constexpr int64_t kGlideMs = 2000;
    static constexpr int kTickMs = 25;

    explicit TMainNudge(TMainForm& form);

    // A key pressed while running; true when it was a nudge.
    bool KeyPressed(int key);
    // The run stopped or the session changed: a glide under way ends where it is.
    void Halt();

private:
    void Glide(int32_t toMilli);
    void Tick();
    int32_t Now() const; // the value the glide stands at
    void Apply(int32_t milli);
    bool OnSession() const;

    TMainForm& form_;
    QTimer ticker_;
    // A glide of the box's frequency, or of the offset from a session's line, in thousandths
    // of a hertz.
    int32_t from_ = 0;
    int32_t to_ = 0;
    int64_t startMs_ = 0;
    bool gliding_ = false;
    bool onSession_ = false; // the glide is of a session's offset
};
