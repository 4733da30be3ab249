// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing costs of the self-drawn controls. The knob redraws synchronously on every position
// change of a drag, and the slider on every thumb move, so each must stay far below a
// frame (16 ms) even in a debug build.

#include "GuiBenchMain.h"
#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "controls/RXSlider.h"
#include "controls/RXSliderImages.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

void Render(QWidget& widget, QImage& target) {
    target.fill(Qt::black);
    widget.render(&target);
}

void BM_KnobPaint(benchmark::State& state) {
    TASSwitcher knob;
    knob.resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(0)));
    knob.SetSoundType(wssNone);
    QImage target(knob.size(), QImage::Format_RGB32);
    int position = 0;
    for (auto _ : state) {
        knob.SetPosition(position = (position + 1) % 11);
        Render(knob, target);
    }
}
BENCHMARK(BM_KnobPaint)->Arg(73)->Arg(150);

void BM_SliderPaint(benchmark::State& state) {
    TRxSlider slider;
    slider.resize(140, 33);
    slider.SetBevelStyle(bvLowered);
    slider.SetMaxValue(250);
    slider.SetMinValue(1);
    slider.SetIncrement(1);
    QImage target(slider.size(), QImage::Format_RGB32);
    int value = 1;
    for (auto _ : state) {
        slider.SetValue(value = value % 250 + 1);
        Render(slider, target);
    }
}
BENCHMARK(BM_SliderPaint);

void BM_SliderResize(benchmark::State& state) {
    // A resize rebuilds the ruler strip and the layout.
    TRxSlider slider;
    slider.setAttribute(Qt::WA_DontShowOnScreen);
    slider.show(); // a hidden widget defers its resize events
    int width = 140;
    for (auto _ : state) {
        width = width == 140 ? 600 : 140;
        slider.resize(width, 33);
    }
}
BENCHMARK(BM_SliderResize);

void BM_EditDisplayPaint(benchmark::State& state) {
    TCurrencyEdit edit;
    edit.resize(64, 25);
    edit.SetMaxValue(35);
    edit.SetMinValue(0.1L);
    edit.SetDisplayFormat(QString::fromUtf8("0.0,' Гц'"));
    QImage target(edit.size(), QImage::Format_RGB32);
    long double value = 0.1L;
    for (auto _ : state) {
        edit.SetValue(value += 0.1L);
        if (value > 35) value = 0.1L;
        Render(edit, target);
    }
}
BENCHMARK(BM_EditDisplayPaint);

} // namespace

int main(int argc, char** argv) {
    return RunGuiBenchmarks(argc, argv);
}
