// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TRxCustomSlider / TRxSlider: a slider drawn from bitmaps: a ruler strip built from a small
// ruler image, a thumb that travels along it and a row of tick marks. It holds an integer
// Value in MinValue..MaxValue, changed by dragging the thumb, by holding the button on the
// ruler (one step at once, then one every 400 ms) or with the keys. OnChange fires for every
// new value; OnChanged once when a gesture or a key is done.

#include "controls/ControlTypes.h"
#include "framework/Bitmap.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>

enum TSliderOrientation { soHorizontal, soVertical };
enum TSliderOption : unsigned { soShowFocus = 1, soShowPoints = 2, soSmooth = 4 };
using TSliderOptions = unsigned;
enum TPanelBevel { bvNone, bvLowered, bvRaised };
// The four images, in the bit order of UserImages.
enum TSliderImage { siHThumb = 0, siHRuler = 1, siVThumb = 2, siVRuler = 3 };

// The number under which the slider's hand cursor is known.
constexpr int crHand = 14000;

using TDrawPointsEvent = std::function<void(QObject* sender, QPainter& canvas)>;

class TRxCustomSlider : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Value READ Value WRITE SetValue)
    Q_PROPERTY(int MinValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(int MaxValue READ MaxValue WRITE SetMaxValue)
    Q_PROPERTY(int Increment READ Increment WRITE SetIncrement)
    Q_PROPERTY(int EdgeSize READ EdgeSize WRITE SetEdgeSize)

public:
    static constexpr int kRepeatInterval = 400; // ms between steps while held on the ruler

    explicit TRxCustomSlider(QWidget* owner = nullptr);

    int Value() const { return value_; }
    void SetValue(int value);
    int MinValue() const { return minValue_; }
    void SetMinValue(int value);
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int value);
    int Increment() const { return increment_; }
    // Fails with "Value must be between 1 and <range>" outside 1..MaxValue - MinValue.
    void SetIncrement(int value);
    int EdgeSize() const { return edgeSize_; }
    void SetEdgeSize(int value);
    int NumThumbStates() const { return numThumbStates_; }
    void SetNumThumbStates(int value);
    TSliderOrientation Orientation() const { return orientation_; }
    void SetOrientation(TSliderOrientation value);
    TSliderOptions Options() const { return options_; }
    void SetOptions(TSliderOptions value);
    TPanelBevel BevelStyle() const { return bevelStyle_; }
    void SetBevelStyle(TPanelBevel value);

    QColor Color() const { return palette().color(QPalette::Window); }
    void SetColor(const QColor& color);

    const TBitmap& Image(TSliderImage which) const { return images_[which]; }
    // Copies the image and marks it as the owner's; nullptr brings back the default.
    void SetImage(TSliderImage which, const TBitmap* image);
    uint8_t UserImages() const { return userImages_; }

    // While the owner's layout is being read, range checks and layout wait until Loaded.
    void BeginLoading() { loading_ = true; }
    void Loaded();

    // Layout, in client coordinates.
    QRect ThumbRect() const { return thumbRect_; }
    QPoint RulerOrigin() const { return rulerOrigin_; }
    QSize RulerSize() const { return ruler_.size(); }
    int TickRowTop() const { return tickTop_; }
    int TravelLength() const { return travel_; }
    // The thumb's left edge (top edge when vertical) for a value, and the value there.
    int ThumbPosOfValue(int value) const;
    int ValueAtThumbPos(int pos) const;
    bool Sliding() const { return sliding_; }
    bool Tracking() const { return tracking_; }

    // Draws the tick row as the slider does without an OnDrawPoints handler.
    void DrawDefaultPoints(QPainter& canvas);

    TNotifyEvent OnChange;
    TNotifyEvent OnChanged;
    TDrawPointsEvent OnDrawPoints;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TKeyEvent OnKeyDown;

protected:
    // Its accessible interface sets the value as the keys do, ending with Changed.
    friend class TRxSliderAccessible;

    virtual bool IsChangeAllowed() const { return true; }
    virtual QRect GetSliderRect() const;
    virtual int GetDisplayedValue() const { return value_; }
    virtual void RebuildLayout();
    virtual void RangeChanged() {}
    virtual void ThumbPressed(QPoint at);
    virtual void ThumbDragged(QPoint at);
    virtual void ThumbReleased();
    virtual void Change();
    virtual void Changed();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void ShrinkIncrementToRange();
    bool Horizontal() const { return orientation_ == soHorizontal; }
    TSliderImage ThumbImage() const { return Horizontal() ? siHThumb : siVThumb; }
    TSliderImage RulerImage() const { return Horizontal() ? siHRuler : siVRuler; }
    int TravelBase() const; // where the thumb's edge is at MinValue (MaxValue when vertical)
    int OffsetOfValue(int value) const;
    int ValueAtOffset(int offset) const;
    void PlaceThumb(int offset);
    void Layout();
    void MakeKeyedImages();
    void Step(bool up);
    bool PointOnRuler(QPoint p) const;
    bool MouseBeyondThumb() const;
    void RepeatTick();
    void DrawThumb(QPainter& canvas);

    int value_ = 0;
    int minValue_ = 0;
    int maxValue_ = 100;
    int increment_ = 10;
    int edgeSize_ = 2;
    int numThumbStates_ = 2;
    TSliderOrientation orientation_ = soHorizontal;
    TSliderOptions options_ = soShowFocus | soShowPoints | soSmooth;
    TPanelBevel bevelStyle_ = bvNone;
    std::array<TBitmap, 4> images_;
    uint8_t userImages_ = 0;
    bool loading_ = false;

    QImage thumbImage_; // the thumb image, its transparent colour cleared
    QImage ruler_;      // the built ruler, its transparent colour cleared
    QPoint rulerOrigin_;
    QRect thumbRect_;
    int tickTop_ = 0; // the tick row's top (its left edge when vertical)
    int travel_ = 0;

    int pressOffset_ = 0;
    bool sliding_ = false;
    bool tracking_ = false;
    bool trackUp_ = false;
    bool thumbDown_ = false;
    QPoint mousePoint_;
    QTimer repeatTimer_;
};

class TRxSlider : public TRxCustomSlider {
    Q_OBJECT
public:
    using TRxCustomSlider::TRxCustomSlider;
};
