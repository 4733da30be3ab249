// SPDX-License-Identifier: GPL-3.0-or-later
// The controls fed with outside data: the slider with images an owner's layout supplies (a
// packed bitmap of any shape, any edge size and orientation), and the numeric edit with
// texts as a settings file or the clipboard may carry them.
//
// Input: byte 0 chooses the control; for the slider byte 1 holds the orientation (bit 0),
// thumb states (bit 1) and edge size (bits 2..5), byte 2 the length in 4-pixel units, the
// rest is the bitmap; for the edit the rest is UTF-8 text.

#include "controls/CurrEdit.h"
#include "controls/RXSlider.h"
#include "controls/RXSliderImages.h"
#include "framework/Exception.h"

#include <QApplication>

#include <cstddef>
#include <cstdint>

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "fuzz_controls";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

void Slider(const uint8_t* data, size_t size) {
    if (size < 2) return;
    const bool vertical = data[0] & 1;
    const int states = (data[0] & 2) ? 2 : 1;
    const int edge = (data[0] >> 2) & 15;
    const int length = data[1] * 4;
    TBitmap image;
    try {
        image.LoadFromPackedDib(data + 2, static_cast<int64_t>(size - 2));
    } catch (const Exception&) {
        return;
    }
    if (image.Width() > 512 || image.Height() > 512) return;
    const QImage keyed = KeyedImage(image);
    (void)BuildRuler(keyed, length, edge, !vertical);

    TRxSlider slider;
    slider.SetOrientation(vertical ? soVertical : soHorizontal);
    slider.SetNumThumbStates(states);
    slider.SetImage(vertical ? siVThumb : siHThumb, &image);
    slider.SetImage(vertical ? siVRuler : siHRuler, &image);
    slider.SetEdgeSize(edge);
    slider.resize(vertical ? 40 : length, vertical ? length : 40);
    slider.SetValue(length);
    (void)slider.grab();
}

void Edit(const uint8_t* data, size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TCurrencyEdit edit;
    edit.SetMinValue(0.1L);
    edit.SetMaxValue(35.0L);
    edit.SetDecimalPlaces(3);
    edit.SetFormatOnEditing(true);
    try {
        edit.SetText(text);
    } catch (const Exception&) {
    }
    (void)edit.Normalized(text);
    (void)edit.DisplayText();
    edit.setText(text);
    (void)edit.Value();
    (void)edit.grab();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    App();
    if (size < 1) return 0;
    if (data[0] % 2 == 0) {
        Slider(data + 1, size - 1);
    } else {
        Edit(data + 1, size - 1);
    }
    // Deliver what the controls posted, so nothing piles up between inputs.
    QCoreApplication::sendPostedEvents();
    return 0;
}
