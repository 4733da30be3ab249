// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TASSwitcher: a round, self-drawn knob with click positions 0..Max, turned clockwise from
// the lower left to the lower right by dragging its pointer or with the arrow, Home and End
// keys. The scale leaves an even gap at the bottom; position p covers the wedge [a2, a1] of
// whole degrees, counter-clockwise from 3 o'clock with y pointing down.

#include "controls/ControlTypes.h"
#include "controls/SimpleSound.h"

#include <QWidget>

enum TWhereSoundStore { wssExe, wssWav, wssNone };

class TASSwitcher : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Max READ Max WRITE SetMax)
    Q_PROPERTY(int Position READ Position WRITE SetPosition)
    Q_PROPERTY(bool PrintValues READ PrintValues WRITE SetPrintValues)
    Q_PROPERTY(bool DrawFocused READ DrawFocused WRITE SetDrawFocused)
    Q_PROPERTY(bool DrawTicks_ READ DrawTicks_ WRITE SetDrawTicks_)

public:
    // The wedge of one position, a2 <= a1, both ends belonging to it.
    struct TWedge {
        int A2 = 0;
        int A1 = 0;
        bool Holds(int angle) const { return A2 <= angle && angle <= A1; }
    };

    explicit TASSwitcher(QWidget* owner = nullptr);

    int Max() const { return max_; }
    void SetMax(int value);
    int Position() const { return position_; }
    void SetPosition(int value);
    bool PrintValues() const { return printValues_; }
    void SetPrintValues(bool value);
    bool DrawFocused() const { return drawFocused_; }
    void SetDrawFocused(bool value) { drawFocused_ = value; }
    bool DrawTicks_() const { return drawTicks_; }
    void SetDrawTicks_(bool value);

    TWhereSoundStore SoundType() const { return soundType_; }
    void SetSoundType(TWhereSoundStore value) { soundType_ = value; }
    QString SoundChange() const { return soundChange_; }
    void SetSoundChange(const QString& value) { soundChange_ = value; }
    QString ResourceType() const { return resourceType_; }
    void SetResourceType(const QString& value) { resourceType_ = value; }
    TWaveOptions WaveOptions() const { return waveOptions_; }
    void SetWaveOptions(TWaveOptions value) { waveOptions_ = value; }

    // The background; without a colour of its own the switch shows its parent's.
    QColor Color() const;
    void SetColor(const QColor& color);

    // Geometry, from the current size and properties.
    int Margin() const { return margin_; }
    TWedge WedgeOf(int position) const;
    // The wedge of the pointer as last drawn.
    TWedge PointerWedge() const { return pointerWedge_; }
    // The angle of a point in whole degrees, -89..270; the centre has none (false).
    bool AngleAt(int x, int y, int& angle) const;
    bool OnRing(int x, int y) const;
    bool Dragging() const { return dragging_; }

    TNotifyEvent OnChange;
    TNotifyEvent OnClick;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TKeyEvent OnKeyDown;

protected:
    virtual void DrawTicks(QPainter& canvas);
    virtual void DrawDial(QPainter& canvas);
    virtual void DrawPointer(QPainter& canvas);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    struct TAngles {
        int Step = 0;     // s: degrees per position
        int DeadZone = 0; // d: the gap at the bottom, even
        int Half = 0;     // h
        int Base = 0;     // b
    };
    TAngles Angles() const;
    int Steps() const { return max_ == 0 ? 1 : max_; }
    int CentreX() const { return width() / 2; }
    int CentreY() const { return height() / 2; }
    void Press(QMouseEvent* event, bool mayClick);
    void PlayChangeSound();

    int max_ = 10;
    int position_ = 0;
    bool printValues_ = false;
    bool drawFocused_ = false;
    bool drawTicks_ = true;
    TWhereSoundStore soundType_ = wssWav;
    QString soundChange_;
    QString resourceType_;
    TWaveOptions waveOptions_ = woSync | woNoDefault | woNoStop;
    int margin_ = 10;
    TWedge pointerWedge_;
    bool dragging_ = false;
    bool clickArmed_ = false;
};
