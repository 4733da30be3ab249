// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The display surface: a control that owns one TDIB and draws it at its own size, stretched to
// the control or shrunk to fit, centred or at the top-left corner. It never erases its
// background: the picture is drawn over whatever is there.

#include "picture/DIB.h"

#include <QWidget>

#include <array>
#include <functional>

class TCustomDXPaintBox : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool AutoStretch READ AutoStretch WRITE SetAutoStretch)
    Q_PROPERTY(bool Center READ Center WRITE SetCenter)
    Q_PROPERTY(bool Stretch READ Stretch WRITE SetStretch)

public:
    explicit TCustomDXPaintBox(QWidget* parent = nullptr);
    ~TCustomDXPaintBox() override;

    bool AutoStretch() const { return autoStretch_; }
    void SetAutoStretch(bool value);
    bool Center() const { return center_; }
    void SetCenter(bool value);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);

    TDIB& DIB() { return *dib_; }
    // Copies the picture into the own TDIB (nothing when it is that TDIB) and repaints later.
    void SetDIB(const TDIB* picture);

    // The palette the window realizes for this control: the picture's.
    HPALETTE Palette() { return dib_->PaletteHandle(); }

    // Turns the picture's palette into the colours shown, worked out once per palette, so a
    // paint costs nothing more; the picture and its colour table stay as they are. An empty
    // map shows the palette itself.
    using TColourMap = std::function<std::array<QRgb, 256>(const std::array<QRgb, 256>&)>;
    void SetColourMap(TColourMap map);
    bool HasColourMap() const { return static_cast<bool>(colourMap_); }

    // Paints at once, before returning.
    void PaintNow();

    // Where the picture goes in the control for the current settings and client size;
    // empty when there is no picture.
    QRect DrawRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    // Draws the picture, w by h pixels, at the place the settings give.
    void DrawImageAt(QPainter& painter, int w, int h);

private:
    QSize DrawnSize() const;
    QPoint PositionFor(int w, int h) const;

    // The shown colours for the palette they were made from.
    const QRgb* MappedLookup(bool& changed);

    bool autoStretch_ = false;
    bool center_ = false;
    TColourMap colourMap_;
    bool mapValid_ = false;
    std::array<QRgb, 256> mapSource_{};
    std::array<QRgb, 256> mapped_{};
    std::unique_ptr<TDIB> dib_;
    bool stretch_ = false;
};

// The published form of the display surface.
class TDXPaintBox : public TCustomDXPaintBox {
    Q_OBJECT

public:
    using TCustomDXPaintBox::TCustomDXPaintBox;
};
