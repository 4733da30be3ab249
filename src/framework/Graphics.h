// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The graphic base of the framework: a picture that a canvas can draw into a rectangle, that
// loads from and saves to streams, and the canvas it draws on.

#include "framework/Exception.h"
#include "framework/Palette.h"

#include <QPainter>
#include <QRect>

#include <functional>
#include <memory>
#include <string>

class TStream;
class TGraphic;

VELMORA_EXCEPTION(EInvalidGraphic, Exception);
VELMORA_EXCEPTION(EInvalidGraphicOperation, Exception);
VELMORA_EXCEPTION(EOutOfMemory, Exception);

// An object that can take the value of another; the root of graphics and picture holders.
class TPersistent {
public:
    virtual ~TPersistent() = default;
    virtual const char* ClassName() const = 0;
};

// Fails with "Cannot assign a %s to a %s" naming both classes ("nil" for no source).
[[noreturn]] void RaiseAssignError(const TPersistent* source, const TPersistent& target);

// A drawing target. Drawing goes through Paint, which tells OnChanging first, so the owner of
// the pixels can take a private copy before they change.
class TCanvas {
public:
    virtual ~TCanvas() = default;

    std::function<void()> OnChanging;

    template <typename F> void Paint(F&& draw) {
        if (OnChanging) OnChanging();
        QPainter* painter = BeginPaint();
        if (!painter) return;
        try {
            draw(*painter);
        } catch (...) {
            EndPaint();
            throw;
        }
        EndPaint();
    }

    // Draws the graphic at its own size with its top-left corner at (x, y).
    void Draw(int x, int y, TGraphic& graphic);
    // Draws the graphic stretched into the rectangle.
    void StretchDraw(const QRect& rect, TGraphic& graphic);

protected:
    // The painter for one drawing; nullptr when there is nothing to draw on.
    virtual QPainter* BeginPaint() = 0;
    virtual void EndPaint() = 0;
};

// A canvas over a painter that someone else holds open, such as a widget's paint event.
class TPainterCanvas : public TCanvas {
public:
    explicit TPainterCanvas(QPainter& painter) : painter_(painter) {}

protected:
    QPainter* BeginPaint() override { return &painter_; }
    void EndPaint() override {}

private:
    QPainter& painter_;
};

class TGraphic : public TPersistent {
public:
    // A new empty graphic of the same class.
    virtual std::unique_ptr<TGraphic> NewInstance() const = 0;
    // Takes the picture of source; the base knows no source and fails.
    virtual void Assign(const TPersistent* source);

    // Draws the whole picture stretched into rect (left, top, width, height) of the canvas.
    virtual void DrawStretched(TCanvas& canvas, const QRect& rect) = 0;
    virtual bool IsEmpty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int width) = 0;
    virtual void SetHeight(int height) = 0;

    // The palette used to draw the picture, owned by the graphic; nullptr when it has none.
    virtual HPALETTE PaletteHandle() { return nullptr; }
    // Takes over the given palette handle (and deletes it when done with it).
    virtual void SetPaletteHandle(HPALETTE palette) { DeletePalette(palette); }

    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);

    // True when both save to the same bytes.
    bool Equals(TGraphic& other);

    bool PaletteModified = false;
    bool Transparent = false;
};
